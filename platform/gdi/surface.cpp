#include "platform/gdi/surface.h"

#include <QPaintEngine>
#include <QPainter>
#include <QRegion>
#include <QTransform>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <utility>

namespace cw {
namespace {

constexpr QRgb kOpaque = 0xFF000000u;

// A window's picture is fresh memory when the window first shows or grows:
// each of its pages would fault on its first write, each fault a trip into
// the kernel. Asking for all the pages a paint will write in one call costs
// about half as much. Only a request: it changes no pixel, and a kernel
// without it refuses it.
void SupplyPages(const uchar* begin, const uchar* end) {
#ifdef MADV_POPULATE_WRITE
  const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const std::uintptr_t from = reinterpret_cast<std::uintptr_t>(begin) & ~(pageSize - 1);
  const auto to = reinterpret_cast<std::uintptr_t>(end);
  madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#else
  (void)begin;
  (void)end;
#endif
}

// The pixels a pen covers going from `from` to `to` along one axis (the end
// excluded), cut to [0, size): first and last, first > last when none.
std::pair<int, int> PenSpan(int from, int to, int size) {
  const std::int64_t first = from < to ? from : std::int64_t{to} + 1;
  const std::int64_t last = from < to ? std::int64_t{to} - 1 : from;
  return {static_cast<int>(std::max<std::int64_t>(first, 0)),
          static_cast<int>(std::min<std::int64_t>(last, size - 1))};
}

// The source as 32-bit pixels whose colour channels can be read directly.
QImage AsRgb32(const QImage& source) {
  if (source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32) {
    return source;
  }
  return source.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

Surface::Surface(int width, int height) { Create(width, height); }

void Surface::Create(int width, int height) {
  painted_.reset();
  if (width <= 0 || height <= 0) {
    image_ = QImage();
    return;
  }
  image_ = QImage(width, height, QImage::Format_RGB32);
  image_.fill(kOpaque);
}

std::optional<Surface> Surface::OverPainter(QPainter& painter, QSize size) {
  QPaintEngine* const engine = painter.paintEngine();
  if (engine == nullptr || engine->type() != QPaintEngine::Raster || size.isEmpty()) {
    return std::nullopt;
  }
  QPaintDevice* const device = engine->paintDevice();
  if (device == nullptr || device->devType() != QInternal::Image) return std::nullopt;
  auto* const image = static_cast<QImage*>(device);
  // An opaque pixel has the same 32 bits in all three formats, and a surface
  // writes only opaque pixels. (An image is never shared while it is being
  // painted: Qt copies it whole instead.)
  const QImage::Format format = image->format();
  if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
      format != QImage::Format_ARGB32_Premultiplied) {
    return std::nullopt;
  }
  const QTransform& transform = painter.deviceTransform();
  if (transform.type() > QTransform::TxTranslate) return std::nullopt;
  const QPoint origin(static_cast<int>(std::lround(transform.dx())),
                      static_cast<int>(std::lround(transform.dy())));
  if (origin.x() != transform.dx() || origin.y() != transform.dy()) return std::nullopt;
  const QRect area(origin, size);
  if (!image->rect().contains(area)) return std::nullopt;
  // The painter's system clip is the area being painted, in the image's
  // pixels; without one the whole image is.
  const QRegion clip = engine->systemClip();
  const QRegion painted = clip.isEmpty() ? QRegion(area) : clip & area;
  if (painted.rectCount() != 1) return std::nullopt;
  Surface surface;
  const qsizetype stride = image->bytesPerLine();
  uchar* const first = image->bits() + origin.y() * stride + origin.x() * qsizetype{sizeof(QRgb)};
  surface.image_ = QImage(first, size.width(), size.height(), stride, QImage::Format_RGB32);
  const QRect written = painted.boundingRect();
  constexpr qsizetype kPixel = sizeof(QRgb);
  const uchar* const top = image->constBits() + written.top() * stride;
  SupplyPages(top + written.left() * kPixel,
              top + (written.height() - 1) * stride + (written.right() + 1) * kPixel);
  surface.painted_ = written.translated(-origin);
  return surface;
}

QImage Surface::DeviceImage(qreal ratio) const {
  QImage shown = image_;
  shown.setDevicePixelRatio(ratio);
  return shown;
}

QRgb Surface::Pixel(int x, int y) const {
  if (!image_.valid(x, y)) return kOpaque;
  return reinterpret_cast<const QRgb*>(image_.constScanLine(y))[x];
}

QRect Surface::Visible(const QRect& rect) const {
  QRect visible = rect.intersected(image_.rect());
  if (clip_) visible = visible.intersected(*clip_);
  if (painted_) visible = visible.intersected(*painted_);
  return visible;
}

void Surface::PlotClipped(int x, int y, QRgb colour) {
  if (!image_.valid(x, y)) return;
  if (clip_ && !clip_->contains(x, y)) return;
  if (painted_ && !painted_->contains(x, y)) return;
  reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = colour | kOpaque;
}

void Surface::FillRect(const QRect& rect, QRgb colour) {
  const QRect visible = Visible(rect);
  if (visible.isEmpty()) return;
  if (visible == image_.rect()) {
    // Qt's own fill of a whole image is much faster than the row loop.
    image_.fill(colour | kOpaque);
    return;
  }
  // One detach for all rows, which scanLine would check again for each.
  uchar* const bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  for (int y = visible.top(); y <= visible.bottom(); ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(bits + y * stride);
    std::fill(row + visible.left(), row + visible.right() + 1, colour | kOpaque);
  }
}

void Surface::InvertRect(const QRect& rect) {
  const QRect visible = Visible(rect);
  if (visible.isEmpty()) return;
  for (int y = visible.top(); y <= visible.bottom(); ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
    for (int x = visible.left(); x <= visible.right(); ++x) row[x] ^= 0x00FFFFFFu;
  }
}

void Surface::Line(QPoint from, QPoint to, QRgb colour) {
  // Straight lines are rectangles one pixel thick, cut to the surface first,
  // so a line reaching far off the surface is not walked pixel by pixel.
  if (from.y() == to.y() && from.x() != to.x()) {
    const auto [first, last] = PenSpan(from.x(), to.x(), Width());
    if (first <= last) FillRect(QRect(first, from.y(), last - first + 1, 1), colour);
    return;
  }
  if (from.x() == to.x() && from.y() != to.y()) {
    const auto [first, last] = PenSpan(from.y(), to.y(), Height());
    if (first <= last) FillRect(QRect(from.x(), first, 1, last - first + 1), colour);
    return;
  }
  // Bresenham's walk, stopping before the end point.
  const std::int64_t dx = std::abs(std::int64_t{to.x()} - from.x());
  const std::int64_t dy = -std::abs(std::int64_t{to.y()} - from.y());
  const int stepX = from.x() < to.x() ? 1 : -1;
  const int stepY = from.y() < to.y() ? 1 : -1;
  std::int64_t error = dx + dy;
  int x = from.x();
  int y = from.y();
  while (x != to.x() || y != to.y()) {
    PlotClipped(x, y, colour);
    const std::int64_t doubled = 2 * error;
    if (doubled >= dy) {
      error += dy;
      x += stepX;
    }
    if (doubled <= dx) {
      error += dx;
      y += stepY;
    }
  }
}

void Surface::FrameRect(const QRect& rect, QRgb colour) {
  if (rect.isEmpty()) return;
  FillRect(QRect(rect.left(), rect.top(), rect.width(), 1), colour);
  FillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), colour);
  FillRect(QRect(rect.left(), rect.top(), 1, rect.height()), colour);
  FillRect(QRect(rect.right(), rect.top(), 1, rect.height()), colour);
}

