// Conversions between Qt's device-independent coordinates and the device
// pixels that every window of the library works in.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>

class QWidget;

namespace cw {

QPoint ToDevice(const QPointF& logical, double ratio);
QSize ToDevice(const QSize& logical, double ratio);
// The smallest device rectangle covering the logical one.
QRect ToDevice(const QRect& logical, double ratio);
QRect FromDevice(const QRect& device, double ratio);

// Places a child widget at a rectangle of its parent, given in device pixels.
void MoveChild(QWidget* child, const QRect& device);

}  // namespace cw
