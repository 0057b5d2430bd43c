#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <algorithm>

#include "platform/resources/menus.h"
#include "recording_window.h"
#include "uilib/child_layout.h"

namespace cw {
namespace {

using testing::RecordingWindow;

class MessageWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(main.Create(QStringLiteral("TestMainWindow"), QStringLiteral("Test"),
                            QRect(0, 0, 240, 300)));
    main.ShowWindow(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.TopLevel()));
    ASSERT_TRUE(child.CreateChild(main, QRect(10, 20, 100, 80)));
    main.Clear();
    child.Clear();
  }
  void TearDown() override {
    child.DestroyWindow();
    main.DestroyWindow();
  }

  static void Send(QWidget* widget, QEvent::Type type, Qt::MouseButton button, QPoint at) {
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
  }

  int Count(const RecordingWindow& w, const std::string& prefix) {
    return static_cast<int>(std::count_if(w.log.begin(), w.log.end(), [&](const std::string& e) {
      return e.rfind(prefix, 0) == 0;
    }));
  }

  RecordingWindow main;
  RecordingWindow child;
};

TEST(MessageWindowCreation, FirstMessageComesBeforeCreate) {
  RecordingWindow w;
  ASSERT_TRUE(w.Create(QStringLiteral("C"), QStringLiteral("c")));
  ASSERT_GE(w.log.size(), 2u);
  EXPECT_EQ(w.log[0], "first");
  EXPECT_EQ(w.log[1], "create");
  EXPECT_TRUE(w.IsWindow());
}

TEST(MessageWindowCreation, RefusedCreateDestroysTheWindow) {
  RecordingWindow w;
  w.createResult = -1;
  EXPECT_FALSE(w.Create(QStringLiteral("C"), QStringLiteral("c")));
  EXPECT_FALSE(w.IsWindow());
  EXPECT_TRUE(w.Has("destroy"));
  EXPECT_EQ(w.log.back(), "final");
  EXPECT_EQ(w.SendMessage(WM_CHECKSTATE, 1), 0) << "a destroyed window answers nothing";
  EXPECT_FALSE(w.Has("message 5125 1"));
}

TEST_F(MessageWindowTest, PenEventsReachTheWindowUnderThePenOnly) {
  QWidget* field = child.Widget();
  QTest::mousePress(field, Qt::LeftButton, {}, QPoint(5, 6));
  QTest::mouseMove(field, QPoint(30, 40));
  QTest::mouseRelease(field, Qt::LeftButton, {}, QPoint(31, 41));
  EXPECT_EQ(child.log, (std::vector<std::string>{"down 5,6", "move 30,40", "up 31,41"}));
  EXPECT_EQ(Count(main, "down"), 0) << "an unhandled pen-down must not reach the parent";
  EXPECT_EQ(Count(main, "up"), 0);
}

TEST_F(MessageWindowTest, OtherButtonsAreNotPenEvents) {
  Send(child.Widget(), QEvent::MouseButtonPress, Qt::RightButton, QPoint(5, 5));
  Send(child.Widget(), QEvent::MouseButtonRelease, Qt::RightButton, QPoint(5, 5));
  EXPECT_TRUE(child.log.empty());
}

TEST_F(MessageWindowTest, DoubleClickIsASecondPenDownUnlessAskedFor) {
  Send(child.Widget(), QEvent::MouseButtonDblClick, Qt::LeftButton, QPoint(7, 8));
  EXPECT_EQ(child.log, std::vector<std::string>{"down 7,8"});
  child.Clear();
  child.SetWantsDoubleClicks(true);
  Send(child.Widget(), QEvent::MouseButtonDblClick, Qt::LeftButton, QPoint(7, 8));
  EXPECT_EQ(child.log, std::vector<std::string>{"dblclk 7,8"});
}

TEST_F(MessageWindowTest, KeysArriveAsVirtualKeysWithTheirCharacters) {
  main.SetFocus();
  QTest::keyClick(main.Widget(), Qt::Key_Left);
  QTest::keyClick(main.Widget(), Qt::Key_Return);
  QTest::keyClick(main.Widget(), Qt::Key_A);
  EXPECT_EQ(main.log, (std::vector<std::string>{"keydown 37", "keyup 37", "keydown 13", "char 13",
                                                "keyup 13", "keydown 65", "char 97", "keyup 65"}));
}

TEST_F(MessageWindowTest, UnhandledKeysGoOnToTheParentHandledOnesDoNot) {
  child.SetFocus();
  QTest::keyClick(child.Widget(), Qt::Key_Up);
  EXPECT_TRUE(child.Has("keydown 38"));
  EXPECT_TRUE(main.Has("keydown 38"));

  main.Clear();
  child.claimed = {"keydown", "keyup"};
  QTest::keyClick(child.Widget(), Qt::Key_Down);
  EXPECT_TRUE(child.Has("keydown 40"));
  EXPECT_FALSE(main.Has("keydown 40"));
}

TEST_F(MessageWindowTest, AcceleratorsOfTheTopLevelWindowBecomeCommands) {
  AcceleratorTable table;
  table.entries.push_back({QKeySequence(QStringLiteral("Ctrl+A")), 40011});
  main.SetAccelerators(table);
  child.SetFocus();
  QTest::keyClick(child.Widget(), Qt::Key_A, Qt::ControlModifier);
  EXPECT_TRUE(main.Has("command 40011 1"));
  EXPECT_FALSE(child.Has("keydown 65")) << "a translated key is not dispatched";
  main.Clear();
  QTest::keyClick(main.Widget(), Qt::Key_A);
  EXPECT_FALSE(main.Has("command 40011 1")) << "the modifiers must match";
}

