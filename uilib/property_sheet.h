// A dialog of pages under tabs along the bottom edge, above the menu bar.
// Each page is a CeDialog without a menu bar; all pages are created, and hear
// WM_INITDIALOG, before the sheet's own OnInitDialog. IDOK sends PSN_APPLY to
// every page in order and ends the sheet, unless a page answers non-zero
// (that page is shown and the sheet stays); IDCANCEL sends PSN_RESET and
// ends it. Other commands the sheet leaves unhandled go to the page shown.
#pragma once

#include <QPointer>
#include <vector>

#include "uilib/ce_dialog.h"

class QTabWidget;

namespace cw {

class PropertySheet : public CeDialog {
 public:
  PropertySheet(QString title, std::optional<MenuBarLayout> menuBar);

  // Before DoModal; the sheet does not own its pages.
  void AddPage(CeDialog& page);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  CeDialog* Page(int index) const;
  int ActivePage() const;
  void SetActivePage(int index);
  QTabWidget* Tabs() const { return tabs_; }

  LRESULT ProcessMessage(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
  LRESULT Default(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  bool BuildPages();
  LRESULT NotifyPage(int index, int code);

  std::vector<CeDialog*> pages_;
  QPointer<QTabWidget> tabs_;
};

}  // namespace cw
