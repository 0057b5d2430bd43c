#include "uilib/ce_msg_wnd.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QTimerEvent>
#include <QWidget>
#include <algorithm>

#include "platform/resources/menus.h"
#include "uilib/child_layout.h"
#include "uilib/device_pixels.h"
#include "uilib/virtual_keys.h"
#include "uilib/window_widgets.h"

namespace cw {

namespace {

constexpr const char* kWindowProperty = "cwMsgWnd";

void SetOwnerProperty(QWidget* widget, CeMsgWnd* window) {
  if (widget != nullptr) widget->setProperty(kWindowProperty, QVariant::fromValue<void*>(window));
}


}  // namespace

struct CeMsgWnd::PaintContext {
  QPainter& painter;
  QRect dirty;
};

CeMsgWnd::CeMsgWnd() = default;

CeMsgWnd::~CeMsgWnd() {
  QWidget* top = TopLevel();
  Detach();
  if (top != nullptr) {
    top->hide();
    // The widget may be inside its own event handler right now.
    top->deleteLater();
  }
}

CeMsgWnd* CeMsgWnd::FromWidget(const QWidget* widget) {
  if (widget == nullptr) return nullptr;
  return static_cast<CeMsgWnd*>(widget->property(kWindowProperty).value<void*>());
}

void CeMsgWnd::Attach(QWidget* client, QWidget* host) {
  widget_ = client;
  host_ = host;
  destroyed_ = false;
  lastOrientation_ = -1;
  SetOwnerProperty(client, this);
  SetOwnerProperty(host, this);
}

void CeMsgWnd::Detach() {
  SetOwnerProperty(widget_, nullptr);
  SetOwnerProperty(host_, nullptr);
  if (!widget_.isNull()) {
    for (const auto& [id, qtId] : timers_) widget_->killTimer(qtId);
  }
  timers_.clear();
  widget_ = nullptr;
  host_ = nullptr;
}

bool CeMsgWnd::RunCreate() {
  bool handled = false;
  OnFirstMessage(handled);
  if (Dispatch(WM_CREATE, 0, 0) == -1) {
    DestroyWindow();
    return false;
  }
  return true;
}

void CeMsgWnd::DestroyWindow() {
  if (!IsWindow()) return;
  // Parents hear WM_DESTROY before their children, as on the handheld.
  std::vector<CeMsgWnd*> tree{this};
  for (QWidget* child : widget_->findChildren<QWidget*>()) {
    CeMsgWnd* window = FromWidget(child);
    if (window != nullptr && window->IsWindow() &&
        std::find(tree.begin(), tree.end(), window) == tree.end()) {
      tree.push_back(window);
    }
  }
  for (CeMsgWnd* window : tree) window->Dispatch(WM_DESTROY, 0, 0);
  QWidget* top = TopLevel();
  for (CeMsgWnd* window : tree) {
    window->destroyed_ = true;
    window->Detach();
  }
  if (top != nullptr) {
    top->hide();
    top->deleteLater();
  }
  for (CeMsgWnd* window : tree) {
    bool handled = false;
    window->OnFinalMessage(handled);
  }
}

LRESULT CeMsgWnd::Dispatch(unsigned msg, WPARAM wParam, LPARAM lParam) {
  bool handled = false;
  const LRESULT result = ProcessMessage(msg, wParam, lParam, handled);
  if (handled) return result;
  const LRESULT byDefault = Default(msg, wParam, lParam, handled);
  return result != 0 ? result : byDefault;
}

LRESULT CeMsgWnd::DispatchEvent(unsigned msg, WPARAM wParam, LPARAM lParam, QEvent* event) {
  QEvent* const savedEvent = currentEvent_;
  const bool savedDefault = defaultRan_;
  currentEvent_ = event;
  defaultRan_ = false;
  const LRESULT result = Dispatch(msg, wParam, lParam);
  lastDefaultRan_ = defaultRan_;
  currentEvent_ = savedEvent;
  defaultRan_ = savedDefault;
  return result;
}

LRESULT CeMsgWnd::SendMessage(unsigned msg, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow()) return 0;
  QEvent* const savedEvent = currentEvent_;
  currentEvent_ = nullptr;
  const LRESULT result = Dispatch(msg, wParam, lParam);
  currentEvent_ = savedEvent;
  return result;
}

