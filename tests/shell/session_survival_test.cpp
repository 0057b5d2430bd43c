// The game and the preferences outlive a program that ends without closing
// its window (killed, a crash, the end of the desktop session), and a box
// opened during a drag still takes the player's clicks.
#include "tests/shell/main_window_fixture.h"

#include <QAbstractButton>
#include <QWindow>
#include <csignal>
#include "shell/termination_signals.h"

namespace cw {
namespace {

using testing::DialogAnswers;
using testing::MainWindowTest;

class SessionSurvivalTest : public MainWindowTest {
 protected:
  // The program ends without a word: no close, no save; a new process opens
  // the registry file afresh.
  void Kill() {
    window->DestroyWindow();
    window.reset();
    registry = std::make_unique<Registry>(dir.filePath(QStringLiteral("registry.sqlite3")));
  }
  void Restart() { OpenWindow(); }
  std::vector<CardState> Cards() const { return window->Game().cards; }
  std::uint32_t Records() const { return window->Game().journal->Count(); }
};

TEST_F(SessionSurvivalTest, AKilledProgramResumesItsLastFinishedMoveUndoAndDeal) {
  StartFreeCell();
  DragFirstMove();
  const std::uint32_t afterOneRecords = Records();
  DragFirstMove();
  const std::vector<CardState> afterTwo = Cards();
  const std::uint32_t afterTwoRecords = Records();
  Kill();
  Restart();
  EXPECT_EQ(Cards(), afterTwo);
  EXPECT_EQ(Records(), afterTwoRecords);

  // The resumed game, once shown, is saved again after each move: a second
  // kill resumes it too, with the undo made after the resume.
  Tick();
  ASSERT_TRUE(window->Undo());
  const std::vector<CardState> afterUndo = Cards();
  Kill();
  Restart();
  EXPECT_EQ(Cards(), afterUndo);
  EXPECT_EQ(Records(), afterOneRecords);

  Tick();
  Command(command::kNewGame);
  const std::uint32_t number = window->Prefs().curGameNumber;
  const std::vector<CardState> dealt = Cards();
  Kill();
  Restart();
  EXPECT_EQ(Cards(), dealt);
  EXPECT_EQ(Records(), 0u);
  EXPECT_EQ(window->Prefs().curGameNumber, number) << "Restart deals the same number again";
}

TEST_F(SessionSurvivalTest, AResumedGameThatEndsTheProgramBeforeItIsShownIsNotResumedAgain) {
  StartFreeCell();
  DragFirstMove();
  window->TopLevel()->close();
  Restart();
  ASSERT_GT(Records(), 0u);
  Kill();  // before the first tick: the resumed table may be what ends it
  Restart();
  EXPECT_EQ(Records(), 0u) << "a new deal instead";
}

TEST_F(SessionSurvivalTest, TheEndOfTheSessionSavesAsClosingDoesAndNothingAfter) {
  StartFreeCell();
  DragFirstMove();
  const std::vector<CardState> played = Cards();
  now += 42;
  Tick();
  window->EndSession();
  DragFirstMove();  // a move after the end is not kept
  Kill();
  Restart();
  EXPECT_EQ(Cards(), played);
}

TEST(TerminationSignals, EachSignalIsAnsweredOnTheEventLoopAndTheOldHandlingComesBack) {
  std::vector<int> heard;
  {
    TerminationSignals guard([&heard](int signal) { heard.push_back(signal); });
    ASSERT_TRUE(guard.Installed());
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) std::raise(signal);
    EXPECT_TRUE(heard.empty()) << "nothing runs inside the handler";
    for (int i = 0; i < 50 && heard.size() < 3; ++i) QTest::qWait(10);
    EXPECT_EQ(heard, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
  }
  struct sigaction now {};
  sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

// Whether a mouse click, delivered to the window under it as the platform
// delivers one (so that a pointer grab would take it), reached `button`.
void ClickAsThePlatform(QAbstractButton* button) {
  QWidget* top = button->window();
  ASSERT_NE(top->windowHandle(), nullptr);
  const QPoint at = button->mapTo(top, button->rect().center());
  QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
}

TEST_F(SessionSurvivalTest, TheTimeUpBoxOpenedDuringADragTakesAMouseClick) {
  StartFreeCell(/*timed=*/1);
  const std::uint32_t number = window->Prefs().curGameNumber;
  window->SendMessage(WM_ACTIVATE, WA_ACTIVE);
  Resync();
  Tick();
  now += 179;
  Tick();

  const std::optional<MoveReference> move = FindMove(window->Game(), 0);
  ASSERT_TRUE(move && !move->IsTap());
  const QPoint from = CardCentre(move->source);
  Pen(QEvent::MouseButtonPress, from);
  Pen(QEvent::MouseMove, from + QPoint(12, 12));
  ASSERT_TRUE(window->View()->Dragging());
  ASSERT_NE(QWidget::mouseGrabber(), nullptr);

  bool clicked = false;
  bool closedByClick = false;
  QTimer::singleShot(50, [&] {
    auto* frame = qobject_cast<DialogFrame*>(QApplication::activeModalWidget());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << "the table let the pointer go";
    auto* restart = frame->findChild<QAbstractButton*>(QStringLiteral("Restart"));
    ASSERT_NE(restart, nullptr);
    clicked = true;
    ClickAsThePlatform(restart);
    QApplication::processEvents();
    closedByClick = QApplication::activeModalWidget() == nullptr;
  });
  // Whatever happened to the click, the box is not left open.
  DialogAnswers fallback(std::chrono::milliseconds(400));

  now += 30;
  Tick();
  EXPECT_TRUE(clicked);
  EXPECT_TRUE(closedByClick);
  EXPECT_TRUE(fallback.Titles().isEmpty());
  EXPECT_FALSE(window->View()->Dragging()) << "the lifted cards went home";
  EXPECT_EQ(window->Prefs().curGameNumber, number) << "Restart";
  EXPECT_EQ(Records(), 0u);
  EXPECT_EQ(window->Clock().Elapsed(), 0u);
}

}  // namespace
}  // namespace cw
