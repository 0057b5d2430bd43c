#include <gtest/gtest.h>

#include <algorithm>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "Seven by Seven";
constexpr std::uint16_t kReserve7 = 7;
constexpr std::uint16_t kFoundation0 = 10;
constexpr std::uint16_t kRedealPile = 14;
const std::vector<std::uint16_t> kFoundations = {10, 11, 12, 13};
const MoveReference kRedeal{kRedealPile, kNoReference};

// What a redeal must give: the reserves 7, 8, 9 and then the columns, each
// from the bottom up, form one pile; its top card goes to reserve 9, the
// next to 8 and 7; the rest is dealt from the bottom, one card per column in
// turn.
std::vector<std::vector<std::uint16_t>> ExpectedRedeal(const SolGame& game) {
  std::vector<std::uint16_t> gathered;
  for (int pile : {7, 8, 9, 0, 1, 2, 3, 4, 5, 6}) {
    for (std::uint16_t card : PileCards(game, static_cast<std::uint16_t>(pile))) gathered.push_back(card);
  }
  std::vector<std::vector<std::uint16_t>> piles(10);
  for (std::uint16_t reserve = 9; reserve >= 7 && !gathered.empty(); --reserve) {
    piles[reserve].push_back(gathered.back());
    gathered.pop_back();
  }
  for (std::size_t i = 0; i < gathered.size(); ++i) piles[i % 7].push_back(gathered[i]);
  return piles;
}

void ExpectRedealOf(SolGame& game) {
  const auto expected = ExpectedRedeal(game);
  std::vector<std::vector<std::uint16_t>> foundations;
  for (std::uint16_t pile : kFoundations) foundations.push_back(PileCards(game, pile));
  ASSERT_TRUE(Play(game, kRedeal));
  ASSERT_TRUE(TableIsConsistent(game));
  for (std::uint16_t pile = 0; pile < 10; ++pile) {
    EXPECT_EQ(PileCards(game, pile), expected[pile]) << "pile " << pile;
  }
  for (std::size_t i = 0; i < kFoundations.size(); ++i) {
    EXPECT_EQ(PileCards(game, kFoundations[i]), foundations[i]) << "foundations stay";
  }
  EXPECT_EQ(game.piles[kRedealPile].count, 0);
}

TEST(SevenBySeven, DealsSevenCardsToEachColumnAndOneToEachReserve) {
  for (std::uint32_t number = 1; number <= 300; number += 3) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ExpectFaceUpDeal(*game, {7, 7, 7, 7, 7, 7, 7, 1, 1, 1, 0, 0, 0, 0, 0});
  }
}

TEST(SevenBySeven, ColumnsBuildUpOrDownInSuitWithoutWrap) {
  auto game = DealGame(kGame, 3);
  ASSERT_TRUE(game);
  LayOut(*game, kRedealPile,
         {{0, Cards({"7H"})}, {1, Cards({"6H"})}, {2, Cards({"8H"})}, {3, Cards({"6S"})},
          {4, Cards({"9H", "AH"})}, {5, Cards({"KH"})}, {kReserve7, Cards({"5D"})}});
  EXPECT_TRUE(CanDrop(*game, Card("6H"), 0)) << "down in suit";
  EXPECT_TRUE(CanDrop(*game, Card("8H"), 0)) << "up in suit";
  EXPECT_FALSE(CanDrop(*game, Card("6S"), 0)) << "other suit";
  EXPECT_FALSE(CanDrop(*game, Card("AH"), 0)) << "a rank skipped";
  EXPECT_FALSE(CanDrop(*game, Card("KH"), 4)) << "no King on an Ace";
  EXPECT_FALSE(CanDrop(*game, Card("AH"), 5)) << "no Ace on a King";
  EXPECT_FALSE(CanPickUp(*game, Card("9H"))) << "one card at a time";
  // Column 6 is empty and takes any card; so does an empty reserve.
  EXPECT_TRUE(CanDrop(*game, Card("5D"), 6));
  EXPECT_TRUE(CanDrop(*game, Card("AH"), 8));
  EXPECT_FALSE(CanDrop(*game, Card("AH"), kReserve7)) << "occupied reserve";
  EXPECT_FALSE(CanDrop(*game, Card("AH"), kRedealPile)) << "the redeal pile takes nothing";
  ExpectAscendingFoundations(*game, kFoundation0, {0, 1, 2, 3, 4}, kRedealPile);
}

