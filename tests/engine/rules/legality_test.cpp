#include "engine/rules/legality.h"

#include <gtest/gtest.h>

#include "tests/engine/rules/seven_by_five_programs.h"
#include "tests/engine/rules/table_builder.h"

namespace cw {
namespace {

using test::CardNumber;
using test::TableBuilder;

constexpr std::uint8_t kSpades = 1;
constexpr std::uint8_t kClubs = 2;
constexpr std::uint8_t kDiamonds = 3;
constexpr std::uint8_t kHearts = 4;

// Piles 0 and 1 are tableau piles (single-card pick-up, tableau acceptance),
// pile 2 a cell, pile 3 an empty pile of kind 1. Pile 0 holds 7D under 6S,
// pile 1 holds 7C.
class LegalityTest : public ::testing::Test {
 protected:
  LegalityTest() : table(4) {
    pass = table.AddProgram(test::kAlwaysPasses);
    fail = table.AddProgram(test::kNeverPasses);
    single = table.AddProgram(test::kSingleCardPickUp);
    tableau = table.AddProgram(test::kTableauAccept);
    cell = table.AddProgram(test::kCellAccept);
    empty = table.AddProgram(test::kListEmpty);
    for (std::uint16_t pile = 0; pile < 2; ++pile) {
      game().piles[pile].pickProgram = single;
      game().piles[pile].acceptProgram = tableau;
    }
    game().piles[2].pickProgram = pass;
    game().piles[2].acceptProgram = cell;
    game().piles[3].acceptProgram = pass;
    game().definition.piles[3].kind = 1;
    table.Lay(0, CardNumber(kDiamonds, 7)).Lay(0, CardNumber(kSpades, 6));
    table.Lay(1, CardNumber(kClubs, 7));
  }

  SolGame& game() { return table.game; }

  // Links a condition (program over pile A and B) to the event.
  void AddCondition(std::uint16_t event, std::uint16_t program, std::uint16_t pileA,
                    std::uint16_t pileB = kNoReference) {
    auto& definition = game().definition;
    definition.conditions.push_back({program, pileA, pileB});
    definition.eventConditions.push_back(
        {event, static_cast<std::uint16_t>(definition.conditions.size() - 1)});
  }

