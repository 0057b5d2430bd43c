#include "engine/rules/card_list.h"

#include <gtest/gtest.h>

#include "tests/engine/rules/table_builder.h"

namespace cw {
namespace {

using test::CardNumber;
using test::TableBuilder;

constexpr CardListEntry kEnd{0, 0};

class CardListTest : public ::testing::Test {
 protected:
  // Pile 0 from the bottom up: KS (face down), 9H, 4C, 2D; pile 1 empty.
  CardListTest() : table(2) {
    table.Lay(0, CardNumber(1, 13), false)
        .Lay(0, CardNumber(4, 9))
        .Lay(0, CardNumber(2, 4))
        .Lay(0, CardNumber(3, 2));
  }
  TableBuilder table;
  const SolGame& game() const { return table.game; }
};

TEST_F(CardListTest, PileListRunsFromTheTopDown) {
  EXPECT_EQ(BuildPileList(game(), 0),
            (CardList{{3, 2}, {2, 4}, {4, 9}, {kFaceDownSuit, kFaceDownRank}, kEnd}));
  EXPECT_EQ(BuildPileList(game(), 1), CardList{kEnd});
}

TEST_F(CardListTest, MovingListEndsWithTheCard) {
  EXPECT_EQ(BuildMovingList(game(), CardNumber(3, 2)), (CardList{{3, 2}, kEnd}));
  EXPECT_EQ(BuildMovingList(game(), CardNumber(4, 9)), (CardList{{3, 2}, {2, 4}, {4, 9}, kEnd}));
}

TEST_F(CardListTest, RemainingListHoldsTheCardsBelow) {
  EXPECT_EQ(BuildRemainingList(game(), CardNumber(2, 4)),
            (CardList{{4, 9}, {kFaceDownSuit, kFaceDownRank}, kEnd}));
  EXPECT_EQ(BuildRemainingList(game(), CardNumber(1, 13)), CardList{kEnd});
}

TEST_F(CardListTest, OrderComesFromPositionsNotCardNumbers) {
  TableBuilder other(1);
  other.Lay(0, CardNumber(4, 13)).Lay(0, CardNumber(1, 1)).Lay(0, CardNumber(2, 7));
  EXPECT_EQ(BuildPileList(other.game, 0), (CardList{{2, 7}, {1, 1}, {4, 13}, kEnd}));
}

TEST_F(CardListTest, ReferencesOutsideTheTableGiveTheEmptyList) {
  EXPECT_EQ(BuildPileList(game(), 2), CardList{kEnd});
  EXPECT_EQ(BuildPileList(game(), kNoReference), CardList{kEnd});
  EXPECT_EQ(BuildMovingList(game(), 52), CardList{kEnd});
  EXPECT_EQ(BuildRemainingList(game(), 52), CardList{kEnd});
  // A card of no pile on the table.
  EXPECT_EQ(BuildMovingList(game(), CardNumber(1, 1)), CardList{kEnd});
  EXPECT_EQ(BuildRemainingList(game(), CardNumber(1, 1)), CardList{kEnd});
}

TEST_F(CardListTest, DamagedPositionsAreLeftOut) {
  // A card claiming a place above the pile's count belongs to no list.
  table.game.cards[CardNumber(1, 1)] = {1, 1, 1, 0, 0, 9};
  EXPECT_EQ(BuildPileList(game(), 0).size(), 5u);
  EXPECT_EQ(BuildMovingList(game(), CardNumber(1, 1)), CardList{kEnd});
  EXPECT_EQ(BuildRemainingList(game(), CardNumber(1, 1)).size(), 5u);
}

}  // namespace
}  // namespace cw
