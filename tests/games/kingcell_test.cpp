#include <gtest/gtest.h>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "KingCell";
constexpr std::uint16_t kCell0 = 8;
constexpr std::uint16_t kFoundation0 = 12;
constexpr std::uint16_t kHolding = 16;
const std::vector<std::uint16_t> kFoundations = {12, 13, 14, 15};

TEST(KingCell, DealsSevenAndSixCardsFaceUpOverManyNumbers) {
  for (std::uint32_t number = 1; number <= 300; number += 3) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ExpectFaceUpDeal(*game, {7, 7, 7, 7, 6, 6, 6, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  }
}

TEST(KingCell, ColumnsBuildDownAnySuitOneCardAtATimeAndOnlyKingsFillSpaces) {
  auto game = DealGame(kGame, 3);
  ASSERT_TRUE(game);
  LayOut(*game, 7,
         {{0, Cards({"7S"})}, {1, Cards({"6S"})}, {2, Cards({"6H"})}, {3, Cards({"5S"})},
          {4, Cards({"9C", "8D"})}, {5, Cards({"KH"})}, {kCell0, Cards({"QC"})}});
  EXPECT_TRUE(CanDrop(*game, Card("6S"), 0));
  EXPECT_TRUE(CanDrop(*game, Card("6H"), 0));
  EXPECT_FALSE(CanDrop(*game, Card("5S"), 0));
  EXPECT_FALSE(CanDrop(*game, Card("8D"), 0)) << "building up";
  EXPECT_TRUE(CanDrop(*game, Card("QC"), 5)) << "from a cell";
  EXPECT_FALSE(CanPickUp(*game, Card("9C"))) << "two cards";
  // Column 6 is empty.
  EXPECT_TRUE(CanDrop(*game, Card("KH"), 6));
  EXPECT_FALSE(CanDrop(*game, Card("QC"), 6));
  EXPECT_FALSE(CanDrop(*game, Card("6H"), 6));
  EXPECT_FALSE(CanDrop(*game, Card("7S"), kHolding));
}

TEST(KingCell, CellsAndFoundations) {
  auto game = DealGame(kGame, 4);
  ASSERT_TRUE(game);
  ExpectOneCardCells(*game, {8, 9, 10, 11}, 0, 7);
  ExpectAscendingFoundations(*game, kFoundation0, {0, 1, 2, 3, 4}, 7);
}

TEST(KingCell, NothingMovesRightAfterTheDealButAFreeAceGoesAfterTheFirstMove) {
  const std::uint32_t number = DealWithRankOnTop(kGame, {0, 1, 2, 3, 4, 5, 6, 7}, 1);
  auto game = DealGame(kGame, number);
  ASSERT_TRUE(game);
  std::uint16_t ace = 0;
  for (std::uint16_t column = 0; column < 8; ++column) {
    if (RankOf(*game, *game->TopCard(column)) == 1) ace = *game->TopCard(column);
  }
  for (std::uint16_t foundation : kFoundations) EXPECT_EQ(game->piles[foundation].count, 0);
  // Any move into a cell that leaves the Ace where it is.
  std::optional<MoveReference> move;
  for (const MoveReference& candidate : LegalMoves(*game)) {
    if (candidate.source != ace && candidate.destination >= kCell0 && candidate.destination < kFoundation0) {
      move = candidate;
      break;
    }
  }
  ASSERT_TRUE(move);
  ASSERT_TRUE(Play(*game, *move));
  EXPECT_GE(game->cards[ace].pile, kFoundation0);
  EXPECT_LT(game->cards[ace].pile, kHolding);
  EXPECT_EQ(game->piles[kFoundation0].count, 1) << "the first Ace home fills the leftmost foundation";
  EXPECT_EQ(game->piles[kHolding].count, 0);
}

TEST(KingCell, FreedAcesFillTheLeftmostEmptyFoundationsAndUndoWithTheMove) {
  auto game = DealGame(kGame, 5);
  ASSERT_TRUE(game);
  LayOut(*game, 7, {{kFoundation0, Cards({"AC"})}, {1, Cards({"AD", "AH", "9S"})}, {2, Cards({"AS", "5H"})}});
  const PlaySnapshot before = Snapshot(*game);
  ASSERT_TRUE(Play(*game, {Card("9S"), kCell0}));
  EXPECT_EQ(PileCards(*game, 13), Cards({"AH"}));
  EXPECT_EQ(PileCards(*game, 14), Cards({"AD"}));
  EXPECT_EQ(game->piles[1].count, 0);
  EXPECT_EQ(game->piles[kHolding].count, 0);
  EXPECT_EQ(game->cards[Card("AS")].pile, 2) << "an Ace under another card stays";
  ASSERT_TRUE(UndoMove(*game));
  EXPECT_EQ(Snapshot(*game), before);
}

TEST(KingCell, WonWithTheLastKingHomeAndLostWithoutAMove) {
  auto game = DealGame(kGame, 6);
  ASSERT_TRUE(game);
  AllCardsHome(*game, kFoundation0, {1, 2, 3, 4}, 1, 1);
  ArrangePile(*game, 3, Cards({"KH"}));
  EXPECT_FALSE(game->won);
  ASSERT_TRUE(Play(*game, {Card("KH"), 15}));
  EXPECT_TRUE(game->won);

  // Odd ranks only on top, the cells full and no column empty: no card fits
  // anywhere. The dump's top card is the King of hearts.
  auto stuck = DealGame(kGame, 6);
  ASSERT_TRUE(stuck);
  LayOut(*stuck, 0, OneCardEach(1, {"3S", "5S", "7S", "9S", "JS", "3C", "5C", "7C", "9C", "JC", "3D"}));
  EXPECT_TRUE(LegalMoves(*stuck).empty());
  EXPECT_FALSE(stuck->won);
}

TEST(KingCell, RandomPlayOutsAcceptEveryListedMoveAndUndoExactly) {
  ExpectSoundPlayOuts(kGame, kFoundations, 206);
}

}  // namespace
}  // namespace cw::testing
