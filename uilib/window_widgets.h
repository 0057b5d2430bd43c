// The Qt widgets that carry a window of the library: the client area, which
// hands its events to the window's message routing, and the top-level host,
// which stacks the client above an optional menu bar.
#pragma once

#include <QWidget>

class QVBoxLayout;

namespace cw {

// A widget that can take a menu bar at its bottom edge.
class MenuBarSite {
 public:
  virtual ~MenuBarSite() = default;
  virtual void SetMenuBar(QWidget* bar) = 0;
};

class ClientWidget : public QWidget {
  Q_OBJECT
 public:
  explicit ClientWidget(QWidget* parent = nullptr);

 protected:
  bool event(QEvent* event) override;
};

class WindowHost : public QWidget, public MenuBarSite {
  Q_OBJECT
 public:
  WindowHost();
  // The client fills the host above the menu bar.
  void SetClient(QWidget* client);
  void SetMenuBar(QWidget* bar) override;

 protected:
  bool event(QEvent* event) override;

 private:
  QVBoxLayout* layout_;
};

// While a menu bar's popup is open: the window system may move activation to
// the popup, but on the handheld a menu never deactivates its window.
class MenuLoopScope {
 public:
  MenuLoopScope() { ++depth_; }
  ~MenuLoopScope() { --depth_; }
  MenuLoopScope(const MenuLoopScope&) = delete;
  MenuLoopScope& operator=(const MenuLoopScope&) = delete;
  static bool Active() { return depth_ > 0; }

 private:
  static inline int depth_ = 0;
};

// Hands an event of a host or client widget to the window it carries.
bool RouteEvent(QWidget* widget, QEvent* event);

}  // namespace cw
