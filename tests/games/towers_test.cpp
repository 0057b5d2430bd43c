#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "Towers";
constexpr std::uint16_t kFoundation0 = 0;
constexpr std::uint16_t kMiddleTower = 10;
constexpr std::uint16_t kCell13 = 13;
const std::vector<std::uint16_t> kFoundations = {0, 1, 2, 3};
const std::vector<std::uint16_t> kTowers = {10, 11, 12};

int BaseRank(const SolGame& game) { return RankOf(game, *game.TopCard(kFoundation0)); }

// A deal whose first card, on foundation 0, has the given rank.
SolGame DealWithBaseRank(int rank) {
  for (std::uint32_t number = 1; number < 1000; ++number) {
    auto game = DealGame(kGame, number);
    if (game && BaseRank(*game) == rank) return std::move(*game);
  }
  ADD_FAILURE() << "no deal with base rank " << rank;
  return *DealGame(kGame, 1);
}

TEST(Towers, DealsTheBaseCardTheColumnsAndTheTowersWithOnlyTheMiddleTowersTopFaceUp) {
  std::set<int> baseRanks;
  for (std::uint32_t number = 1; number <= 400; number += 3) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ASSERT_TRUE(TableIsConsistent(*game));
    const std::vector<int> counts = {1, 0, 0, 0, 6, 6, 6, 6, 6, 6, 7, 4, 4, 0, 0, 0, 0, 0};
    for (std::uint16_t pile = 0; pile < counts.size(); ++pile) EXPECT_EQ(game->piles[pile].count, counts[pile]);
    for (const CardState& card : game->cards) {
      const bool hidden = card.pile == kMiddleTower && card.position < 6;
      EXPECT_EQ(card.faceUp, hidden ? 0 : 1) << "pile " << card.pile << " position " << card.position;
    }
    const int base = BaseRank(*game);
    baseRanks.insert(base);
    for (std::uint16_t foundation = 1; foundation < 4; ++foundation) {
      EXPECT_EQ(game->piles[foundation].baseRank, static_cast<std::uint32_t>(base)) << "base mark";
    }
    EXPECT_EQ(game->journal->Count(), 0u);
  }
  EXPECT_EQ(baseRanks.size(), 13u) << "every start event is reached by some deal";
}

TEST(Towers, TheMiddleTowerTurnsUpItsNextCardAndUndoTurnsItBack) {
  auto game = DealGame(kGame, 12);
  ASSERT_TRUE(game);
  const auto tower = PileCards(*game, kMiddleTower);
  const PlaySnapshot before = Snapshot(*game);
  ASSERT_TRUE(CanPickUp(*game, tower[6]));
  EXPECT_FALSE(CanPickUp(*game, tower[5]));
  ASSERT_TRUE(Play(*game, {tower[6], kCell13}));
  EXPECT_EQ(game->cards[tower[5]].faceUp, 1);
  EXPECT_EQ(game->cards[tower[4]].faceUp, 0);
  ASSERT_TRUE(UndoMove(*game));
  EXPECT_EQ(Snapshot(*game), before);
  EXPECT_EQ(game->cards[tower[5]].faceUp, 0);
}

TEST(Towers, FoundationsStartFromTheBaseRankAndGoOnFromKingToAce) {
  SolGame game = DealWithBaseRank(11);
  LayOut(game, 4,
         {{kFoundation0, Cards({"JS", "QS", "KS"})},
          {5, Cards({"AS"})},
          {6, Cards({"JH"})},
          {7, Cards({"QH"})},
          {8, Cards({"AH"})},
          {9, Cards({"2S"})}});
  EXPECT_TRUE(CanDrop(game, Card("AS"), kFoundation0)) << "an Ace on the King";
  EXPECT_FALSE(CanDrop(game, Card("2S"), kFoundation0));
  for (std::uint16_t foundation = 1; foundation < 4; ++foundation) {
    EXPECT_TRUE(CanDrop(game, Card("JH"), foundation)) << "the base rank starts foundation " << foundation;
    EXPECT_FALSE(CanDrop(game, Card("QH"), foundation)) << "a wrong base rank";
    EXPECT_FALSE(CanDrop(game, Card("AH"), foundation)) << "an Ace is no base here";
  }
  ASSERT_TRUE(Play(game, {Card("AS"), kFoundation0}));
  ASSERT_TRUE(Play(game, {Card("2S"), kFoundation0}));
  ASSERT_TRUE(Play(game, {Card("JH"), 1}));
  EXPECT_TRUE(CanDrop(game, Card("QH"), 1));
  EXPECT_FALSE(CanDrop(game, Card("QH"), 2));
  EXPECT_FALSE(CanPickUp(game, Card("2S"))) << "foundation cards stay home";
}

