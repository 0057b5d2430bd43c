// The solver's commands in play through the main window: the way back from a
// dead end, winnable deals after a change of game, a search cancelled from
// its progress box, and a game won by following the winning hint alone.
#include <QEvent>
#include <QStringList>
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "chooser/chooser_dialog.h"
#include "tests/chooser/chooser_test_support.h"
#include "tests/shell/dialog_steps.h"
#include "tests/shell/solver_window_fixture.h"
#include "uilib/list_view.h"

namespace cw {
namespace {

using testing::DialogAnswers;
using testing::NodeLimits;
using testing::SolverWindowTest;
using testing::Verdict;
using namespace std::chrono_literals;

// Baker's Game deal 5: twelve moves of a winning line, then a card to the
// last free cell and the only move left after it, which leave no way to win.
constexpr std::uint32_t kBakersDeal = 5;
const std::vector<MoveReference> kWinningStart{{8, 0},  {32, 8}, {5, 1},  {3, 9},
                                               {30, 6}, {7, 0},  {29, 6}, {45, 10},
                                               {5, 11}, {6, 0},  {5, 0},  {42, 1}};
const std::vector<MoveReference> kIntoTheDeadEnd{{10, 11}, {20, 3}};

// A Baker's Game deal that cannot be won.
constexpr std::uint32_t kDeadBakersDeal = 26;
// A Double FreeCell deal the solver takes many seconds over.
constexpr std::uint32_t kLongDoubleFreeCellDeal = 3;

struct Position {
  std::vector<CardState> cards;
  std::vector<PileState> piles;
  std::vector<CounterState> counters;
  std::uint32_t journal = 0;
  bool operator==(const Position&) const = default;
};

Position PositionOf(const SolGame& game) {
  return {game.cards, game.piles, game.counters, game.journal->Count()};
}

// Notes, at each paint of the table, the card or pile shown selected: what a
// hint's blink shows, step by step.
class BlinkRecorder : public QObject {
 public:
  explicit BlinkRecorder(GameFieldView& view) : view_(view) {
    view.Widget()->installEventFilter(this);
  }
  ~BlinkRecorder() override {
    if (view_.Widget() != nullptr) view_.Widget()->removeEventFilter(this);
  }

  // The move the blinks showed: the card lit first, then the pile lit after
  // it; a pile alone for a tap.
  std::optional<MoveReference> Move() const {
    if (lit_.empty()) return std::nullopt;
    const FieldLayout& layout = view_.Layout();
    const auto [pile, index] = lit_.front();
    if (lit_.size() == 1) return MoveReference{pile, kNoReference};
    if (!layout.IsPile(pile) || index >= layout.piles[pile].cards.size()) return std::nullopt;
    return MoveReference{layout.piles[pile].cards[index].card, lit_[1].first};
  }
  void Clear() { lit_.clear(); }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && view_.SelectedPile() != kNoSelection) {
      const std::pair<std::uint16_t, std::uint16_t> lit{view_.SelectedPile(),
                                                        view_.SelectedIndex()};
      if (lit_.empty() || lit_.back() != lit) lit_.push_back(lit);
    }
    return false;
  }

 private:
  GameFieldView& view_;
  std::vector<std::pair<std::uint16_t, std::uint16_t>> lit_;
};

class SolverPlayTest : public SolverWindowTest {};

