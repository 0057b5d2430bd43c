#include <gtest/gtest.h>

#include "engine/rules/automatic_events.h"
#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/home_moves_checks.h"

namespace cw::testing {
namespace {

using namespace home_moves;

constexpr char kGame[] = "ForeCell";
constexpr RuleFacts kRules{true, false};

TEST(ForeCell, DealsSixToEachColumnAndFillsTheCells) {
  for (std::uint32_t number = 1; number <= 200; ++number) {
    const SolGame game = Dealt(kGame, number * 92821u);
    ASSERT_TRUE(TableIsConsistent(game));
    for (std::uint16_t pile = 0; pile < game.piles.size(); ++pile) {
      const int expected = pile < kColumns ? 6 : pile < kFirstFoundation ? 1 : 0;
      EXPECT_EQ(game.piles[pile].count, expected) << "pile " << pile << " of deal " << number;
    }
    for (const CardState& card : game.cards) EXPECT_EQ(card.faceUp, 1);
  }
}

TEST(ForeCell, AnEmptyColumnTakesOnlyAKingAndCardsMoveOneAtATime) {
  Layout layout;
  layout.piles = {{0, {CardNumber(4, 13), CardNumber(1, 12), CardNumber(4, 11)}},
                  {1, {CardNumber(3, 12)}},
                  {kFirstCell, {CardNumber(2, 13)}},
                  {kFirstCell + 1, {CardNumber(2, 12)}}};
  SolGame game = Arranged(kGame, layout);
  EXPECT_FALSE(CanPickUp(game, CardNumber(1, 12)));  // QS JH is a run, but one card at a time
  EXPECT_TRUE(CanDrop(game, CardNumber(4, 11), kFirstCell + 2));
  EXPECT_FALSE(CanDrop(game, CardNumber(4, 11), kFirstCell));  // occupied cell
  EXPECT_FALSE(CanDrop(game, CardNumber(4, 11), 3));           // a Jack onto an empty column
  EXPECT_FALSE(CanDrop(game, CardNumber(2, 12), 3));           // a Queen neither
  EXPECT_TRUE(CanDrop(game, CardNumber(2, 13), 3));            // a King may
  EXPECT_FALSE(CanDrop(game, CardNumber(2, 12), 1));           // QC on QD: no
  EXPECT_FALSE(CanDrop(game, CardNumber(4, 11), 1));           // JH on QD: same colour
}

TEST(ForeCell, AcesGoHomeFromTheLeftAndOtherCardsOnlyWhenSafe) {
  for (int spades : {2, 3}) {
    // Hearts on pile 12 to the 3; the 4H lies under the 10C. Spades to 2 or
    // 3, clubs to 3: the 4H is safe only with spades at 3.
    Layout layout;
    layout.foundationSuit = {4, 1, 2, 3};
    layout.foundationRank = {3, spades, 3, 0};
    const std::uint16_t fourOfHearts = CardNumber(4, 4);
    const std::uint16_t aceOfDiamonds = CardNumber(3, 1);
    layout.piles = {{0, {CardNumber(1, 13), fourOfHearts, CardNumber(2, 10)}},
                    {kFirstCell + 1, {aceOfDiamonds}}};
    SolGame game = Arranged(kGame, layout);
    const PlaySnapshot before = Snapshot(game);
    ASSERT_TRUE(Play(game, {CardNumber(2, 10), kFirstCell}));
    EXPECT_EQ(game.TopCard(kFirstFoundation + 3), aceOfDiamonds);
    if (spades == 2) {
      EXPECT_EQ(game.TopCard(0), fourOfHearts) << "4H went home while the 3S was in play";
    } else {
      EXPECT_EQ(game.TopCard(kFirstFoundation), fourOfHearts);
    }
    EXPECT_TRUE(SettledAsTheRulesSay(game, kRules));
    ASSERT_TRUE(UndoMove(game));
    EXPECT_EQ(Snapshot(game), before);
  }
}

TEST(ForeCell, WonWhenTheLastCardGoesHome) {
  Layout layout;
  layout.foundationRank = {13, 13, 12, 13};
  layout.piles = {{kFirstCell + 2, {CardNumber(3, 13)}}};
  SolGame game = Arranged(kGame, layout);
  ASSERT_TRUE(Play(game, {CardNumber(3, 13), 5}));  // a King onto an empty column, then home
  EXPECT_EQ(game.piles[kFirstFoundation + 2].count, 13);
  EXPECT_TRUE(game.won);
}

TEST(ForeCell, APositionWithoutALegalMoveIsLost) {
  // Full cells, black column tops, no free Ace and no empty column.
  Layout layout;
  layout.piles = {{kFirstCell, {CardNumber(1, 13)}},     {kFirstCell + 1, {CardNumber(2, 13)}},
                  {kFirstCell + 2, {CardNumber(1, 11)}}, {kFirstCell + 3, {CardNumber(2, 11)}}};
  const int tops[kColumns][2] = {{1, 9}, {2, 9}, {1, 7}, {2, 7}, {1, 5}, {2, 5}, {1, 3}, {2, 3}};
  for (std::uint16_t column = 0; column < kColumns; ++column) {
    layout.piles.push_back({column, {CardNumber(tops[column][0], tops[column][1])}});
  }
  SolGame game = Arranged(kGame, layout);
  EXPECT_TRUE(LegalMoves(game).empty());
  EXPECT_FALSE(game.won);
}

TEST(ForeCell, RandomPlayFollowsTheRulesAndUndoesExactly) {
  std::mt19937 rng(156);
  int moves = 0;
  for (std::uint32_t number = 1; number <= 8; ++number) {
    SolGame game = Dealt(kGame, number * 2741u);
    moves += PlayRandomlyAndCheck(game, 100, rng, kRules);
    EXPECT_TRUE(TableIsConsistent(game));
  }
  EXPECT_GT(moves, 150);
}

}  // namespace
}  // namespace cw::testing
