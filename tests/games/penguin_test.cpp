#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>

#include "engine/model/runtime_random.h"
#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "Penguin";
constexpr std::uint16_t kCell7 = 7;
constexpr std::uint16_t kFoundation14 = 14;
constexpr std::uint16_t kEmptyFoundation = 17;
const std::vector<std::uint16_t> kFoundations = {14, 15, 16, 17};

int BeakRank(const SolGame& game) { return RankOf(game, PileCards(game, 0).front()); }

// A table whose beak has the given rank: the first deal number from `from` on
// that gives one.
SolGame DealWithBeak(int rank, std::uint32_t from = 1) {
  for (std::uint32_t number = from; number < from + 2000; ++number) {
    auto game = DealGame(kGame, number);
    if (game && BeakRank(*game) == rank) return std::move(*game);
  }
  ADD_FAILURE() << "no deal with a beak of rank " << rank;
  return *DealGame(kGame, from);
}

int RankBelow(int rank) { return rank == 1 ? 13 : rank - 1; }

TEST(Penguin, TheBeakLiesUnderColumnZeroAndTheOtherCardsOfItsRankOnThreeFoundations) {
  for (std::uint32_t number = 1; number <= 360; number += 7) {
    {
      auto game = DealGame(kGame, number);
      ASSERT_TRUE(game);
      ExpectFaceUpDeal(*game, {7, 7, 7, 7, 7, 7, 7, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0});
      const int beak = BeakRank(*game);
      std::set<int> suits = {game->definition.cards[PileCards(*game, 0).front()].suit};
      for (std::uint16_t foundation = kFoundation14; foundation < kEmptyFoundation; ++foundation) {
        const std::uint16_t card = *game->TopCard(foundation);
        EXPECT_EQ(RankOf(*game, card), beak);
        suits.insert(game->definition.cards[card].suit);
      }
      EXPECT_EQ(suits.size(), 4u);
      EXPECT_EQ(game->piles[kEmptyFoundation].baseRank, static_cast<std::uint32_t>(beak)) << "base mark";
    }
  }
}

TEST(Penguin, EveryRankIsTheBeakForExactlyTwoOfTheTwentySixSeedResidues) {
  // The start events shuffle a pile of two cards and then one of thirteen,
  // with the runtime's generator seeded from the deal number; a shuffle
  // depends only on its seed modulo the pile's size. Find a deal number for
  // every pair of residues and deal it.
  std::map<std::pair<int, int>, std::uint32_t> numberFor;
  for (std::uint32_t number = 1; numberFor.size() < 26 && number < 100000; ++number) {
    RuntimeRandom random;
    random.Seed(number);
    const int coin = (random.Next() + random.Next()) & 0xFFFF;
    const int ranks = (random.Next() + random.Next()) & 0xFFFF;
    numberFor.emplace(std::make_pair(coin % 2, ranks % 13), number);
  }
  ASSERT_EQ(numberFor.size(), 26u);
  std::map<int, int> beaks;
  for (const auto& [residues, number] : numberFor) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ++beaks[BeakRank(*game)];
  }
  ASSERT_EQ(beaks.size(), 13u);
  for (const auto& [rank, count] : beaks) EXPECT_EQ(count, 2) << "rank " << rank;
}

TEST(Penguin, TheDealNumberMovesEveryCardAndEveryRankIsTheBeakAboutEquallyOften) {
  std::map<int, int> beaks;
  std::vector<std::set<std::vector<int>>> columnRanks(7);
  constexpr std::uint32_t kNumbers = 390;
  for (std::uint32_t number = 1; number <= kNumbers; ++number) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ++beaks[BeakRank(*game)];
    for (std::uint16_t column = 0; column < 7; ++column) {
      std::vector<int> ranks;
      for (const std::uint16_t card : PileCards(*game, column)) ranks.push_back(RankOf(*game, card));
      columnRanks[column].insert(ranks);
    }
  }
  // 30 expected per rank; a spread of ±15 is far beyond chance for a fair
  // choice (and far below one that favours a rank).
  ASSERT_EQ(beaks.size(), 13u);
  for (const auto& [rank, count] : beaks) {
    EXPECT_GT(count, 15) << "rank " << rank;
    EXPECT_LT(count, 45) << "rank " << rank;
  }
  for (std::uint16_t column = 0; column < 7; ++column) {
    EXPECT_GT(columnRanks[column].size(), kNumbers * 9 / 10) << "rank layouts of column " << column;
  }
}

TEST(Penguin, ColumnsBuildDownInSuitWithAKingOnAnAceAndRunsAcrossTheWrap) {
  SolGame game = DealWithBeak(7);
  LayOut(game, kCell7,
         {{0, Cards({"9S", "5C"})},
          {1, Cards({"2S", "AS", "KS", "QS"})},
          {2, Cards({"AH"})},
          {3, Cards({"5H", "4D", "3D"})},
          {4, Cards({"4S", "3S"})},
          {5, Cards({"KC"})},
          {6, Cards({"KH"})}});
  for (const char* name : {"2S", "AS", "KS", "QS"}) EXPECT_TRUE(CanPickUp(game, Card(name))) << name;
  EXPECT_TRUE(CanPickUp(game, Card("4D")));
  EXPECT_FALSE(CanPickUp(game, Card("5H"))) << "5H 4D 3D is no run in one suit";
  EXPECT_FALSE(CanPickUp(game, Card("9S"))) << "a change of suit never reads as a step across the wrap";
  EXPECT_TRUE(CanDrop(game, Card("KH"), 2)) << "a King on the Ace of its suit";
  EXPECT_FALSE(CanDrop(game, Card("KC"), 2)) << "a King of another suit";
  EXPECT_FALSE(CanDrop(game, Card("2S"), 3)) << "onto a card of another suit";
  EXPECT_FALSE(CanDrop(game, Card("AS"), 4)) << "a rank skipped";
  ASSERT_TRUE(CanDrop(game, Card("2S"), 4)) << "a run across the wrap";
  ASSERT_TRUE(Play(game, {Card("2S"), 4}));
  EXPECT_EQ(PileCards(game, 4), Cards({"4S", "3S", "2S", "AS", "KS", "QS"}));
  EXPECT_TRUE(CanPickUp(game, Card("4S"))) << "six cards in suit over the wrap";
}

