// The rules of a game and the help of the Options dialog, shown as a small
// HTML page in a full-screen dialog with one "Close" soft key.
//
// These texts know only bold (<b> ... </b>) and line breaks ("<br>" or a
// line feed). A rules text is data read from the game database, so it is
// never handed to the HTML renderer as it stands: everything but those three
// marks is escaped and shows as the characters it is.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringView>
#include <QTextBrowser>

#include "uilib/ce_dialog.h"

namespace cw {

// HTML that renders `markup` safely: "<b>", "</b>" and "<br>" stay marks
// (a bold left open is closed at the end), a line feed becomes "<br>", and
// every other character is escaped.
QString MarkupToHtml(QStringView markup);

class HtmlTextDialog : public CeDialog {
 public:
  // `markup`: a text in the markup above, such as a definition's rules text
  // widened (line feeds may already be "<br>" or still be line feeds).
  HtmlTextDialog(int titleStringId, QString markup);
  HtmlTextDialog(int titleStringId, int textStringId);

  // The viewer while the dialog is open, else null.
  QTextBrowser* Viewer() const { return viewer_; }

  void OnInitDialog(bool& handled) override;

 private:
  QString markup_;
  QPointer<QTextBrowser> viewer_;
};

}  // namespace cw
