#include "platform/resources/bitmaps.h"

#include <QImageReader>
#include <QString>
#include <memory>

namespace cw {

namespace {

// Every bitmap is a PNG: named, Qt reads it with its own decoder, without
// first loading each image format plugin installed to ask whether it can.
std::unique_ptr<QImageReader> BitmapReader(int id) {
  auto reader = std::make_unique<QImageReader>(QStringLiteral(":/cw/bitmaps/%1.png").arg(id), "png");
  reader->setAutoDetectImageFormat(false);
  return reader;
}

}  // namespace

QImage LoadBitmap(int id) {
  QImage image = BitmapReader(id)->read();
  if (image.isNull()) return image;
  return image.convertToFormat(QImage::Format_RGB32);
}

QSize BitmapSize(int id) {
  const QSize size = BitmapReader(id)->size();
  return size.isValid() ? size : QSize(0, 0);  // as a null image's
}

QImage WhiteTransparent(const QImage& bitmap) {
  if (bitmap.isNull()) return bitmap;
  QImage image = bitmap.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if ((line[x] & 0x00FFFFFFu) == 0x00FFFFFFu) line[x] = 0;
    }
  }
  return image;
}

}  // namespace cw