TEST(Penguin, AnEmptyColumnTakesOnlyACardOneRankBelowTheBeakOrARunHeadedByOne) {
  for (int beak : {1, 7, 13}) {
    SolGame game = DealWithBeak(beak);
    const int below = RankBelow(beak);
    const std::uint16_t fits = CardNumber(3, below);
    const std::uint16_t fitsToo = CardNumber(4, below);
    const std::uint16_t other = CardNumber(3, RankBelow(below));
    LayOut(game, kCell7,
           {{1, {fits}}, {2, {fitsToo, CardNumber(4, RankBelow(below))}}, {3, {other}}, {4, {CardNumber(1, beak)}}});
    EXPECT_TRUE(CanDrop(game, fits, 0)) << "beak " << beak;
    EXPECT_TRUE(CanDrop(game, fitsToo, 0)) << "a run headed by the rank below the beak, beak " << beak;
    EXPECT_FALSE(CanDrop(game, other, 0)) << "beak " << beak;
    EXPECT_FALSE(CanDrop(game, CardNumber(1, beak), 0)) << "the beak's own rank, beak " << beak;
  }
}

TEST(Penguin, FoundationsBuildFromTheBeakRankPassingFromKingToAceOneCardAtATime) {
  SolGame game = DealWithBeak(11);
  LayOut(game, kCell7,
         {{kFoundation14, Cards({"JS", "QS", "KS"})},
          {1, Cards({"AS"})},
          {2, Cards({"JH"})},
          {3, Cards({"QH"})},
          {4, Cards({"AH"})},
          {5, Cards({"JD", "10D"})},
          {6, Cards({"3S", "2S"})}});
  EXPECT_TRUE(CanDrop(game, Card("AS"), kFoundation14)) << "an Ace on the King";
  EXPECT_FALSE(CanDrop(game, Card("2S"), kFoundation14));
  for (std::uint16_t foundation = 15; foundation <= 17; ++foundation) {
    EXPECT_TRUE(CanDrop(game, Card("JH"), foundation)) << "the beak's rank starts foundation " << foundation;
    EXPECT_FALSE(CanDrop(game, Card("QH"), foundation));
    EXPECT_FALSE(CanDrop(game, Card("AH"), foundation));
    EXPECT_FALSE(CanDrop(game, Card("JD"), foundation)) << "a group onto a foundation";
  }
  ASSERT_TRUE(Play(game, {Card("AS"), kFoundation14}));
  EXPECT_TRUE(CanDrop(game, Card("2S"), kFoundation14)) << "after the Ace the two";
  EXPECT_FALSE(CanPickUp(game, Card("AS"))) << "foundation cards stay home";
  // Cells take one card, never a group.
  EXPECT_FALSE(CanDrop(game, Card("2S"), kCell7)) << "occupied cell";
  ASSERT_EQ(game.piles[8].count, 0);
  EXPECT_TRUE(CanDrop(game, Card("2S"), 8));
  EXPECT_FALSE(CanDrop(game, Card("3S"), 8)) << "a group into a cell";
}

TEST(Penguin, WonWhenTheLastCardGoesHomeAndLostWithoutAMove) {
  SolGame game = DealWithBeak(4);
  for (int suit = 1; suit <= 4; ++suit) {
    std::vector<std::uint16_t> cards;
    for (int i = 0; i < 13; ++i) cards.push_back(CardNumber(suit, (3 + i) % 13 + 1));
    ArrangePile(game, static_cast<std::uint16_t>(kFoundation14 + suit - 1), cards);
  }
  ArrangePile(game, 0, Cards({"3H"}));
  EXPECT_FALSE(game.won);
  ASSERT_TRUE(Play(game, {Card("3H"), 17}));
  EXPECT_TRUE(game.won);

  // Beak 4: foundations want 4s, empty columns 3s. Every cell full, no
  // column empty, no top card fits another.
  SolGame lost = DealWithBeak(4);
  LayOut(lost, 0,
         {{0, Cards({"AS", "6S"})}, {1, Cards({"8S"})}, {2, Cards({"10S"})}, {3, Cards({"QS"})},
          {4, Cards({"6H"})}, {5, Cards({"8H"})}, {6, Cards({"10H"})}, {7, Cards({"QH"})}, {8, Cards({"6D"})},
          {9, Cards({"8D"})}, {10, Cards({"10D"})}, {11, Cards({"QD"})}, {12, Cards({"6C"})}, {13, Cards({"8C"})}});
  EXPECT_TRUE(LegalMoves(lost).empty());
  EXPECT_FALSE(lost.won);
}

TEST(Penguin, RandomPlayOutsAcceptEveryListedMoveAndUndoExactly) {
  ExpectSoundPlayOuts(kGame, kFoundations, 746);
}

}  // namespace
}  // namespace cw::testing
