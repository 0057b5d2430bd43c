#include "uilib/device_pixels.h"

#include <QWidget>
#include <cmath>

namespace cw {

namespace {
int Scaled(double value, double ratio) { return static_cast<int>(std::lround(value * ratio)); }
}  // namespace

QPoint ToDevice(const QPointF& logical, double ratio) {
  return {Scaled(logical.x(), ratio), Scaled(logical.y(), ratio)};
}

QSize ToDevice(const QSize& logical, double ratio) {
  return {Scaled(logical.width(), ratio), Scaled(logical.height(), ratio)};
}

QRect ToDevice(const QRect& logical, double ratio) {
  const QRectF scaled(logical.x() * ratio, logical.y() * ratio, logical.width() * ratio,
                      logical.height() * ratio);
  return scaled.toAlignedRect();
}

QRect FromDevice(const QRect& device, double ratio) {
  const QRectF scaled(device.x() / ratio, device.y() / ratio, device.width() / ratio,
                      device.height() / ratio);
  return scaled.toAlignedRect();
}

void MoveChild(QWidget* child, const QRect& device) {
  if (child == nullptr) return;
  child->setGeometry(FromDevice(device, child->devicePixelRatioF()));
}

}  // namespace cw
