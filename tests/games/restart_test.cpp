// A deal number names one table in every game: dealing it again after some
// play (Restart) lays out the same table, card for card, start events and
// their shuffles included; and another number another table.
#include <gtest/gtest.h>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/rules/automatic_events.h"
#include "tests/games/game_test_support.h"

namespace cw::testing {
namespace {

TEST(Restart, EveryGameDealsTheSameTableAgainAfterSomeMoves) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  ASSERT_EQ(catalogue.entries.size(), 20u);
  for (const CatalogueEntry& entry : catalogue.entries) {
    SCOPED_TRACE(entry.name);
    for (const std::uint32_t number : {1u, 746u, 3'000'000'001u}) {
      auto game = DealGame(entry.name, number);
      ASSERT_TRUE(game);
      const PlaySnapshot first = Snapshot(*game);
      for (int move = 0; move < 4; ++move) {
        const std::vector<MoveReference> moves = LegalMoves(*game);
        if (moves.empty()) break;
        ASSERT_TRUE(Play(*game, moves[static_cast<std::size_t>(move) % moves.size()]));
      }
      // The generator has drawn in between, as it does in a long session.
      game->random.Next();
      std::uint32_t again = number;
      ASSERT_TRUE(StartNewGame(*game, again));
      EXPECT_EQ(again, number);
      EXPECT_EQ(Snapshot(*game), first) << "deal " << number;

      std::uint32_t other = number + 1;
      auto next = DealGame(entry.name, other);
      ASSERT_TRUE(next);
      EXPECT_NE(next->cards, game->cards) << "deals " << number << " and " << other;
    }
  }
}

}  // namespace
}  // namespace cw::testing
