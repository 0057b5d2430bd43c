// The search's judgement of positions: what the piles' own programs say about
// the cards decides it, not any one game's rules.
#include "engine/solver/position_promise.h"

#include <gtest/gtest.h>

#include "tests/engine/rules/hand_built_game.h"
#include "tests/engine/rules/program_text.h"

namespace cw {
namespace {

using testing::HandBuiltGame;
using testing::OpenPile;

// Pile 0 holds the Ace, Two and Three of the first suit, bottom up; pile 1
// is an empty foundation.
class PositionPromiseTest : public ::testing::Test {
 protected:
  PositionPromiseTest() {
    built.AddPile(OpenPile(3));
    PileDef foundation = OpenPile(0);
    foundation.kind = static_cast<std::uint8_t>(PileKind::kBase);
    built.AddPile(foundation);
    takesAces = built.AddProgram(test::ProgramFromText("RANK PUSH 1 SUB"));
    built.Deal();
  }
  SolGame& game() { return built.game; }
  int PromiseWith(std::uint16_t pile, std::uint16_t acceptProgram) {
    game().piles[pile].acceptProgram = acceptProgram;
    return PositionPromise(game().definition).Of(game());
  }

  HandBuiltGame built;
  std::uint16_t takesAces = 0;
};

TEST_F(PositionPromiseTest, CardsAboveTheCardAFoundationTakesNextCountAgainst) {
  // The Ace lies under two cards.
  EXPECT_GT(PromiseWith(1, built.failProgram), PromiseWith(1, takesAces));
  // With the Ace on top nothing lies above it.
  std::swap(game().cards[0].position, game().cards[2].position);
  EXPECT_EQ(PromiseWith(1, built.failProgram), PromiseWith(1, takesAces));
}

TEST_F(PositionPromiseTest, CardsOnCardsTheirPileWouldNotTakeCountAgainst) {
  EXPECT_LT(PromiseWith(0, built.failProgram), PromiseWith(0, built.passProgram));
}

TEST_F(PositionPromiseTest, TheTermsCountCardsAndPiles) {
  game().piles[0].acceptProgram = built.failProgram;
  game().piles[1].acceptProgram = takesAces;
  const PromiseTerms terms = PositionPromise(game().definition).Terms(game());
  EXPECT_EQ(terms.home, 0);
  EXPECT_EQ(terms.free, 0);  // the empty foundation is no free place
  EXPECT_EQ(terms.aboveNext, 2);
  EXPECT_EQ(terms.unsequenced, 2);
  EXPECT_EQ(terms.buried, 2);
  EXPECT_EQ(terms.buriedByRank, 2);
  const PromiseWeights weights{
      .home = 0, .free = 0, .aboveNext = 5, .unsequenced = 0, .buried = 1, .buriedByRank = 3};
  EXPECT_EQ(weights.Of(terms), -18);
}

TEST_F(PositionPromiseTest, CardsCountAsBuriedInTheOrderTheFoundationsTakeThem) {
  // Pile 0 holds the Ace on the Three; the Two lies alone on the foundation.
  game().cards[0].position = 1;
  game().cards[2].position = 0;
  game().cards[1].pile = 1;
  game().cards[1].position = 0;
  game().piles[0].count = 2;
  game().piles[1].count = 1;
  const auto terms = [&](std::uint16_t foundationProgram) {
    game().piles[1].acceptProgram = foundationProgram;
    return PositionPromise(game().definition).Terms(game());
  };
  // Building up from the Two, the Ace goes home last, after the Three; by
  // rank it lies above no lower card all the same.
  const PromiseTerms upFromTwo = terms(built.AddProgram(test::ProgramFromText("RANK PUSH 3 SUB")));
  EXPECT_EQ(upFromTwo.buried, 1);
  EXPECT_EQ(upFromTwo.buriedByRank, 0);
  // Building down from the Two, the Ace goes home next.
  EXPECT_EQ(terms(takesAces).buried, 0);
  // A base-marked pile that takes nothing more (a cell for one card) shows
  // no order: ranks count from the Ace up, and the Ace goes first.
  EXPECT_EQ(terms(built.failProgram).buried, 0);
}

TEST_F(PositionPromiseTest, ACardOfARankItsFoundationHasPassedBuriesNothing) {
  // The Three lies on a second deck's Ace of the first suit, while the first
  // Ace and the Two lie on the foundation, which takes the Three next.
  built.game.definition.cards[13] = built.game.definition.cards[0];
  const std::uint16_t takesThrees = built.AddProgram(test::ProgramFromText("RANK PUSH 3 SUB"));
  built.Deal();
  for (const int card : {0, 1}) {
    game().cards[card].pile = 1;
    game().cards[card].position = static_cast<std::uint16_t>(card);
  }
  game().cards[13] = game().cards[2];
  game().cards[13].position = 0;
  game().cards[2].position = 1;
  game().piles[0].count = 2;
  game().piles[1].count = 2;
  game().piles[1].acceptProgram = takesThrees;
  // The Ace comes round again only after the King: the Three goes sooner.
  // By rank the Three lies above the Ace all the same.
  const PromiseTerms passed = PositionPromise(game().definition).Terms(game());
  EXPECT_EQ(passed.buried, 0);
  EXPECT_EQ(passed.buriedByRank, 1);
  // The same piles with the foundation empty and taking Aces: the Ace goes
  // first, and the Three lies above it.
  for (const int card : {0, 1}) game().cards[card].pile = kNoReference;
  game().piles[1].count = 0;
  game().piles[1].acceptProgram = takesAces;
  EXPECT_EQ(PositionPromise(game().definition).Terms(game()).buried, 1);
}

TEST_F(PositionPromiseTest, CardsHomeCountFor) {
  const int before = PromiseWith(1, takesAces);
  game().piles[0].count = 2;  // the Three onto the foundation
  game().cards[2].pile = 1;
  game().cards[2].position = 0;
  game().piles[1].count = 1;
  EXPECT_GT(PositionPromise(game().definition).Of(game()), before);
}

}  // namespace
}  // namespace cw
