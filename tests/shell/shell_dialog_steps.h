// Steps the Options and help viewer tests take inside modal loops: waiting
// for a dialog by its title, pressing a soft key or a popup entry, and saving
// what a dialog shows when screenshots are asked for.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <functional>

#include "platform/screen/screen_facts.h"
#include "tests/uilib/recording_window.h"
#include "uilib/dialog_frame.h"

namespace cw::testing {

// Runs `step` once the modal dialog titled `title` is the active one.
inline void WhenFrameTitled(const QString& title, std::function<void(DialogFrame*)> step) {
  auto* poll = new QTimer();
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

// Clicks the visible soft key of `frame` whose text is `text`.
inline bool ClickSoftKey(DialogFrame* frame, const QString& text) {
  for (QAbstractButton* button : frame->findChildren<QAbstractButton*>()) {
    if (button->text() == text && button->isVisible()) {
      button->click();
      return true;
    }
  }
  return false;
}

// A main window covering the screen of the build.
inline void CreateOwnerWindow(RecordingWindow& main) {
  const ScreenFacts facts = ReadScreenFacts();
  ASSERT_TRUE(main.Create(QStringLiteral("DialogOwner"), QStringLiteral("TW Tarrow"),
                          QRect(0, 0, facts.ScaleX(240), facts.ScaleY(320))));
  main.ShowWindow(true);
}

// With CARDWRIGHT_SCREENSHOTS naming a folder, saves what `frame` shows there
// as `<name>-qvga.png` or `<name>-vga.png`, after the screen's density.
inline void SaveFrame(DialogFrame* frame, const QString& name) {
  const QPixmap picture = frame->grab();
  EXPECT_FALSE(picture.isNull());
  const QString folder = qEnvironmentVariable("CARDWRIGHT_SCREENSHOTS");
  if (folder.isEmpty()) return;
  const QString variant = ReadScreenFacts().HighDpi() ? QStringLiteral("vga") : QStringLiteral("qvga");
  EXPECT_TRUE(picture.save(QDir(folder).filePath(name + u'-' + variant + QStringLiteral(".png"))));
}

}  // namespace cw::testing
