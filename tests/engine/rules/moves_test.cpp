#include "engine/rules/moves.h"

#include <gtest/gtest.h>

#include "engine/rules/actions.h"
#include "engine/rules/automatic_events.h"
#include "tests/engine/rules/hand_built_game.h"

namespace cw {
namespace {

using testing::HandBuiltGame;
using testing::MoveAction;
using testing::OpenPile;
using testing::PileAttributeAction;
using testing::PileContents;
using testing::RecordingObserver;
using testing::SnapshotOf;

using Cards = std::vector<std::uint16_t>;

// Piles: 0 holds cards 0-6, 1 holds 7-8, 2 is empty, 3 is hidden, 4 holds
// 9-11 and fires its tap event (5 when empty).
class MovesTest : public ::testing::Test {
 protected:
  MovesTest() {
    builder.AddPile(OpenPile(7));
    builder.AddPile(OpenPile(2));
    builder.AddPile(OpenPile(0));
    PileDef hidden = OpenPile(0);
    hidden.shown = 0;
    builder.AddPile(hidden);
    tapEvent = builder.AddEvent(EventKind::kOnRequest);
    emptyTapEvent = builder.AddEvent(EventKind::kOnRequest);
    PileDef stock = OpenPile(3);
    stock.tapEvent = tapEvent;
    stock.emptyTapEvent = emptyTapEvent;
    builder.AddPile(stock);
  }

  SolGame& game() { return builder.game; }
  const MoveJournal& journal() { return *builder.game.journal; }