void Surface::TwoColourFrame(const QRect& rect, QRgb first, QRgb second) {
  const int left = rect.left();
  const int top = rect.top();
  const int right = rect.left() + rect.width();
  const int bottom = rect.top() + rect.height();
  Line({left, bottom - 1}, {left, top}, first);
  Line({left, top}, {right - 1, top}, first);
  Line({right - 1, top}, {right - 1, bottom - 1}, second);
  Line({right - 1, bottom - 1}, {left, bottom - 1}, second);
}

void Surface::Copy(const QImage& source, const QRect& from, QPoint to) {
  CopyPixels(source, from, to, std::nullopt);
}

void Surface::CopyTransparent(const QImage& source, const QRect& from, QPoint to, QRgb key) {
  CopyPixels(source, from, to, key);
}

void Surface::CopyPixels(const QImage& source, const QRect& from, QPoint to,
                         std::optional<QRgb> key) {
  if (source.isNull() || image_.isNull()) return;
  const QRect readable = from.intersected(source.rect());
  if (readable.isEmpty()) return;
  const QPoint shift = to - from.topLeft();
  const QRect target = Visible(readable.translated(shift));
  if (target.isEmpty()) return;
  const QRect read = target.translated(-shift);
  // A copy within this surface reads from a snapshot of the rectangle, so
  // overlapping rectangles copy as if through a temporary.
  const bool self = source.constBits() == image_.constBits();
  const QImage pixels = self ? image_.copy(read) : AsRgb32(source);
  const QPoint origin = self ? QPoint(0, 0) : read.topLeft();
  const QRgb keyColour = key.value_or(0) & 0x00FFFFFFu;
  // RGB32 pixels are opaque already (0xffRRGGBB), so an opaque copy of them
  // is a plain copy of each row.
  const bool plain = !key && pixels.format() == QImage::Format_RGB32;
  const auto rowBytes = static_cast<std::size_t>(target.width()) * sizeof(QRgb);
  uchar* const bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  for (int row = 0; row < target.height(); ++row) {
    const QRgb* in =
        reinterpret_cast<const QRgb*>(pixels.constScanLine(origin.y() + row)) + origin.x();
    QRgb* out = reinterpret_cast<QRgb*>(bits + (target.top() + row) * stride) + target.left();
    if (plain) {
      std::memcpy(out, in, rowBytes);
      continue;
    }
    for (int column = 0; column < target.width(); ++column) {
      const QRgb colour = in[column] & 0x00FFFFFFu;
      if (key && colour == keyColour) continue;
      out[column] = colour | kOpaque;
    }
  }
}

void Surface::DrawText(const QRect& rect, const QString& text, const FontStyle& font,
                       TextAlign align, QRgb colour) {
  if (image_.isNull() || text.isEmpty()) return;
  QPainter painter(&image_);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  if (clip_ || painted_) painter.setClipRect(Visible(image_.rect()));
  painter.setFont(MakeFont(font));
  painter.setPen(QColor::fromRgb(colour | kOpaque));
  int flags = Qt::AlignTop | Qt::TextSingleLine;
  switch (align) {
    case TextAlign::kLeft:
      flags |= Qt::AlignLeft;
      break;
    case TextAlign::kCentre:
      flags |= Qt::AlignHCenter;
      break;
    case TextAlign::kRight:
      flags |= Qt::AlignRight;
      break;
  }
  painter.drawText(rect, flags, text);
}

}  // namespace cw
