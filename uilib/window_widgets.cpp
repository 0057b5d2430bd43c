#include "uilib/window_widgets.h"

#include <QVBoxLayout>

#include "uilib/ce_msg_wnd.h"

namespace cw {

bool RouteEvent(QWidget* widget, QEvent* event) {
  CeMsgWnd* window = CeMsgWnd::FromWidget(widget);
  return window != nullptr && window->HandleEvent(widget, event);
}

ClientWidget::ClientWidget(QWidget* parent) : QWidget(parent) {
  // The window erases and paints every pixel itself (WM_ERASEBKGND, WM_PAINT).
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
}

bool ClientWidget::event(QEvent* event) {
  if (RouteEvent(this, event)) return true;
  return QWidget::event(event);
}

WindowHost::WindowHost() : layout_(new QVBoxLayout(this)) {
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
}

void WindowHost::SetClient(QWidget* client) { layout_->insertWidget(0, client, 1); }

void WindowHost::SetMenuBar(QWidget* bar) {
  layout_->addWidget(bar, 0);
  // The client shrinks at once, so that a window built in OnCreate fits it.
  layout_->activate();
}

bool WindowHost::event(QEvent* event) {
  if (RouteEvent(this, event)) return true;
  return QWidget::event(event);
}

}  // namespace cw
