#include <gtest/gtest.h>

#include <algorithm>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "Milligan Cell";
constexpr std::uint16_t kCell0 = 8;
constexpr std::uint16_t kFoundation0 = 12;
constexpr std::uint16_t kStock = 20;
constexpr std::uint16_t kSecondDeck = 52;
const std::vector<std::uint16_t> kFoundations = {12, 13, 14, 15, 16, 17, 18, 19};
const MoveReference kTapStock{kStock, kNoReference};

TEST(MilliganCell, DealsOneCardToEachColumnAndTheRestFaceDownToTheStock) {
  for (std::uint32_t number = 1; number <= 200; number += 7) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ASSERT_TRUE(TableIsConsistent(*game));
    for (std::uint16_t pile = 0; pile < 20; ++pile) EXPECT_EQ(game->piles[pile].count, pile < 8 ? 1 : 0);
    ASSERT_EQ(game->piles[kStock].count, 96);
    for (const CardState& card : game->cards) EXPECT_EQ(card.faceUp, card.pile == kStock ? 0 : 1);
    EXPECT_EQ(game->journal->Count(), 0u);
  }
}

TEST(MilliganCell, TwelveTapsDealTheStockFromTheBottomOntoEveryColumnThenNone) {
  auto game = DealGame(kGame, 5);
  ASSERT_TRUE(game);
  // Empty two columns: their cards go to cells. The stock still deals to them.
  ASSERT_TRUE(Play(*game, {*game->TopCard(2), kCell0}));
  ASSERT_TRUE(Play(*game, {*game->TopCard(5), kCell0 + 1}));
  for (int tap = 0; tap < 12; ++tap) {
    const auto stock = PileCards(*game, kStock);
    std::vector<int> counts;
    for (std::uint16_t column = 0; column < 8; ++column) counts.push_back(game->piles[column].count);
    ASSERT_EQ(LegalMoves(*game).front(), kTapStock) << "tap " << tap;
    ASSERT_TRUE(Play(*game, kTapStock)) << "tap " << tap;
    ASSERT_TRUE(TableIsConsistent(*game));
    EXPECT_EQ(game->piles[kStock].count, 96 - 8 * (tap + 1));
    for (std::uint16_t column = 0; column < 8; ++column) {
      EXPECT_EQ(game->piles[column].count, counts[column] + 1);
      EXPECT_EQ(game->TopCard(column), stock[column]) << "column " << column << " takes the stock's card " << column;
      EXPECT_EQ(game->cards[stock[column]].faceUp, 1);
    }
    for (std::uint16_t card : PileCards(*game, kStock)) EXPECT_EQ(game->cards[card].faceUp, 0);
  }
  EXPECT_FALSE(CanTap(*game, kStock));
  const auto moves = LegalMoves(*game);
  EXPECT_EQ(std::count(moves.begin(), moves.end(), kTapStock), 0);
  EXPECT_FALSE(Play(*game, kTapStock));
  for (std::uint16_t card = 0; card < game->cards.size(); ++card) {
    ASSERT_FALSE(CanDrop(*game, card, kStock)) << "the empty stock takes nothing";
  }
}

TEST(MilliganCell, UndoOfATapTurnsTheCardsBackDownIntoTheStock) {
  auto game = DealGame(kGame, 6);
  ASSERT_TRUE(game);
  const PlaySnapshot before = Snapshot(*game);
  ASSERT_TRUE(Play(*game, kTapStock));
  ASSERT_TRUE(UndoMove(*game));
  EXPECT_EQ(Snapshot(*game), before);
  for (std::uint16_t card = 0; card < game->cards.size(); ++card) {
    if (game->cards[card].pile == kStock) {
      ASSERT_FALSE(CanDrop(*game, card, 0)) << "stock cards stay put";
    }
  }
}