void CeMsgWnd::PostMessage(unsigned msg, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow()) return;
  QPointer<QWidget> target = widget_;
  QMetaObject::invokeMethod(
      widget_,
      [target, msg, wParam, lParam] {
        if (CeMsgWnd* window = FromWidget(target)) window->SendMessage(msg, wParam, lParam);
      },
      Qt::QueuedConnection);
}

LRESULT CeMsgWnd::Default(unsigned msg, WPARAM, LPARAM, bool& handled) {
  handled = true;
  switch (msg) {
    case WM_CLOSE:
      DestroyWindow();
      return 0;
    case WM_ERASEBKGND:
      if (paint_ != nullptr) paint_->painter.fillRect(paint_->dirty, background_);
      return 1;
    case WM_PAINT:
      if (paint_ == nullptr) Invalidate();
      return 0;
    default:
      // An event from Qt gets Qt's own handling.
      if (currentEvent_ != nullptr) defaultRan_ = true;
      return 0;
  }
}

LRESULT CeMsgWnd::ProcessMessage(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  switch (msg) {
    case WM_CHAR: OnChar(static_cast<char16_t>(wParam), handled); return 0;
    case WM_CLOSE: OnClose(handled); return 0;
    case WM_CREATE: return OnCreate(handled);
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam), handled); return 0;
    case WM_NOTIFY:
      if (lParam == 0) return 0;
      return OnNotify(*reinterpret_cast<const Notification*>(lParam), handled);
    case WM_DESTROY: OnDestroy(handled); return 0;
    case WM_ENABLE: OnEnable(wParam != 0, handled); return 0;
    case WM_ERASEBKGND:
      if (paint_ != nullptr) OnEraseBkgnd(paint_->painter, paint_->dirty, handled);
      return 1;
    case WM_KEYDOWN: OnKeyDown(static_cast<unsigned>(wParam), handled); return 0;
    case WM_KEYUP: OnKeyUp(static_cast<unsigned>(wParam), handled); return 0;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(x, y, handled); return 0;
    case WM_LBUTTONDOWN: OnLButtonDown(x, y, handled); return 0;
    case WM_LBUTTONUP: OnLButtonUp(x, y, handled); return 0;
    case WM_MOUSEMOVE: OnMouseMove(x, y, handled); return 0;
    case WM_MOVE: OnMove(x, y, handled); return 0;
    case WM_PAINT:
      // Painting needs the paint event's painter; a sent WM_PAINT only
      // invalidates (default processing).
      if (paint_ != nullptr) OnPaint(paint_->painter, paint_->dirty, handled);
      return 0;
    case WM_SHOWWINDOW: OnShowWindow(wParam != 0, handled); return 0;
    case WM_SIZE:
      OnSize(static_cast<int>(LOWORD(static_cast<std::uintptr_t>(lParam))),
             static_cast<int>(HIWORD(static_cast<std::uintptr_t>(lParam))), handled);
      return 0;
    case WM_TIMER: OnTimer(static_cast<unsigned>(wParam), handled); return 0;
    case WM_SETTINGCHANGE: OnSettingChange(wParam, lParam, handled); return 0;
    case WM_ORIENTATIONCHANGE:
      OnOrientationChange(wParam == 0 ? Orientation::Portrait : Orientation::Landscape, handled);
      return 0;
    default: return OnMessage(msg, wParam, lParam, handled);
  }
}