TEST(Towers, ColumnsBuildDownInTheSameColourAndTowersAreNeverBuiltOn) {
  SolGame game = DealWithBaseRank(1);
  LayOut(game, 4,
         {{5, Cards({"9S"})},
          {6, Cards({"8C"})},
          {7, Cards({"8S"})},
          {8, Cards({"8H"})},
          {9, Cards({"KS", "AS"})},
          {kMiddleTower, Cards({"8D"})},
          {11, Cards({"7S"})},
          {12, Cards({"10C"})},
          {kCell13, Cards({"KC"})}});
  EXPECT_TRUE(CanDrop(game, Card("8C"), 5)) << "black on black";
  EXPECT_TRUE(CanDrop(game, Card("8S"), 5)) << "same colour, same suit";
  EXPECT_FALSE(CanDrop(game, Card("8H"), 5)) << "red on black";
  EXPECT_FALSE(CanDrop(game, Card("8D"), 5)) << "red on black, from a tower";
  EXPECT_FALSE(CanDrop(game, Card("7S"), 5)) << "a rank skipped";
  EXPECT_FALSE(CanDrop(game, Card("KC"), 9)) << "no King on an Ace in the columns";
  EXPECT_FALSE(CanPickUp(game, Card("KS"))) << "one card at a time";
  EXPECT_TRUE(CanPickUp(game, Card("7S"))) << "a tower's top card is played";
  EXPECT_TRUE(CanDrop(game, Card("7S"), 6)) << "from a tower onto a column";
  for (std::uint16_t tower : kTowers) {
    EXPECT_FALSE(CanDrop(game, Card("KC"), tower)) << "tower " << tower;
    EXPECT_FALSE(CanDrop(game, Card("AS"), tower)) << "tower " << tower;
  }
  ASSERT_TRUE(Play(game, {Card("8D"), 14}));
  EXPECT_EQ(game.piles[kMiddleTower].count, 0);
  EXPECT_FALSE(CanDrop(game, Card("KC"), kMiddleTower)) << "an empty tower";
  for (const MoveReference& move : LegalMoves(game)) {
    EXPECT_TRUE(move.IsTap() || (move.destination != 10 && move.destination != 11 && move.destination != 12));
  }
  ExpectOneCardCells(game, {13, 14, 15, 16, 17}, 5, 4);
}

TEST(Towers, WonWhenTheLastTowerCardGoesHome) {
  SolGame game = DealWithBaseRank(5);
  for (int suit = 1; suit <= 4; ++suit) {
    std::vector<std::uint16_t> cards;
    for (int i = 0; i < 13; ++i) cards.push_back(CardNumber(suit, (4 + i) % 13 + 1));
    ArrangePile(game, static_cast<std::uint16_t>(suit - 1), cards);
  }
  ArrangePile(game, kMiddleTower, Cards({"4D"}));
  EXPECT_FALSE(game.won);
  ASSERT_TRUE(Play(game, {Card("4D"), 2}));
  EXPECT_TRUE(game.won);
}

TEST(Towers, LostWhenNothingFits) {
  SolGame game = DealWithBaseRank(1);
  // Every Ace lies buried, the cells are full and no top card goes on another.
  LayOut(game, 4,
         {{4, Cards({"AS", "3S"})}, {5, Cards({"AC", "5S"})}, {6, Cards({"AD", "3D"})}, {7, Cards({"AH", "5D"})},
          {8, Cards({"7S"})}, {9, Cards({"7D"})}, {kMiddleTower, Cards({"9S"})}, {11, Cards({"9D"})},
          {12, Cards({"JS"})}, {13, Cards({"JD"})}, {14, Cards({"KS"})}, {15, Cards({"KD"})}, {16, Cards({"3C"})},
          {17, Cards({"3H"})}});
  ArrangePile(game, 4, Cards({"5C"}));
  EXPECT_TRUE(LegalMoves(game).empty());
  EXPECT_FALSE(game.won);
}

TEST(Towers, RandomPlayOutsAcceptEveryListedMoveAndKeepTheMiddleTowerTopFaceUp) {
  ExpectSoundPlayOuts(kGame, kFoundations, 437);
  std::mt19937 rng(4370);
  for (std::uint32_t number : {3u, 77u, 4000u}) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    for (int move = 0; move < 150 && !game->won; ++move) {
      const auto moves = LegalMoves(*game);
      if (moves.empty()) break;
      ASSERT_TRUE(Play(*game, moves[rng() % moves.size()]));
      const auto top = game->TopCard(kMiddleTower);
      if (top) {
        ASSERT_EQ(game->cards[*top].faceUp, 1) << "deal " << number << " move " << move;
      }
    }
  }
}

}  // namespace
}  // namespace cw::testing