  TableBuilder table;
  std::uint16_t pass = 0, fail = 0, single = 0, tableau = 0, cell = 0, empty = 0;
  const std::uint16_t sixOfSpades = CardNumber(kSpades, 6);
  const std::uint16_t sevenOfDiamonds = CardNumber(kDiamonds, 7);
  const std::uint16_t sevenOfClubs = CardNumber(kClubs, 7);
};

TEST_F(LegalityTest, PickUpRunsThePilesCurrentProgram) {
  EXPECT_TRUE(CanPickUp(game(), sixOfSpades));
  EXPECT_FALSE(CanPickUp(game(), sevenOfDiamonds)) << "two cards would move";
  game().piles[0].pickProgram = pass;
  game().definition.piles[0].pickProgram = fail;
  EXPECT_TRUE(CanPickUp(game(), sevenOfDiamonds)) << "the play state's program counts";
  game().piles[0].shown = 0;
  EXPECT_TRUE(CanPickUp(game(), sevenOfDiamonds)) << "the shown flag is not consulted";
  game().cards[sevenOfDiamonds].movable = 0;
  EXPECT_FALSE(CanPickUp(game(), sevenOfDiamonds));
}

TEST_F(LegalityTest, PickUpOutOfRangeIsRefused) {
  EXPECT_FALSE(CanPickUp(game(), 52));
  EXPECT_FALSE(CanPickUp(game(), CardNumber(kHearts, 1))) << "a card of no pile";
  game().piles[1].pickProgram = 99;
  EXPECT_FALSE(CanPickUp(game(), sevenOfClubs));
}

TEST_F(LegalityTest, DropRunsTheAcceptProgramOverMovingAndPileLists) {
  EXPECT_FALSE(CanDrop(game(), sixOfSpades, 1)) << "6S onto 7C";
  table.Lay(1, CardNumber(kHearts, 7));
  EXPECT_TRUE(CanDrop(game(), sixOfSpades, 1)) << "6S onto 7H";
  EXPECT_TRUE(CanDrop(game(), sixOfSpades, 2)) << "onto the empty cell";
  table.Lay(2, CardNumber(kHearts, 1));
  EXPECT_FALSE(CanDrop(game(), sixOfSpades, 2)) << "onto the occupied cell";
  game().piles[1].acceptProgram = fail;
  game().definition.piles[1].acceptProgram = tableau;
  EXPECT_FALSE(CanDrop(game(), sixOfSpades, 1)) << "the play state's program counts";
}

TEST_F(LegalityTest, DropGates) {
  game().piles[0].acceptProgram = pass;
  game().piles[1].acceptProgram = pass;
  EXPECT_FALSE(CanDrop(game(), sixOfSpades, 0)) << "onto its own pile";
  EXPECT_TRUE(CanDrop(game(), sixOfSpades, 1));
  game().cards[sevenOfClubs].open = 0;
  EXPECT_FALSE(CanDrop(game(), sixOfSpades, 1)) << "a top card that is not open";
  EXPECT_FALSE(CanDrop(game(), sixOfSpades, 3)) << "an empty pile of kind 1";
  game().definition.piles[3].kind = 2;
  EXPECT_TRUE(CanDrop(game(), sixOfSpades, 3));
}

TEST_F(LegalityTest, DropNeedsARoute) {
  game().piles[3].acceptProgram = pass;
  game().definition.piles[3].kind = 0;
  auto& routes = game().allowedMoves;
  routes.clear();
  EXPECT_FALSE(CanDrop(game(), sixOfSpades, 3)) << "no route at all";
  routes = {{1, kNoReference}, {kNoReference, 2}};
  EXPECT_FALSE(CanDrop(game(), sixOfSpades, 3));
  EXPECT_TRUE(RouteAllows(game(), 1, 3));
  EXPECT_TRUE(RouteAllows(game(), 0, 2));
  routes.push_back({0, 3});
  EXPECT_TRUE(CanDrop(game(), sixOfSpades, 3));
  EXPECT_FALSE(RouteAllows(game(), 3, 0));
}

TEST_F(LegalityTest, DropOutOfRangeIsRefused) {
  EXPECT_FALSE(CanDrop(game(), 52, 2));
  EXPECT_FALSE(CanDrop(game(), sixOfSpades, 4));
  EXPECT_FALSE(CanDrop(game(), sixOfSpades, kNoReference));
  game().piles[2].acceptProgram = 99;
  EXPECT_FALSE(CanDrop(game(), sixOfSpades, 2));
}

TEST_F(LegalityTest, ConditionsHoldWhenEveryLinkedConditionPasses) {
  EXPECT_TRUE(ConditionsHold(game(), 5)) << "an event without conditions";
  AddCondition(1, pass, 0);
  AddCondition(1, empty, 2);
  AddCondition(2, empty, 0);
  EXPECT_TRUE(ConditionsHold(game(), 1));
  EXPECT_FALSE(ConditionsHold(game(), 2));
  table.Lay(2, CardNumber(kHearts, 1));
  EXPECT_FALSE(ConditionsHold(game(), 1)) << "the cell is no longer empty";
}

TEST_F(LegalityTest, ConditionsOfTheSameNumberInTwoGamesKeepTheirOwnAnswers) {
  SolGame other = game();
  AddCondition(1, pass, 0);
  other.definition.conditions.push_back({fail, 0, kNoReference});
  other.definition.eventConditions.push_back({1, 0});
  for (int round = 0; round < 2; ++round) {
    EXPECT_TRUE(ConditionsHold(game(), 1)) << round;
    EXPECT_FALSE(ConditionsHold(other, 1)) << round;
  }
  // The same program number rewritten in place.
  game().definition.programs[pass] = game().definition.programs[fail];
  EXPECT_FALSE(ConditionsHold(game(), 1));
}

TEST_F(LegalityTest, ConditionOnADisabledPileFails) {
  AddCondition(1, pass, 2);
  game().piles[2].enabled = 0;
  EXPECT_FALSE(ConditionsHold(game(), 1));
  game().piles[2].enabled = 1;
  AddCondition(1, pass, 0, 2);
  game().piles[2].enabled = 0;
  EXPECT_FALSE(ConditionsHold(game(), 1));
  game().piles[2].enabled = 1;
  EXPECT_TRUE(ConditionsHold(game(), 1));
}

TEST_F(LegalityTest, ConditionsReadPileBOnlyWhenGiven) {
  const std::uint16_t bEmpty = table.AddProgram("OTHER SUIT RANK ADD");
  AddCondition(1, bEmpty, 0, 2);
  EXPECT_TRUE(ConditionsHold(game(), 1));
  AddCondition(2, bEmpty, 0);
  EXPECT_FALSE(ConditionsHold(game(), 2)) << "no list B to read";
}

TEST_F(LegalityTest, ConditionsOutOfRangeFail) {
  AddCondition(1, 99, 0);
  AddCondition(2, pass, 4);
  AddCondition(3, pass, 0, 4);
  game().definition.eventConditions.push_back({4, 99});
  for (std::uint16_t event = 1; event <= 4; ++event) {
    EXPECT_FALSE(ConditionsHold(game(), event)) << event;
  }
}

TEST_F(LegalityTest, TapFollowsTheTopCardAndTheEvents) {
  auto& piles = game().definition.piles;
  piles[1].tapEvent = 1;
  piles[2].emptyTapEvent = 2;
  piles[3].emptyTapEvent = 3;
  AddCondition(1, pass, 0);
  AddCondition(2, fail, 0);
  EXPECT_TRUE(CanTap(game(), 1));
  game().cards[sevenOfClubs].movable = 0;
  EXPECT_FALSE(CanTap(game(), 1)) << "its top card is fixed";
  EXPECT_FALSE(CanTap(game(), 2)) << "the empty tap event's condition fails";
  piles[2].emptyTapEvent = 3;
  game().piles[2].shown = 0;
  EXPECT_TRUE(CanTap(game(), 2)) << "no conditions; the shown flag is not consulted";
  EXPECT_FALSE(CanTap(game(), 3)) << "an empty pile of kind 1";
  EXPECT_FALSE(CanTap(game(), 4));
}

TEST_F(LegalityTest, TapNeedsACounterThatIsNotUsedUp) {
  game().definition.piles[2].emptyTapEvent = 3;
  game().definition.eventCounters = {{3, 0}, {3, 1}};
  game().counters = {{1, 0}, {0, 0}};
  EXPECT_TRUE(CanTap(game(), 2)) << "only the first link counts";
  game().counters[0].value = 0;
  EXPECT_FALSE(CanTap(game(), 2));
  EXPECT_FALSE(CounterAllows(game(), 3));
  EXPECT_TRUE(CounterAllows(game(), 4)) << "an event without a counter";
  game().definition.eventCounters = {{3, 7}};
  EXPECT_FALSE(CounterAllows(game(), 3)) << "a counter that does not exist";
}

}  // namespace
}  // namespace cw