void CeMsgWnd::OnChar(char16_t, bool&) {}
void CeMsgWnd::OnClose(bool&) {}
int CeMsgWnd::OnCreate(bool&) { return 0; }
void CeMsgWnd::OnCommand(unsigned, unsigned, bool&) {}
LRESULT CeMsgWnd::OnNotify(const Notification&, bool&) { return 0; }
void CeMsgWnd::OnDestroy(bool&) {}
void CeMsgWnd::OnEnable(bool, bool&) {}
void CeMsgWnd::OnEraseBkgnd(QPainter&, const QRect&, bool&) {}
void CeMsgWnd::OnKeyDown(unsigned, bool&) {}
void CeMsgWnd::OnKeyUp(unsigned, bool&) {}
void CeMsgWnd::OnLButtonDblClk(int, int, bool&) {}
void CeMsgWnd::OnLButtonDown(int, int, bool&) {}
void CeMsgWnd::OnLButtonUp(int, int, bool&) {}
void CeMsgWnd::OnMouseMove(int, int, bool&) {}
void CeMsgWnd::OnMove(int, int, bool&) {}
void CeMsgWnd::OnPaint(QPainter&, const QRect&, bool&) {}
void CeMsgWnd::OnShowWindow(bool, bool&) {}
void CeMsgWnd::OnSize(int, int, bool&) {}
void CeMsgWnd::OnTimer(unsigned, bool&) {}
void CeMsgWnd::OnSettingChange(WPARAM, LPARAM, bool&) {}
void CeMsgWnd::OnOrientationChange(Orientation, bool&) {}
LRESULT CeMsgWnd::OnMessage(unsigned, WPARAM, LPARAM, bool&) { return 0; }
void CeMsgWnd::OnFirstMessage(bool&) {}
void CeMsgWnd::OnFinalMessage(bool&) {}

bool CeMsgWnd::HandleEvent(QWidget* widget, QEvent* event) {
  if (!IsWindow()) return false;
  const bool onClient = widget == widget_;
  const bool onTop = widget == TopLevel();
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      return onClient && HandleMouse(widget, event);
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      return onClient && HandleKey(event);
    case QEvent::Paint:
      return onClient && HandlePaint(widget, event);
    case QEvent::Resize:
      return onClient && HandleResize(widget, event);
    case QEvent::Move:
      if (onClient) {
        const QPoint p = ToDevice(QPointF(widget->pos()), DevicePixelRatio());
        DispatchEvent(WM_MOVE, 0, MAKELPARAM(p.x(), p.y()), event);
      }
      return false;
    case QEvent::Show:
    case QEvent::Hide:
      if (onClient) DispatchEvent(WM_SHOWWINDOW, event->type() == QEvent::Show ? 1 : 0, 0, event);
      return false;
    case QEvent::EnabledChange:
      if (onClient) DispatchEvent(WM_ENABLE, widget->isEnabled() ? 1 : 0, 0, event);
      return false;
    case QEvent::ApplicationPaletteChange:
    case QEvent::ApplicationFontChange:
      if (onClient) DispatchEvent(WM_SETTINGCHANGE, 0, 0, event);
      return false;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
      // A popup menu of the window's own does not make it inactive.
      if (onTop && widget->isWindow() && !MenuLoopScope::Active() &&
          QApplication::activePopupWidget() == nullptr) {
        DispatchEvent(WM_ACTIVATE, event->type() == QEvent::WindowActivate ? WA_ACTIVE : WA_INACTIVE,
                      0, event);
      }
      return false;
    case QEvent::Timer: {
      if (!onClient) return false;
      const int qtId = static_cast<QTimerEvent*>(event)->timerId();
      const auto it = std::find_if(timers_.begin(), timers_.end(),
                                   [qtId](const auto& entry) { return entry.second == qtId; });
      if (it == timers_.end()) return false;
      DispatchEvent(WM_TIMER, it->first, 0, event);
      return true;
    }
    case QEvent::Close:
      if (!onTop) return false;
      DispatchEvent(WM_CLOSE, 0, 0, event);
      // Qt closes the widget only when the window let itself be destroyed.
      if (IsWindow()) {
        event->ignore();
      } else {
        event->accept();
      }
      return true;
    default:
      return false;
  }
}

