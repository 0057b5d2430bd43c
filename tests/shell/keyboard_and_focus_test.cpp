// The main window handing the keys to the table in the keyboard play modes
// and rebuilding the keyboard grid after each move; the game clock resting
// while the window is not the active one.
#include "tests/shell/main_window_fixture.h"

#include "engine/database/record_loader.h"
#include "engine/rules/player_move.h"
#include "shell/saved_game.h"
#include "view/display_metrics.h"

namespace cw {
namespace {

using testing::MainWindowTest;

constexpr std::uint32_t kKnownDeal = 7;

class MainWindowKeyboard : public MainWindowTest, public ::testing::WithParamInterface<PlayMode> {
 protected:
  // FreeCell deal 7, left by a previous run and resumed at start.
  void StartKnownDeal() {
    SolGame dealt;
    const auto record = LoadDefinitionRecord(EmbeddedGameResources(), static_cast<std::uint16_t>(freeCell));
    ASSERT_TRUE(record);
    ASSERT_TRUE(ParseDefinition(dealt, *record, ToDisplayMetrics(screen)));
    std::uint32_t number = kKnownDeal;
    ASSERT_TRUE(cw::StartNewGame(dealt, number));
    Preferences stored;
    stored.curSolId = freeCell;
    stored.curGameNumber = number;
    stored.playMode = static_cast<std::uint8_t>(GetParam());
    stored.animation = 0;
    ASSERT_TRUE(SaveGame(*registry, title, dealt, 0, stored));
    Start(stored);
    ASSERT_EQ(window->Game().cards, dealt.cards) << "the known deal is resumed";
  }

  GameFieldView& View() { return *window->View(); }

  // A key as the player presses it on the table: the field passes it on to
  // the main window.
  void Press(Qt::Key key) { QTest::keyClick(View().Widget(), key); }

  const HitRecord& CursorRecord() { return View().Hits().Records()[View().Grid().Cursor()]; }

  // Steps with the arrows until the cursor rests on (pile, index); index
  // kNoReference accepts the pile's top card or its base.
  bool SteerTo(std::uint16_t pile, std::uint16_t index) {
    const int limit = 4 * static_cast<int>(View().Hits().Records().size()) + 8;
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Left, Qt::Key_Up}) {
      for (int step = 0; step < limit; ++step) {
        const HitRecord& record = CursorRecord();
        const int count = View().Layout().piles[record.pile].Count();
        const bool topOrBase = record.index == kPileBase || record.index + 1 == count;
        if (record.pile == pile && (index == kNoReference ? topOrBase : record.index == index)) return true;
        Press(key);
      }
    }
    return false;
  }
};

TEST_P(MainWindowKeyboard, ArrowsAndEnterMakeTheMoveAndTheGridComesBack) {
  StartKnownDeal();
  SolGame& game = window->Game();
  SolGame reference = game;
  reference.onJournalAppend = nullptr;

  Tick();  // the first tick draws the cursor, unless the timer already did
  ASSERT_TRUE(View().HasKeyboardGrid());
  for (int step = 0; step < 4; ++step) {
    std::vector<MoveReference> moves;
    for (const MoveReference& move : ListMoves(game)) {
      if (!move.IsTap()) moves.push_back(move);
    }
    ASSERT_FALSE(moves.empty()) << "step " << step;
    const MoveReference move = moves[static_cast<std::size_t>(step) * 2 % moves.size()];
    const CardState card = game.cards[move.source];

    ASSERT_TRUE(SteerTo(card.pile, card.position)) << "step " << step;
    Press(Qt::Key_Return);
    ASSERT_EQ(View().SelectedPile(), card.pile) << "step " << step;
    ASSERT_TRUE(SteerTo(move.destination, kNoReference)) << "step " << step;
    Press(Qt::Key_Return);

    ASSERT_TRUE(PerformPlayerMove(reference, move, nullptr));
    EXPECT_EQ(game.cards, reference.cards) << "step " << step;
    EXPECT_EQ(game.piles, reference.piles) << "step " << step;
    EXPECT_EQ(game.journal->Count(), reference.journal->Count()) << "step " << step;
    EXPECT_EQ(View().SelectedPile(), kNoSelection);
    ASSERT_TRUE(View().HasKeyboardGrid()) << "rebuilt after the move, step " << step;
  }

  Command(command::kUndo);
  EXPECT_TRUE(View().HasKeyboardGrid()) << "rebuilt after an undo";
}

INSTANTIATE_TEST_SUITE_P(Modes, MainWindowKeyboard,
                         ::testing::Values(PlayMode::kKeyboardCardWise, PlayMode::kKeyboardPileWise),
                         [](const ::testing::TestParamInfo<PlayMode>& mode) {
                           return mode.param == PlayMode::kKeyboardCardWise ? "CardWise" : "PileWise";
                         });

TEST_F(MainWindowTest, InThePointerModesTheKeysMoveNoCard) {
  StartFreeCell();
  ASSERT_EQ(window->Prefs().playMode, static_cast<std::uint8_t>(PlayMode::kDragAndDrop));
  const std::vector<CardState> dealt = window->Game().cards;
  window->View()->BuildKeyboardGrid(GridChoice::kSource);
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Right, Qt::Key_Return, Qt::Key_Down, Qt::Key_Return}) {
    QTest::keyClick(window->View()->Widget(), key);
  }
  EXPECT_EQ(window->Game().cards, dealt);
  EXPECT_EQ(window->View()->SelectedPile(), kNoSelection);
}

TEST_F(MainWindowTest, LeavingTheWindowPausesTheClockAndComingBackResumesIt) {
  StartFreeCell();
  QWidget* main = window->TopLevel();
  main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main));
  Resync();
  Tick();
  now += 10;
  Tick();
  ASSERT_EQ(window->Clock().Elapsed(), 10u);

  QWidget other;
  other.resize(100, 100);
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_TRUE(window->Clock().paused);
  now += 100;
  Tick();
  EXPECT_EQ(window->Clock().Elapsed(), 10u) << "no time counts while another window is active";

  main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main));
  EXPECT_FALSE(window->Clock().paused);
  Tick();
  EXPECT_EQ(window->Clock().Elapsed(), 10u) << "the time away is not counted on return";
  now += 5;
  Tick();
  EXPECT_EQ(window->Clock().Elapsed(), 15u);
}

TEST_F(MainWindowTest, ActivationWithNoSolitaireCurrentChangesNothing) {
  Preferences stored;
  stored.curSolId = 4711;
  SavePreferences(*registry, title, stored);
  window = std::make_unique<MainWindow>(*registry, screen);
  window->SetSecondsClock([this] { return now; });
  ASSERT_TRUE(window->CreateMainWindow(title));  // not shown: no tick opens the chooser
  ASSERT_FALSE(window->SolitaireCurrent());
  ASSERT_TRUE(window->Clock().paused);

  for (const WPARAM state : {WA_ACTIVE, WA_INACTIVE, WA_ACTIVE}) {
    window->SendMessage(WM_ACTIVATE, state);
    EXPECT_TRUE(window->Clock().paused) << "state " << state;
    EXPECT_TRUE(window->Clock().resync);
    EXPECT_EQ(window->Clock().Elapsed(), 0u);
  }
  EXPECT_FALSE(window->Game().HasPlayState());
}

}  // namespace
}  // namespace cw
