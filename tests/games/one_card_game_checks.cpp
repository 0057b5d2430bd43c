#include "tests/games/one_card_game_checks.h"

#include <algorithm>
#include <random>
#include <string>

#include "engine/rules/legality.h"

namespace cw::testing {

std::uint16_t Card(std::string_view name) {
  const std::string_view ranks[] = {"A", "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K"};
  const std::string_view suits = "SCDH";
  const std::string_view rank = name.substr(0, name.size() - 1);
  const std::size_t suit = suits.find(name.back());
  for (int r = 0; r < 13; ++r) {
    if (ranks[r] == rank && suit != std::string_view::npos) return CardNumber(static_cast<int>(suit) + 1, r + 1);
  }
  ADD_FAILURE() << "no card is named " << name;
  return 0;
}

std::vector<std::uint16_t> Cards(std::initializer_list<std::string_view> names) {
  std::vector<std::uint16_t> cards;
  for (std::string_view name : names) cards.push_back(Card(name));
  return cards;
}

int RankOf(const SolGame& game, std::uint16_t card) { return game.definition.cards[card].rank; }

PileContents OneCardEach(std::uint16_t firstPile, std::initializer_list<std::string_view> names) {
  PileContents piles;
  std::uint16_t pile = firstPile;
  for (std::string_view name : names) piles.push_back({pile++, {Card(name)}});
  return piles;
}

void ExpectEightPileWinAndLoss(const std::string& gameName, std::uint16_t kingPile) {
  auto game = DealGame(gameName, 6);
  ASSERT_TRUE(game);
  AllCardsHome(*game, 0, {1, 2, 3, 4}, 1, 1);
  ArrangePile(*game, kingPile, Cards({"KH"}));
  EXPECT_FALSE(game->won);
  ASSERT_TRUE(Play(*game, {Card("KH"), 3}));
  EXPECT_TRUE(game->won);

  auto stuck = DealGame(gameName, 6);
  ASSERT_TRUE(stuck);
  LayOut(*stuck, 0,
         OneCardEach(4, {"3S", "5S", "7S", "9S", "JS", "3C", "5C", "7C",
                         "9C", "JC", "3D", "5D", "7D", "9D", "JD", "3H"}));
  EXPECT_TRUE(LegalMoves(*stuck).empty());
  EXPECT_FALSE(stuck->won);
}

void LayOut(SolGame& game, std::uint16_t dump, const PileContents& piles) {
  std::vector<std::uint16_t> all(game.cards.size());
  for (std::size_t card = 0; card < all.size(); ++card) all[card] = static_cast<std::uint16_t>(card);
  ArrangePile(game, dump, all);
  for (const auto& [pile, cards] : piles) ArrangePile(game, pile, cards);
}

void AllCardsHome(SolGame& game, std::uint16_t firstFoundation, const std::vector<int>& suits, int firstRank, int step) {
  for (std::size_t i = 0; i < suits.size(); ++i) {
    std::vector<std::uint16_t> cards;
    for (int rank = firstRank; rank >= 1 && rank <= 13; rank += step) cards.push_back(CardNumber(suits[i], rank));
    ArrangePile(game, static_cast<std::uint16_t>(firstFoundation + i), cards);
  }
}

void ExpectFaceUpDeal(const SolGame& game, const std::vector<int>& counts) {
  ASSERT_TRUE(TableIsConsistent(game));
  ASSERT_EQ(game.piles.size(), counts.size());
  for (std::size_t pile = 0; pile < counts.size(); ++pile) {
    EXPECT_EQ(game.piles[pile].count, counts[pile]) << "pile " << pile;
  }
  for (const CardState& card : game.cards) EXPECT_EQ(card.faceUp, 1);
  EXPECT_EQ(game.won, 0);
  ASSERT_TRUE(game.journal);
  EXPECT_EQ(game.journal->Count(), 0u);
}

std::uint32_t DealWithRankOnTop(const std::string& gameName, const std::vector<std::uint16_t>& piles, int rank,
                                std::uint32_t number) {
  for (std::uint32_t last = number + 500; number < last; ++number) {
    auto game = DealGame(gameName, number);
    if (!game) break;
    for (std::uint16_t pile : piles) {
      const auto top = game->TopCard(pile);
      if (top && RankOf(*game, *top) == rank) return number;
    }
  }
  ADD_FAILURE() << "no deal of " << gameName << " with rank " << rank << " on top";
  return number;
}

void ExpectAscendingFoundations(SolGame& game, std::uint16_t foundation, const std::array<std::uint16_t, 5>& piles,
                                std::uint16_t dump) {
  const std::uint16_t next = static_cast<std::uint16_t>(foundation + 1);
  LayOut(game, dump,
         {{foundation, Cards({"AS", "2S"})},
          {piles[0], Cards({"3S"})},
          {piles[1], Cards({"3H"})},
          {piles[2], Cards({"4S"})},
          {piles[3], Cards({"AH"})},
          {piles[4], Cards({"AD", "2D"})}});
  EXPECT_TRUE(CanDrop(game, Card("3S"), foundation));
  EXPECT_FALSE(CanDrop(game, Card("3H"), foundation)) << "other suit";
  EXPECT_FALSE(CanDrop(game, Card("4S"), foundation)) << "a rank skipped";
  EXPECT_FALSE(CanDrop(game, Card("AH"), foundation)) << "an Ace on a started foundation";
  EXPECT_TRUE(CanDrop(game, Card("AH"), next));
  EXPECT_FALSE(CanDrop(game, Card("3S"), next)) << "only an Ace starts a foundation";
  EXPECT_FALSE(CanDrop(game, Card("2D"), next));
  EXPECT_FALSE(CanDrop(game, Card("AD"), next)) << "an Ace with a card on it is a group";
  EXPECT_FALSE(CanPickUp(game, Card("2S"))) << "foundation cards stay home";
}

void ExpectOneCardCells(SolGame& game, const std::vector<std::uint16_t>& cells, std::uint16_t column,
                        std::uint16_t dump) {
  PileContents layout = {{column, Cards({"9C", "8D"})}};
  for (std::size_t i = 0; i + 1 < cells.size(); ++i) layout.push_back({cells[i], {static_cast<std::uint16_t>(i)}});
  LayOut(game, dump, layout);
  const std::uint16_t emptyCell = cells.back();
  for (std::size_t i = 0; i + 1 < cells.size(); ++i) {
    EXPECT_FALSE(CanDrop(game, Card("8D"), cells[i])) << "occupied cell " << cells[i];
    EXPECT_TRUE(CanPickUp(game, static_cast<std::uint16_t>(i))) << "card of cell " << cells[i];
    EXPECT_TRUE(CanDrop(game, static_cast<std::uint16_t>(i), emptyCell)) << "from cell " << cells[i];
  }
  EXPECT_TRUE(CanDrop(game, Card("8D"), emptyCell));
  EXPECT_FALSE(CanDrop(game, Card("9C"), emptyCell)) << "two cards into a cell";
}

void ExpectSoundPlayOuts(const std::string& gameName, const std::vector<std::uint16_t>& foundations,
                         std::uint32_t seed, int maxMoves) {
  std::mt19937 rng(seed);
  for (std::uint32_t number : {2u, 31000u}) {
    auto game = DealGame(gameName, number);
    ASSERT_TRUE(game);
    const PlayOutResult result = PlayOut(*game, maxMoves, rng, foundations, true);
    EXPECT_TRUE(TableIsConsistent(*game)) << "deal " << number;
    EXPECT_TRUE(result.won || result.stuck || result.moves == maxMoves);
    if (result.won) {
      for (std::size_t pile = 0; pile < game->piles.size(); ++pile) {
        const bool home = std::find(foundations.begin(), foundations.end(), pile) != foundations.end();
        if (!home) {
          EXPECT_EQ(game->piles[pile].count, 0) << "won with cards on pile " << pile;
        }
      }
    }
  }
}

}  // namespace cw::testing
