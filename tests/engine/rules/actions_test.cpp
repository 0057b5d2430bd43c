#include "engine/rules/actions.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/engine/rules/hand_built_game.h"

namespace cw {
namespace {

using testing::CardAttributeAction;
using testing::HandBuiltGame;
using testing::MoveAction;
using testing::OpenPile;
using testing::PileAttributeAction;
using testing::PileContents;
using testing::PilesAreConsistent;
using testing::RecordingObserver;
using testing::RouteAction;
using testing::SimpleAction;
using testing::SnapshotOf;

using Cards = std::vector<std::uint16_t>;

// Piles 0-3 hold cards 0-6, 7-8, nothing and 9-11.
class ActionTest : public ::testing::Test {
 protected:
  ActionTest() {
    builder.AddPile(OpenPile(7));
    builder.AddPile(OpenPile(2));
    builder.AddPile(OpenPile(0));
    builder.AddPile(OpenPile(3));
    event = builder.AddEvent(EventKind::kOnRequest);
  }

  SolGame& game() { return builder.game; }

  // Runs one action forward, as an event would, and answers whether it changed
  // anything; `undoValue` and `observer` receive what it reports.
  bool Run(const ActionDef& action) {
    observer = RecordingObserver();
    undoValue = 0;
    return ExecuteAction(game(), action, &undoValue, &observer);
  }
  // The one move the last Run reported.
  CardsMoved Moved() const {
    EXPECT_EQ(observer.changes.size(), 1u);
    const CardsMoved* moved = observer.At<CardsMoved>(0);
    return moved != nullptr ? *moved : CardsMoved{};
  }

  // Performs the action through an event with recording, checks the table
  // stayed sound, and takes it back: the table must be as before.
  void ExpectUndoRestores(const ActionDef& action) {
    builder.AddAction(event, action);
    builder.Deal();
    const auto before = SnapshotOf(game());
    bool groupStarted = false;
    std::size_t cursor = 0;
      ASSERT_TRUE(FireEventActions(game(), event, groupStarted, cursor, nullptr, true));
    EXPECT_TRUE(PilesAreConsistent(game()));
    EXPECT_NE(SnapshotOf(game()), before);
    EXPECT_TRUE(UndoMove(game()));
    EXPECT_EQ(SnapshotOf(game()), before);
    EXPECT_TRUE(game().journal->Empty());
  }

