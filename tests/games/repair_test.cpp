#include <gtest/gtest.h>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "Repair";
constexpr std::uint16_t kCell0 = 10;
constexpr std::uint16_t kFoundation0 = 14;
const std::vector<std::uint16_t> kFoundations = {14, 15, 16, 17, 18, 19, 20, 21};

// The same card of the second deck.
std::uint16_t Second(std::uint16_t card) { return static_cast<std::uint16_t>(card + 52); }

TEST(Repair, DealsTenColumnsOfTenAndOneCardToEachCell) {
  for (std::uint32_t number = 1; number <= 300; number += 3) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ExpectFaceUpDeal(*game, {10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0});
  }
}

TEST(Repair, AlternatingRunsOfAnyLengthMoveAndBrokenRunsDoNot) {
  auto game = DealGame(kGame, 3);
  ASSERT_TRUE(game);
  LayOut(*game, 9,
         {{0, Cards({"KS", "QH", "JC", "10D", "9S", "8H", "7C", "6D", "5S", "4H", "3C", "2D", "AS"})},
          {1, Cards({"10C", "9H", "8D"})},
          {2, {Second(Card("KC"))}},
          {3, Cards({"KD"})},
          {kCell0, Cards({"QD"})},
          {kFoundation0, Cards({"AD"})}});
  EXPECT_TRUE(CanPickUp(*game, Card("KS"))) << "thirteen cards";
  EXPECT_TRUE(CanDrop(*game, Card("KS"), 4)) << "an empty column takes any run";
  EXPECT_TRUE(CanDrop(*game, Card("5S"), 4));
  EXPECT_FALSE(CanPickUp(*game, Card("10C"))) << "same colour inside the run";
  EXPECT_FALSE(CanPickUp(*game, Card("9H")));
  EXPECT_TRUE(CanPickUp(*game, Card("8D")));
  EXPECT_TRUE(CanDrop(*game, Card("QH"), 2)) << "onto the other deck's King of the other colour";
  EXPECT_FALSE(CanDrop(*game, Card("QH"), 3)) << "same colour";
  EXPECT_TRUE(CanDrop(*game, Card("QD"), 2)) << "from a cell";
  EXPECT_FALSE(CanDrop(*game, Card("2D"), kCell0 + 1)) << "a run of two into a cell";
  EXPECT_FALSE(CanDrop(*game, Card("2D"), kFoundation0)) << "a run of two onto a foundation";
  EXPECT_TRUE(CanDrop(*game, Card("AS"), kFoundation0 + 1));
}

TEST(Repair, CellsAndTwoFoundationsForEachSuit) {
  auto game = DealGame(kGame, 4);
  ASSERT_TRUE(game);
  ExpectOneCardCells(*game, {10, 11, 12, 13}, 0, 9);
  ExpectAscendingFoundations(*game, kFoundation0, {0, 1, 2, 3, 4}, 9);
  LayOut(*game, 9, {{kFoundation0, Cards({"AS"})}, {0, {Second(Card("AS"))}}, {1, {Second(Card("2S"))}}});
  EXPECT_TRUE(CanDrop(*game, Second(Card("AS")), kFoundation0 + 1)) << "the second Ace of a suit";
  ASSERT_TRUE(Play(*game, {Second(Card("AS")), kFoundation0 + 1}));
  EXPECT_TRUE(CanDrop(*game, Second(Card("2S")), kFoundation0)) << "either deck's two";
  EXPECT_TRUE(CanDrop(*game, Second(Card("2S")), kFoundation0 + 1));
}

TEST(Repair, WonOnlyWithEveryFoundationFullAndLostWithoutAMove) {
  auto game = DealGame(kGame, 6);
  ASSERT_TRUE(game);
  PileContents home;
  for (int deck = 0; deck < 2; ++deck) {
    for (int suit = 1; suit <= 4; ++suit) {
      std::vector<std::uint16_t> cards;
      for (int rank = 1; rank <= 13; ++rank) {
        cards.push_back(static_cast<std::uint16_t>(CardNumber(suit, rank) + 52 * deck));
      }
      home.push_back({static_cast<std::uint16_t>(kFoundation0 + 4 * deck + suit - 1), cards});
    }
  }
  const std::uint16_t lastKing = home.back().second.back();
  home.back().second.pop_back();
  const std::uint16_t otherKing = home.front().second.back();
  home.front().second.pop_back();
  LayOut(*game, 9, home);
  ArrangePile(*game, 0, {lastKing});
  ArrangePile(*game, kCell0, {otherKing});
  ASSERT_EQ(game->piles[9].count, 0);
  ASSERT_TRUE(Play(*game, {lastKing, 21}));
  EXPECT_FALSE(game->won) << "a King still in a cell";
  ASSERT_TRUE(Play(*game, {otherKing, kFoundation0}));
  EXPECT_TRUE(game->won);

  // Odd ranks on the ten columns and four cells, no Ace on top anywhere.
  auto stuck = DealGame(kGame, 6);
  ASSERT_TRUE(stuck);
  LayOut(*stuck, kFoundation0,
         {{0, Cards({"3S"})}, {1, Cards({"5S"})}, {2, Cards({"7S"})}, {3, Cards({"9S"})},
          {4, Cards({"JS"})}, {5, Cards({"3C"})}, {6, Cards({"5C"})}, {7, Cards({"7C"})},
          {8, Cards({"9C"})}, {9, Cards({"JC"})}, {10, Cards({"3D"})}, {11, Cards({"5D"})},
          {12, Cards({"7D"})}, {13, Cards({"9D"})}});
  EXPECT_TRUE(LegalMoves(*stuck).empty());
  EXPECT_FALSE(stuck->won);
}

TEST(Repair, RandomPlayOutsAcceptEveryListedMoveAndUndoExactly) {
  ExpectSoundPlayOuts(kGame, kFoundations, 299);
}

}  // namespace
}  // namespace cw::testing
