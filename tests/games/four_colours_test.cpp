#include <gtest/gtest.h>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "Four Colours";
constexpr std::uint16_t kCell0 = 7;
constexpr std::uint16_t kFoundation0 = 11;
const std::vector<std::uint16_t> kFoundations = {11, 12, 13, 14};

TEST(FourColours, EachOfTheFourLeftColumnsIsDealtOneWholeSuit) {
  for (std::uint32_t number = 1; number <= 300; number += 3) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ExpectFaceUpDeal(*game, {13, 13, 13, 13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    for (std::uint16_t column = 0; column < 4; ++column) {
      for (std::uint16_t card : PileCards(*game, column)) {
        EXPECT_EQ(game->definition.cards[card].suit, column + 1u) << "deal " << number;
      }
    }
  }
}

TEST(FourColours, AlternatingRunsOfAnyLengthMoveAndBrokenRunsDoNot) {
  auto game = DealGame(kGame, 3);
  ASSERT_TRUE(game);
  LayOut(*game, kFoundation0 + 3,
         {{0, Cards({"KS", "QH", "JC", "10D", "9S", "8H", "7C", "6D", "5S", "4H", "3C", "2D"})},
          {1, Cards({"10C", "9H", "8D"})},
          {2, Cards({"KD"})},
          {3, Cards({"KC"})},
          {kCell0 + 2, Cards({"QD"})}});
  EXPECT_TRUE(CanPickUp(*game, Card("KS"))) << "twelve cards";
  EXPECT_TRUE(CanPickUp(*game, Card("9S")));
  EXPECT_TRUE(CanDrop(*game, Card("KS"), 4)) << "an empty column takes any run";
  EXPECT_TRUE(CanDrop(*game, Card("QH"), 4)) << "and a run not headed by a King";
  EXPECT_FALSE(CanPickUp(*game, Card("10C"))) << "same colour inside the run";
  EXPECT_FALSE(CanPickUp(*game, Card("9H")));
  EXPECT_TRUE(CanPickUp(*game, Card("8D")));
  EXPECT_TRUE(CanDrop(*game, Card("QH"), 3)) << "a run onto a King of the other colour";
  EXPECT_FALSE(CanDrop(*game, Card("QH"), 2)) << "same colour";
  EXPECT_TRUE(CanDrop(*game, Card("QD"), 3)) << "from a cell";
  ASSERT_TRUE(Play(*game, {Card("QH"), 3}));
  EXPECT_EQ(game->piles[3].count, 12);
  EXPECT_EQ(PileCards(*game, 0), Cards({"KS"}));
}

TEST(FourColours, EachCellTakesOneCardOfItsOwnSuit) {
  auto game = DealGame(kGame, 4);
  ASSERT_TRUE(game);
  LayOut(*game, kFoundation0 + 3,
         {{0, Cards({"5S"})}, {1, Cards({"5C"})}, {3, Cards({"9H", "8S"})},
          {4, Cards({"5H"})}, {5, Cards({"5D"})}, {kCell0, Cards({"7S"})}});
  EXPECT_FALSE(CanDrop(*game, Card("5S"), kCell0)) << "occupied";
  EXPECT_TRUE(CanPickUp(*game, Card("7S")));
  EXPECT_TRUE(CanDrop(*game, Card("5C"), kCell0 + 1));
  EXPECT_FALSE(CanDrop(*game, Card("5S"), kCell0 + 1)) << "spades in the clubs cell";
  EXPECT_TRUE(CanDrop(*game, Card("5D"), kCell0 + 2));
  EXPECT_FALSE(CanDrop(*game, Card("5H"), kCell0 + 2));
  EXPECT_TRUE(CanDrop(*game, Card("5H"), kCell0 + 3));
  EXPECT_FALSE(CanDrop(*game, Card("5D"), kCell0 + 3));
  EXPECT_TRUE(CanPickUp(*game, Card("9H")));
  EXPECT_FALSE(CanDrop(*game, Card("9H"), kCell0 + 3)) << "a run of two into a cell";
}

TEST(FourColours, FoundationsTakeOneCardAtATime) {
  auto game = DealGame(kGame, 5);
  ASSERT_TRUE(game);
  ExpectAscendingFoundations(*game, kFoundation0, {0, 1, 2, 3, 4}, 6);
  LayOut(*game, 6, {{0, Cards({"2H", "AS"})}, {kFoundation0, Cards({"AH"})}});
  EXPECT_TRUE(CanPickUp(*game, Card("2H")));
  EXPECT_FALSE(CanDrop(*game, Card("2H"), kFoundation0)) << "a run of two onto a foundation";
  EXPECT_TRUE(CanDrop(*game, Card("AS"), kFoundation0 + 1));
}

TEST(FourColours, WonWithTheLastKingHomeAndLostWithoutAMove) {
  auto game = DealGame(kGame, 6);
  ASSERT_TRUE(game);
  AllCardsHome(*game, kFoundation0, {1, 2, 3, 4}, 1, 1);
  ArrangePile(*game, 5, Cards({"KH"}));
  EXPECT_FALSE(game->won);
  ASSERT_TRUE(Play(*game, {Card("KH"), 14}));
  EXPECT_TRUE(game->won);

  // Odd ranks on the seven columns and a card of its own suit in each cell.
  auto stuck = DealGame(kGame, 6);
  ASSERT_TRUE(stuck);
  LayOut(*stuck, kFoundation0,
         {{0, Cards({"3S"})}, {1, Cards({"5S"})}, {2, Cards({"3C"})}, {3, Cards({"5C"})},
          {4, Cards({"3D"})}, {5, Cards({"5D"})}, {6, Cards({"3H"})}, {7, Cards({"7S"})},
          {8, Cards({"7C"})}, {9, Cards({"7D"})}, {10, Cards({"7H"})}});
  EXPECT_TRUE(LegalMoves(*stuck).empty());
  EXPECT_FALSE(stuck->won);
}

TEST(FourColours, RandomPlayOutsAcceptEveryListedMoveAndUndoExactly) {
  ExpectSoundPlayOuts(kGame, kFoundations, 166);
}

}  // namespace
}  // namespace cw::testing