bool CeMsgWnd::HandleMouse(QWidget* widget, QEvent* event) {
  auto* mouse = static_cast<QMouseEvent*>(event);
  const QPoint p = ToDevice(mouse->position(), widget->devicePixelRatioF());
  unsigned msg = WM_MOUSEMOVE;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (mouse->button() != Qt::LeftButton) return true;
      msg = WM_LBUTTONDOWN;
      break;
    case QEvent::MouseButtonDblClick:
      if (mouse->button() != Qt::LeftButton) return true;
      msg = wantsDoubleClicks_ ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
      break;
    case QEvent::MouseButtonRelease:
      if (mouse->button() != Qt::LeftButton) return true;
      msg = WM_LBUTTONUP;
      break;
    default:
      break;
  }
  DispatchEvent(msg, 0, MAKELPARAM(p.x(), p.y()), event);
  // Pointer input never travels on to the parent window.
  return true;
}

void CeMsgWnd::SetAccelerators(const AcceleratorTable& table) {
  accelerators_.clear();
  for (const Accelerator& entry : table.entries) {
    if (entry.keys.isEmpty() || entry.command <= 0) continue;
    accelerators_.emplace_back(entry.keys[0], static_cast<unsigned>(entry.command));
  }
}

bool CeMsgWnd::TranslateAccelerator(QKeyCombination keys) {
  // The table of the top-level window serves every window inside it.
  CeMsgWnd* root = widget_.isNull() ? nullptr : FromWidget(widget_->window());
  if (root == nullptr) root = this;
  for (const auto& [combination, command] : root->accelerators_) {
    if (combination == keys) {
      root->SendMessage(WM_COMMAND, MAKEWPARAM(command, kCommandFromAccelerator), 0);
      return true;
    }
  }
  return false;
}

bool CeMsgWnd::HandleKey(QEvent* event) {
  auto* key = static_cast<QKeyEvent*>(event);
  const unsigned vk = VirtualKeyFromQtKey(key->key());
  if (event->type() == QEvent::KeyRelease) {
    if (vk == 0) return false;
    DispatchEvent(WM_KEYUP, vk, 0, event);
    return !lastDefaultRan_;
  }
  const Qt::KeyboardModifiers modifiers =
      key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (TranslateAccelerator(QKeyCombination(modifiers, static_cast<Qt::Key>(key->key())))) return true;
  bool consumed = false;
  if (vk != 0) {
    DispatchEvent(WM_KEYDOWN, vk, 0, event);
    consumed = !lastDefaultRan_;
  }
  // Characters follow their key as the message loop's translation would
  // produce them, whether or not the key itself was handled.
  const QString text = key->text();
  for (const QChar ch : text) {
    if (!IsWindow()) break;
    DispatchEvent(WM_CHAR, ch.unicode(), 0, event);
    consumed = consumed || !lastDefaultRan_;
  }
  return consumed;
}

bool CeMsgWnd::HandlePaint(QWidget* widget, QEvent* event) {
  const double ratio = widget->devicePixelRatioF();
  QPainter painter(widget);
  painter.scale(1.0 / ratio, 1.0 / ratio);
  PaintContext context{painter, ToDevice(static_cast<QPaintEvent*>(event)->rect(), ratio)};
  PaintContext* const saved = paint_;
  paint_ = &context;
  DispatchEvent(WM_ERASEBKGND, 0, 0, event);
  if (IsWindow()) DispatchEvent(WM_PAINT, 0, 0, event);
  paint_ = saved;
  return true;
}

bool CeMsgWnd::HandleResize(QWidget* widget, QEvent* event) {
  const QSize size = ToDevice(static_cast<QResizeEvent*>(event)->size(), widget->devicePixelRatioF());
  if (layout_) layout_->Apply(size);
  DispatchEvent(WM_SIZE, 0, MAKELPARAM(size.width(), size.height()), event);
  const int orientation = static_cast<int>(size.width() > size.height() ? Orientation::Landscape
                                                                        : Orientation::Portrait);
  const bool changed = lastOrientation_ >= 0 && orientation != lastOrientation_;
  lastOrientation_ = orientation;
  if (changed && IsWindow()) {
    DispatchEvent(WM_ORIENTATIONCHANGE, static_cast<WPARAM>(orientation), 0, event);
  }
  return false;
}

