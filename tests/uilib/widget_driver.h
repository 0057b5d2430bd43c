// Drives modal loops from inside: popup menus and dialogs that a test opens
// and must answer before the call that opened them returns.
#pragma once

#include <QApplication>
#include <QMenu>
#include <QString>
#include <QTest>
#include <QTimer>
#include <functional>

namespace cw::testing {

// Once the next popup menu is open, triggers its entry `text`, or closes it
// when `text` is empty.
inline void ChooseFromNextPopup(const QString& text) {
  auto* poll = new QTimer();
  poll->setInterval(1);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, text] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    poll->stop();
    poll->deleteLater();
    if (text.isEmpty()) {
      menu->close();
      return;
    }
    for (QAction* action : menu->actions()) {
      if (action->text() == text) {
        // As the player would: a triggered action alone does not end the menu's loop.
        menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_Return);
        return;
      }
    }
    menu->close();
  });
  poll->start();
}

// Runs `step` from the event loop of the next modal dialog.
inline void WhenDialogRuns(std::function<void()> step) { QTimer::singleShot(0, std::move(step)); }

}  // namespace cw::testing
