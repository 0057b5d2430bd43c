#include <gtest/gtest.h>

#include "engine/rules/legality.h"
#include "tests/games/game_test_support.h"

namespace cw::testing {
namespace {

constexpr std::uint16_t kFirstFoundation = 12;

TEST(SevenByFive, DealOneHasTheReferenceLayoutAndItsFirstMoves) {
  auto game = DealGame("Seven by Five", 1);
  ASSERT_TRUE(game);
  ASSERT_TRUE(TableIsConsistent(*game));
  const std::uint16_t aceOfSpades = CardNumber(1, 1);
  const std::uint16_t twoOfClubs = CardNumber(2, 2);
  EXPECT_EQ(PileCards(*game, 0).back(), aceOfSpades);
  EXPECT_TRUE(CanPickUp(*game, aceOfSpades));
  EXPECT_FALSE(CanPickUp(*game, CardNumber(4, 6)));  // 6H lies under the ace
  EXPECT_TRUE(CanDrop(*game, aceOfSpades, kFirstFoundation));
  EXPECT_FALSE(CanDrop(*game, twoOfClubs, kFirstFoundation));

  ASSERT_TRUE(Play(*game, {aceOfSpades, kFirstFoundation}));
  ASSERT_TRUE(Play(*game, {twoOfClubs, 7}));
  EXPECT_EQ(PileCards(*game, 0).back(), CardNumber(4, 6));
  EXPECT_EQ(PileCards(*game, 6).back(), CardNumber(2, 9));
  // Unlike every other game, a foundation card may be taken back.
  EXPECT_TRUE(CanPickUp(*game, aceOfSpades));
}

TEST(SevenByFive, WonExactlyWhenTableauAndCellsAreEmpty) {
  auto game = DealGame("Seven by Five", 5);
  ASSERT_TRUE(game);
  // Put every card home suit by suit; the win waits for the last one.
  for (int suit = 1; suit <= 4; ++suit) {
    std::vector<std::uint16_t> cards;
    for (int rank = 1; rank <= 13; ++rank) cards.push_back(CardNumber(suit, rank));
    if (suit == 4) cards.pop_back();
    ArrangePile(*game, static_cast<std::uint16_t>(kFirstFoundation + suit - 1), cards);
  }
  ArrangePile(*game, 3, {CardNumber(4, 13)});
  ASSERT_TRUE(TableIsConsistent(*game));
  EXPECT_FALSE(game->won);
  ASSERT_TRUE(Play(*game, {CardNumber(4, 13), 15}));
  EXPECT_TRUE(game->won);
}

TEST(SevenByFive, RandomPlayKeepsTheTableConsistentAndUndoExact) {
  std::mt19937 rng(11);
  for (std::uint32_t number : {2u, 3u, 1000u}) {
    auto game = DealGame("Seven by Five", number);
    ASSERT_TRUE(game);
    const PlayOutResult result = PlayOut(*game, 150, rng, {12, 13, 14, 15}, true);
    EXPECT_TRUE(TableIsConsistent(*game));
    EXPECT_TRUE(result.won || result.stuck || result.moves == 150);
  }
}

}  // namespace
}  // namespace cw::testing
