// An off-screen drawing surface with the handful of raster operations the
// table and the dialogs draw with: fills, 1-pixel lines, frames, inversion,
// opaque and colour-keyed copies, and text. Every operation works on exact
// device pixels (no antialiasing, no scaling); rectangles follow the
// convention of the drawing API the program was written against: right and
// bottom are exclusive, so QRect's width and height are the pixel counts.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QRgb>
#include <optional>

#include "platform/gdi/font_style.h"

class QPainter;

namespace cw {

// QRect from left, top, right and bottom with right and bottom exclusive.
inline QRect RectFromLTRB(int left, int top, int right, int bottom) {
  return QRect(left, top, right - left, bottom - top);
}

enum class TextAlign { kLeft, kCentre, kRight };

class Surface {
 public:
  Surface() = default;
  // A width × height surface, black like a freshly created bitmap. A
  // non-positive size gives an empty surface on which every operation does
  // nothing.
  Surface(int width, int height);

  // Drops the old contents and makes a black width × height surface.
  void Create(int width, int height);

  // A surface that draws straight onto the `size` device pixels at the origin
  // of what `painter` paints on (a window's own picture during its paint),
  // with every operation cut to the area being painted. Nothing when those
  // pixels cannot be reached that way: not a 32-bit (A)RGB image painted by
  // Qt's raster engine, a transformation other than a shift by whole
  // pixels, `size` not inside the image, or an area being painted that is
  // not one rectangle. Valid only while the painter paints.
  static std::optional<Surface> OverPainter(QPainter& painter, QSize size);

  bool IsNull() const { return image_.isNull(); }
  int Width() const { return image_.width(); }
  int Height() const { return image_.height(); }
  const QImage& Image() const { return image_; }

  // The pixels for painting onto a window whose device pixel ratio is `ratio`:
  // a shallow copy that a QPainter draws one to one onto device pixels.
  QImage DeviceImage(qreal ratio) const;

  QRgb Pixel(int x, int y) const;

  // Later operations only touch pixels inside `clip` (and the surface).
  void SetClip(const QRect& clip) { clip_ = clip; }
  void ClearClip() { clip_.reset(); }

  void FillRect(const QRect& rect, QRgb colour);
  // Every pixel of `rect` becomes NOT its old value (the colour channels are
  // inverted, so inverting twice restores the pixels).
  void InvertRect(const QRect& rect);

  // A 1-pixel line from `from` towards `to`: the start pixel is drawn, the end
  // pixel is not (a pen moved to `from`, then drawn to `to`).
  void Line(QPoint from, QPoint to, QRgb colour);
  // One pixel wide, all four sides of `rect` in one colour.
  void FrameRect(const QRect& rect, QRgb colour);
  // The card frame: with `first` from (left, bottom − 1) up to (left, top) and
  // across to (right − 1, top), then with `second` down to
  // (right − 1, bottom − 1) and back to (left, bottom − 1).
  void TwoColourFrame(const QRect& rect, QRgb first, QRgb second);

  // Opaque copy of `source` rectangle `from` to `to` (a raster copy).
  void Copy(const QImage& source, const QRect& from, QPoint to);
  void Copy(const Surface& source, const QRect& from, QPoint to) { Copy(source.image_, from, to); }
  // The whole of `source` with its top-left corner at `to`.
  void Draw(const QImage& source, QPoint to) { Copy(source, source.rect(), to); }
  void Draw(const Surface& source, QPoint to) { Copy(source.image_, source.image_.rect(), to); }

  // Like Copy, but source pixels whose colour is `key` leave the destination
  // unchanged.
  void CopyTransparent(const QImage& source, const QRect& from, QPoint to, QRgb key);
  void DrawTransparent(const QImage& source, QPoint to, QRgb key) {
    CopyTransparent(source, source.rect(), to, key);
  }

  // Draws `text` on one line inside `rect` with a transparent background, at
  // the top of the rectangle, aligned left, centred or against its right
  // edge. Glyphs are not antialiased, so every drawn pixel is `colour`.
  void DrawText(const QRect& rect, const QString& text, const FontStyle& font, TextAlign align,
                QRgb colour);

 private:
  QRect Visible(const QRect& rect) const;
  void CopyPixels(const QImage& source, const QRect& from, QPoint to, std::optional<QRgb> key);
  void PlotClipped(int x, int y, QRgb colour);

  QImage image_;
  std::optional<QRect> clip_;
  // For a surface over a painter's pixels: the area being painted, beyond
  // which no operation reaches whatever the clip.
  std::optional<QRect> painted_;
};

}  // namespace cw
