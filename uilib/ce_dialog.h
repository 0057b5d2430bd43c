// A modal dialog, shown in the common dialog frame (the whole screen of a handheld) with its
// title and its soft-key menu bar; or, built by a property sheet, one page of
// the sheet. Its window receives WM_INITDIALOG (OnInitDialog) once the
// content area exists, before it is shown: that is where a dialog builds its
// controls, as children of Widget() registered with AddControl. IDOK and IDCANCEL end the dialog with
// their own id unless a handler takes them; closing the frame any other way
// (Escape, the window manager) is an IDCANCEL.
//
// While a dialog is open, the top-level window its owner belongs to hears
// WM_DIALOGOPENED and, after it ends, WM_DIALOGCLOSED.
#pragma once

#include <QPointer>
#include <QString>
#include <memory>
#include <optional>

#include "uilib/ce_msg_wnd.h"
#include "uilib/menu_bar.h"

namespace cw {

class DialogFrame;

class CeDialog : public CeMsgWnd {
 public:
  // `menuBar`: the soft keys; none for a dialog without a menu bar (pages).
  CeDialog(QString title, std::optional<MenuBarLayout> menuBar);
  ~CeDialog() override;

  // Runs the dialog until EndDialog; answers its result, or -1 when the
  // dialog could not be created (OnCreate refused, menu bar invalid).
  int DoModal(CeMsgWnd* owner);
  void EndDialog(int result);

  const QString& Title() const { return title_; }
  CMenuBar* MenuBar() const { return menuBar_.get(); }
  // The number of dialogs open in the program.
  static int OpenDialogCount();

  LRESULT ProcessMessage(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
  LRESULT Default(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
  virtual void OnInitDialog(bool& handled);

 private:
  friend class PropertySheet;
  // The content as a page inside `client` (already placed by the sheet).
  bool CreatePage(QWidget* client);

  QString title_;
  std::optional<MenuBarLayout> menuBarLayout_;
  std::unique_ptr<CMenuBar> menuBar_;
  QPointer<DialogFrame> frame_;
  int result_ = 0;
  bool ended_ = false;
};

}  // namespace cw
