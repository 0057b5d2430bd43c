// The moves the search passes over unmade: each must lead exactly where it is
// said to, since the search takes that on trust, and the rule must stay off
// where the automatic events could make more of a move.
#include "engine/solver/returning_moves.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/rules/player_move.h"
#include "engine/solver/pile_symmetry.h"
#include "engine/solver/solver.h"
#include "tests/games/game_test_support.h"

namespace cw {
namespace {

using testing::CardNumber;

struct Claims {
  int keeps = 0;
  int takesBack = 0;
};

// Walks a random line through a deal; at every position after the second
// move, makes each move ReturningMoves knows the position of, and compares
// the keys.
Claims CheckClaimsAlongALine(const std::string& name, std::uint32_t number, int steps) {
  Claims claims;
  auto game = testing::DealGame(name, number);
  EXPECT_TRUE(game);
  if (!game) return claims;
  const ReturningMoves returning(game->definition, InterchangeablePileClasses(game->definition));
  std::mt19937 rng(number);
  std::uint64_t parentKey = 0;
  MoveReference last{};
  std::uint32_t lastStart = 0;
  for (int step = 0; step < steps && game->won == 0; ++step) {
    const std::vector<MoveReference> moves = testing::LegalMoves(*game);
    if (moves.empty()) break;
    const std::uint64_t here = PositionHasher(game->definition).Key(*game);
    // The deal may leave the automatic events something to do; the rule
    // speaks only of positions reached by a move, and of their parents.
    if (step >= 2) {
      const std::optional<std::uint16_t> cameFrom =
          ReturningMoves::CardsOnlyMoved(*game->journal, lastStart);
      for (const MoveReference& move : moves) {
        const bool keeps = returning.KeepsPosition(*game, move);
        const bool takesBack = cameFrom && returning.TakesBack(move, last, *cameFrom);
        if (!keeps && !takesBack) continue;
        SolGame after = *game;
        EXPECT_TRUE(PerformPlayerMove(after, move, nullptr));
        const std::uint64_t reached = PositionHasher(after.definition).Key(after);
        if (keeps) {
          ++claims.keeps;
          EXPECT_EQ(reached, here) << "step " << step << ": " << move.source << ":"
                                   << move.destination;
        }
        if (takesBack) {
          ++claims.takesBack;
          EXPECT_EQ(reached, parentKey) << "step " << step << ": " << move.source << ":"
                                        << move.destination;
        }
      }
    }
    parentKey = here;
    last = moves[rng() % moves.size()];
    lastStart = game->journal->Count();
    EXPECT_TRUE(PerformPlayerMove(*game, last, nullptr));
  }
  return claims;
}

TEST(ReturningMovesTest, EveryMovePassedOverLeadsWhereItIsSaidTo) {
  for (const char* name : {"Four by Ten", "Repair", "Double FreeCell", "Eight Off", "Penguin",
                           "Milligan Cell", "Antares", "Seven by Seven"}) {
    SCOPED_TRACE(name);
    Claims claims;
    for (std::uint32_t number = 1; number <= 4; ++number) {
      const Claims line = CheckClaimsAlongALine(name, number, 150);
      claims.keeps += line.keeps;
      claims.takesBack += line.takesBack;
    }
    // Each of these games has moves of both sorts along random lines.
    EXPECT_GT(claims.takesBack, 0);
    if (std::string(name) != "Seven by Seven") {
      EXPECT_GT(claims.keeps, 0);
    }
  }
}

TEST(ReturningMovesTest, IsOffWhereTheAutomaticEventsDoMoreThanWin) {
  // The events of FreeCell, Baker's Game and ForeCell set the run limit
  // after every move; Towers turns up a tower's new top card.
  for (const char* name : {"FreeCell", "Baker's Game", "ForeCell", "Towers"}) {
    SCOPED_TRACE(name);
    const Claims claims = CheckClaimsAlongALine(name, 2, 150);
    EXPECT_EQ(claims.keeps, 0);
    EXPECT_EQ(claims.takesBack, 0);
  }
}

// Four by Ten: columns 0-3, cells 4-13, foundations 14-17; an Ace that comes
// to the top of a column goes home by itself.
TEST(ReturningMovesTest, AMoveAfterWhichAnAceWentHomeDidMoreThanMoveCards) {
  auto game = testing::DealGame("Four by Ten", 1);
  ASSERT_TRUE(game);
  const std::uint16_t aceOfClubs = CardNumber(2, 1);
  const std::uint16_t twoOfDiamonds = CardNumber(3, 2);
  testing::ArrangePile(*game, 0, {aceOfClubs, twoOfDiamonds});
  std::uint32_t start = game->journal->Count();
  ASSERT_TRUE(PerformPlayerMove(*game, {twoOfDiamonds, 4}, nullptr));
  EXPECT_EQ(ReturningMoves::CardsOnlyMoved(*game->journal, start), std::nullopt);
  EXPECT_EQ(game->cards[aceOfClubs].pile, 14);

  // The two of diamonds from cell 4 to cell 5 moves nothing else.
  start = game->journal->Count();
  ASSERT_TRUE(PerformPlayerMove(*game, {twoOfDiamonds, 5}, nullptr));
  EXPECT_EQ(ReturningMoves::CardsOnlyMoved(*game->journal, start), std::uint16_t{4});
  // Nor is a record past the end, or one that is no player's move, a move.
  EXPECT_EQ(ReturningMoves::CardsOnlyMoved(*game->journal, game->journal->Count()), std::nullopt);
  EXPECT_EQ(ReturningMoves::CardsOnlyMoved(*game->journal, start + 1), std::nullopt);
}

}  // namespace
}  // namespace cw
