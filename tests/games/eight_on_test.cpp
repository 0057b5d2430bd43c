#include <gtest/gtest.h>

#include <algorithm>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "Eight On";
constexpr std::uint16_t kCell0 = 12;
const std::vector<std::uint16_t> kFoundations = {0, 1, 2, 3};

TEST(EightOn, AcesLieUnderTheFourLeftColumnsAndEveryCellHoldsACard) {
  for (std::uint32_t number = 1; number <= 300; number += 3) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ExpectFaceUpDeal(*game, {0, 0, 0, 0, 6, 6, 6, 6, 5, 5, 5, 5, 1, 1, 1, 1, 1, 1, 1, 1});
    std::vector<int> aceSuits;
    for (std::uint16_t column = 4; column < 8; ++column) {
      const std::uint16_t bottom = PileCards(*game, column).front();
      EXPECT_EQ(RankOf(*game, bottom), 1) << "deal " << number << ", column " << column;
      aceSuits.push_back(game->definition.cards[bottom].suit);
    }
    std::sort(aceSuits.begin(), aceSuits.end());
    EXPECT_EQ(aceSuits, (std::vector<int>{1, 2, 3, 4}));
  }
}

TEST(EightOn, ColumnsBuildDownInSuitOneCardAtATimeAndOnlyKingsFillSpaces) {
  auto game = DealGame(kGame, 3);
  ASSERT_TRUE(game);
  LayOut(*game, 11,
         {{4, Cards({"8D"})}, {5, Cards({"7D"})}, {6, Cards({"7H"})}, {7, Cards({"KC"})},
          {8, Cards({"4S", "3S"})}, {kCell0, Cards({"JH"})}});
  EXPECT_TRUE(CanDrop(*game, Card("7D"), 4));
  EXPECT_FALSE(CanDrop(*game, Card("7H"), 4)) << "other suit";
  EXPECT_FALSE(CanPickUp(*game, Card("4S"))) << "one card at a time, even in suit";
  EXPECT_TRUE(CanDrop(*game, Card("KC"), 9));
  EXPECT_FALSE(CanDrop(*game, Card("JH"), 9));
  ExpectOneCardCells(*game, {12, 13, 14, 15, 16, 17, 18, 19}, 4, 11);
  ExpectAscendingFoundations(*game, 0, {4, 5, 6, 7, 8}, 11);
}

TEST(EightOn, TheStartAndTheFirstMoveSendNothingHomeAndUndoRestoresTheMove) {
  auto game = DealGame(kGame, 7);
  ASSERT_TRUE(game);
  for (std::uint16_t foundation : kFoundations) EXPECT_EQ(game->piles[foundation].count, 0);
  EXPECT_EQ(game->journal->Count(), 0u) << "the start cannot be undone";
  const PlaySnapshot before = Snapshot(*game);
  const std::vector<MoveReference> moves = LegalMoves(*game);
  ASSERT_FALSE(moves.empty());
  ASSERT_TRUE(Play(*game, moves.front()));
  ASSERT_TRUE(UndoMove(*game));
  EXPECT_EQ(Snapshot(*game), before);
}

TEST(EightOn, WonWithTheLastKingHomeAndLostWithoutAMove) {
  ExpectEightPileWinAndLoss(kGame, 5);
}

TEST(EightOn, RandomPlayOutsAcceptEveryListedMoveAndUndoExactly) {
  ExpectSoundPlayOuts(kGame, kFoundations, 137);
}

}  // namespace
}  // namespace cw::testing
