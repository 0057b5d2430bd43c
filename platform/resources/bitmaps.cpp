#include "platform/resources/bitmaps.h"

#include <QString>

namespace cw {

QImage LoadBitmap(int id) {
  QImage image(QStringLiteral(":/cw/bitmaps/%1.png").arg(id));
  if (image.isNull()) return image;
  return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace cw
