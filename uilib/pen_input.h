// Pen input made by a program rather than a hand: the developer's viewer and
// the tests drive windows with it where no real pointer is.
#pragma once

#include <QEvent>
#include <QPoint>

class QWidget;

namespace cw {

// Delivers a left-button press, move or release at a point of `widget` given
// in device pixels, aimed at the middle of that pixel, as the platform would.
void SendPen(QWidget* widget, QEvent::Type type, QPoint device);

}  // namespace cw
