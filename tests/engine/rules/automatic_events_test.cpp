#include "engine/rules/automatic_events.h"

#include <gtest/gtest.h>

#include "engine/rules/actions.h"
#include "engine/rules/moves.h"
#include "tests/engine/rules/hand_built_game.h"

namespace cw {
namespace {

using testing::HandBuiltGame;
using testing::kListAHoldsProgram;
using testing::MoveAction;
using testing::OpenPile;
using testing::PileAttributeAction;
using testing::PileContents;
using testing::RecordingObserver;
using testing::SimpleAction;
using testing::SnapshotOf;

using Cards = std::vector<std::uint16_t>;

// Piles: 0 holds cards 0-2, 1 is empty, 2 holds 3-4.
class AutomaticEventsTest : public ::testing::Test {
 protected:
  AutomaticEventsTest() {
    builder.AddPile(OpenPile(3));
    builder.AddPile(OpenPile(0));
    builder.AddPile(OpenPile(2));
    holdsProgram = builder.AddProgram(kListAHoldsProgram);
  }

  SolGame& game() { return builder.game; }
  const MoveJournal& journal() { return *builder.game.journal; }

  // An event that moves the top card of pile 0 to pile 1 while pile 0 holds one.
  std::uint16_t AddTopCardMover(EventKind kind) {
    const auto event = builder.AddEvent(kind);
    builder.AddCondition(event, holdsProgram, 0);
    builder.AddAction(event, MoveAction(1, 0, 0, 1, 1, 1, 0));
    return event;
  }

