#include <gtest/gtest.h>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "Four by Ten";
constexpr std::uint16_t kCell0 = 4;
constexpr std::uint16_t kFoundation0 = 14;
constexpr std::uint16_t kHolding = 18;
const std::vector<std::uint16_t> kFoundations = {14, 15, 16, 17};
const std::vector<std::uint16_t> kCells = {4, 5, 6, 7, 8, 9, 10, 11, 12, 13};

TEST(FourByTen, DealsThirteenCardsFaceUpToEachColumn) {
  for (std::uint32_t number = 1; number <= 300; number += 3) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ExpectFaceUpDeal(*game, {13, 13, 13, 13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  }
}

TEST(FourByTen, TenCellsOfOneCardFourOfThemFanned) {
  auto game = DealGame(kGame, 3);
  ASSERT_TRUE(game);
  int fanned = 0;
  for (std::uint16_t cell : kCells) fanned += game->piles[cell].fan != 0 ? 1 : 0;
  EXPECT_EQ(fanned, 4);
  ExpectOneCardCells(*game, kCells, 0, 3);
  // Whatever a fanned cell lets go, it never holds a second card.
  for (std::uint16_t cell : kCells) {
    if (game->piles[cell].fan == 0) continue;
    LayOut(*game, 3, {{0, Cards({"9C", "8D"})}, {1, Cards({"5S"})}});
    EXPECT_TRUE(CanDrop(*game, Card("8D"), cell));
    ASSERT_TRUE(Play(*game, {Card("8D"), cell}));
    EXPECT_TRUE(CanPickUp(*game, Card("8D")));
    EXPECT_FALSE(CanDrop(*game, Card("9C"), cell));
    EXPECT_FALSE(CanDrop(*game, Card("5S"), cell));
  }
}

TEST(FourByTen, ColumnsBuildDownInAlternatingColoursAndFoundationsUpInSuit) {
  auto game = DealGame(kGame, 4);
  ASSERT_TRUE(game);
  LayOut(*game, 3, {{0, Cards({"7S"})}, {1, Cards({"6H"})}, {kCell0, Cards({"6C"})}, {5, Cards({"KD"})}});
  EXPECT_TRUE(CanDrop(*game, Card("6H"), 0));
  EXPECT_FALSE(CanDrop(*game, Card("6C"), 0));
  EXPECT_FALSE(CanDrop(*game, Card("7S"), 1));
  EXPECT_TRUE(CanDrop(*game, Card("6C"), 2)) << "an empty column takes any card";
  EXPECT_TRUE(CanDrop(*game, Card("KD"), 2));
  EXPECT_FALSE(CanDrop(*game, Card("7S"), kHolding));
  ExpectAscendingFoundations(*game, kFoundation0, {0, 1, 2, 4, 5}, 3);
}

TEST(FourByTen, FreedAcesGoHomeFromTheLeftAndUndoWithTheMove) {
  const std::uint32_t number = DealWithRankOnTop(kGame, {0, 1, 2, 3}, 1);
  auto dealt = DealGame(kGame, number);
  ASSERT_TRUE(dealt);
  for (std::uint16_t foundation : kFoundations) EXPECT_EQ(dealt->piles[foundation].count, 0) << "after the deal";

  auto game = DealGame(kGame, 5);
  ASSERT_TRUE(game);
  LayOut(*game, 3, {{kFoundation0, Cards({"AC"})}, {0, Cards({"AD", "AS", "9S"})}, {kCell0, Cards({"AH"})}});
  const PlaySnapshot before = Snapshot(*game);
  ASSERT_TRUE(Play(*game, {Card("9S"), 1}));
  EXPECT_EQ(PileCards(*game, 15), Cards({"AS"}));
  EXPECT_EQ(PileCards(*game, 16), Cards({"AD"}));
  EXPECT_EQ(game->cards[Card("AH")].pile, kCell0) << "only Aces of the columns go by themselves";
  EXPECT_EQ(game->piles[kHolding].count, 0);
  ASSERT_TRUE(UndoMove(*game));
  EXPECT_EQ(Snapshot(*game), before);
}

TEST(FourByTen, WonWithTheLastCardHomeAndLostWithoutAMove) {
  auto game = DealGame(kGame, 6);
  ASSERT_TRUE(game);
  AllCardsHome(*game, kFoundation0, {1, 2, 3, 4}, 1, 1);
  ArrangePile(*game, 9, Cards({"KC"}));
  EXPECT_FALSE(game->won);
  ASSERT_TRUE(Play(*game, {Card("KC"), 15}));
  EXPECT_TRUE(game->won);

  // Every cell full and only black cards on top, none of them an Ace.
  auto stuck = DealGame(kGame, 6);
  ASSERT_TRUE(stuck);
  PileContents layout = {{0, Cards({"2S"})}, {1, Cards({"3S"})}, {2, Cards({"4S"})}};
  for (int i = 0; i < 10; ++i) {
    layout.push_back({kCells[static_cast<std::size_t>(i)], {CardNumber(2, 2 + i)}});
  }
  LayOut(*stuck, 3, layout);
  ArrangePile(*stuck, 3, Cards({"5S"}));
  EXPECT_TRUE(LegalMoves(*stuck).empty());
  EXPECT_FALSE(stuck->won);
}

TEST(FourByTen, RandomPlayOutsAcceptEveryListedMoveAndUndoExactly) {
  // Ten cells give many moves to list after each one: fewer moves suffice.
  ExpectSoundPlayOuts(kGame, kFoundations, 165, 50);
}

}  // namespace
}  // namespace cw::testing