TEST(MilliganCell, AlternatingRunsOfAnyLengthAndKingsOnlyIntoSpaces) {
  auto game = DealGame(kGame, 3);
  ASSERT_TRUE(game);
  LayOut(*game, kStock,
         {{0, Cards({"KS", "QH", "JC", "10D", "9S", "8H"})},
          {1, Cards({"9C"})},
          {2, Cards({"KD", "QS", "JS"})},
          {4, Cards({"5H"})},
          {5, Cards({"5S"})},
          {6, Cards({"8D"})}});
  for (const char* name : {"KS", "QH", "JC", "10D", "9S", "8H"}) {
    EXPECT_TRUE(CanPickUp(*game, Card(name))) << name;
  }
  EXPECT_FALSE(CanPickUp(*game, Card("QS"))) << "QS JS is no alternating run";
  EXPECT_FALSE(CanPickUp(*game, Card("KD")));
  EXPECT_TRUE(CanDrop(*game, Card("8H"), 1)) << "red 8 on black 9";
  EXPECT_FALSE(CanDrop(*game, Card("8D"), 4)) << "not one rank below";
  EXPECT_FALSE(CanDrop(*game, Card("10D"), 1)) << "10D is not one rank below 9C";
  // Column 7 is empty: a King or a run headed by one.
  EXPECT_TRUE(CanDrop(*game, Card("KS"), 7));
  EXPECT_FALSE(CanDrop(*game, Card("QH"), 7)) << "a run headed by a Queen";
  EXPECT_FALSE(CanDrop(*game, Card("5S"), 7));
  // Cells and foundations take one card only.
  EXPECT_TRUE(CanDrop(*game, Card("8H"), kCell0));
  EXPECT_FALSE(CanDrop(*game, Card("9S"), kCell0)) << "a group into a cell";
  ASSERT_TRUE(Play(*game, {Card("KS"), 7}));
  EXPECT_EQ(game->piles[7].count, 6);
  EXPECT_EQ(game->piles[0].count, 0);
  ExpectAscendingFoundations(*game, kFoundation0, {0, 1, 2, 3, 4}, kStock);
}

TEST(MilliganCell, TwoFoundationsPerSuitAndWonWithAllHundredAndFourHome) {
  auto game = DealGame(kGame, 4);
  ASSERT_TRUE(game);
  for (std::uint16_t f = 0; f < 8; ++f) {
    std::vector<std::uint16_t> cards;
    for (int rank = 1; rank <= 13; ++rank) {
      cards.push_back(static_cast<std::uint16_t>(CardNumber(f % 4 + 1, rank) + (f < 4 ? 0 : kSecondDeck)));
    }
    ArrangePile(*game, static_cast<std::uint16_t>(kFoundation0 + f), cards);
  }
  const std::uint16_t lastKing = CardNumber(4, 13) + kSecondDeck;
  const std::uint16_t otherAce = CardNumber(4, 1) + kSecondDeck;
  ArrangePile(*game, 3, {lastKing});
  ASSERT_EQ(game->piles[kStock].count, 0);
  EXPECT_FALSE(CanDrop(*game, lastKing, 15)) << "the first deck's hearts are complete";
  ASSERT_TRUE(CanDrop(*game, lastKing, 19));
  EXPECT_FALSE(game->won);
  ASSERT_TRUE(Play(*game, {lastKing, 19}));
  EXPECT_TRUE(game->won);
  EXPECT_EQ(game->cards[otherAce].pile, 19);
}

TEST(MilliganCell, LostWithAnEmptyStockAndNoMove) {
  auto game = DealGame(kGame, 2);
  ASSERT_TRUE(game);
  // Aces to fives home, eights in the cells, a ten on top of every column:
  // no six is free, nothing takes a ten or an eight, no column is empty.
  for (std::uint16_t f = 0; f < 8; ++f) {
    std::vector<std::uint16_t> cards;
    for (int rank = 1; rank <= 5; ++rank) {
      cards.push_back(static_cast<std::uint16_t>(CardNumber(f % 4 + 1, rank) + (f < 4 ? 0 : kSecondDeck)));
    }
    ArrangePile(*game, static_cast<std::uint16_t>(kFoundation0 + f), cards);
  }
  for (std::uint16_t cell = 0; cell < 4; ++cell) {
    ArrangePile(*game, static_cast<std::uint16_t>(kCell0 + cell), {CardNumber(cell + 1, 8)});
  }
  std::vector<std::uint16_t> rest;
  for (std::uint16_t card = 0; card < game->cards.size(); ++card) {
    const std::uint16_t pile = game->cards[card].pile;
    if ((pile < kCell0 || pile == kStock) && RankOf(*game, card) != 10) rest.push_back(card);
  }
  ArrangePile(*game, 0, rest);
  for (std::uint16_t column = 0; column < 8; ++column) {
    ArrangePile(*game, column,
                {static_cast<std::uint16_t>(CardNumber(column % 4 + 1, 10) + (column < 4 ? 0 : kSecondDeck))});
  }
  ASSERT_EQ(game->piles[kStock].count, 0);
  ASSERT_TRUE(TableIsConsistent(*game));
  EXPECT_TRUE(LegalMoves(*game).empty());
  EXPECT_FALSE(game->won);
}

TEST(MilliganCell, RandomPlayOutsAcceptEveryListedMoveAndUndoExactly) {
  ExpectSoundPlayOuts(kGame, kFoundations, 242);
}

}  // namespace
}  // namespace cw::testing
