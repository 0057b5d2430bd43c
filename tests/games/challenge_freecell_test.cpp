#include <set>

#include <gtest/gtest.h>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "Challenge FreeCell";
constexpr std::uint16_t kCell0 = 8;
constexpr std::uint16_t kFoundation0 = 12;
constexpr std::uint16_t kHolding = 16;
const std::vector<std::uint16_t> kFoundations = {12, 13, 14, 15};

TEST(ChallengeFreeCell, AcesLieUnderTheLeftColumnsAndTwosUnderTheOthers) {
  std::set<std::uint16_t> bottomsOfColumnZero;
  for (std::uint32_t number = 1; number <= 300; number += 3) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ExpectFaceUpDeal(*game, {7, 7, 7, 7, 6, 6, 6, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    std::set<int> aceSuits;
    std::set<int> twoSuits;
    for (std::uint16_t column = 0; column < 8; ++column) {
      const std::uint16_t bottom = *game->CardAt(column, 0);
      const CardDef& card = game->definition.cards[bottom];
      EXPECT_EQ(card.rank, column < 4 ? 1 : 2) << "deal " << number << " column " << column;
      (column < 4 ? aceSuits : twoSuits).insert(card.suit);
      // No other Ace or two anywhere above.
      for (std::uint16_t position = 1; position < game->piles[column].count; ++position) {
        EXPECT_GT(RankOf(*game, *game->CardAt(column, position)), 2);
      }
    }
    EXPECT_EQ(aceSuits.size(), 4u);
    EXPECT_EQ(twoSuits.size(), 4u);
    bottomsOfColumnZero.insert(*game->CardAt(0, 0));
  }
  EXPECT_GT(bottomsOfColumnZero.size(), 1u) << "the suits of the Aces change from deal to deal";
}

TEST(ChallengeFreeCell, ColumnsBuildDownInAlternatingColoursAndSpacesTakeAnyCard) {
  auto game = DealGame(kGame, 3);
  ASSERT_TRUE(game);
  LayOut(*game, 7,
         {{0, Cards({"7S"})}, {1, Cards({"6H"})}, {2, Cards({"6C"})}, {3, Cards({"8D"})}, {4, Cards({"9C", "5D"})},
          {kCell0, Cards({"QC"})}});
  EXPECT_TRUE(CanDrop(*game, Card("6H"), 0));
  EXPECT_FALSE(CanDrop(*game, Card("6C"), 0));
  EXPECT_FALSE(CanDrop(*game, Card("8D"), 0));
  EXPECT_FALSE(CanPickUp(*game, Card("9C")));
  EXPECT_TRUE(CanDrop(*game, Card("QC"), 5));
  EXPECT_TRUE(CanDrop(*game, Card("6C"), 5));
  for (std::uint16_t hidden : {std::uint16_t{16}, std::uint16_t{17}}) {
    EXPECT_FALSE(CanDrop(*game, Card("7S"), hidden));
  }
  ExpectOneCardCells(*game, {8, 9, 10, 11}, 0, 7);
  ExpectAscendingFoundations(*game, kFoundation0, {0, 1, 2, 3, 4}, 7);
}

TEST(ChallengeFreeCell, AnAceFreedFromTheBottomGoesToTheLeftmostEmptyFoundation) {
  auto game = DealGame(kGame, 8);
  ASSERT_TRUE(game);
  for (std::uint16_t foundation : kFoundations) EXPECT_EQ(game->piles[foundation].count, 0) << "after the deal";
  LayOut(*game, 7, {{kFoundation0, Cards({"AS"})}, {13, Cards({"AC"})}, {1, Cards({"AH", "9S"})}});
  const PlaySnapshot before = Snapshot(*game);
  ASSERT_TRUE(Play(*game, {Card("9S"), kCell0}));
  EXPECT_EQ(PileCards(*game, 14), Cards({"AH"}));
  EXPECT_EQ(game->piles[kHolding].count, 0);
  ASSERT_TRUE(UndoMove(*game));
  EXPECT_EQ(Snapshot(*game), before);
}

TEST(ChallengeFreeCell, WonWithTheLastKingHome) {
  auto game = DealGame(kGame, 6);
  ASSERT_TRUE(game);
  AllCardsHome(*game, kFoundation0, {4, 3, 2, 1}, 1, 1);
  ArrangePile(*game, kCell0, Cards({"KS"}));
  EXPECT_FALSE(game->won);
  ASSERT_TRUE(Play(*game, {Card("KS"), 15}));
  EXPECT_TRUE(game->won);
}

TEST(ChallengeFreeCell, RandomPlayOutsAcceptEveryListedMoveAndUndoExactly) {
  ExpectSoundPlayOuts(kGame, kFoundations, 79);
}

}  // namespace
}  // namespace cw::testing
