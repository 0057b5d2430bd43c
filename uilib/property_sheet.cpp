#include "uilib/property_sheet.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include "uilib/window_widgets.h"

namespace cw {

PropertySheet::PropertySheet(QString title, std::optional<MenuBarLayout> menuBar)
    : CeDialog(std::move(title), std::move(menuBar)) {}

void PropertySheet::AddPage(CeDialog& page) { pages_.push_back(&page); }

CeDialog* PropertySheet::Page(int index) const {
  if (index < 0 || index >= PageCount()) return nullptr;
  return pages_[static_cast<std::size_t>(index)];
}

int PropertySheet::ActivePage() const { return tabs_.isNull() ? -1 : tabs_->currentIndex(); }

void PropertySheet::SetActivePage(int index) {
  if (!tabs_.isNull() && index >= 0 && index < PageCount()) tabs_->setCurrentIndex(index);
}

bool PropertySheet::BuildPages() {
  auto* layout = new QVBoxLayout(Widget());
  layout->setContentsMargins(0, 0, 0, 0);
  auto* tabs = new QTabWidget(Widget());
  tabs->setTabPosition(QTabWidget::South);
  tabs->setDocumentMode(true);
  layout->addWidget(tabs);
  tabs_ = tabs;
  for (CeDialog* page : pages_) {
    auto* client = new ClientWidget();
    client->setFocusPolicy(Qt::StrongFocus);
    tabs->addTab(client, page->Title());
    if (!page->CreatePage(client)) return false;
  }
  QPointer<QWidget> sheetClient = Widget();
  QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [sheetClient](int index) {
    auto* sheet = dynamic_cast<PropertySheet*>(FromWidget(sheetClient));
    if (sheet != nullptr) sheet->NotifyPage(index, PSN_SETACTIVE);
  });
  return true;
}

LRESULT PropertySheet::NotifyPage(int index, int code) {
  CeDialog* page = Page(index);
  if (page == nullptr || !page->IsWindow()) return 0;
  Notification notification;
  notification.code = code;
  notification.item = index;
  notification.source = tabs_;
  return page->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notification));
}

LRESULT PropertySheet::ProcessMessage(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (msg == WM_INITDIALOG && !BuildPages()) {
    handled = true;
    EndDialog(-1);
    return 0;
  }
  return CeDialog::ProcessMessage(msg, wParam, lParam, handled);
}

LRESULT PropertySheet::Default(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (msg != WM_COMMAND) return CeDialog::Default(msg, wParam, lParam, handled);
  const unsigned id = LOWORD(wParam);
  if (id == IDOK) {
    handled = true;
    for (int i = 0; i < PageCount(); ++i) {
      if (NotifyPage(i, PSN_APPLY) != 0) {
        SetActivePage(i);
        return 0;
      }
    }
    EndDialog(IDOK);
    return 0;
  }
  if (id == IDCANCEL) {
    handled = true;
    for (int i = 0; i < PageCount(); ++i) NotifyPage(i, PSN_RESET);
    EndDialog(IDCANCEL);
    return 0;
  }
  if (CeDialog* page = Page(ActivePage()); page != nullptr && page->IsWindow()) {
    handled = true;
    return page->SendMessage(msg, wParam, lParam);
  }
  return CeDialog::Default(msg, wParam, lParam, handled);
}

}  // namespace cw
