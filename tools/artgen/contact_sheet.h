#pragma once

#include <QImage>
#include <map>
#include <vector>

#include "platform/artwork/manifest.h"

namespace cw::artwork {

// The drawn bitmaps of one set by id.
using BitmapsById = std::map<int, QImage>;

// Every bitmap of both sets at real size with its id on a neutral ground, and
// for each set a row of faces, backs and empty-pile marks put together as the
// table composes them, on the default table green.
QImage BuildContactSheet(const std::vector<BitmapEntry>& entries, const BitmapsById& qvga,
                         const BitmapsById& vga);

}  // namespace cw::artwork
