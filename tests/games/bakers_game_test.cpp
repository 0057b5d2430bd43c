#include <gtest/gtest.h>

#include "engine/rules/automatic_events.h"
#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/home_moves_checks.h"

namespace cw::testing {
namespace {

using namespace home_moves;

constexpr char kGame[] = "Baker's Game";
constexpr RuleFacts kRules{false, false};

TEST(BakersGame, DealsSevenAndSixFaceUpAndMovesNothingBeforeThePlayer) {
  int freeAces = 0;
  for (std::uint32_t number = 1; number <= 200; ++number) {
    const SolGame game = Dealt(kGame, number * 104729u);
    ASSERT_TRUE(TableIsConsistent(game));
    for (std::uint16_t pile = 0; pile < game.piles.size(); ++pile) {
      const int expected = pile < 4 ? 7 : pile < kColumns ? 6 : 0;
      EXPECT_EQ(game.piles[pile].count, expected) << "pile " << pile << " of deal " << number;
    }
    for (const CardState& card : game.cards) EXPECT_EQ(card.faceUp, 1);
    for (std::uint16_t column = 0; column < kColumns; ++column) freeAces += RankOf(*game.TopCard(column)) == 1;
  }
  EXPECT_GT(freeAces, 0) << "no deal with a free Ace to watch";
}

TEST(BakersGame, BuildsDownInSuitOneCardAtATime) {
  Layout layout;
  layout.piles = {{0, {CardNumber(1, 7)}},
                  {1, {CardNumber(2, 9), CardNumber(1, 6)}},
                  {2, {CardNumber(2, 7), CardNumber(2, 6)}}};
  SolGame game = Arranged(kGame, layout);
  EXPECT_TRUE(CanDrop(game, CardNumber(1, 6), 0));   // 6S on 7S
  EXPECT_FALSE(CanDrop(game, CardNumber(2, 6), 0));  // 6C on 7S: other suit
  EXPECT_FALSE(CanPickUp(game, CardNumber(2, 7)));   // 7C 6C: a run, but one card at a time
  EXPECT_TRUE(CanDrop(game, CardNumber(2, 6), 3));   // an empty column takes any card
  EXPECT_TRUE(CanDrop(game, CardNumber(2, 6), kFirstCell));
}

TEST(BakersGame, EveryCardThatFitsGoesHomeAcesFromTheLeft) {
  // Spades to the 4 on pile 13, nothing red at home: 5S goes home all the
  // same, since no card can ever be built on it but the 4S.
  Layout layout;
  layout.foundationSuit = {2, 1, 3, 4};
  layout.foundationRank = {0, 4, 0, 0};
  const std::uint16_t fiveOfSpades = CardNumber(1, 5);
  const std::uint16_t aceOfHearts = CardNumber(4, 1);
  layout.piles = {{0, {CardNumber(3, 9), fiveOfSpades, CardNumber(3, 12)}},
                  {1, {CardNumber(2, 9), aceOfHearts, CardNumber(2, 12)}}};
  SolGame game = Arranged(kGame, layout);
  const PlaySnapshot before = Snapshot(game);
  ASSERT_TRUE(Play(game, {CardNumber(3, 12), kFirstCell}));
  EXPECT_EQ(game.TopCard(kFirstFoundation + 1), fiveOfSpades);
  ASSERT_TRUE(Play(game, {CardNumber(2, 12), kFirstCell + 1}));
  EXPECT_EQ(PileCards(game, kFirstFoundation), std::vector<std::uint16_t>{aceOfHearts});
  EXPECT_TRUE(SettledAsTheRulesSay(game, kRules));
  ASSERT_TRUE(UndoMove(game));
  ASSERT_TRUE(UndoMove(game));
  EXPECT_EQ(Snapshot(game), before);
}

TEST(BakersGame, WonWhenTheLastCardGoesHome) {
  Layout layout;
  layout.foundationRank = {13, 12, 13, 13};
  layout.piles = {{0, {CardNumber(2, 13)}}};
  SolGame game = Arranged(kGame, layout);
  EXPECT_FALSE(game.won);
  ASSERT_TRUE(Play(game, {CardNumber(2, 13), kFirstCell + 3}));
  EXPECT_TRUE(game.won);
}

TEST(BakersGame, APositionWithoutALegalMoveIsLost) {
  // Full cells, and column tops that follow no other top in suit.
  Layout layout;
  layout.piles = {{kFirstCell, {CardNumber(1, 13)}},     {kFirstCell + 1, {CardNumber(2, 13)}},
                  {kFirstCell + 2, {CardNumber(3, 13)}}, {kFirstCell + 3, {CardNumber(4, 13)}}};
  const int tops[kColumns][2] = {{1, 9}, {2, 9}, {3, 9}, {4, 9}, {1, 5}, {2, 5}, {3, 5}, {4, 5}};
  for (std::uint16_t column = 0; column < kColumns; ++column) {
    layout.piles.push_back({column, {CardNumber(tops[column][0], tops[column][1])}});
  }
  SolGame game = Arranged(kGame, layout);
  EXPECT_TRUE(LegalMoves(game).empty());
  EXPECT_FALSE(game.won);
}

TEST(BakersGame, RandomPlayFollowsTheRulesAndUndoesExactly) {
  std::mt19937 rng(31);
  int moves = 0;
  for (std::uint32_t number = 1; number <= 20; ++number) {
    SolGame game = Dealt(kGame, number * 65537u);
    moves += PlayRandomlyAndCheck(game, 120, rng, kRules);
    EXPECT_TRUE(TableIsConsistent(game));
  }
  EXPECT_GT(moves, 150);
}

}  // namespace
}  // namespace cw::testing
