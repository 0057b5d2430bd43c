// Redo and the foundation query on the games of the real database: moves
// undone and made again give exactly the table, journal and generator that
// playing them gave; a new move or a changed table ends what can be redone.
#include <gtest/gtest.h>

#include <random>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/rules/foundation_drop.h"
#include "engine/rules/legality.h"
#include "engine/rules/player_move.h"
#include "engine/rules/redo.h"
#include "tests/engine/rules/redo_support.h"
#include "tests/games/game_test_support.h"

namespace cw {
namespace {

using testing::CardNumber;
using testing::DealGame;
using testing::PlayUndoRedo;

TEST(Redo, UndoThenRedoEqualsPlayingInEveryGame) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  int checked = 0;
  for (const auto& entry : catalogue.entries) {
    for (std::uint32_t number : {3u, 2024u, 31999u}) {
      auto game = DealGame(entry.name, number);
      if (!game) continue;
      SCOPED_TRACE(entry.name + " deal " + std::to_string(number));
      std::mt19937 rng(number);
      PlayUndoRedo(*game, rng, 40);
      ++checked;
    }
  }
  EXPECT_GE(checked, 60);
}

TEST(Redo, EndsWithANewMoveAndRefusesWhenNothingWasUndone) {
  auto game = DealGame("Seven by Five", 1);
  ASSERT_TRUE(game);
  MoveHistory history;
  EXPECT_FALSE(history.Redo(*game));
  EXPECT_FALSE(history.Undo(*game));
  const auto moves = ListMoves(*game);
  ASSERT_GE(moves.size(), 2u);
  ASSERT_TRUE(history.Make(*game, moves[0], nullptr));
  EXPECT_FALSE(history.CanRedo(*game));
  ASSERT_TRUE(history.Undo(*game));
  EXPECT_TRUE(history.CanRedo(*game));
  ASSERT_TRUE(history.Make(*game, ListMoves(*game).back(), nullptr));
  EXPECT_FALSE(history.CanRedo(*game));
  const auto before = testing::Snapshot(*game);
  EXPECT_FALSE(history.Redo(*game));
  EXPECT_EQ(testing::Snapshot(*game), before);
}

TEST(Redo, RefusesOnATableItDidNotLeave) {
  auto game = DealGame("Seven by Five", 1);
  ASSERT_TRUE(game);
  MoveHistory history;
  const auto moves = ListMoves(*game);
  ASSERT_TRUE(history.Make(*game, moves[0], nullptr));
  ASSERT_TRUE(history.Undo(*game));
  // A move made past the history: redo no longer fits the table.
  ASSERT_TRUE(PerformPlayerMove(*game, moves[0], nullptr));
  EXPECT_FALSE(history.CanRedo(*game));
  EXPECT_FALSE(history.Redo(*game));

  // Undoing a move the history never saw undoes it but leaves nothing to redo.
  ASSERT_TRUE(history.Undo(*game));
  EXPECT_FALSE(history.CanRedo(*game));

  // A new deal of the same game: the old undone move does not carry over.
  ASSERT_TRUE(history.Make(*game, moves[0], nullptr));
  ASSERT_TRUE(history.Undo(*game));
  std::uint32_t number = 2;
  ASSERT_TRUE(StartNewGame(*game, number));
  EXPECT_FALSE(history.Redo(*game));
}

TEST(FoundationDrop, FindsTheFirstFoundationThatTakesTheCard) {
  // Seven by Five deal 1: the ace of spades lies on top of pile 0 and the
  // foundations are piles 12 to 15.
  auto game = DealGame("Seven by Five", 1);
  ASSERT_TRUE(game);
  const std::uint16_t ace = *game->TopCard(0);
  EXPECT_EQ(FirstFoundationDrop(*game, ace), 12);
  for (std::uint16_t pile = 0; pile < game->piles.size(); ++pile) {
    EXPECT_EQ(IsFoundation(*game, pile), pile >= 12 && pile <= 15) << "pile " << pile;
  }
  ASSERT_TRUE(PerformPlayerMove(*game, {ace, 12}, nullptr));
  // A card that no foundation takes, and a card already home (which the
  // rules would let hop to the next empty foundation).
  EXPECT_EQ(FirstFoundationDrop(*game, *game->TopCard(6)), std::nullopt);
  EXPECT_EQ(FirstFoundationDrop(*game, ace), std::nullopt);
  // A buried card cannot be picked up: no drop for it.
  EXPECT_EQ(FirstFoundationDrop(*game, *game->CardAt(1, 0)), std::nullopt);
  EXPECT_EQ(FirstFoundationDrop(*game, 60000), std::nullopt);
}

TEST(FoundationDrop, AgreesWithTheMoveSearchInEveryGame) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  for (const auto& entry : catalogue.entries) {
    auto game = DealGame(entry.name, 11);
    if (!game) continue;
    SCOPED_TRACE(entry.name);
    std::mt19937 rng(11);
    for (int step = 0; step < 30; ++step) {
      const auto moves = ListMoves(*game);
      if (moves.empty()) break;
      for (std::uint16_t card = 0; card < game->cards.size(); ++card) {
        std::optional<std::uint16_t> first;
        for (const MoveReference& move : moves) {
          if (!move.IsTap() && move.source == card && IsFoundation(*game, move.destination) &&
              (!first || move.destination < *first)) {
            first = move.destination;
          }
        }
        // The search lists top cards and fanned piles' cards; a card it
        // leaves out has no drop the query may find either, except buried
        // cards of unfanned piles that cannot be picked up anyway.
        const auto found = FirstFoundationDrop(*game, card);
        if (first && !IsFoundation(*game, game->cards[card].pile)) {
          EXPECT_EQ(found, first) << "card " << card;
        }
        if (found) {
          EXPECT_TRUE(CanDrop(*game, card, *found));
        }
      }
      ASSERT_TRUE(PerformPlayerMove(*game, moves[rng() % moves.size()], nullptr));
    }
  }
}

}  // namespace
}  // namespace cw
