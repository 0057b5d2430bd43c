#include <gtest/gtest.h>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "Inverted FreeCell";
constexpr std::uint16_t kCell0 = 8;
constexpr std::uint16_t kFoundation0 = 12;
constexpr std::uint16_t kHolding = 16;
const std::vector<std::uint16_t> kFoundations = {12, 13, 14, 15};

TEST(InvertedFreeCell, DealsSevenAndSixCardsFaceUpOverManyNumbers) {
  for (std::uint32_t number = 2; number <= 300; number += 3) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ExpectFaceUpDeal(*game, {7, 7, 7, 7, 6, 6, 6, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  }
}

TEST(InvertedFreeCell, ColumnsBuildUpInAlternatingColoursWithNothingOnAKing) {
  auto game = DealGame(kGame, 3);
  ASSERT_TRUE(game);
  LayOut(*game, 7,
         {{0, Cards({"7S"})}, {1, Cards({"8H"})}, {2, Cards({"8C"})}, {3, Cards({"6D"})}, {4, Cards({"9D"})},
          {5, Cards({"KS"})}, {kCell0, Cards({"QD"})}, {7, Cards({"4C", "5H"})}});
  EXPECT_TRUE(CanDrop(*game, Card("8H"), 0));
  EXPECT_FALSE(CanDrop(*game, Card("8C"), 0)) << "same colour";
  EXPECT_FALSE(CanDrop(*game, Card("6D"), 0)) << "building down";
  EXPECT_FALSE(CanDrop(*game, Card("9D"), 0)) << "a rank skipped";
  EXPECT_FALSE(CanDrop(*game, Card("QD"), 4)) << "a rank skipped, from a cell";
  EXPECT_FALSE(CanPickUp(*game, Card("4C")));
  for (std::uint16_t card = 0; card < 52; ++card) {
    if (game->cards[card].pile != 5) {
      EXPECT_FALSE(CanDrop(*game, card, 5)) << "card " << card << " on a King";
    }
  }
  // Column 6 is empty and takes any card.
  EXPECT_TRUE(CanDrop(*game, Card("6D"), 6));
  EXPECT_TRUE(CanDrop(*game, Card("QD"), 6));
  EXPECT_FALSE(CanDrop(*game, Card("7S"), kHolding));
}

TEST(InvertedFreeCell, FoundationsStartWithAKingAndBuildDownInSuit) {
  auto game = DealGame(kGame, 4);
  ASSERT_TRUE(game);
  ExpectOneCardCells(*game, {8, 9, 10, 11}, 0, 7);
  LayOut(*game, 7,
         {{kFoundation0, Cards({"KS", "QS"})}, {0, Cards({"JS"})}, {1, Cards({"JH"})}, {2, Cards({"10S"})},
          {3, Cards({"KH"})}, {4, Cards({"AD"})}, {5, Cards({"KD", "2D"})}});
  EXPECT_TRUE(CanDrop(*game, Card("JS"), kFoundation0));
  EXPECT_FALSE(CanDrop(*game, Card("JH"), kFoundation0));
  EXPECT_FALSE(CanDrop(*game, Card("10S"), kFoundation0));
  EXPECT_TRUE(CanDrop(*game, Card("KH"), 13));
  EXPECT_FALSE(CanDrop(*game, Card("AD"), 13)) << "an Ace does not start a foundation";
  EXPECT_FALSE(CanDrop(*game, Card("KD"), 13)) << "a King with a card on it is a group";
  EXPECT_FALSE(CanPickUp(*game, Card("QS")));
  EXPECT_EQ(game->definition.piles[13].baseRank, 13);
}

TEST(InvertedFreeCell, FreedKingsFillTheLeftmostEmptyFoundationsAndUndoWithTheMove) {
  const std::uint32_t number = DealWithRankOnTop(kGame, {0, 1, 2, 3, 4, 5, 6, 7}, 13);
  auto dealt = DealGame(kGame, number);
  ASSERT_TRUE(dealt);
  for (std::uint16_t foundation : kFoundations) EXPECT_EQ(dealt->piles[foundation].count, 0) << "after the deal";

  auto game = DealGame(kGame, 5);
  ASSERT_TRUE(game);
  LayOut(*game, 7, {{kFoundation0, Cards({"KC"})}, {1, Cards({"KD", "KH", "9S"})}, {2, Cards({"AS"})}});
  const PlaySnapshot before = Snapshot(*game);
  ASSERT_TRUE(Play(*game, {Card("9S"), kCell0}));
  EXPECT_EQ(PileCards(*game, 13), Cards({"KH"}));
  EXPECT_EQ(PileCards(*game, 14), Cards({"KD"}));
  EXPECT_EQ(game->piles[kHolding].count, 0);
  EXPECT_EQ(game->cards[Card("AS")].pile, 2) << "Aces stay in play";
  ASSERT_TRUE(UndoMove(*game));
  EXPECT_EQ(Snapshot(*game), before);
}

TEST(InvertedFreeCell, WonWithTheLastAceHomeAndLostWithoutAMove) {
  auto game = DealGame(kGame, 6);
  ASSERT_TRUE(game);
  AllCardsHome(*game, kFoundation0, {1, 2, 3, 4}, 13, -1);
  ArrangePile(*game, 3, Cards({"AH"}));
  EXPECT_FALSE(game->won);
  ASSERT_TRUE(Play(*game, {Card("AH"), 15}));
  EXPECT_TRUE(game->won);

  // Cells full, no column empty, only black cards on top and no King among
  // them: nothing goes up in alternating colours and nothing goes home.
  auto stuck = DealGame(kGame, 6);
  ASSERT_TRUE(stuck);
  LayOut(*stuck, 0, OneCardEach(0, {"2S", "3S", "4S", "5S", "6S", "7S", "8S", "9S", "10S", "JS", "QS", "2C"}));
  EXPECT_TRUE(LegalMoves(*stuck).empty());
  EXPECT_FALSE(stuck->won);
}

TEST(InvertedFreeCell, RandomPlayOutsAcceptEveryListedMoveAndUndoExactly) {
  ExpectSoundPlayOuts(kGame, kFoundations, 202);
}

}  // namespace
}  // namespace cw::testing
