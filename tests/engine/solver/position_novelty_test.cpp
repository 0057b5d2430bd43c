// What counts as new to the search: a kind of card on a kind of card, or at
// the bottom of a kind of pile, for the first time among positions with as
// many cards home.
#include "engine/solver/position_novelty.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "tests/engine/rules/hand_built_game.h"

namespace cw {
namespace {

using testing::HandBuiltGame;
using testing::OpenPile;

constexpr std::uint16_t kAce = 0;
constexpr std::uint16_t kTwo = 1;
constexpr std::uint16_t kThree = 2;

// Pile 0 is dealt the Ace, Two and Three of one suit; piles 1 and 2 start
// empty and are interchangeable.
class PositionNoveltyTest : public ::testing::Test {
 protected:
  PositionNoveltyTest() {
    built.AddPile(OpenPile(3));
    built.AddPile(OpenPile(0));
    built.AddPile(OpenPile(0));
    built.Deal();
  }
  // Lays the piles out anew, each listed bottom first.
  SolGame& Laid(std::initializer_list<std::vector<std::uint16_t>> piles) {
    SolGame& game = built.game;
    std::uint16_t p = 0;
    for (const std::vector<std::uint16_t>& cards : piles) {
      game.piles[p].count = static_cast<std::int16_t>(cards.size());
      for (std::uint16_t position = 0; position < cards.size(); ++position) {
        game.cards[cards[position]].pile = p;
        game.cards[cards[position]].position = position;
      }
      ++p;
    }
    return game;
  }

  HandBuiltGame built;
  const std::vector<std::uint16_t> classes{0, 1, 1};
};

TEST_F(PositionNoveltyTest, APositionIsNewUntilWhatItShowsWasSeenAtItsLevel) {
  PositionNovelty novelty(built.game.definition, classes);
  EXPECT_TRUE(novelty.Note(Laid({{kAce, kTwo, kThree}, {}, {}}), 0));
  EXPECT_FALSE(novelty.Note(Laid({{kAce, kTwo, kThree}, {}, {}}), 0));
  // The Three at the bottom of an empty pile is new; on the other pile of
  // its kind it is not, and back on the Two nothing is.
  EXPECT_TRUE(novelty.Note(Laid({{kAce, kTwo}, {kThree}, {}}), 0));
  EXPECT_FALSE(novelty.Note(Laid({{kAce, kTwo}, {}, {kThree}}), 0));
  EXPECT_FALSE(novelty.Note(Laid({{kAce, kTwo, kThree}, {}, {}}), 0));
  // With one more card home the same layout counts apart.
  EXPECT_TRUE(novelty.Note(Laid({{kAce, kTwo, kThree}, {}, {}}), 1));
}

TEST_F(PositionNoveltyTest, ACardOnAnotherIsNotThatCardOnIt) {
  PositionNovelty novelty(built.game.definition, classes);
  novelty.Note(Laid({{kAce, kTwo, kThree}, {}, {}}), 0);
  novelty.Note(Laid({{kAce, kTwo}, {kThree}, {}}), 0);
  // The Three on the Two was seen; the Two on the Three was not.
  EXPECT_TRUE(novelty.Note(Laid({{kAce}, {kThree, kTwo}, {}}), 0));
  // The bottom of pile 0 is not the bottom of pile 1.
  EXPECT_TRUE(novelty.Note(Laid({{kTwo}, {kThree}, {kAce}}), 0));
}

}  // namespace
}  // namespace cw
