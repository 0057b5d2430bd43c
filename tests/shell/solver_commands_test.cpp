// The solver in the program: the wait for a search (the window goes on, the
// progress box cancels), "Winnable deals only", "Can This Game Be Won?" and
// "Show Winning Move", each over the main window on the offscreen platform.
#include <QElapsedTimer>
#include <QLabel>
#include <algorithm>
#include <thread>

#include "engine/rules/moves.h"
#include "engine/rules/player_move.h"
#include "shell/search_wait.h"
#include "tests/shell/dialog_steps.h"
#include "tests/shell/solver_window_fixture.h"

namespace cw {
namespace {

using testing::DialogAnswers;
using testing::NodeLimits;
using testing::Verdict;
using namespace std::chrono_literals;

class SolverCommandsTest : public testing::SolverWindowTest {};

TEST(SearchWaitTest, TheWindowGoesOnWhileTheSearchRunsAndCancelStopsIt) {
  testing::RecordingWindow owner;
  testing::CreateScreenWindow(owner);
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(5);

  // A short search ends before the box would open: nothing is shown.
  bool boxOpened = false;
  testing::WhenDialogTitled(&ticker, QStringLiteral("Thinking…"), [&](DialogFrame*) { boxOpened = true; });
  EXPECT_TRUE(RunSearch(&owner, [](SearchSignals&) { std::this_thread::sleep_for(100ms); },
                        string_id::kSearchProgressText, 2s));
  EXPECT_GT(ticks, 5) << "timers ran during the wait";
  EXPECT_FALSE(boxOpened);

  // A search that would run for ever: the box opens, Cancel ends it.
  ticks = 0;
  bool sawCancel = false;
  QString shown;
  testing::WhenDialogTitled(&ticker, QStringLiteral("Thinking…"), [&](DialogFrame* frame) {
    QTimer::singleShot(100ms, frame, [&, frame] {
      for (const QLabel* label : frame->findChildren<QLabel*>()) {
        if (label->text().contains(u'\n')) shown = label->text();
      }
      EXPECT_TRUE(testing::PressSoftKey(frame, QStringLiteral("Cancel")));
    });
  });
  QElapsedTimer waited;
  waited.start();
  const bool finished = RunSearch(
      &owner,
      [&](SearchSignals& search) {
        search.nodes.store(1234);
        while (!search.cancel.load()) std::this_thread::sleep_for(1ms);
        sawCancel = true;
      },
      string_id::kSearchProgressText, 50ms);
  EXPECT_FALSE(finished);
  EXPECT_TRUE(sawCancel);
  EXPECT_GT(ticks, 5);
  EXPECT_EQ(shown, QStringLiteral("Looking for a way to win…\n1234 positions tried."));
  EXPECT_LT(waited.elapsed(), 30'000) << "Cancel ended the wait";
  owner.DestroyWindow();
}

TEST_F(SolverCommandsTest, WinnableDealsOnlyDealsProvedNumbersOrSaysItDidNot) {
  DialogAnswers answers;
  StartGame("FreeCell", true);
  for (int deal = 0; deal < 2; ++deal) {
    // The first deal came with the start, before any notice could be counted.
    const qsizetype notices = deal == 0 ? 0 : answers.Titles().size();
    if (deal > 0) Command(command::kNewGame);
    const bool told = answers.Titles().size() > notices;
    EXPECT_TRUE(told || Verdict(window->Game()) == SolveVerdict::kWinnable) << window->Prefs().curGameNumber;
    EXPECT_TRUE(window->Game().HasPlayState());
  }
}

TEST_F(SolverCommandsTest, WithoutAProofInTimeAnOrdinaryDealComesWithANotice) {
  SolverBudgets tiny = NodeBudgets();
  tiny.perDeal = NodeLimits(1);
  tiny.dealAttempts = 2;
  DialogAnswers answers;
  StartGame("FreeCell", true, tiny);
  EXPECT_EQ(answers.Titles(), QStringList{QStringLiteral("Winnable Deals")});
  EXPECT_TRUE(window->Game().HasPlayState()) << "an ordinary deal";
}

// No card may be picked up or tapped: the position is dead.
void FreezeTable(SolGame& game) {
  for (CardState& card : game.cards) card.movable = 0;
}

TEST_F(SolverCommandsTest, CanThisGameBeWonAnswersEachVerdict) {
  StartGame("FreeCell");
  InstallQuickDeal();
  {
    DialogAnswers answers;
    answers.WhileOpen([] {
      testing::SaveScreenshot(qobject_cast<DialogFrame*>(QApplication::activeModalWidget()),
                              QStringLiteral("can-it-be-won"));
    });
    Command(command::kCanThisGameBeWon);
    EXPECT_EQ(answers.Texts(), QStringList{QStringLiteral("Yes: this game can still be won.")});
    EXPECT_FALSE(window->Clock().paused) << "running again once the answer was read";
    EXPECT_TRUE(window->Clock().resync) << "the time of the search is not counted";
  }

  window->Solver().Budgets().position = NodeLimits(1);
  EXPECT_EQ(CanItBeWon(), QStringLiteral("No answer was found in the time allowed."));

  FreezeTable(window->Game());
  EXPECT_EQ(CanItBeWon(), QStringLiteral("No: this game cannot be won any more."));
}

TEST_F(SolverCommandsTest, TheWinningMoveLeadsOnToAWin) {
  StartGame("FreeCell");
  InstallQuickDeal();
  const std::optional<MoveReference> move = window->Solver().WinningMove(window.get(), window->Game());
  ASSERT_TRUE(move);
  const std::vector<MoveReference> legal = ListMoves(window->Game());
  EXPECT_NE(std::find(legal.begin(), legal.end(), *move), legal.end());
  ASSERT_TRUE(PerformPlayerMove(window->Game(), *move, nullptr));
  EXPECT_EQ(Verdict(window->Game()), SolveVerdict::kWinnable);
  window->View()->RebuildMirror();

  // The command blinks the move and leaves Show Next Move's walk alone.
  Command(command::kShowNextMove);
  const std::uint16_t hint = window->HintIndex();
  DialogAnswers answers;
  Command(command::kShowWinningMove);
  EXPECT_TRUE(answers.Titles().isEmpty());
  EXPECT_EQ(window->HintIndex(), hint);
}

TEST_F(SolverCommandsTest, NoWinningMoveFromADeadEnd) {
  StartGame("FreeCell");
  FreezeTable(window->Game());
  DialogAnswers answers;
  EXPECT_FALSE(window->Solver().WinningMove(window.get(), window->Game()));
  EXPECT_EQ(answers.Texts(),
            QStringList{QStringLiteral("There is no winning move: this game cannot be won any more.")});
}

TEST_F(SolverCommandsTest, CtrlHAsksWhetherTheGameCanBeWonAndShiftHForTheWinningMove) {
  StartGame("FreeCell");
  InstallQuickDeal();
  const auto key = [this](Qt::KeyboardModifiers modifiers) {
    window->TopLevel()->activateWindow();
    QTest::keyClick(window->Widget(), Qt::Key_H, modifiers);
  };
  {
    DialogAnswers answers;
    key(Qt::ControlModifier);
    EXPECT_EQ(answers.Texts(), QStringList{QStringLiteral("Yes: this game can still be won.")});
  }
  FreezeTable(window->Game());
  const std::uint16_t hint = window->HintIndex();
  DialogAnswers answers;
  key(Qt::ShiftModifier);
  EXPECT_EQ(answers.Texts(),
            QStringList{QStringLiteral("There is no winning move: this game cannot be won any more.")});
  EXPECT_EQ(window->HintIndex(), hint) << "not Show Next Move's H";
}

}  // namespace
}  // namespace cw
