// Bitmaps by resource id, from the set of this program's display variant
// (resources/bitmaps/qvga or resources/bitmaps/vga, compiled into the variant
// library).
#pragma once

#include <QImage>

namespace cw {

// Bitmap `id` as 32-bit RGB pixels, or a null image when this build's set
// does not carry it (callers draw nothing in its place).
QImage LoadBitmap(int id);
// The size of bitmap `id`, read from its header alone; 0 × 0 when this
// build's set does not carry it.
QSize BitmapSize(int id);

// The artwork keys the background of every glyph, mark and icon with pure
// white. Pictures that Qt's own widgets draw (menu bar icons, chooser
// pictures, the window icon) need that white transparent instead.
QImage WhiteTransparent(const QImage& bitmap);

}  // namespace cw
