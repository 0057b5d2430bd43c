#include <gtest/gtest.h>

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/one_card_game_checks.h"

namespace cw::testing {
namespace {

constexpr char kGame[] = "Double FreeCell";
constexpr std::uint16_t kCell0 = 10;
constexpr std::uint16_t kFoundation0 = 16;
const std::vector<std::uint16_t> kFoundations = {16, 17, 18, 19};

// The same card of the second deck.
std::uint16_t Second(std::uint16_t card) { return static_cast<std::uint16_t>(card + 52); }

// The 26 cards of a suit in foundation order: Ace to King of the first
// deck, then of the second.
std::vector<std::uint16_t> WholeSuit(int suit) {
  std::vector<std::uint16_t> cards;
  for (int rank = 1; rank <= 13; ++rank) cards.push_back(CardNumber(suit, rank));
  for (int rank = 1; rank <= 13; ++rank) cards.push_back(Second(CardNumber(suit, rank)));
  return cards;
}

TEST(DoubleFreeCell, DealsTenColumnsOfTenAndTheFirstDecksAcesToTheFoundations) {
  for (std::uint32_t number = 1; number <= 300; number += 3) {
    auto game = DealGame(kGame, number);
    ASSERT_TRUE(game);
    ExpectFaceUpDeal(*game, {10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1});
    EXPECT_EQ(PileCards(*game, 16), Cards({"AC"})) << "deal " << number;
    EXPECT_EQ(PileCards(*game, 17), Cards({"AD"}));
    EXPECT_EQ(PileCards(*game, 18), Cards({"AH"}));
    EXPECT_EQ(PileCards(*game, 19), Cards({"AS"}));
  }
}

TEST(DoubleFreeCell, ColumnsBuildDownInAlternatingColoursOneCardAtATime) {
  auto game = DealGame(kGame, 3);
  ASSERT_TRUE(game);
  LayOut(*game, 9,
         {{0, Cards({"7S"})}, {1, Cards({"6H"})}, {2, {Second(Card("6C"))}}, {3, Cards({"9C", "8D"})},
          {kCell0, Cards({"QC"})}});
  EXPECT_TRUE(CanDrop(*game, Card("6H"), 0));
  EXPECT_FALSE(CanDrop(*game, Second(Card("6C")), 0)) << "same colour";
  EXPECT_FALSE(CanPickUp(*game, Card("9C"))) << "one card at a time, even along a run";
  EXPECT_TRUE(CanDrop(*game, Card("QC"), 4)) << "an empty column takes any card";
  ExpectOneCardCells(*game, {10, 11, 12, 13, 14, 15}, 0, 9);
}

TEST(DoubleFreeCell, FoundationsPassFromKingToTheSecondAceAndStopAtTwentySixCards) {
  auto game = DealGame(kGame, 4);
  ASSERT_TRUE(game);
  std::vector<std::uint16_t> clubs = WholeSuit(2);
  const std::vector<std::uint16_t> firstClubs(clubs.begin(), clubs.begin() + 13);
  LayOut(*game, 9,
         {{kFoundation0, firstClubs},
          {0, {Second(Card("AC"))}},
          {1, {Second(Card("2C"))}},
          {2, {Second(Card("AD"))}},
          {3, Cards({"AH", "2H"})}});
  EXPECT_TRUE(CanDrop(*game, Second(Card("AC")), kFoundation0)) << "the second Ace on the King";
  EXPECT_FALSE(CanDrop(*game, Second(Card("2C")), kFoundation0));
  EXPECT_FALSE(CanDrop(*game, Second(Card("AD")), kFoundation0)) << "an Ace of another suit";
  EXPECT_TRUE(CanDrop(*game, Second(Card("AD")), 17)) << "an empty foundation takes an Ace";
  EXPECT_FALSE(CanDrop(*game, Card("AH"), 17)) << "two cards";
  ASSERT_TRUE(Play(*game, {Second(Card("AC")), kFoundation0}));
  EXPECT_TRUE(CanDrop(*game, Second(Card("2C")), kFoundation0)) << "the second round goes on";
  EXPECT_FALSE(CanPickUp(*game, Second(Card("AC")))) << "foundation cards stay home";

  // A 26-card foundation topped by a King takes no Ace, while a 25-card
  // one does. The pile below the King is made up: a real game has no
  // Ace of the suit left for it.
  std::vector<std::uint16_t> full;
  for (std::uint16_t card = 0; card < 25; ++card) full.push_back(Second(card));
  full.push_back(Card("KH"));
  LayOut(*game, 9, {{18, full}, {0, Cards({"AH"})}});
  EXPECT_FALSE(CanDrop(*game, Card("AH"), 18)) << "no 27th card";
  full.erase(full.begin());
  LayOut(*game, 9, {{18, full}, {0, Cards({"AH"})}});
  EXPECT_TRUE(CanDrop(*game, Card("AH"), 18));
}

TEST(DoubleFreeCell, WonOnlyWithEveryFoundationFullAndLostWithoutAMove) {
  auto game = DealGame(kGame, 6);
  ASSERT_TRUE(game);
  PileContents home;
  for (int suit = 1; suit <= 4; ++suit) {
    home.push_back({static_cast<std::uint16_t>(kFoundation0 + suit - 1), WholeSuit(suit)});
  }
  std::vector<std::uint16_t>& hearts = home[3].second;
  const std::uint16_t lastKing = hearts.back();
  hearts.pop_back();
  const std::uint16_t queen = hearts.back();
  hearts.pop_back();
  LayOut(*game, 9, home);
  ArrangePile(*game, 0, {lastKing});
  ArrangePile(*game, kCell0, {queen});
  ASSERT_EQ(game->piles[9].count, 0);
  ASSERT_TRUE(Play(*game, {queen, 19}));
  EXPECT_FALSE(game->won) << "one card still in play";
  ASSERT_TRUE(Play(*game, {lastKing, 19}));
  EXPECT_TRUE(game->won);
  for (std::uint16_t foundation : kFoundations) EXPECT_EQ(game->piles[foundation].count, 26);

  // Odd ranks only on the ten columns and six cells; the dump foundation
  // holds far more than 26 cards and the others are empty.
  auto stuck = DealGame(kGame, 6);
  ASSERT_TRUE(stuck);
  PileContents layout;
  const char* const names[] = {"3S", "5S", "7S", "9S", "JS", "3C", "5C", "7C", "9C", "JC", "3D", "5D"};
  std::uint16_t pile = 0;
  for (const char* name : names) layout.push_back({pile++, Cards({name})});
  for (const char* name : {"7D", "9D", "JD", "3H"}) layout.push_back({pile++, {Second(Card(name))}});
  LayOut(*stuck, kFoundation0, layout);
  EXPECT_TRUE(LegalMoves(*stuck).empty());
  EXPECT_FALSE(stuck->won);
}

TEST(DoubleFreeCell, RandomPlayOutsAcceptEveryListedMoveAndUndoExactly) {
  ExpectSoundPlayOuts(kGame, kFoundations, 121);
}

}  // namespace
}  // namespace cw::testing
