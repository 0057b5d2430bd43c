// Steps the shell's dialog tests take inside modal loops: waiting for a
// dialog by its title, pressing a soft key by its text, and saving what the
// dialog shows when screenshots are asked for.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <functional>
#include <utility>

#include "platform/screen/screen_facts.h"
#include "tests/uilib/recording_window.h"
#include "uilib/dialog_frame.h"

namespace cw::testing {

// Runs `step` once the modal dialog titled `title` is the active one. The
// wait ends with `scope` when one is given (the test's), so a dialog that
// never opens leaves no step behind to run in a later test.
inline void WhenDialogTitled(QObject* scope, const QString& title,
                             std::function<void(DialogFrame*)> step) {
  auto* poll = new QTimer(scope);
  poll->setInterval(1);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, title, step] {
    auto* frame = qobject_cast<DialogFrame*>(QApplication::activeModalWidget());
    if (frame == nullptr || frame->Title() != title || !frame->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    step(frame);
  });
  poll->start();
}

inline void WhenDialogTitled(QObject& scope, const QString& title,
                             std::function<void(DialogFrame*)> step) {
  WhenDialogTitled(&scope, title, std::move(step));
}

inline void WhenDialogTitled(const QString& title, std::function<void(DialogFrame*)> step) {
  WhenDialogTitled(nullptr, title, std::move(step));
}

// Clicks the soft key of `frame` whose text is `text`; false when there is none.
inline bool PressSoftKey(DialogFrame* frame, const QString& text) {
  for (QAbstractButton* button : frame->findChildren<QAbstractButton*>()) {
    if (button->text() == text && button->isVisible()) {
      button->click();
      return true;
    }
  }
  return false;
}

// The main window a dialog is shown over: the whole screen of the build.
inline void CreateScreenWindow(RecordingWindow& main) {
  const ScreenFacts facts = ReadScreenFacts();
  ASSERT_TRUE(main.Create(QStringLiteral("RecordsOwner"), QStringLiteral("TW Tarrow"),
                          QRect(0, 0, facts.ScaleX(240), facts.ScaleY(320))));
  main.ShowWindow(true);
}

// With CARDWRIGHT_SCREENSHOTS naming a folder, saves what `frame` shows there
// as `<name>-qvga.png` or `<name>-vga.png`, after the screen's density.
inline void SaveScreenshot(DialogFrame* frame, const QString& name) {
  const QPixmap picture = frame->grab();
  EXPECT_FALSE(picture.isNull());
  const QString folder = qEnvironmentVariable("CARDWRIGHT_SCREENSHOTS");
  if (folder.isEmpty()) return;
  const QString variant = ReadScreenFacts().HighDpi() ? QStringLiteral("vga") : QStringLiteral("qvga");
  EXPECT_TRUE(picture.save(QDir(folder).filePath(name + u'-' + variant + QStringLiteral(".png"))));
}

}  // namespace cw::testing
