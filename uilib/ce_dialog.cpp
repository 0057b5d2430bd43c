#include "uilib/ce_dialog.h"

#include "uilib/dialog_frame.h"
#include "uilib/window_widgets.h"

namespace cw {

namespace {

int openDialogs = 0;

// The top-level window at the root of the owner chain of `widget`.
CeMsgWnd* RootWindow(QWidget* widget) {
  QWidget* top = widget == nullptr ? nullptr : widget->window();
  while (top != nullptr && top->parentWidget() != nullptr) top = top->parentWidget()->window();
  return CeMsgWnd::FromWidget(top);
}

}  // namespace

CeDialog::CeDialog(QString title, std::optional<MenuBarLayout> menuBar)
    : title_(std::move(title)), menuBarLayout_(std::move(menuBar)) {}

CeDialog::~CeDialog() = default;

int CeDialog::OpenDialogCount() { return openDialogs; }

int CeDialog::DoModal(CeMsgWnd* owner) {
  if (IsWindow()) return -1;
  QWidget* ownerWidget = owner != nullptr && owner->IsWindow() ? owner->Widget() : nullptr;
  auto* frame = new DialogFrame(ownerWidget, title_);
  auto* client = new ClientWidget();
  client->setFocusPolicy(Qt::StrongFocus);
  frame->SetContent(client);
  frame_ = frame;
  Attach(client, frame);
  ended_ = false;
  result_ = IDCANCEL;

  menuBar_ = std::make_unique<CMenuBar>();
  if (menuBarLayout_ && !menuBar_->Create(*this, *menuBarLayout_)) {
    DestroyWindow();
    menuBar_.reset();
    return -1;
  }
  if (!RunCreate()) {
    menuBar_.reset();
    return -1;
  }

  CeMsgWnd* root = RootWindow(ownerWidget);
  QPointer<QWidget> rootWidget = root != nullptr ? root->Widget() : nullptr;
  ++openDialogs;
  if (root != nullptr) root->SendMessage(WM_DIALOGOPENED, static_cast<WPARAM>(openDialogs), 0);

  Dispatch(WM_INITDIALOG, 0, 0);
  if (!ended_ && IsWindow()) {
    frame->show();
    client->setFocus(Qt::OtherFocusReason);
    frame->exec();
  }

  --openDialogs;
  if (CeMsgWnd* stillThere = FromWidget(rootWidget)) {
    stillThere->SendMessage(WM_DIALOGCLOSED, static_cast<WPARAM>(openDialogs), 0);
  }
  DestroyWindow();
  menuBar_.reset();
  return result_;
}

void CeDialog::EndDialog(int result) {
  result_ = result;
  ended_ = true;
  if (!frame_.isNull()) frame_->done(result);
}

bool CeDialog::CreatePage(QWidget* client) {
  Attach(client, nullptr);
  if (!RunCreate()) return false;
  Dispatch(WM_INITDIALOG, 0, 0);
  return IsWindow();
}

LRESULT CeDialog::ProcessMessage(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (msg == WM_INITDIALOG) {
    OnInitDialog(handled);
    return 1;
  }
  return CeMsgWnd::ProcessMessage(msg, wParam, lParam, handled);
}

LRESULT CeDialog::Default(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (msg == WM_CLOSE) {
    handled = true;
    SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, kCommandFromMenu), 0);
    return 0;
  }
  if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    handled = true;
    EndDialog(static_cast<int>(LOWORD(wParam)));
    return 0;
  }
  return CeMsgWnd::Default(msg, wParam, lParam, handled);
}

void CeDialog::OnInitDialog(bool&) {}

}  // namespace cw
