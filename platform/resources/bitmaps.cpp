#include "platform/resources/bitmaps.h"

#include <QImageReader>
#include <QString>

namespace cw {

QImage LoadBitmap(int id) {
  // Every bitmap is a PNG: named, Qt reads it with its own decoder, without
  // first loading each image format plugin installed to ask whether it can.
  QImageReader reader(QStringLiteral(":/cw/bitmaps/%1.png").arg(id), "png");
  reader.setAutoDetectImageFormat(false);
  QImage image = reader.read();
  if (image.isNull()) return image;
  return image.convertToFormat(QImage::Format_RGB32);
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