TEST_F(MessageWindowTest, UnhandledCloseDestroysHandledCloseKeepsTheWindow) {
  main.claimed = {"close"};
  main.TopLevel()->close();
  EXPECT_TRUE(main.Has("close"));
  EXPECT_TRUE(main.IsWindow());
  EXPECT_TRUE(main.TopLevel()->isVisible());
  EXPECT_FALSE(main.Has("destroy"));

  main.claimed.clear();
  main.Clear();
  main.TopLevel()->close();
  EXPECT_FALSE(main.IsWindow());
  EXPECT_EQ(main.log, (std::vector<std::string>{"close", "destroy", "final"}));
  // The child went with its parent, told after it.
  EXPECT_FALSE(child.IsWindow());
  EXPECT_EQ(child.log, (std::vector<std::string>{"destroy", "final"}));
}

TEST_F(MessageWindowTest, SendMessageRunsTheHandlersBeforeItReturns) {
  main.onMessage = [this](unsigned msg, WPARAM, LPARAM) {
    if (msg == WM_CHECKSTATE) main.SendMessage(WM_SELECTSOLITAIRE, 5);
  };
  EXPECT_EQ(main.SendMessage(WM_CHECKSTATE, 21), 42);
  EXPECT_EQ(main.log, (std::vector<std::string>{"message 5125 21", "message 5126 5"}));
}

TEST_F(MessageWindowTest, PostMessageWaitsForTheEventLoop) {
  main.PostMessage(WM_USER + 1, 3);
  EXPECT_TRUE(main.log.empty());
  QCoreApplication::processEvents();
  EXPECT_EQ(main.log, std::vector<std::string>{"message 1025 3"});
}

TEST_F(MessageWindowTest, MessagesPostedToADestroyedWindowAreDropped) {
  child.PostMessage(WM_USER + 1, 3);
  child.DestroyWindow();
  child.Clear();
  QCoreApplication::processEvents();
  EXPECT_TRUE(child.log.empty());
}

TEST_F(MessageWindowTest, TimersFireByIdUntilKilled) {
  ASSERT_TRUE(main.SetTimer(7, 5));
  EXPECT_TRUE(QTest::qWaitFor([&] { return main.Has("timer 7"); }, 2000));
  // Setting the same id again replaces the timer rather than adding one.
  ASSERT_TRUE(main.SetTimer(7, 5));
  EXPECT_TRUE(main.KillTimer(7));
  EXPECT_FALSE(main.KillTimer(7));
  main.Clear();
  QTest::qWait(40);
  EXPECT_EQ(Count(main, "timer"), 0);
}

TEST_F(MessageWindowTest, SizeIsReportedAndChildrenArePlacedFirst) {
  main.Layout().Fill(child.Widget());
  main.TopLevel()->resize(320, 200);
  QCoreApplication::processEvents();
  const QRect client = main.GetClientRect();
  EXPECT_EQ(client.width(), 320);
  EXPECT_TRUE(main.Has("size " + std::to_string(client.width()) + "," +
                       std::to_string(client.height())));
  EXPECT_EQ(child.GetClientRect(), client);
  EXPECT_TRUE(main.Has("landscape"));

  main.Clear();
  main.TopLevel()->resize(200, 320);
  QCoreApplication::processEvents();
  EXPECT_TRUE(main.Has("portrait"));
  main.Clear();
  main.TopLevel()->resize(210, 330);
  QCoreApplication::processEvents();
  EXPECT_FALSE(main.Has("portrait")) << "only a change of orientation is reported";
}

// Paints a blue square in device pixels over the default background.
class SquareWindow : public RecordingWindow {
 public:
  void OnPaint(QPainter& painter, const QRect& dirty, bool& handled) override {
    RecordingWindow::OnPaint(painter, dirty, handled);
    painter.fillRect(QRect(0, 0, 10, 10), Qt::blue);
    handled = true;
  }
};

TEST(MessageWindowPaint, BackgroundIsErasedThenPainted) {
  SquareWindow w;
  ASSERT_TRUE(w.Create(QStringLiteral("P"), QStringLiteral("p"), QRect(0, 0, 60, 60)));
  w.SetBackgroundColor(Qt::red);
  const QImage image = w.Widget()->grab().toImage();
  EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::blue));
  EXPECT_EQ(image.pixelColor(30, 30), QColor(Qt::red));
  const auto erase = std::find(w.log.begin(), w.log.end(), "erase");
  const auto paint = std::find(w.log.begin(), w.log.end(), "paint");
  ASSERT_NE(erase, w.log.end());
  EXPECT_LT(erase, paint);
}

TEST(MessageWindowPaint, HandledEraseSkipsTheBackgroundFill) {
  SquareWindow w;
  w.claimed = {"erase"};
  ASSERT_TRUE(w.Create(QStringLiteral("P"), QStringLiteral("p"), QRect(0, 0, 60, 60)));
  w.SetBackgroundColor(Qt::red);
  QImage image(60, 60, QImage::Format_RGB32);
  image.fill(Qt::green);
  w.Widget()->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
  EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::blue));
  EXPECT_EQ(image.pixelColor(30, 30), QColor(Qt::green));
}

}  // namespace
}  // namespace cw