  HandBuiltGame builder;
  std::uint16_t tapEvent = 0;
  std::uint16_t emptyTapEvent = 0;
};

TEST_F(MovesTest, DropOfARunWritesOneRecordAndUndoPutsItBack) {
  builder.Deal();
  const auto before = SnapshotOf(game());
  ASSERT_TRUE(DropCards(game(), 4, 1, nullptr));
  EXPECT_EQ(PileContents(game(), 0), (Cards{0, 1, 2, 3}));
  EXPECT_EQ(PileContents(game(), 1), (Cards{7, 8, 4, 5, 6}));
  ASSERT_EQ(journal().Count(), 1u);
  EXPECT_EQ(journal()[0], (JournalRecord{0, 1, 0, 0, 4, 1, 2, 0}));

  EXPECT_TRUE(UndoMove(game()));
  EXPECT_EQ(SnapshotOf(game()), before);
  EXPECT_TRUE(journal().Empty());
}

TEST_F(MovesTest, RefusedDropChangesAndWritesNothing) {
  builder.Deal();
  auto expectRefused = [&](std::uint16_t card, std::uint16_t pile, const char* why) {
    const auto before = SnapshotOf(game());
    EXPECT_FALSE(DropCards(game(), card, pile, nullptr)) << why;
    EXPECT_EQ(SnapshotOf(game()), before) << why;
    EXPECT_TRUE(journal().Empty()) << why;
  };
  expectRefused(6, 3, "hidden destination");
  expectRefused(6, 0, "own pile");
  expectRefused(60, 1, "no such card");
  expectRefused(6, 9, "no such pile");

  game().cards[8].open = 0;
  expectRefused(6, 1, "top card of the destination not open");

  game().piles[2].acceptProgram = builder.failProgram;
  expectRefused(6, 2, "accept program fails");
  game().piles[2].acceptProgram = 40;
  expectRefused(6, 2, "accept program missing");

  game().piles[2].acceptProgram = builder.passProgram;
  builder.game.definition.piles[2].kind = 1;
  expectRefused(6, 2, "empty pile of kind 1");
  builder.game.definition.piles[2].kind = 0;

  game().allowedMoves = {{1, 2}};
  expectRefused(6, 2, "no route from pile 0");
  EXPECT_TRUE(DropCards(game(), 8, 2, nullptr));
}

TEST_F(MovesTest, DropFiresTheDestinationsDropEvent) {
  const auto dropEvent = builder.AddEvent(EventKind::kOnRequest);
  builder.AddAction(dropEvent, PileAttributeAction(2, PileAttribute::kReverse, 0));
  builder.AddAction(dropEvent, PileAttributeAction(2, PileAttribute::kShown, 1));  // changes nothing
  builder.game.definition.piles[2].dropEvent = dropEvent;
  builder.Deal();
  const auto before = SnapshotOf(game());

  RecordingObserver observer;
  ASSERT_TRUE(DropCards(game(), 5, 2, &observer));
  EXPECT_EQ(PileContents(game(), 2), (Cards{6, 5}));
  // The player's own move comes first, then what the drop event did.
  ASSERT_EQ(observer.changes.size(), 2u);
  EXPECT_EQ(*observer.At<CardsMoved>(0), (CardsMoved{0, 5, 2, 2, 0}));
  const PileReordered* reversed = observer.At<PileReordered>(1);
  ASSERT_NE(reversed, nullptr);
  EXPECT_EQ(reversed->pile, 2);
  EXPECT_EQ(Cards(reversed->cards.begin(), reversed->cards.end()), (Cards{6, 5}));
  ASSERT_EQ(journal().Count(), 2u);
  EXPECT_EQ(journal()[1], (JournalRecord{1, 0, 0, 0, 0, 0, 0, 0}));

  EXPECT_TRUE(UndoMove(game()));
  EXPECT_EQ(SnapshotOf(game()), before);
}

TEST_F(MovesTest, DropWhoseEventDoesNotHoldStillMoves) {
  const auto dropEvent = builder.AddEvent(EventKind::kOnRequest);
  builder.AddAction(dropEvent, PileAttributeAction(2, PileAttribute::kReverse, 0));
  builder.AddCondition(dropEvent, builder.failProgram, 0);
  builder.game.definition.piles[2].dropEvent = dropEvent;
  builder.Deal();
  EXPECT_TRUE(DropCards(game(), 5, 2, nullptr));
  EXPECT_EQ(PileContents(game(), 2), (Cards{5, 6}));
  EXPECT_EQ(journal().Count(), 1u);
}

TEST_F(MovesTest, TapFiresTheTapEventOrTheEmptyTapEvent) {
  builder.AddAction(tapEvent, MoveAction(1, 4, 0, 1, 2, 1, 0));
  builder.AddAction(emptyTapEvent, MoveAction(0, 2, 0, 0, 4, 1, 0));
  builder.Deal();
  RecordingObserver observer;
  EXPECT_TRUE(TapPile(game(), 4, &observer));
  EXPECT_TRUE(TapPile(game(), 4, &observer));
  EXPECT_TRUE(TapPile(game(), 4, &observer));
  EXPECT_EQ(PileContents(game(), 2), (Cards{11, 10, 9}));
  EXPECT_EQ(observer.changes.size(), 3u);
  EXPECT_EQ(journal()[0], (JournalRecord{1, 1, 0, 0, 1, 0, 0, 0}));

  EXPECT_TRUE(TapPile(game(), 4, &observer));  // empty: gathers pile 2 back
  EXPECT_EQ(PileContents(game(), 4), (Cards{11, 10, 9}));
  EXPECT_EQ(journal().Count(), 4u);
  EXPECT_EQ(journal()[3].groupStart, 1);
}

TEST_F(MovesTest, TapIsRefusedOnHiddenPilesAndFixedCards) {
  builder.AddAction(tapEvent, MoveAction(1, 4, 0, 1, 2, 1, 0));
  builder.Deal();
  const auto before = SnapshotOf(game());
  game().piles[4].shown = 0;
  EXPECT_FALSE(TapPile(game(), 4, nullptr));
  game().piles[4].shown = 1;
  game().cards[11].movable = 0;
  EXPECT_FALSE(TapPile(game(), 4, nullptr));
  EXPECT_FALSE(TapPile(game(), 9, nullptr));
  game().cards[11].movable = 1;
  EXPECT_EQ(SnapshotOf(game()), before);
  EXPECT_TRUE(journal().Empty());
}

TEST_F(MovesTest, EmptyPileOfKindOneCannotBeTapped) {
  builder.AddAction(emptyTapEvent, MoveAction(2, 0, 0, 1, 4, 1, 0));
  builder.game.definition.piles[4].dealCount = 0;
  builder.game.definition.piles[4].kind = 1;
  builder.Deal();
  EXPECT_FALSE(TapPile(game(), 4, nullptr));
  EXPECT_TRUE(journal().Empty());
}

TEST_F(MovesTest, TapCounterAllowsTwoTaps) {
  builder.AddAction(tapEvent, MoveAction(1, 4, 0, 1, 2, 1, 0));
  builder.AddCounter(tapEvent, 2, 0);
  builder.Deal();
  EXPECT_TRUE(TapPile(game(), 4, nullptr));
  EXPECT_EQ(journal()[0], (JournalRecord{3, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(journal()[1].groupStart, 0);
  EXPECT_TRUE(TapPile(game(), 4, nullptr));
  const auto before = SnapshotOf(game());
  EXPECT_FALSE(TapPile(game(), 4, nullptr));
  EXPECT_EQ(SnapshotOf(game()), before);
  EXPECT_EQ(journal().Count(), 4u);

  EXPECT_TRUE(UndoMove(game()));
  EXPECT_EQ(game().counters[0].value, 1);
  EXPECT_EQ(PileContents(game(), 2), (Cards{11}));
}

TEST_F(MovesTest, TapThatChangesNothingKeepsItsCounterRecord) {
  builder.AddAction(tapEvent, PileAttributeAction(4, PileAttribute::kShown, 1));
  builder.AddCounter(tapEvent, 2, 0);
  builder.Deal();
  const auto before = SnapshotOf(game());
  EXPECT_FALSE(TapPile(game(), 4, nullptr));
  EXPECT_EQ(game().counters[0].value, 1);
  ASSERT_EQ(journal().Count(), 1u);
  EXPECT_EQ(journal()[0].type, 3u);
  EXPECT_TRUE(UndoMove(game()));
  EXPECT_EQ(SnapshotOf(game()), before);
}

TEST_F(MovesTest, UndoWithAnEmptyJournalDoesNothing) {
  builder.Deal();
  const auto before = SnapshotOf(game());
  EXPECT_FALSE(UndoMove(game()));
  EXPECT_FALSE(UndoStep(game()));
  EXPECT_EQ(SnapshotOf(game()), before);

  SolGame noPlayState;
  EXPECT_FALSE(UndoMove(noPlayState));
  EXPECT_FALSE(UndoStep(noPlayState));
}

TEST_F(MovesTest, UndoMoveTakesBackOnlyTheLastPlayerMove) {
  builder.Deal();
  ASSERT_TRUE(DropCards(game(), 6, 2, nullptr));
  const auto afterFirst = SnapshotOf(game());
  ASSERT_TRUE(DropCards(game(), 7, 2, nullptr));
  EXPECT_TRUE(UndoMove(game()));
  EXPECT_EQ(SnapshotOf(game()), afterFirst);
  EXPECT_EQ(journal().Count(), 1u);
}

TEST_F(MovesTest, UndoStepReportsTheReversedMove) {
  builder.Deal();
  ASSERT_TRUE(DropCards(game(), 5, 2, nullptr));
  RecordingObserver observer;
  EXPECT_TRUE(UndoStep(game(), &observer));
  ASSERT_EQ(observer.changes.size(), 1u);
  EXPECT_EQ(*observer.At<CardsMoved>(0), (CardsMoved{2, 0, 2, 0, 5}));
}

TEST_F(MovesTest, DamagedJournalRecordsAreDroppedWithoutHarm) {
  builder.Deal();
  const auto before = SnapshotOf(game());
  game().AppendJournal({1, 1, 0, 999, 0, 0, 0, 0});  // no such action
  game().AppendJournal({2, 0, 0, 999, 0, 0, 0, 0});  // no such card
  game().AppendJournal({3, 0, 0, 999, 0, 0, 0, 0});  // no such counter
  game().AppendJournal({0, 0, 0, 40, 0, 50, -3, 0});  // no such piles
  game().AppendJournal({9, 0, 0, 0, 0, 0, 0, 0});     // no such record type
  EXPECT_TRUE(UndoMove(game()));
  EXPECT_TRUE(journal().Empty());
  EXPECT_EQ(SnapshotOf(game()), before);

  // Without any group start the journal is undone to its start, not past it.
  game().AppendJournal({2, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_TRUE(UndoMove(game()));
  EXPECT_TRUE(journal().Empty());
}

TEST_F(MovesTest, JournalGrowsByTenAndSignalsEveryRecord) {
  builder.Deal();
  int signals = 0;
  game().onJournalAppend = [&] { ++signals; };
  EXPECT_EQ(journal().Capacity(), 10u);
  for (int i = 0; i < 11; ++i) {
    ASSERT_TRUE(DropCards(game(), 6, static_cast<std::uint16_t>(i % 2 == 0 ? 2 : 0), nullptr));
    UpdateOpenFlags(game(), false);
  }
  EXPECT_EQ(journal().Count(), 11u);
  EXPECT_EQ(journal().Capacity(), 20u);
  EXPECT_EQ(signals, 11);
}

}  // namespace
}  // namespace cw
