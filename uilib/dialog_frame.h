// The frame every dialog is shown in: over the whole of its owner where that
// is no bigger than the handheld's screen, else a panel of that screen's size
// centred over it; the dialog's title in bold at the top above a black band,
// the dialog's content (scrolling vertically when it is taller than the
// frame), and the dialog's own menu bar at the bottom.
#pragma once

#include <QDialog>

#include "uilib/window_widgets.h"

class QLabel;
class QScrollArea;
class QScrollBar;
class QVBoxLayout;

namespace cw {

class DialogFrame : public QDialog, public MenuBarSite {
  Q_OBJECT
 public:
  DialogFrame(QWidget* owner, const QString& title);
  void SetContent(QWidget* content);
  void SetMenuBar(QWidget* bar) override;
  QString Title() const;
  QScrollBar* VerticalScrollBar() const;

  // Escape asks the dialog for IDCANCEL rather than closing behind its back.
  void reject() override;

 protected:
  bool event(QEvent* event) override;

 private:
  QVBoxLayout* layout_;
  QLabel* title_;
  QScrollArea* scroll_;
};

}  // namespace cw
