#include "uilib/owner_draw.h"

#include <QPainter>

#include "uilib/device_pixels.h"

namespace cw {

void DrawInDevicePixels(QPainter& painter, const QRect& logicalRect, double ratio, int item,
                        ItemState state, const DrawItem& draw) {
  painter.save();
  painter.scale(1.0 / ratio, 1.0 / ratio);
  const QRect device = ToDevice(logicalRect, ratio);
  painter.setClipRect(device);
  draw(painter, device, item, state);
  painter.restore();
}

}  // namespace cw