TEST(SevenBySeven, RedealGathersReservesLastFirstAndDealsColumnsInTurnTwiceOnly) {
  auto game = DealGame(kGame, 7);
  ASSERT_TRUE(game);
  // Play a few cards home and around so that the piles differ in size.
  LayOut(*game, 0,
         {{kFoundation0, Cards({"AS", "2S", "3S"})},
          {1, Cards({"4S", "5C"})},
          {9, Cards({"KD"})},
          {5, Cards({"QH", "JH", "10H", "9H"})}});
  ASSERT_EQ(LegalMoves(*game).front(), kRedeal) << "taps come first";
  ExpectRedealOf(*game);
  EXPECT_EQ(game->piles[kReserve7].count, 1);
  EXPECT_EQ(game->piles[0].count, 7);
  EXPECT_EQ(game->piles[6].count, 6) << "46 cards for the columns: four get 7, three get 6";
  ASSERT_TRUE(CanTap(*game, kRedealPile));
  ExpectRedealOf(*game);
  EXPECT_FALSE(CanTap(*game, kRedealPile)) << "a third redeal";
  const auto moves = LegalMoves(*game);
  EXPECT_EQ(std::count(moves.begin(), moves.end(), kRedeal), 0);
  const PlaySnapshot before = Snapshot(*game);
  EXPECT_FALSE(Play(*game, kRedeal));
  EXPECT_EQ(Snapshot(*game), before);
}

TEST(SevenBySeven, RedealWithFewCardsInPlayRefillsOnlySomeReserves) {
  auto game = DealGame(kGame, 8);
  ASSERT_TRUE(game);
  AllCardsHome(*game, kFoundation0, {1, 2, 3, 4}, 1, 1);
  ArrangePile(*game, 2, Cards({"QS", "KS"}));
  ExpectRedealOf(*game);
  EXPECT_EQ(PileCards(*game, 9), Cards({"KS"}));
  EXPECT_EQ(PileCards(*game, 8), Cards({"QS"}));
  EXPECT_EQ(game->piles[kReserve7].count, 0);
  for (std::uint16_t column = 0; column < 7; ++column) EXPECT_EQ(game->piles[column].count, 0);

  // Ten cards: three reserves, then one card for each column.
  auto other = DealGame(kGame, 8);
  ASSERT_TRUE(other);
  AllCardsHome(*other, kFoundation0, {1, 2, 3, 4}, 1, 1);
  ArrangePile(*other, 3, Cards({"4H", "5H", "6H", "7H", "8H", "9H", "10H", "JH", "QH", "KH"}));
  ExpectRedealOf(*other);
  for (std::uint16_t column = 0; column < 7; ++column) EXPECT_EQ(other->piles[column].count, 1);
}

TEST(SevenBySeven, UndoTakesARedealBackWithItsUse) {
  auto game = DealGame(kGame, 9);
  ASSERT_TRUE(game);
  const PlaySnapshot before = Snapshot(*game);
  ASSERT_TRUE(Play(*game, kRedeal));
  EXPECT_EQ(game->counters[0].value, 1);
  EXPECT_NE(Snapshot(*game).cards, before.cards);
  ASSERT_TRUE(UndoMove(*game));
  EXPECT_EQ(Snapshot(*game), before);
  // The redeal taken back can be made twice again.
  ASSERT_TRUE(Play(*game, kRedeal));
  ASSERT_TRUE(Play(*game, kRedeal));
  EXPECT_FALSE(CanTap(*game, kRedealPile));
  EXPECT_TRUE(TableIsConsistent(*game));
}

TEST(SevenBySeven, WonWhenTheLastCardGoesHome) {
  auto game = DealGame(kGame, 10);
  ASSERT_TRUE(game);
  AllCardsHome(*game, kFoundation0, {1, 2, 3, 4}, 1, 1);
  ArrangePile(*game, 3, Cards({"KH"}));
  EXPECT_FALSE(game->won);
  ASSERT_TRUE(Play(*game, {Card("KH"), 13}));
  EXPECT_TRUE(game->won);
}

TEST(SevenBySeven, LostOnceTheRedealsAreUsedAndNoCardFits) {
  auto game = DealGame(kGame, 11);
  ASSERT_TRUE(game);
  ASSERT_TRUE(Play(*game, kRedeal));
  ASSERT_TRUE(Play(*game, kRedeal));
  // Every column and reserve is occupied, no Ace is free and no top card is
  // next in rank to another of its suit.
  LayOut(*game, 0,
         {{0, Cards({"AS", "3S"})}, {1, Cards({"AC", "5S"})}, {2, Cards({"AD", "7S"})}, {3, Cards({"AH", "9S"})},
          {4, Cards({"JS"})}, {5, Cards({"KS"})}, {6, Cards({"3C"})}, {7, Cards({"5C"})}, {8, Cards({"7C"})},
          {9, Cards({"9C"})}});
  EXPECT_TRUE(LegalMoves(*game).empty());
  EXPECT_FALSE(game->won);
  // With a redeal left the same table is not lost.
  game->counters[0].value = 1;
  EXPECT_EQ(LegalMoves(*game), std::vector<MoveReference>{kRedeal});
}

TEST(SevenBySeven, RandomPlayOutsAcceptEveryListedMoveAndUndoExactly) {
  ExpectSoundPlayOuts(kGame, kFoundations, 422);
}

}  // namespace
}  // namespace cw::testing
