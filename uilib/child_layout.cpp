#include "uilib/child_layout.h"

#include <QWidget>
#include <algorithm>

#include "uilib/device_pixels.h"

namespace cw {

void ChildLayout::Place(QWidget* child, Placement placement) {
  Remove(child);
  entries_.push_back({child, std::move(placement)});
}

void ChildLayout::Fill(QWidget* child) {
  Place(child, [](const QSize& client) { return QRect(QPoint(0, 0), client); });
}

void ChildLayout::Remove(QWidget* child) {
  std::erase_if(entries_, [child](const Entry& e) { return e.child == child || e.child.isNull(); });
}

void ChildLayout::Apply(const QSize& client) const {
  for (const Entry& e : entries_) {
    if (!e.child.isNull()) MoveChild(e.child, e.placement(client));
  }
}

}  // namespace cw
