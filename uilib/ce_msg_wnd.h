// The message interface every window and dialog of the program is built on.
// Qt events and sent messages alike arrive as (message, wParam, lParam);
// ProcessMessage routes each to one virtual handler, and when no handler sets
// `handled` the message gets its default processing (Default): for an event
// from Qt that is Qt's own handling of the event. The answer to a message is
// its handler's when that is non-zero (OnCreate's -1, OnMessage's value),
// whether or not the default processing ran after it.
//
// Every position and size the handlers see or give is in device pixels, so
// drawing surfaces map one to one onto the screen at any device pixel ratio.
#pragma once

#include <QColor>
#include <QKeyCombination>
#include <QPointer>
#include <QRect>
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "uilib/messages.h"

class QEvent;
class QPainter;
class QWidget;

namespace cw {

struct AcceleratorTable;
class ChildLayout;

// What a control reports through WM_NOTIFY.
struct Notification {
  unsigned controlId = 0;
  int code = 0;
  int item = -1;      // row or page concerned, -1 for none
  unsigned key = 0;   // virtual key for LVN_KEYDOWN
  QWidget* source = nullptr;
};

class CeMsgWnd {
 public:
  CeMsgWnd();
  virtual ~CeMsgWnd();
  CeMsgWnd(const CeMsgWnd&) = delete;
  CeMsgWnd& operator=(const CeMsgWnd&) = delete;

