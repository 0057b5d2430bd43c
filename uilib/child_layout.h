// Places a window's children from its client size, in device pixels, each
// time the size changes. A placement is a function of the client size, so
// layouts that depend on the screen's pixel density stay with their caller.
#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <functional>
#include <vector>

class QWidget;

namespace cw {

class ChildLayout {
 public:
  using Placement = std::function<QRect(const QSize& client)>;

  void Place(QWidget* child, Placement placement);
  // The child covers the whole client area.
  void Fill(QWidget* child);
  void Remove(QWidget* child);
  void Apply(const QSize& client) const;

 private:
  struct Entry {
    QPointer<QWidget> child;
    Placement placement;
  };
  std::vector<Entry> entries_;
};

}  // namespace cw
