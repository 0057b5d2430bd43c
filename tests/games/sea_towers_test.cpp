#include <gtest/gtest.h>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "Sea Towers";
constexpr std::uint16_t kCell0 = 10;
constexpr std::uint16_t kFoundation0 = 14;
const std::vector<std::uint16_t> kFoundations = {14, 15, 16, 17};

TEST(SeaTowers, DealsFiveCardsToEachColumnAndOneToEachMiddleCell) {
  for (std::uint32_t number = 1; number <= 300; number += 3) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ExpectFaceUpDeal(*game, {5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 0, 1, 1, 0, 0, 0, 0, 0});
  }
}

TEST(SeaTowers, ColumnsBuildDownInSuitAndOnlyKingsFillSpaces) {
  auto game = DealGame(kGame, 3);
  ASSERT_TRUE(game);
  LayOut(*game, 9,
         {{0, Cards({"7S"})}, {1, Cards({"6S"})}, {2, Cards({"6C"})}, {3, Cards({"5S"})}, {4, Cards({"KH"})},
          {5, Cards({"9C", "8C"})}, {kCell0, Cards({"QC"})}});
  EXPECT_TRUE(CanDrop(*game, Card("6S"), 0));
  EXPECT_FALSE(CanDrop(*game, Card("6C"), 0)) << "other suit";
  EXPECT_FALSE(CanDrop(*game, Card("5S"), 0));
  EXPECT_FALSE(CanPickUp(*game, Card("9C"))) << "one card at a time, even in suit";
  // Column 6 is empty.
  EXPECT_TRUE(CanDrop(*game, Card("KH"), 6));
  EXPECT_FALSE(CanDrop(*game, Card("QC"), 6));
  EXPECT_FALSE(CanDrop(*game, Card("6S"), 6));
  ExpectOneCardCells(*game, {10, 11, 12, 13}, 0, 9);
  ExpectAscendingFoundations(*game, kFoundation0, {0, 1, 2, 3, 4}, 9);
}

TEST(SeaTowers, NothingMovesRightAfterTheDeal) {
  const std::uint32_t number = DealWithRankOnTop(kGame, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12}, 1);
  auto game = DealGame(kGame, number);
  ASSERT_TRUE(game);
  for (std::uint16_t foundation : kFoundations) EXPECT_EQ(game->piles[foundation].count, 0);
}

TEST(SeaTowers, EveryFittingTopCardGoesHomeAndUndoesWithTheMove) {
  auto game = DealGame(kGame, 5);
  ASSERT_TRUE(game);
  LayOut(*game, 9,
         {{kFoundation0, Cards({"AS", "2S", "3S"})},
          {0, Cards({"4S", "AH", "9H"})},
          {1, Cards({"5S"})},
          {2, Cards({"AD", "10C"})},
          {12, Cards({"6S"})}});
  const PlaySnapshot before = Snapshot(*game);
  ASSERT_TRUE(Play(*game, {Card("9H"), kCell0}));
  EXPECT_EQ(PileCards(*game, kFoundation0), Cards({"AS", "2S", "3S", "4S", "5S", "6S"}));
  EXPECT_EQ(PileCards(*game, 15), Cards({"AH"})) << "an Ace takes the leftmost empty foundation";
  EXPECT_EQ(game->piles[0].count, 0);
  EXPECT_EQ(game->piles[12].count, 0) << "cards of the cells go home too";
  EXPECT_EQ(game->cards[Card("AD")].pile, 2);
  EXPECT_EQ(game->cards[Card("9H")].pile, kCell0);
  ASSERT_TRUE(UndoMove(*game));
  EXPECT_EQ(Snapshot(*game), before);
}

TEST(SeaTowers, WonWhenTheLastCardsGoHomeByThemselves) {
  auto game = DealGame(kGame, 6);
  ASSERT_TRUE(game);
  AllCardsHome(*game, kFoundation0, {1, 2, 3, 4}, 1, 1);
  ArrangePile(*game, 0, Cards({"KH", "QS"}));
  ArrangePile(*game, 1, Cards({"KS"}));
  EXPECT_FALSE(game->won);
  ASSERT_TRUE(Play(*game, {Card("QS"), kCell0}));
  EXPECT_TRUE(game->won);
  for (std::uint16_t foundation : kFoundations) EXPECT_EQ(game->piles[foundation].count, 13);
}

TEST(SeaTowers, LostWithoutAMove) {
  // Even ranks only on top, cells full, no column empty, every Ace buried.
  auto game = DealGame(kGame, 6);
  ASSERT_TRUE(game);
  LayOut(*game, 0,
         {{0, Cards({"4D"})}, {1, Cards({"2S"})}, {2, Cards({"4S"})}, {3, Cards({"6S"})}, {4, Cards({"8S"})},
          {5, Cards({"10S"})}, {6, Cards({"QS"})}, {7, Cards({"2C"})}, {8, Cards({"4C"})}, {9, Cards({"6C"})},
          {10, Cards({"8C"})}, {11, Cards({"10C"})}, {12, Cards({"QC"})}, {13, Cards({"2D"})}});
  EXPECT_TRUE(LegalMoves(*game).empty());
  EXPECT_FALSE(game->won);
}

TEST(SeaTowers, RandomPlayOutsAcceptEveryListedMoveAndUndoExactly) {
  ExpectSoundPlayOuts(kGame, kFoundations, 324);
}

}  // namespace
}  // namespace cw::testing
