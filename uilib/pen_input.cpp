#include "uilib/pen_input.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace cw {

void SendPen(QWidget* widget, QEvent::Type type, QPoint device) {
  const double ratio = widget->devicePixelRatioF();
  const QPointF at((device.x() + 0.5) / ratio, (device.y() + 0.5) / ratio);
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

}  // namespace cw
