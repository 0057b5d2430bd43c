#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

#include "platform/artwork/manifest.h"

namespace cw::artwork {

// Draws the artwork a bitmap table name stands for ("rank_large_queen",
// "grey_suit_small_small_hearts", "card_back_large_2" …) at the given size.
// Returns nothing for a name it does not know.
std::optional<QImage> DrawArtwork(const QString& name, QSize size, BitmapSet set);

}  // namespace cw::artwork
