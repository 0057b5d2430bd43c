#include <gtest/gtest.h>

#include <optional>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "Eight Off";
constexpr std::uint16_t kColumn0 = 4;
constexpr std::uint16_t kCell0 = 12;
const std::vector<std::uint16_t> kFoundations = {0, 1, 2, 3};

TEST(EightOff, DealsFromTheFirstColumnSixToEachAndOneToEachOfTheFourLeftCells) {
  for (std::uint32_t number = 1; number <= 300; number += 3) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ExpectFaceUpDeal(*game, {0, 0, 0, 0, 6, 6, 6, 6, 6, 6, 6, 6, 1, 1, 1, 1, 0, 0, 0, 0});
  }
}

TEST(EightOff, ColumnsBuildDownInSuitOneCardAtATimeAndOnlyKingsFillSpaces) {
  auto game = DealGame(kGame, 3);
  ASSERT_TRUE(game);
  LayOut(*game, 11,
         {{4, Cards({"7S"})}, {5, Cards({"6S"})}, {6, Cards({"6C"})}, {7, Cards({"KC"})},
          {8, Cards({"9C", "8C"})}, {kCell0, Cards({"QC"})}});
  EXPECT_TRUE(CanDrop(*game, Card("6S"), 4));
  EXPECT_FALSE(CanDrop(*game, Card("6C"), 4)) << "other suit";
  EXPECT_FALSE(CanPickUp(*game, Card("9C"))) << "one card at a time, even in suit";
  // Columns 9 and 10 are empty.
  EXPECT_TRUE(CanDrop(*game, Card("KC"), 9));
  EXPECT_FALSE(CanDrop(*game, Card("QC"), 9)) << "from a cell";
  EXPECT_FALSE(CanDrop(*game, Card("6S"), 10));
  EXPECT_TRUE(CanDrop(*game, Card("QC"), 7)) << "from a cell onto a column";
}

TEST(EightOff, CellsAndFoundations) {
  auto game = DealGame(kGame, 4);
  ASSERT_TRUE(game);
  ExpectOneCardCells(*game, {12, 13, 14, 15, 16, 17, 18, 19}, kColumn0, 11);
  ExpectAscendingFoundations(*game, 0, {4, 5, 6, 7, 8}, 11);
}

TEST(EightOff, NothingGoesHomeByItselfAndUndoRestoresTheMove) {
  const std::uint32_t number = DealWithRankOnTop(kGame, {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 1);
  auto game = DealGame(kGame, number);
  ASSERT_TRUE(game);
  for (std::uint16_t foundation : kFoundations) EXPECT_EQ(game->piles[foundation].count, 0);
  const PlaySnapshot before = Snapshot(*game);
  std::optional<MoveReference> move;
  for (const MoveReference& candidate : LegalMoves(*game)) {
    if (candidate.destination >= 4) {
      move = candidate;
      break;
    }
  }
  ASSERT_TRUE(move);
  ASSERT_TRUE(Play(*game, *move));
  for (std::uint16_t foundation : kFoundations) {
    EXPECT_EQ(game->piles[foundation].count, 0) << "the Ace waits for the player";
  }
  ASSERT_TRUE(UndoMove(*game));
  EXPECT_EQ(Snapshot(*game), before);
}

TEST(EightOff, WonWithTheLastKingHomeAndLostWithoutAMove) {
  ExpectEightPileWinAndLoss(kGame, 19);
}

TEST(EightOff, RandomPlayOutsAcceptEveryListedMoveAndUndoExactly) {
  ExpectSoundPlayOuts(kGame, kFoundations, 136);
}

}  // namespace
}  // namespace cw::testing
