#pragma once

#include <QImage>
#include <QSize>

namespace cw::artwork {

inline constexpr int kCardBackCount = 4;

// Back design 0 … 3 at card size. The outermost ring of pixels is covered by
// the card frame when the back is composed, so the pattern keeps clear of it.
QImage DrawCardBack(int design, QSize size);

}  // namespace cw::artwork
