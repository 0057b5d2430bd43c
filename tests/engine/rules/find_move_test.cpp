#include <gtest/gtest.h>

#include "engine/rules/automatic_events.h"
#include "engine/rules/moves.h"
#include "tests/engine/rules/hand_built_game.h"

namespace cw {
namespace {

using testing::HandBuiltGame;
using testing::MoveAction;
using testing::OpenPile;
using testing::SnapshotOf;

using Moves = std::vector<MoveReference>;
constexpr std::uint16_t kTap = kNoReference;

// Every move FindMove answers, asking for the n-th until none is left.
std::vector<MoveReference> AllMoves(const SolGame& game) {
  std::vector<MoveReference> moves;
  while (auto move = FindMove(game, static_cast<std::uint32_t>(moves.size()))) {
    moves.push_back(*move);
  }
  EXPECT_EQ(moves, ListMoves(game));
  return moves;
}

// Piles: 0 fanned with cards 0-1; 1 squared with card 2; 2 empty; 3 hidden
// with card 3; 4 empty of kind 1; 5 with card 4 and a tap event; 6 empty
// with an empty-tap event.
class FindMoveTest : public ::testing::Test {
 protected:
  FindMoveTest() {
    builder.AddPile(OpenPile(2));
    PileDef squared = OpenPile(1);
    squared.fan = 0;
    builder.AddPile(squared);
    builder.AddPile(OpenPile(0));
    PileDef hidden = OpenPile(1);
    hidden.shown = 0;
    builder.AddPile(hidden);
    PileDef inert = OpenPile(0);
    inert.kind = 1;
    builder.AddPile(inert);
    tapEvent = builder.AddEvent(EventKind::kOnRequest);
    builder.AddAction(tapEvent, MoveAction(1, 5, 0, 1, 2, 1, 0));
    PileDef stock = OpenPile(1);
    stock.fan = 0;
    stock.tapEvent = tapEvent;
    builder.AddPile(stock);
    const auto emptyTap = builder.AddEvent(EventKind::kOnRequest);
    PileDef redeal = OpenPile(0);
    redeal.emptyTapEvent = emptyTap;
    builder.AddPile(redeal);
    // Card 5 and the rest of the deck stay out of play.
  }

  SolGame& game() { return builder.game; }

  HandBuiltGame builder;
  std::uint16_t tapEvent = 0;
};

TEST_F(FindMoveTest, ListsTapsThenTopCardsThenDeeperCards) {
  builder.Deal();
  const auto before = SnapshotOf(game());
  EXPECT_EQ(AllMoves(game()), (Moves{
                                  {5, kTap}, {6, kTap},                  // taps
                                  {1, 1}, {1, 2}, {1, 3}, {1, 5}, {1, 6},  // card 1, top of 0
                                  {2, 0}, {2, 2}, {2, 3}, {2, 5}, {2, 6},  // card 2, top of 1
                                  {4, 0}, {4, 1}, {4, 2}, {4, 3}, {4, 6},  // card 4, top of 5
                                  {0, 1}, {0, 2}, {0, 3}, {0, 5}, {0, 6},  // card 0 under card 1
                              }));
  EXPECT_EQ(SnapshotOf(game()), before);
  EXPECT_EQ(FindMove(game(), 22), std::nullopt);
}

TEST_F(FindMoveTest, SkipsWhatCannotMoveOrReceive) {
  builder.Deal();
  game().cards[2].movable = 0;
  game().cards[4].open = 0;  // pile 5 takes nothing
  game().piles[6].acceptProgram = builder.failProgram;
  game().piles[0].pickProgram = builder.failProgram;
  game().piles[3].acceptProgram = builder.failProgram;
  EXPECT_EQ(AllMoves(game()), (Moves{{5, kTap}, {6, kTap}, {4, 0}, {4, 1}, {4, 2}}));

  game().allowedMoves = {{5, 2}};
  EXPECT_EQ(AllMoves(game()), (Moves{{5, kTap}, {6, kTap}, {4, 2}}));
  // A route from anywhere to anywhere opens every other one.
  game().allowedMoves = {{5, 2}, {kNoReference, kNoReference}};
  EXPECT_EQ(AllMoves(game()), (Moves{{5, kTap}, {6, kTap}, {4, 0}, {4, 1}, {4, 2}}));
  game().allowedMoves = {{5, 2}, {kNoReference, 1}};
  EXPECT_EQ(AllMoves(game()), (Moves{{5, kTap}, {6, kTap}, {4, 1}, {4, 2}}));
  game().allowedMoves = {{5, 2}};
  game().cards[4].movable = 0;  // the tap needs a movable top card
  EXPECT_EQ(AllMoves(game()), (Moves{{6, kTap}}));
}

TEST_F(FindMoveTest, TapCountsOnlyWhileItsCounterLasts) {
  builder.AddCounter(tapEvent, 1, 0);
  builder.Deal();
  EXPECT_EQ(FindMove(game(), 0), (MoveReference{5, kTap}));
  ASSERT_TRUE(TapPile(game(), 5, nullptr));
  EXPECT_EQ(FindMove(game(), 0), (MoveReference{6, kTap}));
}

TEST_F(FindMoveTest, HintsWalkTheMovesAndStartAgain) {
  builder.Deal();
  const auto moves = AllMoves(game());
  std::uint16_t hint = 0;
  for (const MoveReference& expected : moves) EXPECT_EQ(NextHint(game(), hint), expected);
  EXPECT_EQ(hint, moves.size());
  EXPECT_EQ(NextHint(game(), hint), moves[0]);
  EXPECT_EQ(NextHint(game(), hint), moves[1]);
  EXPECT_EQ(hint, 2);
}

TEST_F(FindMoveTest, HintWithoutAnyMoveShowsNothing) {
  builder.Deal();
  game().allowedMoves.clear();
  for (PileState& pile : game().piles) pile.count = 0;
  for (CardState& card : game().cards) card.pile = kNoReference;
  builder.game.definition.piles[6].emptyTapEvent = 0;
  std::uint16_t hint = 3;
  EXPECT_EQ(NextHint(game(), hint), std::nullopt);
  EXPECT_EQ(hint, 3);
}

}  // namespace
}  // namespace cw
