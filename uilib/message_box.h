// Message boxes and choice boxes: a text in the dialog frame, answered with a
// soft key.
#pragma once

#include <QString>
#include <vector>

#include "uilib/ce_dialog.h"

namespace cw {

inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_YESNO = 0x4;

// Shows `text` under the title `caption` with the soft keys of `type`
// ("OK"; "OK" and "Cancel"; "Yes" and "No") and answers IDOK, IDCANCEL,
// IDYES or IDNO. Closed any other way it answers IDCANCEL, or IDNO for a box
// without a Cancel key and IDOK for a box with OK alone. `owner` may be null.
int MessageBox(CeMsgWnd* owner, const QString& text, const QString& caption, unsigned type);

// A question answered by one of a set of commands reached through the soft
// keys (directly or through a soft key's popup). Run answers the command
// chosen, or 0 when the box was closed any other way. Return chooses the
// default: the first soft key that is one of the commands, else the first
// command. A message box's default is its first soft key.
class ChoiceBox : public CeDialog {
 public:
  // The control that shows the text.
  static constexpr unsigned kTextControl = 1006;

  ChoiceBox(QString title, QString text, MenuBarLayout softKeys, std::vector<unsigned> commands);
  unsigned Run(CeMsgWnd* owner);

  void OnInitDialog(bool& handled) override;
  void OnCommand(unsigned id, unsigned code, bool& handled) override;
  void OnKeyDown(unsigned virtualKey, bool& handled) override;

 private:
  QString text_;
  std::vector<unsigned> commands_;
  unsigned defaultCommand_ = 0;
  unsigned chosen_ = 0;
};

// A choice box from the string table and a compiled-in menu bar; 0 as for a
// box closed otherwise when the menu bar does not exist.
unsigned RunChoiceBox(CeMsgWnd* owner, int titleStringId, int textStringId, int menuBarId,
                      std::vector<unsigned> commands);

// Lays out a label with `text` filling the client area of `dialog`.
void AddMessageText(CeMsgWnd& dialog, unsigned controlId, const QString& text);

}  // namespace cw
