#include <gtest/gtest.h>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "Antares";
constexpr std::uint16_t kRight0 = 4;
constexpr std::uint16_t kCell0 = 8;
constexpr std::uint16_t kFoundation0 = 12;
const std::vector<std::uint16_t> kFoundations = {12, 13, 14, 15};

TEST(Antares, DealsSevenToTheLeftAndSixToTheRightColumnsOverManyNumbers) {
  for (std::uint32_t number = 1; number <= 300; number += 3) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ExpectFaceUpDeal(*game, {7, 7, 7, 7, 6, 6, 6, 6, 0, 0, 0, 0, 0, 0, 0, 0});
  }
}

TEST(Antares, RightGroupsInAnyOrderLandOnFittingLeftColumnsWhichGiveUpOneCardAtATime) {
  auto game = DealGame(kGame, 3);
  ASSERT_TRUE(game);
  LayOut(*game, 15,
         {{0, Cards({"9S"})},
          {1, Cards({"10D", "9C"})},
          {kRight0, Cards({"8H", "3C", "8D"})},
          {5, Cards({"9H"})},
          {6, Cards({"9D"})},
          {7, Cards({"8C"})}});
  EXPECT_TRUE(CanPickUp(*game, Card("8H"))) << "any card of a right column with what lies on it";
  EXPECT_TRUE(CanPickUp(*game, Card("3C")));
  EXPECT_TRUE(CanDrop(*game, Card("8H"), 0)) << "its base fits the left column";
  EXPECT_FALSE(CanDrop(*game, Card("3C"), 0)) << "its base does not fit";
  EXPECT_TRUE(CanDrop(*game, Card("8H"), 2)) << "an empty left column takes any group";
  EXPECT_TRUE(CanDrop(*game, Card("8H"), 5)) << "right columns build down in suit";
  EXPECT_FALSE(CanDrop(*game, Card("8H"), 6)) << "other suit on the right";
  EXPECT_FALSE(CanPickUp(*game, Card("10D"))) << "a left pair";
  EXPECT_TRUE(CanPickUp(*game, Card("9C")));
  EXPECT_FALSE(CanDrop(*game, Card("8C"), 1)) << "same colour on the left";
  EXPECT_TRUE(CanDrop(*game, Card("8D"), 1));
  EXPECT_FALSE(CanDrop(*game, Card("8H"), kCell0)) << "a group into a cell";
  EXPECT_TRUE(CanDrop(*game, Card("8D"), kCell0));

  ASSERT_TRUE(Play(*game, {Card("8H"), 0}));
  EXPECT_EQ(PileCards(*game, 0), Cards({"9S", "8H", "3C", "8D"}));
  EXPECT_FALSE(CanPickUp(*game, Card("8H"))) << "the left column gives its cards up one at a time";
  EXPECT_FALSE(CanPickUp(*game, Card("3C")));
  EXPECT_TRUE(CanPickUp(*game, Card("8D")));
}

TEST(Antares, EmptyRightColumnsTakeOnlyKingsAndGroupsHeadedByOne) {
  auto game = DealGame(kGame, 4);
  ASSERT_TRUE(game);
  LayOut(*game, 15,
         {{0, Cards({"KH"})}, {1, Cards({"QH"})}, {kRight0, Cards({"KS", "4H", "JD"})}, {5, Cards({"QS", "JS"})}});
  // Right columns 6 and 7 are empty.
  EXPECT_TRUE(CanDrop(*game, Card("KS"), 6)) << "a group headed by a King, not a run";
  EXPECT_FALSE(CanDrop(*game, Card("4H"), 6));
  EXPECT_FALSE(CanDrop(*game, Card("QS"), 6)) << "a run headed by a Queen";
  EXPECT_TRUE(CanDrop(*game, Card("KH"), 7)) << "a single King from the left";
  EXPECT_FALSE(CanDrop(*game, Card("QH"), 7));
}

TEST(Antares, CellsAndFoundationsTakeSingleCardsOnly) {
  auto game = DealGame(kGame, 5);
  ASSERT_TRUE(game);
  // The group offered to the cells lies on a right column, where it can be lifted.
  ExpectOneCardCells(*game, {8, 9, 10, 11}, kRight0, 3);
  // The two-card group on the right column can be lifted, and is refused.
  ExpectAscendingFoundations(*game, kFoundation0, {0, 1, 2, 3, kRight0}, 7);
}

TEST(Antares, WonWithTheLastCardHomeAndLostWithoutAMove) {
  auto game = DealGame(kGame, 6);
  ASSERT_TRUE(game);
  AllCardsHome(*game, kFoundation0, {1, 2, 3, 4}, 1, 1);
  ArrangePile(*game, kRight0, Cards({"KH"}));
  EXPECT_FALSE(game->won);
  ASSERT_TRUE(Play(*game, {Card("KH"), 15}));
  EXPECT_TRUE(game->won);

  // Odd ranks only, one card on every column and cell: nothing fits
  // anywhere; the dump foundation is topped by a King.
  auto stuck = DealGame(kGame, 6);
  ASSERT_TRUE(stuck);
  LayOut(*stuck, kFoundation0,
         {{0, Cards({"3S"})}, {1, Cards({"5S"})}, {2, Cards({"7S"})}, {3, Cards({"9S"})},
          {4, Cards({"JS"})}, {5, Cards({"3C"})}, {6, Cards({"5C"})}, {7, Cards({"7C"})},
          {8, Cards({"9C"})}, {9, Cards({"JC"})}, {10, Cards({"3D"})}, {11, Cards({"5D"})}});
  EXPECT_TRUE(LegalMoves(*stuck).empty());
  EXPECT_FALSE(stuck->won);
}

TEST(Antares, RandomPlayOutsAcceptEveryListedMoveAndUndoExactly) {
  ExpectSoundPlayOuts(kGame, kFoundations, 562);
}

}  // namespace
}  // namespace cw::testing
