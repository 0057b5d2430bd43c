// On a screen scaled by 2 every position and size a window sees is in device
// pixels, twice Qt's coordinates.
#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>
#include <QToolButton>

#include "platform/resources/resource_ids.h"
#include "recording_window.h"
#include "uilib/list_view.h"
#include "uilib/menu_bar.h"
#include "uilib/message_box.h"
#include "widget_driver.h"

namespace cw {
namespace {

using testing::RecordingWindow;

class FilledWindow : public RecordingWindow {
 public:
  void OnPaint(QPainter& painter, const QRect&, bool& handled) override {
    painter.fillRect(QRect(0, 0, 10, 10), Qt::blue);
    handled = true;
  }
};

class ScaledScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(main.Create(QStringLiteral("Scaled"), QStringLiteral("Scaled"),
                            QRect(0, 0, 240, 300)));
    main.ShowWindow(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.TopLevel()));
    ASSERT_DOUBLE_EQ(main.DevicePixelRatio(), 2.0);
    ASSERT_TRUE(child.CreateChild(main, QRect(10, 20, 100, 80)));
    child.SetBackgroundColor(Qt::red);
  }
  void TearDown() override { main.DestroyWindow(); }

  RecordingWindow main;
  FilledWindow child;
};

TEST_F(ScaledScreenTest, GeometryIsInDevicePixels) {
  EXPECT_EQ(main.TopLevel()->size(), QSize(120, 150));
  EXPECT_EQ(main.GetClientRect(), QRect(0, 0, 240, 300));
  EXPECT_EQ(child.Widget()->geometry(), QRect(5, 10, 50, 40));
  EXPECT_EQ(child.GetClientRect(), QRect(0, 0, 100, 80));
  EXPECT_TRUE(main.Has("size 240,300"));
}

TEST_F(ScaledScreenTest, PenPositionsAreInDevicePixels) {
  child.Clear();
  QTest::mousePress(child.Widget(), Qt::LeftButton, {}, QPoint(5, 6));
  QTest::mouseRelease(child.Widget(), Qt::LeftButton, {}, QPoint(7, 8));
  EXPECT_EQ(child.log, (std::vector<std::string>{"down 10,12", "up 14,16"}));
}

TEST_F(ScaledScreenTest, PaintingMapsOneToOneOntoDevicePixels) {
  const QImage image = child.Widget()->grab().toImage();
  ASSERT_EQ(image.size(), QSize(100, 80));
  EXPECT_EQ(image.pixelColor(9, 9), QColor(Qt::blue));
  EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::red));
}

TEST_F(ScaledScreenTest, OwnerDrawnRowsAndTheMenuBarAreMeasuredInDevicePixels) {
  auto* list = new ListView(main, 5020);
  list->setGeometry(0, 0, 100, 100);
  list->SetHeaderVisible(false);
  list->SetRowHeight(30);
  list->InsertItem(0, QStringLiteral("FreeCell"));
  std::vector<QRect> drawn;
  list->SetOwnerDraw([&](QPainter&, const QRect& rect, int, ItemState) { drawn.push_back(rect); });
  list->show();
  list->viewport()->grab();
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back().height(), 30);
  EXPECT_EQ(drawn.back().width(), 2 * list->viewport()->width());

  CMenuBar bar;
  ASSERT_TRUE(bar.Create(main, menu_bar_id::kSoftKeys));
  EXPECT_EQ(bar.Height(), 52);
}

TEST_F(ScaledScreenTest, MenuBarIconsShowAtTheirOwnDevicePixelSize) {
  // Four 32-pixel images, as the VGA strip holds them.
  QImage strip(4 * 32, 32, QImage::Format_ARGB32);
  strip.fill(Qt::darkBlue);
  CMenuBar bar;
  ASSERT_TRUE(bar.Create(main, menu_bar_id::kIconBar, menu_bar_id::kSoftKeys, strip, 4, false));
  const QList<QToolButton*> buttons = main.TopLevel()->findChildren<QToolButton*>();
  ASSERT_FALSE(buttons.isEmpty());
  for (const QToolButton* button : buttons) {
    EXPECT_EQ(button->iconSize(), QSize(16, 16)) << "16 of Qt's units are 32 screen pixels";
    const QPixmap shown = button->icon().pixmap(button->iconSize(), 2.0);
    EXPECT_EQ(shown.size(), QSize(32, 32)) << "drawn unscaled";
  }
}

TEST_F(ScaledScreenTest, ABoxOverABigWindowIsTheHandheldsScreenAtTheScreensScale) {
  main.MoveWindow(QRect(0, 0, 1600, 1000));
  QCoreApplication::processEvents();
  QRect shown;
  testing::WhenDialogRuns([&shown] {
    QWidget* box = QApplication::activeModalWidget();
    shown = box->geometry();
    QTest::keyClick(box->focusWidget() != nullptr ? box->focusWidget() : box, Qt::Key_Return);
  });
  MessageBox(&main, QStringLiteral("Yes: this game can still be won."), QStringLiteral("Solver"), MB_OK);
  EXPECT_EQ(shown, QRect(280, 90, 240, 320)) << "480 by 640 screen pixels, centred over 800 by 500";
}

}  // namespace
}  // namespace cw