TEST_F(SolverPlayTest, ADeadEndIsToldWithTheMovesToUndoAndUndoingThemLeadsBack) {
  SolverBudgets budgets = NodeBudgets(20'000);
  StartGame("Baker's Game", false, budgets);
  std::vector<MoveReference> moves = kWinningStart;
  moves.insert(moves.end(), kIntoTheDeadEnd.begin(), kIntoTheDeadEnd.end());
  InstallDeal(kBakersDeal, moves);
  const Position before = PositionOf(window->Game());

  EXPECT_EQ(CanItBeWon(),
            QStringLiteral("No: this game cannot be won any more.\n"
                           "Undo the last 2 moves to get back to a game that can be won."));
  EXPECT_EQ(PositionOf(window->Game()), before) << "the question changes nothing";

  Command(command::kUndo);
  EXPECT_EQ(CanItBeWon(),
            QStringLiteral("No: this game cannot be won any more.\n"
                           "Undo the last move to get back to a game that can be won."));
  Command(command::kUndo);
  EXPECT_EQ(CanItBeWon(), QStringLiteral("Yes: this game can still be won."));

  // A deal with no way to win from the start has no move to undo.
  InstallDeal(kDeadBakersDeal);
  EXPECT_EQ(CanItBeWon(), QStringLiteral("No: this game cannot be won any more."));
}

TEST_F(SolverPlayTest, WinnableDealsOnlyHoldsForNewGameAndForTheFirstDealOfAChosenGame) {
  // About half the Baker's Game deals are proved winnable within these
  // budgets, and a proof against a deal comes quickly: thirty tries always find one.
  constexpr std::uint64_t kDealNodes = 5'000;
  SolverBudgets budgets = NodeBudgets(kDealNodes);
  budgets.dealAttempts = 30;
  StartGame("FreeCell", true, budgets);

  // The table is the deal of the number the window holds, and that number is proved winnable.
  const auto expectProvedDeal = [this](const char* when) {
    const SolGame& game = window->Game();
    ASSERT_TRUE(game.HasPlayState()) << when;
    SolGame fresh;
    fresh.definition = game.definition;
    std::uint32_t number = window->Prefs().curGameNumber;
    ASSERT_TRUE(StartNewGame(fresh, number)) << when;
    EXPECT_EQ(fresh.cards, game.cards) << when << ": the table is deal " << number;
    EXPECT_EQ(Verdict(fresh, kDealNodes), SolveVerdict::kWinnable) << when << ": deal " << number;
  };
  expectProvedDeal("start");

  // Slow answers: the chooser is driven by the steps below; a box left for
  // the answerer is one the player should not have seen.
  DialogAnswers answers(2s);
  const QString chooserTitle = LoadString(string_id::kChooserTitle);
  bool chose = false;
  testing::WhenDialogTitled(window->TopLevel(), chooserTitle, [&](DialogFrame* frame) {
    ChooserDialog* chooser = nullptr;
    for (QWidget* widget : frame->findChildren<QWidget*>()) {
      if ((chooser = dynamic_cast<ChooserDialog*>(CeMsgWnd::FromWidget(widget))) != nullptr) break;
    }
    ASSERT_NE(chooser, nullptr);
    testing::Settle();
    auto* games = qobject_cast<ListView*>(chooser->GetDlgItem(chooser_control::kGames));
    ASSERT_NE(games, nullptr);
    for (int row = 0; row < games->ItemCount(); ++row) {
      if (games->ItemText(row, 0) != QStringLiteral("Baker's Game")) continue;
      // The handheld's list shows a few rows: the player scrolls to it first.
      games->scrollTo(games->model()->index(row, 0));
      testing::Settle();
      testing::ClickRow(games, row);
    }
    chooser->MenuBar()->Buttons().front()->click();  // Play
    chose = true;
  });
  Command(command::kSelectSolitaire);
  ASSERT_TRUE(chose);
  EXPECT_EQ(std::string(window->Game().definition.name.data()), "Baker's Game");
  expectProvedDeal("the first deal of the chosen game");

  Command(command::kNewGame);
  expectProvedDeal("New Game");
  EXPECT_TRUE(answers.Titles().isEmpty()) << answers.Titles().join(u',').toStdString();
}

TEST_F(SolverPlayTest, CancellingTheSearchLeavesTheGameAsItWasAndTheWindowAtThePlayersCommand) {
  SolverBudgets budgets = NodeBudgets();
  // Long enough never to end by itself while the test waits.
  budgets.position = {0, 60.0, std::size_t{256} << 20};
  budgets.grace = 50ms;
  StartGame("Double FreeCell", false, budgets);
  InstallDeal(kLongDoubleFreeCellDeal);

  for (const int command : {command::kCanThisGameBeWon, command::kShowWinningMove}) {
    SCOPED_TRACE(command);
    const Position before = PositionOf(window->Game());
    BlinkRecorder blinks(*window->View());
    DialogAnswers answers(2s);
    bool cancelled = false;
    testing::WhenDialogTitled(
        window->TopLevel(), QStringLiteral("Thinking…"), [&](DialogFrame* frame) {
          QTimer::singleShot(100ms, frame, [&, frame] {
            cancelled = testing::PressSoftKey(frame, QStringLiteral("Cancel"));
          });
        });
    Command(command);
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(answers.Titles().isEmpty()) << "no answer after Cancel";
    EXPECT_FALSE(blinks.Move()) << "no move shown after Cancel";
    EXPECT_EQ(PositionOf(window->Game()), before);
    EXPECT_FALSE(window->Clock().paused);
  }

  // The player goes on: a card moves, and the next question is answered.
  const std::uint32_t played = window->Game().journal->Count();
  DragFirstMove();
  EXPECT_GT(window->Game().journal->Count(), played);
  window->Solver().Budgets().position = NodeLimits(1);
  // So short a search answers without the box, however busy the machine (a
  // sanitized build on a loaded machine once took longer than 50 ms).
  window->Solver().Budgets().grace = 10s;
  EXPECT_EQ(CanItBeWon(), QStringLiteral("No answer was found in the time allowed."));
}

TEST_F(SolverPlayTest, FollowingTheWinningHintAloneWinsTheGame) {
  StartGame("FreeCell");
  InstallQuickDeal();
  const std::uint16_t won = Stats().won;
  DialogAnswers answers;  // the best-time box at the end
  BlinkRecorder blinks(*window->View());
  int moves = 0;
  // Each hint is the move dragged next; the game ends won when the window
  // deals the next one.
  const std::uint32_t dealt = window->Prefs().curGameNumber;
  while (window->Prefs().curGameNumber == dealt && moves < 300) {
    blinks.Clear();
    Command(command::kShowWinningMove);
    const std::optional<MoveReference> move = blinks.Move();
    ASSERT_TRUE(move) << "after " << moves
                      << " moves: " << answers.Texts().join(u',').toStdString();
    ASSERT_FALSE(move->IsTap());
    const std::vector<MoveReference> legal = ListMoves(window->Game());
    ASSERT_NE(std::find(legal.begin(), legal.end(), *move), legal.end())
        << "after " << moves << " moves";
    const std::uint32_t played = window->Game().journal->Count();
    const QPoint from = CardCentre(move->source);
    const QPoint to = PileCentre(move->destination);
    Pen(QEvent::MouseButtonPress, from);
    Pen(QEvent::MouseMove, from + QPoint(6, 6));
    Pen(QEvent::MouseMove, to);
    Pen(QEvent::MouseButtonRelease, to);
    ++moves;
    if (window->Prefs().curGameNumber == dealt) {
      ASSERT_GT(window->Game().journal->Count(), played)
          << "the drag of move " << moves << " was refused";
    }
  }
  EXPECT_EQ(Stats().won, won + 1) << "after " << moves << " moves";
}

}  // namespace
}  // namespace cw
