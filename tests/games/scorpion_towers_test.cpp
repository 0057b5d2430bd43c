#include <gtest/gtest.h>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "Scorpion Towers";
constexpr std::uint16_t kCell0 = 10;
constexpr std::uint16_t kWinEvent = 1;

// The thirteen cards of a suit from the King down to the Ace.
std::vector<std::uint16_t> KingToAce(int suit) {
  std::vector<std::uint16_t> cards;
  for (int rank = 13; rank >= 1; --rank) cards.push_back(CardNumber(suit, rank));
  return cards;
}

TEST(ScorpionTowers, DealsFiveCardsToEachColumnAndOneToEachMiddleCell) {
  for (std::uint32_t number = 1; number <= 300; number += 3) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ExpectFaceUpDeal(*game, {5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 0, 1, 1, 0});
  }
}

TEST(ScorpionTowers, SuitRunsOfAnyLengthMoveAndOnlyKingsFillSpaces) {
  auto game = DealGame(kGame, 3);
  ASSERT_TRUE(game);
  LayOut(*game, 9,
         {{0, Cards({"KS", "QS", "JS", "10S", "9S", "8S", "7S", "6S", "5S"})},
          {1, Cards({"10H", "9H", "8D"})},
          {2, Cards({"4D", "KH", "QH"})},
          {3, Cards({"7D", "4C"})},
          {kCell0, Cards({"JH"})}});
  EXPECT_FALSE(CanPickUp(*game, Card("10H"))) << "another suit inside the run";
  EXPECT_FALSE(CanPickUp(*game, Card("9H")));
  EXPECT_TRUE(CanPickUp(*game, Card("8D")));
  EXPECT_FALSE(CanPickUp(*game, Card("7D"))) << "a group that is no run";
  // Columns 4 to 8 are empty.
  EXPECT_TRUE(CanPickUp(*game, Card("KS"))) << "nine cards";
  EXPECT_TRUE(CanDrop(*game, Card("KS"), 4)) << "a run headed by a King";
  EXPECT_TRUE(CanDrop(*game, Card("KH"), 4));
  EXPECT_FALSE(CanDrop(*game, Card("QS"), 4)) << "a run headed by a Queen";
  EXPECT_FALSE(CanDrop(*game, Card("JH"), 4)) << "a Jack from a cell";
  EXPECT_TRUE(CanDrop(*game, Card("JH"), 2)) << "down in suit";
  EXPECT_FALSE(CanDrop(*game, Card("4C"), 0)) << "other suit";
  ExpectOneCardCells(*game, {10, 11, 12, 13}, 1, 9);
}

TEST(ScorpionTowers, WonOnlyWithWholeSuitsFromKingToAceAndEmptyCells) {
  auto game = DealGame(kGame, 6);
  ASSERT_TRUE(game);
  std::vector<std::uint16_t> hearts = KingToAce(4);
  hearts.pop_back();
  LayOut(*game, 0,
         {{0, KingToAce(1)}, {4, KingToAce(2)}, {7, KingToAce(3)}, {9, hearts}, {kCell0 + 2, Cards({"AH"})}});
  ASSERT_EQ(game->piles[0].count, 13);
  EXPECT_FALSE(ConditionsHold(*game, kWinEvent)) << "the Ace of hearts is in a cell";
  ASSERT_TRUE(Play(*game, {Card("AH"), 9}));
  EXPECT_TRUE(game->won);

  // Every suit together, but one split over two columns, or upside down.
  auto split = DealGame(kGame, 6);
  ASSERT_TRUE(split);
  const std::vector<std::uint16_t> spades = KingToAce(1);
  LayOut(*split, 0,
         {{1, KingToAce(2)}, {2, KingToAce(3)}, {3, KingToAce(4)},
          {0, {spades.begin(), spades.begin() + 6}}, {5, {spades.begin() + 6, spades.end()}}});
  ASSERT_EQ(split->piles[0].count, 6);
  EXPECT_FALSE(ConditionsHold(*split, kWinEvent));
  LayOut(*split, 0, {{1, KingToAce(2)}, {2, KingToAce(3)}, {3, KingToAce(4)}, {5, {spades.rbegin(), spades.rend()}}});
  EXPECT_FALSE(ConditionsHold(*split, kWinEvent)) << "Ace at the bottom";
}

TEST(ScorpionTowers, LostWithoutAMove) {
  // Odd ranks on nine columns and the four cells; the tenth column holds the
  // rest with the King of hearts on top, and nothing fits on it.
  auto stuck = DealGame(kGame, 6);
  ASSERT_TRUE(stuck);
  LayOut(*stuck, 9,
         {{0, Cards({"3S"})}, {1, Cards({"5S"})}, {2, Cards({"7S"})}, {3, Cards({"9S"})},
          {4, Cards({"JS"})}, {5, Cards({"3C"})}, {6, Cards({"5C"})}, {7, Cards({"7C"})},
          {8, Cards({"9C"})}, {10, Cards({"JC"})}, {11, Cards({"3D"})}, {12, Cards({"5D"})},
          {13, Cards({"7D"})}});
  EXPECT_TRUE(LegalMoves(*stuck).empty());
  EXPECT_FALSE(stuck->won);
}

TEST(ScorpionTowers, RandomPlayOutsAcceptEveryListedMoveAndUndoExactly) {
  ExpectSoundPlayOuts(kGame, {}, 322);
}

}  // namespace
}  // namespace cw::testing