  // The handler slots, in their fixed order. Each leaves `handled` false to
  // let the default processing run after it.
  virtual LRESULT Default(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT ProcessMessage(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual void OnChar(char16_t ch, bool& handled);
  virtual void OnClose(bool& handled);
  // Returning -1 aborts the creation of the window.
  virtual int OnCreate(bool& handled);
  // code: kCommandFromMenu, kCommandFromAccelerator or the control's notification.
  virtual void OnCommand(unsigned id, unsigned code, bool& handled);
  virtual LRESULT OnNotify(const Notification& notification, bool& handled);
  virtual void OnDestroy(bool& handled);
  virtual void OnEnable(bool enabled, bool& handled);
  // The painter draws in device pixels; the default fills `dirty` with the
  // background colour.
  virtual void OnEraseBkgnd(QPainter& painter, const QRect& dirty, bool& handled);
  virtual void OnKeyDown(unsigned virtualKey, bool& handled);
  virtual void OnKeyUp(unsigned virtualKey, bool& handled);
  virtual void OnLButtonDblClk(int x, int y, bool& handled);
  virtual void OnLButtonDown(int x, int y, bool& handled);
  virtual void OnLButtonUp(int x, int y, bool& handled);
  virtual void OnMouseMove(int x, int y, bool& handled);
  virtual void OnMove(int x, int y, bool& handled);
  virtual void OnPaint(QPainter& painter, const QRect& dirty, bool& handled);
  virtual void OnShowWindow(bool shown, bool& handled);
  virtual void OnSize(int width, int height, bool& handled);
  virtual void OnTimer(unsigned id, bool& handled);
  virtual void OnSettingChange(WPARAM wParam, LPARAM lParam, bool& handled);
  virtual void OnOrientationChange(Orientation orientation, bool& handled);
  // Every message without a slot of its own: activation, menu loop, dialog
  // opened/closed, the program's private messages.
  virtual LRESULT OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled);
  // The first message the window receives, before OnCreate.
  virtual void OnFirstMessage(bool& handled);
  // The last one, after OnDestroy, when the window is gone.
  virtual void OnFinalMessage(bool& handled);

  // Synchronous: the handlers have run when it returns.
  LRESULT SendMessage(unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // Queued on the event loop; dropped if the window is gone by then.
  void PostMessage(unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);

  // Window timers: the same id restarts the timer with the new period.
  bool SetTimer(unsigned id, int milliseconds);
  bool KillTimer(unsigned id);

  // The client area, and the top-level widget (host or dialog frame) when
  // the window has one of its own, else the client area.
  QWidget* Widget() const { return widget_; }
  QWidget* TopLevel() const { return host_ ? host_.data() : widget_.data(); }
  bool IsWindow() const { return !widget_.isNull() && !destroyed_; }
  static CeMsgWnd* FromWidget(const QWidget* widget);

  // Client area and geometry relative to the parent, in device pixels.
  QRect GetClientRect() const;
  void MoveWindow(const QRect& rect);
  void ShowWindow(bool show);
  bool IsWindowVisible() const;
  void EnableWindow(bool enable);
  void SetWindowText(const QString& text);
  QString GetWindowText() const;
  void InvalidateRect(const QRect& rect);  // device pixels
  void Invalidate();
  void UpdateWindow();  // paints what is invalid now
  void SetFocus();
  // The pointer stays with the window from pen-down to pen-up anyway; a
  // capture keeps it there beyond that.
  void SetCapture();
  void ReleaseCapture();
  bool HasCapture() const;
  void SetBackgroundColor(const QColor& color);
  // Double clicks arrive as a second WM_LBUTTONDOWN unless the window asks
  // for WM_LBUTTONDBLCLK, as a window class without CS_DBLCLKS would.
  void SetWantsDoubleClicks(bool wants) { wantsDoubleClicks_ = wants; }
  // Children placed from the client size before every OnSize.
  ChildLayout& Layout();

  // Key strokes translated into WM_COMMAND (code kCommandFromAccelerator)
  // for this window and every window inside it, before they are dispatched.
  void SetAccelerators(const AcceleratorTable& table);

  // Controls by id: a registered control reports to this window (buttons and
  // check boxes WM_COMMAND BN_CLICKED, combo boxes CBN_SELCHANGE, line edits
  // EN_CHANGE; the library's own controls register themselves).
  void AddControl(unsigned id, QWidget* control);
  QWidget* GetDlgItem(unsigned id) const;
  bool IsDlgButtonChecked(unsigned id) const;
  void CheckDlgButton(unsigned id, bool checked);
  void SetDlgItemText(unsigned id, const QString& text);
  QString GetDlgItemText(unsigned id) const;

  // Destroys the window: WM_DESTROY to it and its child windows, then the
  // widgets go, then the final message. The object itself stays.
  void DestroyWindow();

  double DevicePixelRatio() const;

  // Used by the widgets that carry the window: one Qt event in, true when it
  // was consumed.
  bool HandleEvent(QWidget* widget, QEvent* event);

 protected:
  // Attaches the widget that carries this window's client area; `host` is
  // the top-level widget receiving close and activation, if this window has one.
  void Attach(QWidget* client, QWidget* host);
  LRESULT Dispatch(unsigned msg, WPARAM wParam, LPARAM lParam);
  // Runs OnFirstMessage and OnCreate; false when creation was refused.
  bool RunCreate();

 private:
  struct PaintContext;

  LRESULT DispatchEvent(unsigned msg, WPARAM wParam, LPARAM lParam, QEvent* event);
  bool HandlePaint(QWidget* widget, QEvent* event);
  bool HandleMouse(QWidget* widget, QEvent* event);
  bool HandleKey(QEvent* event);
  bool TranslateAccelerator(QKeyCombination keys);
  bool HandleResize(QWidget* widget, QEvent* event);
  void DestroyTree();
  void Detach();

  QPointer<QWidget> widget_;
  QPointer<QWidget> host_;
  std::map<unsigned, int> timers_;  // window timer id -> Qt timer id
  std::map<unsigned, QPointer<QWidget>> controls_;
  std::vector<std::pair<QKeyCombination, unsigned>> accelerators_;
  QEvent* currentEvent_ = nullptr;
  PaintContext* paint_ = nullptr;
  QColor background_ = Qt::white;
  std::unique_ptr<ChildLayout> layout_;
  int lastOrientation_ = -1;
  bool wantsDoubleClicks_ = false;
  bool destroyed_ = false;
  bool defaultRan_ = false;      // Default reached for the event being dispatched
  bool lastDefaultRan_ = false;  // ... and for the last event dispatched
};

}  // namespace cw
