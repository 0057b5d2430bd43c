// Drawing callbacks of owner-drawn controls. The painter draws in device
// pixels and the rectangle is the item's (a whole row, a whole button) in
// device pixels of the control.
#pragma once

#include <QRect>
#include <functional>

class QPainter;

namespace cw {

struct ItemState {
  bool selected = false;  // a selected row; a checked button
  bool focused = false;
  bool pressed = false;   // a button held down
};

// `item`: the row of a list, -1 for a button.
using DrawItem = std::function<void(QPainter& painter, const QRect& rect, int item, ItemState state)>;

// Runs `draw` with the painter switched to device pixels.
void DrawInDevicePixels(QPainter& painter, const QRect& logicalRect, double ratio, int item,
                        ItemState state, const DrawItem& draw);

}  // namespace cw