  HandBuiltGame builder;
  std::uint16_t event = 0;
  RecordingObserver observer;
  std::uint16_t undoValue = 0;
};

TEST_F(ActionTest, MoveTakesTheRangeOfEachSourceMode) {
  builder.Deal();
  // Mode 0: all but one bottom card and two top cards.
  EXPECT_TRUE(Run(MoveAction(0, 0, 1, 2, 1, 1, 0)));
  EXPECT_EQ(PileContents(game(), 0), (Cards{0, 5, 6}));
  EXPECT_EQ(PileContents(game(), 1), (Cards{7, 8, 1, 2, 3, 4}));
  EXPECT_EQ(undoValue, 7);  // the source count before the move
  EXPECT_EQ(Moved(), (CardsMoved{0, 1, 4, 1, 2}));

  builder.Deal();
  // Mode 1: two cards under the top card, inserted one above the bottom.
  EXPECT_TRUE(Run(MoveAction(1, 0, 1, 2, 1, 2, 1)));
  EXPECT_EQ(PileContents(game(), 0), (Cards{0, 1, 2, 3, 6}));
  EXPECT_EQ(PileContents(game(), 1), (Cards{7, 4, 5, 8}));
  EXPECT_EQ(undoValue, 2);
  EXPECT_EQ(Moved(), (CardsMoved{0, 4, 2, 1, 1}));

  builder.Deal();
  // Mode 2: three cards two above the bottom, under the top card of pile 3.
  EXPECT_TRUE(Run(MoveAction(2, 0, 2, 3, 3, 1, 1)));
  EXPECT_EQ(PileContents(game(), 0), (Cards{0, 1, 5, 6}));
  EXPECT_EQ(PileContents(game(), 3), (Cards{9, 10, 2, 3, 4, 11}));
  EXPECT_EQ(undoValue, 3);
  EXPECT_TRUE(PilesAreConsistent(game()));
}

TEST_F(ActionTest, ShortPileMovesWhatItHoldsContiguously) {
  builder.Deal();
  // Three cards asked of a pile of two: both go, together, under pile 3's top.
  EXPECT_TRUE(Run(MoveAction(1, 1, 0, 3, 3, 1, 1)));
  EXPECT_EQ(PileContents(game(), 1), Cards{});
  EXPECT_EQ(PileContents(game(), 3), (Cards{9, 10, 7, 8, 11}));
  EXPECT_EQ(Moved(), (CardsMoved{1, 0, 2, 3, 2}));
  EXPECT_EQ(undoValue, 2);

  builder.Deal();
  // Under the top card of a pile of two only the bottom card is left to take.
  EXPECT_TRUE(Run(MoveAction(1, 1, 1, 3, 2, 1, 0)));
  EXPECT_EQ(PileContents(game(), 1), (Cards{8}));
  EXPECT_EQ(PileContents(game(), 2), (Cards{7}));

  builder.Deal();
  // Mode 2 running past the top takes the cards up to the top.
  EXPECT_TRUE(Run(MoveAction(2, 0, 5, 4, 2, 1, 0)));
  EXPECT_EQ(PileContents(game(), 2), (Cards{5, 6}));
  EXPECT_TRUE(PilesAreConsistent(game()));
}

TEST_F(ActionTest, MoveOfNoCardChangesNothing) {
  builder.Deal();
  const auto before = SnapshotOf(game());
  EXPECT_FALSE(Run(MoveAction(2, 2, 0, 1, 0, 1, 0)));  // from an empty pile
  EXPECT_FALSE(Run(MoveAction(0, 1, 1, 1, 0, 1, 0)));  // nothing between bottom and top
  EXPECT_FALSE(Run(MoveAction(2, 0, 7, 3, 1, 1, 0)));  // starts above the top
  EXPECT_FALSE(Run(MoveAction(1, 1, 2, 1, 0, 1, 0)));  // under more cards than there are
  EXPECT_FALSE(Run(MoveAction(3, 0, 0, 1, 1, 1, 0)));  // unknown mode
  EXPECT_EQ(SnapshotOf(game()), before);
}

TEST_F(ActionTest, InsertionPointStaysOnTheDestination) {
  builder.Deal();
  // Under ten cards of a pile of two: the bottom.
  EXPECT_TRUE(Run(MoveAction(2, 0, 0, 1, 1, 1, 10)));
  EXPECT_EQ(PileContents(game(), 1), (Cards{0, 7, 8}));
  EXPECT_EQ(Moved(), (CardsMoved{0, 0, 1, 1, 0}));
  // Ten above the bottom of a pile of three: the top.
  EXPECT_TRUE(Run(MoveAction(2, 0, 0, 1, 1, 2, 10)));
  EXPECT_EQ(PileContents(game(), 1), (Cards{0, 7, 8, 1}));
  EXPECT_EQ(Moved(), (CardsMoved{0, 0, 1, 1, 3}));
  EXPECT_TRUE(PilesAreConsistent(game()));
}

TEST_F(ActionTest, MoveWithinOnePile) {
  builder.Deal();
  EXPECT_TRUE(Run(MoveAction(2, 0, 0, 2, 0, 1, 0)));
  EXPECT_EQ(PileContents(game(), 0), (Cards{2, 3, 4, 5, 6, 0, 1}));
  EXPECT_EQ(game().piles[0].count, 7);
}

TEST_F(ActionTest, OtherInsertionModeUsesTheFirstPositionOfTheRange) {
  builder.Deal();
  EXPECT_TRUE(Run(MoveAction(2, 0, 1, 1, 3, 0, 0)));
  EXPECT_EQ(PileContents(game(), 3), (Cards{9, 1, 10, 11}));
}

TEST_F(ActionTest, ActionsOnMissingPilesChangeNothing) {
  builder.Deal();
  const auto before = SnapshotOf(game());
  EXPECT_FALSE(Run(MoveAction(0, 4, 0, 0, 1, 1, 0)));
  EXPECT_FALSE(Run(MoveAction(0, 0, 0, 0, 4, 1, 0)));
  EXPECT_FALSE(Run(MoveAction(0, 0, 0, 0, kNoReference, 1, 0)));
  EXPECT_FALSE(Run(PileAttributeAction(9, PileAttribute::kShown, 0)));
  EXPECT_FALSE(Run(PileAttributeAction(9, PileAttribute::kShuffle, 0)));
  EXPECT_FALSE(Run(CardAttributeAction(0, 9, 0, 0, CardAttribute::kFaceUp, 0)));
  EXPECT_FALSE(Run(RouteAction(ActionType::kDenyRoute, 9, 1)));
  EXPECT_FALSE(Run(RouteAction(ActionType::kAllowRoute, 0, 9)));
  EXPECT_FALSE(Run(SimpleAction(ActionType::kResetCounter, 0)));
  EXPECT_FALSE(Run(SimpleAction(static_cast<ActionType>(7))));
  EXPECT_EQ(SnapshotOf(game()), before);
}

TEST_F(ActionTest, MoveUndoRestoresTheTable) {
  for (const ActionDef& action : {
           MoveAction(0, 0, 1, 2, 1, 1, 0),   // mode 0 onto the top
           MoveAction(0, 0, 2, 1, 3, 2, 1),   // mode 0 into the middle
           MoveAction(1, 0, 1, 2, 1, 2, 1),   // mode 1, inserted from the bottom
           MoveAction(1, 1, 0, 3, 3, 1, 1),   // mode 1 on a short pile
           MoveAction(1, 1, 1, 3, 2, 1, 0),   // mode 1 leaving the top card
           MoveAction(2, 0, 2, 3, 3, 1, 1),   // mode 2
           MoveAction(2, 0, 5, 4, 2, 2, 0),   // mode 2 running past the top
           MoveAction(2, 0, 0, 2, 0, 1, 0),   // within one pile
           MoveAction(2, 0, 0, 1, 1, 1, 10),  // clamped to the bottom
           MoveAction(1, 0, 0, 2, 1, 2, 10),  // clamped to the top
           MoveAction(0, 3, 0, 0, 2, 1, 5),   // a whole pile onto an empty one
       }) {
    SCOPED_TRACE(::testing::Message() << "mode " << int{action.mode} << " from " << action.from
                                      << " to " << action.to << " destMode "
                                      << int{action.destMode} << " destIndex "
                                      << action.destIndex);
    ExpectUndoRestores(action);
    builder.game.definition.actions.clear();
    builder.game.definition.eventActions.clear();
  }
}

TEST_F(ActionTest, FlagAttributesReportOnlyRealChanges) {
  builder.Deal();
  EXPECT_FALSE(Run(PileAttributeAction(0, PileAttribute::kShown, 1)));
  EXPECT_TRUE(Run(PileAttributeAction(0, PileAttribute::kShown, 0)));
  EXPECT_EQ(game().piles[0].shown, 0);
  EXPECT_TRUE(Run(PileAttributeAction(0, PileAttribute::kEnabled, 0)));
  EXPECT_FALSE(Run(PileAttributeAction(0, PileAttribute::kEnabled, 0)));
  // Any non-zero value sets the flag, as the view reads it.
  EXPECT_TRUE(Run(PileAttributeAction(0, PileAttribute::kEnabled, 256)));
  EXPECT_EQ(game().piles[0].enabled, 1);
  EXPECT_EQ(*observer.At<PileAttributeSet>(0), (PileAttributeSet{0, PileAttribute::kEnabled, 1}));
  EXPECT_FALSE(Run(PileAttributeAction(0, static_cast<PileAttribute>(7), 1)));  // no such attribute
  EXPECT_TRUE(observer.changes.empty());
}

TEST_F(ActionTest, ProgramAndValueAttributesGiveTheirPreviousValue) {
  builder.Deal();
  EXPECT_TRUE(Run(PileAttributeAction(1, PileAttribute::kAcceptProgram, 1)));
  EXPECT_EQ(undoValue, 0);
  EXPECT_EQ(game().piles[1].acceptProgram, 1);
  EXPECT_TRUE(Run(PileAttributeAction(1, PileAttribute::kPickProgram, 1)));
  EXPECT_EQ(game().piles[1].pickProgram, 1);
  EXPECT_FALSE(Run(PileAttributeAction(1, PileAttribute::kPickProgram, 1)));
  // A program the definition does not have is never installed.
  EXPECT_FALSE(Run(PileAttributeAction(1, PileAttribute::kAcceptProgram, 2)));
  EXPECT_EQ(game().piles[1].acceptProgram, 1);
  EXPECT_TRUE(observer.changes.empty());

  EXPECT_TRUE(Run(PileAttributeAction(2, PileAttribute::kValue, 0x0304)));
  EXPECT_EQ(undoValue, 0);
  EXPECT_EQ(game().piles[2].PileValue(), 0x0304);
  EXPECT_TRUE(Run(PileAttributeAction(2, PileAttribute::kValue, 5)));
  EXPECT_EQ(undoValue, 0x0304);
  EXPECT_EQ(*observer.At<PileAttributeSet>(0), (PileAttributeSet{2, PileAttribute::kValue, 5}));
}

TEST_F(ActionTest, ReverseTwiceRestoresThePile) {
  builder.Deal();
  const auto before = SnapshotOf(game());
  EXPECT_TRUE(Run(PileAttributeAction(0, PileAttribute::kReverse, 0)));
  EXPECT_EQ(PileContents(game(), 0), (Cards{6, 5, 4, 3, 2, 1, 0}));
  EXPECT_TRUE(Run(PileAttributeAction(0, PileAttribute::kReverse, 0)));
  EXPECT_EQ(SnapshotOf(game()), before);
}

Cards ExpectedShuffle(Cards order, std::uint32_t seed) {
  for (std::size_t i = 0; i < order.size(); ++i) {
    std::swap(order[i], order[((i + 1) * seed) % order.size()]);
  }
  return order;
}

TEST_F(ActionTest, ShuffleDrawsItsSeedAndReplaysBackwards) {
  builder.Deal();
  RuntimeRandom expectedRandom = game().random;
  const int first = expectedRandom.Next();
  const std::uint16_t seed = static_cast<std::uint16_t>((first + expectedRandom.Next()) & 0xFFFF);

  const auto before = SnapshotOf(game());
  EXPECT_TRUE(Run(PileAttributeAction(0, PileAttribute::kShuffle, 0)));
  EXPECT_EQ(undoValue, seed);
  EXPECT_EQ(PileContents(game(), 0), ExpectedShuffle({0, 1, 2, 3, 4, 5, 6}, seed));
  ASSERT_EQ(observer.changes.size(), 1u);
  const PileReordered* reordered = observer.At<PileReordered>(0);
  ASSERT_NE(reordered, nullptr);
  EXPECT_EQ(reordered->pile, 0);
  EXPECT_EQ(Cards(reordered->cards.begin(), reordered->cards.end()), PileContents(game(), 0));
  EXPECT_EQ(game().random.Next(), expectedRandom.Next());

  ActionDef reversal = PileAttributeAction(0, PileAttribute::kShuffle, seed);
  EXPECT_TRUE(ExecuteAction(game(), reversal, nullptr));
  EXPECT_EQ(SnapshotOf(game()), before);
}

TEST_F(ActionTest, ShuffleReversalInvertsTheShuffleOfEverySeed) {
  for (std::uint16_t seed : std::initializer_list<std::uint16_t>{0, 1, 6, 7, 13, 0x7FFF, 0xFFFE, 0xFFFF}) {
    builder.Deal();
    ActionDef reversal = PileAttributeAction(0, PileAttribute::kShuffle, seed);
    EXPECT_TRUE(ExecuteAction(game(), reversal, nullptr));
    EXPECT_TRUE(PilesAreConsistent(game()));
    EXPECT_EQ(ExpectedShuffle(PileContents(game(), 0), seed), (Cards{0, 1, 2, 3, 4, 5, 6}))
        << seed;
  }
}

TEST_F(ActionTest, ShuffleWithSeedZeroPutsTheTopCardAtTheBottom) {
  builder.Deal();
  ActionDef reversal = PileAttributeAction(1, PileAttribute::kShuffle, 0);
  EXPECT_TRUE(ExecuteAction(game(), reversal, nullptr));
  EXPECT_EQ(PileContents(game(), 1), (Cards{8, 7}));
}

TEST_F(ActionTest, ShuffleOfAnEmptyPileChangesNothing) {
  builder.Deal();
  const RuntimeRandom randomBefore = game().random;
  const auto before = SnapshotOf(game());
  EXPECT_FALSE(Run(PileAttributeAction(2, PileAttribute::kShuffle, 0)));
  EXPECT_EQ(SnapshotOf(game()), before);
  RuntimeRandom a = randomBefore;
  EXPECT_EQ(game().random.Next(), a.Next());  // no seed was drawn
}

TEST_F(ActionTest, CardAttributesCoverTheRange) {
  builder.Deal();
  EXPECT_TRUE(Run(CardAttributeAction(1, 0, 0, 2, CardAttribute::kFaceUp, 0)));
  for (std::uint16_t card = 0; card < 7; ++card) {
    EXPECT_EQ(game().cards[card].faceUp, card >= 5 ? 0 : 1) << card;
  }
  EXPECT_EQ(*observer.At<CardsFlagged>(0), (CardsFlagged{0, 5, 2, CardAttribute::kFaceUp, 0}));
  EXPECT_FALSE(Run(CardAttributeAction(1, 0, 0, 2, CardAttribute::kFaceUp, 0)));
  EXPECT_TRUE(observer.changes.empty());
  EXPECT_TRUE(Run(CardAttributeAction(2, 0, 0, 1, CardAttribute::kMovable, 0)));
  EXPECT_EQ(game().cards[0].movable, 0);
  EXPECT_EQ(game().cards[1].movable, 1);
  EXPECT_TRUE(Run(CardAttributeAction(0, 3, 0, 0, CardAttribute::kOpen, 1)));
  EXPECT_EQ(game().cards[9].open, 1);
  EXPECT_FALSE(Run(CardAttributeAction(0, 3, 0, 0, static_cast<CardAttribute>(3), 1)));  // no such attribute
  EXPECT_FALSE(Run(CardAttributeAction(2, 2, 0, 5, CardAttribute::kFaceUp, 0)));  // empty pile
}

TEST_F(ActionTest, AttributeUndoRestoresTheTable) {
  for (const ActionDef& action : {
           PileAttributeAction(0, PileAttribute::kShown, 0),
           PileAttributeAction(0, PileAttribute::kEnabled, 0),
           PileAttributeAction(0, PileAttribute::kReverse, 0),
           PileAttributeAction(0, PileAttribute::kAcceptProgram, 1),
           PileAttributeAction(0, PileAttribute::kPickProgram, 1),
           PileAttributeAction(0, PileAttribute::kValue, 77),
           PileAttributeAction(0, PileAttribute::kShuffle, 0),
           CardAttributeAction(1, 0, 0, 1, CardAttribute::kFaceUp, 0),
           CardAttributeAction(2, 3, 1, 2, CardAttribute::kMovable, 0),
           CardAttributeAction(2, 0, 0, 1, CardAttribute::kOpen, 1),
           SimpleAction(ActionType::kGameWon),
       }) {
    SCOPED_TRACE(::testing::Message() << "type " << int{action.type} << " attribute "
                                      << int{action.attribute});
    ExpectUndoRestores(action);
    builder.game.definition.actions.clear();
    builder.game.definition.eventActions.clear();
  }
}

class RouteTest : public ActionTest {
 protected:
  std::vector<MovePair> RoutesAfter(std::vector<MovePair> routes, ActionType type,
                                    std::uint16_t p, std::uint16_t q, bool expectChanged = true) {
    builder.Deal();
    game().allowedMoves = std::move(routes);
    EXPECT_EQ(Run(RouteAction(type, p, q)), expectChanged);
    return game().allowedMoves;
  }
  static constexpr std::uint16_t kAny = kNoReference;
};

TEST_F(RouteTest, DenyRewritesTheRoutesThatCoverThePair) {
  using Routes = std::vector<MovePair>;
  EXPECT_EQ(RoutesAfter({{kAny, kAny}}, ActionType::kDenyRoute, 0, 1),
            (Routes{{1, kAny}, {2, kAny}, {3, kAny}, {0, 2}, {0, 3}}));
  EXPECT_EQ(RoutesAfter({{kAny, kAny}}, ActionType::kDenyRoute, 0, kAny),
            (Routes{{1, kAny}, {2, kAny}, {3, kAny}}));
  EXPECT_EQ(RoutesAfter({{kAny, kAny}}, ActionType::kDenyRoute, kAny, 1),
            (Routes{{kAny, 0}, {kAny, 2}, {kAny, 3}}));
  EXPECT_EQ(RoutesAfter({{2, 3}, {0, kAny}}, ActionType::kDenyRoute, 0, 1),
            (Routes{{2, 3}, {0, 2}, {0, 3}}));
  EXPECT_EQ(RoutesAfter({{kAny, 1}, {2, 3}}, ActionType::kDenyRoute, 0, 1),
            (Routes{{2, 3}, {2, 1}, {3, 1}}));
  EXPECT_EQ(RoutesAfter({{0, 1}, {0, 1}, {1, 0}}, ActionType::kDenyRoute, 0, 1),
            (Routes{{1, 0}}));
  EXPECT_EQ(RoutesAfter({{1, 0}}, ActionType::kDenyRoute, 0, 1, false), (Routes{{1, 0}}));
  EXPECT_EQ(RoutesAfter({{kAny, kAny}}, ActionType::kDenyRoute, 2, 2, false),
            (Routes{{kAny, kAny}}));
  EXPECT_EQ(RoutesAfter({}, ActionType::kDenyRoute, 0, 1, false), Routes{});
}

TEST_F(RouteTest, DenyAfterwardsRefusesOnlyThatPair) {
  RoutesAfter({{kAny, kAny}}, ActionType::kDenyRoute, 0, 1);
  for (std::uint16_t p = 0; p < 4; ++p) {
    for (std::uint16_t q = 0; q < 4; ++q) {
      if (p != q) {
        EXPECT_EQ(RouteAllows(game(), p, q), !(p == 0 && q == 1)) << p << "->" << q;
      }
    }
  }
}

TEST_F(RouteTest, AllowAddsOnlyWhatIsNotYetAllowed) {
  using Routes = std::vector<MovePair>;
  EXPECT_EQ(RoutesAfter({{0, 1}}, ActionType::kAllowRoute, 0, 1, false), (Routes{{0, 1}}));
  EXPECT_EQ(RoutesAfter({{kAny, 1}}, ActionType::kAllowRoute, 0, 1, false), (Routes{{kAny, 1}}));
  EXPECT_EQ(RoutesAfter({{0, kAny}}, ActionType::kAllowRoute, 0, 1, false), (Routes{{0, kAny}}));
  EXPECT_EQ(RoutesAfter({{0, 1}}, ActionType::kAllowRoute, 2, 3), (Routes{{0, 1}, {2, 3}}));
}

TEST_F(RouteTest, UndoGivesThePermissionBack) {
  builder.AddAction(event, RouteAction(ActionType::kDenyRoute, 0, 1));
  builder.Deal();
  bool groupStarted = false;
  std::size_t cursor = 0;
  ASSERT_TRUE(FireEventActions(game(), event, groupStarted, cursor, nullptr, true));
  EXPECT_FALSE(RouteAllows(game(), 0, 1));
  EXPECT_TRUE(UndoMove(game()));
  // The pair is allowed again, though the list is not rebuilt as it was.
  for (std::uint16_t p = 0; p < 4; ++p) {
    for (std::uint16_t q = 0; q < 4; ++q) {
      if (p != q) {
        EXPECT_TRUE(RouteAllows(game(), p, q)) << p << "->" << q;
      }
    }
  }
  EXPECT_NE(game().allowedMoves, game().definition.movePairs);
}

TEST_F(RouteTest, UndoOfAnAllowedRouteTakesItAway) {
  builder.game.definition.movePairs = {{2, 3}};
  ExpectUndoRestores(RouteAction(ActionType::kAllowRoute, 0, 1));
}

TEST_F(ActionTest, WonAndCounterReset) {
  builder.AddCounter(event, 2, 0);
  builder.Deal();
  EXPECT_TRUE(Run(SimpleAction(ActionType::kGameWon)));
  EXPECT_EQ(game().won, 1);
  EXPECT_EQ(*observer.At<WonSet>(0), WonSet{1});

  game().counters[0].value = 0;
  EXPECT_TRUE(Run(SimpleAction(ActionType::kResetCounter, 0)));
  EXPECT_EQ(undoValue, 0);
  EXPECT_EQ(game().counters[0].value, 2);
  EXPECT_EQ(*observer.At<CounterSet>(0), (CounterSet{0, 2}));
  EXPECT_FALSE(Run(SimpleAction(ActionType::kResetCounter, 1)));
}

TEST_F(ActionTest, FireEventActionsPerformsOneChangingActionPerCall) {
  const auto unchanged = builder.AddAction(event, PileAttributeAction(0, PileAttribute::kShown, 1));
  const auto move = builder.AddAction(event, MoveAction(1, 0, 0, 2, 2, 1, 0));
  builder.AddAction(event, PileAttributeAction(1, PileAttribute::kEnabled, 1));
  const auto hide = builder.AddAction(event, PileAttributeAction(1, PileAttribute::kShown, 0));
  (void)unchanged;
  builder.Deal();

  bool groupStarted = false;
  std::size_t cursor = 0;
  observer = RecordingObserver();
  ASSERT_TRUE(FireEventActions(game(), event, groupStarted, cursor, &observer, true));
  EXPECT_EQ(cursor, 2u);
  ASSERT_EQ(observer.changes.size(), 1u);
  EXPECT_EQ(*observer.At<CardsMoved>(0), (CardsMoved{0, 5, 2, 2, 0}));
  EXPECT_TRUE(groupStarted);
  ASSERT_TRUE(FireEventActions(game(), event, groupStarted, cursor, &observer, true));
  ASSERT_EQ(observer.changes.size(), 2u);
  EXPECT_EQ(*observer.At<PileAttributeSet>(1), (PileAttributeSet{1, PileAttribute::kShown, 0}));
  EXPECT_FALSE(FireEventActions(game(), event, groupStarted, cursor, &observer, true));
  EXPECT_EQ(observer.changes.size(), 2u);

  const auto& journal = *game().journal;
  ASSERT_EQ(journal.Count(), 2u);
  EXPECT_EQ(journal[0], (JournalRecord{1, 1, 0, move, 2, 0, 0, 0}));
  EXPECT_EQ(journal[1], (JournalRecord{1, 0, 0, hide, 0, 0, 0, 0}));
}

TEST_F(ActionTest, FireEventActionsWithoutRecordingWritesNothing) {
  builder.AddAction(event, MoveAction(1, 0, 0, 2, 2, 1, 0));
  builder.Deal();
  bool groupStarted = false;
  std::size_t cursor = 0;
  EXPECT_TRUE(FireEventActions(game(), event, groupStarted, cursor, nullptr, false));
  EXPECT_TRUE(game().journal->Empty());
}

TEST_F(ActionTest, LinksToMissingActionsAndEventsAreSkipped) {
  builder.AddAction(event, MoveAction(1, 0, 0, 1, 2, 1, 0));
  builder.game.definition.eventActions.insert(builder.game.definition.eventActions.begin(),
                                              EventAction{event, 500});
  builder.game.definition.eventActions.push_back({77, 0});
  builder.Deal();
  bool groupStarted = false;
  std::size_t cursor = 0;
  EXPECT_TRUE(FireEventActions(game(), event, groupStarted, cursor, nullptr, true));
  EXPECT_FALSE(FireEventActions(game(), event, groupStarted, cursor, nullptr, true));
  cursor = 0;
  EXPECT_FALSE(FireEventActions(game(), 77, groupStarted, cursor, nullptr, true));
  EXPECT_EQ(game().journal->Count(), 1u);
}

TEST_F(ActionTest, UseCounterCountsDownAndRecords) {
  const auto exhausted = builder.AddEvent(EventKind::kOnRequest);
  const auto counterIndex = builder.AddCounter(event, 2, exhausted);
  const auto plain = builder.AddEvent(EventKind::kOnRequest);
  builder.Deal();

  bool groupStarted = false;
  std::uint16_t counter = 0;
  EXPECT_TRUE(UseCounter(game(), plain, groupStarted, counter, true));
  EXPECT_EQ(counter, kNoReference);
  EXPECT_FALSE(groupStarted);

  EXPECT_TRUE(UseCounter(game(), event, groupStarted, counter, true));
  EXPECT_EQ(counter, counterIndex);
  EXPECT_EQ(game().counters[0].value, 1);
  EXPECT_TRUE(UseCounter(game(), event, groupStarted, counter, false));
  EXPECT_EQ(game().counters[0].value, 0);
  EXPECT_FALSE(UseCounter(game(), event, groupStarted, counter, true));
  ASSERT_EQ(game().journal->Count(), 1u);
  EXPECT_EQ((*game().journal)[0], (JournalRecord{3, 1, 0, counterIndex, 0, 0, 0, 0}));

  // A link to a counter the play state does not have blocks the event.
  builder.game.definition.eventCounters.push_back({plain, 5});
  EXPECT_FALSE(UseCounter(game(), plain, groupStarted, counter, true));
}

TEST_F(ActionTest, ExhaustedEventFiresOnlyAtZero) {
  const auto exhausted = builder.AddEvent(EventKind::kOnRequest);
  builder.AddAction(exhausted, MoveAction(1, 0, 0, 1, 2, 1, 0));
  builder.AddCounter(event, 1, exhausted);
  builder.AddCounter(event, 0, 0);
  builder.Deal();

  bool groupStarted = true;
  std::size_t cursor = 0;
  EXPECT_FALSE(FireExhaustedEvent(game(), 0, groupStarted, cursor, nullptr, true));
  game().counters[0].value = 0;
  EXPECT_FALSE(FireExhaustedEvent(game(), 1, groupStarted, cursor, nullptr, true));
  EXPECT_FALSE(FireExhaustedEvent(game(), 9, groupStarted, cursor, nullptr, true));
  EXPECT_TRUE(FireExhaustedEvent(game(), 0, groupStarted, cursor, nullptr, true));
  EXPECT_EQ(PileContents(game(), 2), (Cards{6}));
}

TEST_F(ActionTest, FireEventCompletelyHandsEveryActionToTheObserver) {
  const auto exhausted = builder.AddEvent(EventKind::kOnRequest);
  builder.AddAction(event, MoveAction(1, 0, 0, 1, 2, 1, 0));
  builder.AddAction(event, PileAttributeAction(2, PileAttribute::kReverse, 0));
  builder.AddAction(exhausted, PileAttributeAction(1, PileAttribute::kShown, 0));
  builder.AddCounter(event, 1, exhausted);
  builder.Deal();

  bool groupStarted = false;
  std::uint16_t counter = kNoReference;
  ASSERT_TRUE(UseCounter(game(), event, groupStarted, counter, true));
  observer = RecordingObserver();
  EXPECT_TRUE(FireEventCompletely(game(), event, counter, groupStarted, &observer, true));
  ASSERT_EQ(observer.changes.size(), 3u);
  EXPECT_EQ(*observer.At<CardsMoved>(0), (CardsMoved{0, 6, 1, 2, 0}));
  EXPECT_NE(observer.At<PileReordered>(1), nullptr);
  EXPECT_EQ(*observer.At<PileAttributeSet>(2), (PileAttributeSet{1, PileAttribute::kShown, 0}));
  EXPECT_EQ(game().journal->Count(), 4u);  // the counter and three actions
}

}  // namespace
}  // namespace cw