  HandBuiltGame builder;
  std::uint16_t holdsProgram = 0;
};

TEST_F(AutomaticEventsTest, AutomaticEventRunsOncePerPass) {
  AddTopCardMover(EventKind::kAutomatic);
  builder.Deal();
  EXPECT_TRUE(RunAutomaticEvents(game(), nullptr));
  EXPECT_EQ(PileContents(game(), 1), (Cards{2}));
}

TEST_F(AutomaticEventsTest, RepeatingEventThatChangesNothingStillAsksForAnotherPass) {
  const auto repeating = builder.AddEvent(EventKind::kRepeating);
  builder.AddCondition(repeating, holdsProgram, 0);
  builder.AddAction(repeating, PileAttributeAction(0, PileAttribute::kShown, 1));
  AddTopCardMover(EventKind::kAutomatic);
  builder.Deal();
  EXPECT_TRUE(RunAutomaticEvents(game(), nullptr));
  // One pass per card while pile 0 held one, so the mover ran three times.
  EXPECT_EQ(PileContents(game(), 1), (Cards{2, 1, 0}));
}

TEST_F(AutomaticEventsTest, RepeatingEventRunsUntilItsConditionsFail) {
  AddTopCardMover(EventKind::kRepeating);
  builder.Deal();
  RecordingObserver observer;
  EXPECT_TRUE(RunAutomaticEvents(game(), &observer));
  EXPECT_EQ(PileContents(game(), 1), (Cards{2, 1, 0}));
  EXPECT_EQ(observer.changes.size(), 3u);
  EXPECT_FALSE(RunAutomaticEvents(game(), &observer));
}

TEST_F(AutomaticEventsTest, WonEndsThePassAtOnce) {
  const auto win = builder.AddEvent(EventKind::kAutomatic);
  builder.AddAction(win, SimpleAction(ActionType::kGameWon));
  AddTopCardMover(EventKind::kRepeating);
  builder.Deal();
  EXPECT_TRUE(RunAutomaticEvents(game(), nullptr));
  EXPECT_EQ(game().won, 1);
  EXPECT_EQ(PileContents(game(), 1), Cards{});
}

TEST_F(AutomaticEventsTest, EndlessRepeatingEventStopsAtThePassCap) {
  const auto endless = builder.AddEvent(EventKind::kRepeating);
  builder.AddCondition(endless, builder.passProgram, 0);
  builder.AddAction(endless, PileAttributeAction(2, PileAttribute::kReverse, 0));
  builder.Deal();
  const auto before = SnapshotOf(game());
  EXPECT_TRUE(RunAutomaticEvents(game(), nullptr));
  // An even number of reversals: the table is as it was, one record a pass.
  EXPECT_EQ(SnapshotOf(game()), before);
  EXPECT_EQ(journal().Count(), static_cast<std::uint32_t>(kMaxAutomaticPasses));
}

TEST_F(AutomaticEventsTest, CounterLimitsFiringsAndFiresItsExhaustedEventOnce) {
  const auto mover = AddTopCardMover(EventKind::kAutomatic);
  const auto exhausted = builder.AddEvent(EventKind::kOnRequest);
  builder.AddAction(exhausted, PileAttributeAction(2, PileAttribute::kShown, 0));
  builder.AddCounter(mover, 2, exhausted);
  builder.Deal();

  RecordingObserver observer;
  EXPECT_TRUE(RunAutomaticEvents(game(), &observer));
  EXPECT_EQ(observer.changes.size(), 1u);
  EXPECT_TRUE(RunAutomaticEvents(game(), &observer));
  ASSERT_EQ(observer.changes.size(), 3u);
  EXPECT_EQ(*observer.At<PileAttributeSet>(2), (PileAttributeSet{2, PileAttribute::kShown, 0}));
  EXPECT_EQ(game().counters[0].value, 0);
  EXPECT_FALSE(RunAutomaticEvents(game(), &observer));
  EXPECT_EQ(PileContents(game(), 0), (Cards{0}));
}

TEST_F(AutomaticEventsTest, AutomaticRecordsAreUndoneWithThePlayerMove) {
  AddTopCardMover(EventKind::kRepeating);
  builder.Deal();
  const auto before = SnapshotOf(game());
  ASSERT_TRUE(DropCards(game(), 4, 1, nullptr));
  EXPECT_TRUE(RunAutomaticEvents(game(), nullptr));
  ASSERT_GT(journal().Count(), 1u);
  for (std::uint32_t i = 1; i < journal().Count(); ++i) EXPECT_EQ(journal()[i].groupStart, 0);
  EXPECT_TRUE(UndoMove(game()));
  EXPECT_EQ(SnapshotOf(game()), before);
  EXPECT_TRUE(journal().Empty());
}

TEST_F(AutomaticEventsTest, StartEventsRunOnceWithoutRecords) {
  AddTopCardMover(EventKind::kGameStart);
  AddTopCardMover(EventKind::kAutomatic);
  builder.Deal();
  EXPECT_TRUE(RunStartEvents(game()));
  EXPECT_EQ(PileContents(game(), 1), (Cards{2}));
  EXPECT_TRUE(journal().Empty());
  EXPECT_EQ(game().cards[1].open, 1);  // the new top card of pile 0

  // The automatic passes leave the game-start event alone.
  EXPECT_TRUE(RunAutomaticEvents(game(), nullptr));
  EXPECT_EQ(PileContents(game(), 1), (Cards{2, 1}));
}

TEST_F(AutomaticEventsTest, StartEventsStopWhenWon) {
  const auto win = builder.AddEvent(EventKind::kGameStart);
  builder.AddAction(win, SimpleAction(ActionType::kGameWon));
  AddTopCardMover(EventKind::kGameStart);
  builder.Deal();
  EXPECT_TRUE(RunStartEvents(game()));
  EXPECT_EQ(game().won, 1);
  EXPECT_EQ(PileContents(game(), 1), Cards{});
}

TEST_F(AutomaticEventsTest, OpenFlagsFollowTheTopCards) {
  builder.Deal();
  ActionDef move = MoveAction(1, 0, 0, 1, 2, 1, 0);  // card 2 onto card 4
  ASSERT_TRUE(ExecuteAction(game(), move, nullptr));
  UpdateOpenFlags(game(), true);
  EXPECT_EQ(game().cards[1].open, 1);
  EXPECT_EQ(game().cards[4].open, 0);
  EXPECT_EQ(game().cards[2].open, 1);
  ASSERT_EQ(journal().Count(), 2u);
  EXPECT_EQ(journal()[0], (JournalRecord{2, 0, 0, 1, 0, 0, 0, 0}));
  EXPECT_EQ(journal()[1], (JournalRecord{2, 0, 0, 4, 0, 0, 0, 0}));
}

TEST_F(AutomaticEventsTest, OpenFlagsOfManualPilesAreLeftAlone) {
  builder.game.definition.piles[2].manualOpen = 1;
  builder.Deal();
  game().cards[3].open = 1;
  ActionDef move = MoveAction(1, 0, 0, 1, 2, 1, 0);
  ASSERT_TRUE(ExecuteAction(game(), move, nullptr));
  UpdateOpenFlags(game(), false);
  EXPECT_EQ(game().cards[3].open, 1);
  EXPECT_EQ(game().cards[1].open, 1);
  EXPECT_TRUE(journal().Empty());
}

TEST_F(AutomaticEventsTest, NewGameRunsTheStartEventsAndCannotBeUndone) {
  AddTopCardMover(EventKind::kGameStart);
  AddTopCardMover(EventKind::kAutomatic);
  builder.game.definition.piles[0].dealCount = 50;  // the dealer places the whole deck
  std::uint32_t number = 12;
  ASSERT_TRUE(StartNewGame(game(), number));
  EXPECT_EQ(game().piles[0].count, 49);
  EXPECT_EQ(game().piles[1].count, 1);
  const auto moved = game().TopCard(1);
  ASSERT_TRUE(moved);
  EXPECT_EQ(game().cards[*moved].open, 1);
  EXPECT_EQ(game().cards[*game().TopCard(0)].open, 1);
  EXPECT_TRUE(journal().Empty());
  EXPECT_FALSE(UndoMove(game()));
}

TEST_F(AutomaticEventsTest, NewGameFailsWhenTheDeckCannotBeDealt) {
  std::uint32_t number = 12;  // 5 places for 52 cards
  EXPECT_FALSE(StartNewGame(game(), number));
}


// Within one pass, a condition asked after an earlier event changed its pile
// must see the change, and one whose piles no event touched keeps its answer.
TEST_F(AutomaticEventsTest, ConditionsLaterInAPassSeeTheCardsEarlierEventsMoved) {
  const std::uint16_t emptyProgram = builder.AddProgram(testing::kListAEmptyProgram);
  // Event 1 reads pile 1 (empty) and moves a card there; event 2 reads pile 1
  // again and pile 2, which nothing changes, and then wins.
  const auto mover = builder.AddEvent(EventKind::kAutomatic);
  builder.AddCondition(mover, emptyProgram, 1);
  builder.AddCondition(mover, holdsProgram, 2);
  builder.AddAction(mover, MoveAction(1, 0, 0, 1, 1, 1, 0));
  const auto winner = builder.AddEvent(EventKind::kAutomatic);
  builder.AddCondition(winner, holdsProgram, 1);
  builder.AddCondition(winner, holdsProgram, 2);
  builder.AddAction(winner, SimpleAction(ActionType::kGameWon));
  builder.Deal();
  EXPECT_TRUE(RunAutomaticEvents(game(), nullptr));
  EXPECT_EQ(PileContents(game(), 1), (Cards{2}));
  EXPECT_EQ(game().won, 1);

  // Taken back, the table is as dealt, and the same pass plays out again.
  while (!journal().Empty()) UndoStep(game());
  EXPECT_EQ(game().won, 0);
  EXPECT_TRUE(RunAutomaticEvents(game(), nullptr));
  EXPECT_EQ(game().won, 1);
}

// A condition reads its first pile's enabled flag too: switched off by an
// earlier event of the pass, the pile fails a condition that held before,
// while a change no condition reads (a pick program) leaves answers alone.
TEST_F(AutomaticEventsTest, ConditionsLaterInAPassSeeAPileSwitchedOff) {
  const auto first = builder.AddEvent(EventKind::kAutomatic);
  builder.AddCondition(first, holdsProgram, 2);
  builder.AddAction(first, PileAttributeAction(0, PileAttribute::kPickProgram, holdsProgram));
  const auto switchOff = builder.AddEvent(EventKind::kAutomatic);
  builder.AddAction(switchOff, PileAttributeAction(2, PileAttribute::kEnabled, 0));
  const auto winner = builder.AddEvent(EventKind::kAutomatic);
  const auto holdsOnPileTwo = static_cast<std::uint16_t>(game().definition.conditions.size() - 1);
  game().definition.eventConditions.push_back({winner, holdsOnPileTwo});
  builder.AddAction(winner, SimpleAction(ActionType::kGameWon));
  builder.Deal();
  EXPECT_TRUE(RunAutomaticEvents(game(), nullptr));
  EXPECT_EQ(game().piles[0].pickProgram, holdsProgram);
  EXPECT_EQ(game().piles[2].enabled, 0);
  EXPECT_EQ(game().won, 0) << "the condition on pile 2 was asked again";
}

}  // namespace
}  // namespace cw
