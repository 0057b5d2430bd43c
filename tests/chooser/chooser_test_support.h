// Runs the chooser over a handheld-sized window (240×320 at 96 dpi, 480×640
// on a screen scaled by 2) and drives it from inside its modal loop.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>

#include "chooser/chooser_dialog.h"
#include "uilib/ce_wnd.h"
#include "uilib/list_view.h"

namespace cw::testing {

// Lets posted messages (the chooser's refresh) and repaints run.
inline void Settle() {
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
}

// Taps row `row` of `list` as the player would, near its right end, where a
// games row shows its pictures.
inline void ClickRow(ListView* list, int row) {
  ASSERT_NE(list, nullptr);
  const QRect cell = list->visualRect(list->model()->index(row, 0));
  ASSERT_TRUE(cell.isValid()) << "row " << row;
  const QPoint at(list->viewport()->width() - 3, cell.center().y());
  ASSERT_EQ(list->indexAt(at).row(), row) << "the row spans the list";
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  Settle();
}

// Plays `steps` once the chooser runs and is the active window; a chooser
// the steps leave open is cancelled, so that a failing test cannot hang.
inline void WhenChooserRuns(ChooserDialog& dialog, std::function<void(ChooserDialog&)> steps) {
  QTimer::singleShot(0, [&dialog, steps = std::move(steps)] {
    QWidget* frame = dialog.TopLevel();
    frame->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(frame));
    Settle();
    steps(dialog);
    if (dialog.IsWindow() && QApplication::activeModalWidget() == frame) {
      ADD_FAILURE() << "the chooser was left open";
      dialog.EndDialog(IDCANCEL);
    }
  });
}

class ChooserWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Create takes device pixels; the owner's size becomes the dialog's.
    const double ratio = qApp->devicePixelRatio();
    ASSERT_TRUE(main.Create(QStringLiteral("TestMainWindow"), QStringLiteral("Test"),
                            QRect(0, 0, static_cast<int>(240 * ratio), static_cast<int>(320 * ratio))));
    main.ShowWindow(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.TopLevel()));
  }
  void TearDown() override { main.DestroyWindow(); }

  CeWnd main;
};

}  // namespace cw::testing
