// Lookups by place must answer as the card states say now, however the states
// were changed since the last lookup and whichever game was asked before.
#include "engine/model/card_index.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace cw {
namespace {

// Three piles; cards 0..5 laid as pile 0: 0 1 2, pile 1: 3 4, pile 2: 5.
SolGame SmallTable() {
  SolGame game;
  game.cards.resize(6);
  game.piles.resize(3);
  const std::uint16_t piles[] = {0, 0, 0, 1, 1, 2};
  for (std::uint16_t card = 0; card < 6; ++card) {
    CardState& state = game.cards[card];
    state.pile = piles[card];
    state.position = static_cast<std::uint16_t>(game.piles[state.pile].count++);
  }
  return game;
}

std::vector<std::uint16_t> Pile(const SolGame& game, std::uint16_t pile) {
  const auto cards = CardsOfPile(game, pile);
  return {cards.begin(), cards.end()};
}

TEST(CardIndexTest, AnswersFollowChangesMadeDirectlyToTheStates) {
  SolGame game = SmallTable();
  EXPECT_EQ(Pile(game, 0), (std::vector<std::uint16_t>{0, 1, 2}));
  EXPECT_EQ(CardAtPlace(game, 1, 1), std::optional<std::uint16_t>(4));

  // Move card 2 from pile 0 onto pile 2, and swap the two cards of pile 1.
  game.cards[2] = {0, 0, 0, 0, 2, 1};
  --game.piles[0].count;
  ++game.piles[2].count;
  std::swap(game.cards[3].position, game.cards[4].position);
  EXPECT_EQ(Pile(game, 0), (std::vector<std::uint16_t>{0, 1}));
  EXPECT_EQ(Pile(game, 1), (std::vector<std::uint16_t>{4, 3}));
  EXPECT_EQ(Pile(game, 2), (std::vector<std::uint16_t>{5, 2}));
  EXPECT_EQ(CardAtPlace(game, 2, 1), std::optional<std::uint16_t>(2));
  EXPECT_EQ(CardAtPlace(game, 0, 2), std::nullopt);
  EXPECT_EQ(game.TopCard(1), std::optional<std::uint16_t>(3));
}

TEST(CardIndexTest, TwoGamesAskedInTurnKeepTheirOwnAnswers) {
  const SolGame first = SmallTable();
  SolGame second = SmallTable();
  std::swap(second.cards[0].position, second.cards[2].position);
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(CardAtPlace(first, 0, 0), std::optional<std::uint16_t>(0));
    EXPECT_EQ(CardAtPlace(second, 0, 0), std::optional<std::uint16_t>(2));
    EXPECT_EQ(Pile(first, 0), (std::vector<std::uint16_t>{0, 1, 2}));
    EXPECT_EQ(Pile(second, 0), (std::vector<std::uint16_t>{2, 1, 0}));
  }
}

TEST(CardIndexTest, DamagedStatesGiveGapsAndStillFindStrayCards) {
  SolGame game = SmallTable();
  game.cards[1].position = 7;  // beyond the pile's count: position 1 is a gap
  EXPECT_EQ(Pile(game, 0), (std::vector<std::uint16_t>{0, kNoReference, 2}));
  EXPECT_EQ(CardAtPlace(game, 0, 1), std::nullopt);
  EXPECT_EQ(CardAtPlace(game, 0, 7), std::optional<std::uint16_t>(1));
  game.cards[1].position = 1;  // the gap filled again without any count changing
  EXPECT_EQ(Pile(game, 0), (std::vector<std::uint16_t>{0, 1, 2}));
  EXPECT_TRUE(CardsOfPile(game, 3).empty());
  EXPECT_EQ(CardAtPlace(game, 3, 0), std::nullopt);
}

std::vector<std::uint16_t> Part(const SolGame& game, std::uint16_t pile, int first, int last) {
  const auto cards = CardsOfPile(game, pile, first, last);
  return {cards.begin(), cards.end()};
}

TEST(CardIndexTest, PartsOfAPileAreCutToItAndFollowChangesWithinThem) {
  SolGame game = SmallTable();
  EXPECT_EQ(Part(game, 0, 2, 2), (std::vector<std::uint16_t>{2}));
  EXPECT_EQ(Part(game, 0, -3, 1), (std::vector<std::uint16_t>{0, 1}));
  EXPECT_EQ(Part(game, 0, 1, 9), (std::vector<std::uint16_t>{1, 2}));
  EXPECT_TRUE(Part(game, 0, 2, 1).empty());
  EXPECT_TRUE(Part(game, 3, 0, 0).empty());

  // Cards 0 and 2 change places; asking for the top alone sees it.
  std::swap(game.cards[0].position, game.cards[2].position);
  EXPECT_EQ(Part(game, 0, 2, 2), (std::vector<std::uint16_t>{0}));
  EXPECT_EQ(Part(game, 0, 0, 0), (std::vector<std::uint16_t>{2}));
  // A stray card leaves a gap in the part that covers its place.
  game.cards[1].position = 7;
  EXPECT_EQ(Part(game, 0, 1, 2), (std::vector<std::uint16_t>{kNoReference, 0}));
}

// Moves of cards are told to the table, which follows them rather than being
// built again; a report that does not match the states misleads no answer.
TEST(CardIndexTest, AnswersFollowMovesToldAndUntold) {
  SolGame game = SmallTable();
  ASSERT_EQ(Pile(game, 1), (std::vector<std::uint16_t>{3, 4}));
  auto place = [&](std::uint16_t card, std::uint16_t pile, std::uint16_t position) {
    game.cards[card].pile = pile;
    game.cards[card].position = position;
  };
  // Cards 1 and 2 go between cards 3 and 4.
  place(1, 1, 1);
  place(2, 1, 2);
  place(4, 1, 3);
  game.piles[0].count = 1;
  game.piles[1].count = 4;
  NoteCardsMoved(game, 0, 1, 2, 1, 1);
  EXPECT_EQ(Pile(game, 0), (std::vector<std::uint16_t>{0}));
  EXPECT_EQ(Pile(game, 1), (std::vector<std::uint16_t>{3, 1, 2, 4}));
  // The bottom card of pile 1 goes to its top.
  place(1, 1, 0);
  place(2, 1, 1);
  place(4, 1, 2);
  place(3, 1, 3);
  NoteCardsMoved(game, 1, 0, 1, 1, 3);
  EXPECT_EQ(Pile(game, 1), (std::vector<std::uint16_t>{1, 2, 4, 3}));
  // Reports of moves that never happened, or that cannot fit the piles.
  NoteCardsMoved(game, 2, 0, 1, 0, 0);
  NoteCardsMoved(game, 1, 2, 5, 0, 9);
  EXPECT_EQ(Pile(game, 0), (std::vector<std::uint16_t>{0}));
  EXPECT_EQ(Pile(game, 1), (std::vector<std::uint16_t>{1, 2, 4, 3}));
  EXPECT_EQ(Pile(game, 2), (std::vector<std::uint16_t>{5}));
  EXPECT_EQ(CardAtPlace(game, 1, 3), std::optional<std::uint16_t>(3));
}

}  // namespace
}  // namespace cw