bool CeMsgWnd::SetTimer(unsigned id, int milliseconds) {
  if (!IsWindow() || milliseconds < 0) return false;
  KillTimer(id);
  const int qtId = widget_->startTimer(milliseconds);
  if (qtId == 0) return false;
  timers_[id] = qtId;
  return true;
}

bool CeMsgWnd::KillTimer(unsigned id) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return false;
  if (!widget_.isNull()) widget_->killTimer(it->second);
  timers_.erase(it);
  return true;
}

double CeMsgWnd::DevicePixelRatio() const {
  return widget_.isNull() ? 1.0 : widget_->devicePixelRatioF();
}

QRect CeMsgWnd::GetClientRect() const {
  if (widget_.isNull()) return {};
  return {QPoint(0, 0), ToDevice(widget_->size(), DevicePixelRatio())};
}

void CeMsgWnd::MoveWindow(const QRect& rect) { MoveChild(TopLevel(), rect); }

void CeMsgWnd::ShowWindow(bool show) {
  if (QWidget* top = TopLevel()) top->setVisible(show);
}

bool CeMsgWnd::IsWindowVisible() const {
  return IsWindow() && widget_->isVisible();
}

void CeMsgWnd::EnableWindow(bool enable) {
  if (!widget_.isNull()) widget_->setEnabled(enable);
}

void CeMsgWnd::SetWindowText(const QString& text) {
  if (QWidget* top = TopLevel()) top->setWindowTitle(text);
}

QString CeMsgWnd::GetWindowText() const {
  const QWidget* top = TopLevel();
  return top == nullptr ? QString() : top->windowTitle();
}

void CeMsgWnd::InvalidateRect(const QRect& rect) {
  if (!widget_.isNull()) widget_->update(FromDevice(rect, DevicePixelRatio()));
}

void CeMsgWnd::Invalidate() {
  if (!widget_.isNull()) widget_->update();
}

void CeMsgWnd::UpdateWindow() {
  if (!widget_.isNull() && widget_->isVisible()) widget_->repaint();
}

void CeMsgWnd::SetFocus() {
  if (!widget_.isNull()) widget_->setFocus(Qt::OtherFocusReason);
}

void CeMsgWnd::SetCapture() {
  if (!widget_.isNull() && !HasCapture()) widget_->grabMouse();
}

void CeMsgWnd::ReleaseCapture() {
  if (HasCapture()) widget_->releaseMouse();
}

bool CeMsgWnd::HasCapture() const {
  return !widget_.isNull() && QWidget::mouseGrabber() == widget_;
}

void CeMsgWnd::SetBackgroundColor(const QColor& color) {
  background_ = color;
  Invalidate();
}

ChildLayout& CeMsgWnd::Layout() {
  if (!layout_) layout_ = std::make_unique<ChildLayout>();
  return *layout_;
}

void CeMsgWnd::AddControl(unsigned id, QWidget* control) {
  controls_[id] = control;
  QPointer<QWidget> client = widget_;
  const auto report = [client, id](unsigned code) {
    if (CeMsgWnd* window = FromWidget(client)) {
      window->SendMessage(WM_COMMAND, MAKEWPARAM(id, code), 0);
    }
  };
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    QObject::connect(button, &QAbstractButton::clicked, button, [report] { report(BN_CLICKED); });
  } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
    QObject::connect(combo, &QComboBox::activated, combo, [report] { report(CBN_SELCHANGE); });
  } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [report] { report(EN_CHANGE); });
  }
}

QWidget* CeMsgWnd::GetDlgItem(unsigned id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second.data();
}

bool CeMsgWnd::IsDlgButtonChecked(unsigned id) const {
  const auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
  return button != nullptr && button->isChecked();
}

void CeMsgWnd::CheckDlgButton(unsigned id, bool checked) {
  if (auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id))) button->setChecked(checked);
}

void CeMsgWnd::SetDlgItemText(unsigned id, const QString& text) {
  QWidget* control = GetDlgItem(id);
  if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setText(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setText(text);
  }
}

QString CeMsgWnd::GetDlgItemText(unsigned id) const {
  QWidget* control = GetDlgItem(id);
  if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
  if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
  return {};
}

}  // namespace cw
