// Safe home moves: where the rule is on, where it must not apply, and that a
// search taking them alone decides exactly what a search of every move does.
#include "engine/solver/safe_home_moves.h"

#include <gtest/gtest.h>

#include <random>
#include <span>
#include <string>

#include "engine/rules/player_move.h"
#include "engine/solver/solver.h"
#include "tests/games/game_test_support.h"

namespace cw {
namespace {

using testing::CardNumber;

bool RuleIsOn(const std::string& name) {
  const auto game = testing::LoadGame(name);
  return game && SafeHomeMoves(game->definition).Enabled();
}

TEST(SafeHomeMovesTest, IsOnOnlyWhereNothingButThePlayerMovesCardsAndHomeKeepsThem) {
  // Play is the player's moves alone; the foundations keep their cards.
  EXPECT_TRUE(RuleIsOn("Eight Off"));
  EXPECT_TRUE(RuleIsOn("Double FreeCell"));
  EXPECT_TRUE(RuleIsOn("Repair"));
  EXPECT_TRUE(RuleIsOn("Antares"));
  // The game-start events shuffle and place cards before play begins.
  EXPECT_TRUE(RuleIsOn("Penguin"));
  EXPECT_TRUE(RuleIsOn("Eight On"));
  // Events switch the run limit as cells fill.
  EXPECT_FALSE(RuleIsOn("FreeCell"));
  // Events send Aces home of themselves.
  EXPECT_FALSE(RuleIsOn("Four by Ten"));
  // A card may be taken back from a foundation.
  EXPECT_FALSE(RuleIsOn("Seven by Five"));
  // A tap deals from the stock.
  EXPECT_FALSE(RuleIsOn("Milligan Cell"));
  // An event turns up a tower's new top card.
  EXPECT_FALSE(RuleIsOn("Towers"));
}

std::optional<MoveReference> SafeMoveOf(const SolGame& game) {
  SafeHomeMoves safe(game.definition);
  const std::vector<MoveReference> moves = testing::LegalMoves(game);
  return safe.Find(game, moves);
}

bool HasMove(const SolGame& game, const MoveReference& wanted) {
  for (const MoveReference& move : testing::LegalMoves(game)) {
    if (move == wanted) return true;
  }
  return false;
}

// Double FreeCell: columns 0-9 build down in alternating colours, cells
// 10-15, foundations 16-19 (clubs on 16) with the first deck's Aces.
TEST(SafeHomeMovesTest, ACardThatCouldStillBeBuiltOnStaysOpenToChoice) {
  auto game = testing::DealGame("Double FreeCell", 1);
  ASSERT_TRUE(game);
  const std::uint16_t twoOfClubs = CardNumber(2, 2);
  const std::uint16_t aceOfDiamonds = 52 + CardNumber(3, 1);
  const std::uint16_t aceOfClubs = CardNumber(2, 1);
  // The other deck's Ace of clubs goes home; the first deck's two of clubs
  // then fits, but a red Ace in play could still go onto it.
  testing::ArrangePile(*game, 16, {aceOfClubs, 52 + aceOfClubs});
  testing::ArrangePile(*game, 10, {twoOfClubs});
  testing::ArrangePile(*game, 11, {aceOfDiamonds});
  ASSERT_TRUE(HasMove(*game, {twoOfClubs, 16}));
  EXPECT_FALSE(SafeMoveOf(*game));
}

TEST(SafeHomeMovesTest, ACardNothingCanGoOntoAnyMoreIsSentHome) {
  // Eight Off builds down in suit: only the Ace of hearts could go onto the
  // two of hearts, and it is home.
  auto game = testing::DealGame("Eight Off", 1);
  ASSERT_TRUE(game);
  const std::uint16_t aceOfHearts = CardNumber(4, 1);
  const std::uint16_t twoOfHearts = CardNumber(4, 2);
  testing::ArrangePile(*game, 0, {aceOfHearts});
  testing::ArrangePile(*game, 16, {twoOfHearts});
  const auto safe = SafeMoveOf(*game);
  ASSERT_TRUE(safe);
  EXPECT_EQ(*safe, (MoveReference{twoOfHearts, 0}));

  // The rule is off when asked: the search then tries every move.
  SolveLimits limits;
  limits.maxNodes = 3000;
  const SolveResult with = Solve(*game, limits);
  limits.safeHomeMoves = false;
  const SolveResult without = Solve(*game, limits);
  ASSERT_EQ(with.verdict, SolveVerdict::kWinnable);
  EXPECT_EQ(without.verdict, SolveVerdict::kWinnable);
}

// Positions near the end of the games where the rule is on, some of them
// spoiled by a few moves chosen at random: searched to the end with the rule
// and without, they must get the same verdict, and a win found with it must
// replay. A fault here would turn winnable positions into false proofs.
struct Case {
  const char* game;
  std::uint32_t deals;
};

struct Agreement {
  int decided = 0;     // positions both searches decided
  int unwinnable = 0;  // of those, proved unwinnable
  int ruled = 0;       // positions where the rule took a move alone
};

void ExpectSearchesAgree(std::span<const Case> cases, std::uint32_t eightOnDeals,
                         Agreement& agreement) {
  std::mt19937 random(11);
  int& decided = agreement.decided;
  int& unwinnable = agreement.unwinnable;
  int& ruled = agreement.ruled;
  for (const Case& c : cases) {
    for (std::uint32_t number = 1; number <= c.deals; ++number) {
      auto game = testing::DealGame(c.game, number);
      ASSERT_TRUE(game);
      SolveLimits limits;
      limits.maxNodes = 20000;
      const SolveResult line = Solve(*game, limits);
      if (line.verdict != SolveVerdict::kWinnable) continue;
      for (const std::size_t left : {16u, 28u}) {
        if (line.moves.size() <= left) continue;
        SolGame near = *game;
        for (std::size_t m = 0; m + left < line.moves.size(); ++m) {
          ASSERT_TRUE(PerformPlayerMove(near, line.moves[m], nullptr));
        }
        for (int spoil = 0; spoil <= 6; spoil += 2) {
          SCOPED_TRACE(std::string(c.game) + " deal " + std::to_string(number) + ", " +
                       std::to_string(left) + " moves from the end, spoiled " +
                       std::to_string(spoil));
          SolveLimits exhaustive;
          exhaustive.maxNodes = 60000;
          const SolveResult with = Solve(near, exhaustive);
          exhaustive.safeHomeMoves = false;
          const SolveResult without = Solve(near, exhaustive);
          if (with.verdict != SolveVerdict::kUndecided &&
              without.verdict != SolveVerdict::kUndecided) {
            EXPECT_EQ(with.verdict, without.verdict);
            ++decided;
            if (with.verdict == SolveVerdict::kUnwinnable) ++unwinnable;
          }
          if (with.verdict == SolveVerdict::kWinnable) {
            SolGame replay = near;
            for (const MoveReference& move : with.moves) {
              ASSERT_TRUE(PerformPlayerMove(replay, move, nullptr));
            }
            EXPECT_TRUE(replay.won);
          }
          if (SafeMoveOf(near)) ++ruled;
          for (int m = 0; m < 2; ++m) {
            const std::vector<MoveReference> moves = testing::LegalMoves(near);
            if (moves.empty()) break;
            ASSERT_TRUE(PerformPlayerMove(near, moves[random() % moves.size()], nullptr));
          }
        }
      }
    }
  }
  // Whole deals of Eight On, most of which are proved unwinnable within a
  // few thousand positions.
  for (std::uint32_t number = 1; number <= eightOnDeals; ++number) {
    SCOPED_TRACE("Eight On deal " + std::to_string(number));
    auto game = testing::DealGame("Eight On", number);
    ASSERT_TRUE(game);
    SolveLimits exhaustive;
    exhaustive.maxNodes = 60000;
    const SolveResult with = Solve(*game, exhaustive);
    exhaustive.safeHomeMoves = false;
    const SolveResult without = Solve(*game, exhaustive);
    if (with.verdict != SolveVerdict::kUndecided && without.verdict != SolveVerdict::kUndecided) {
      EXPECT_EQ(with.verdict, without.verdict);
      ++decided;
      if (with.verdict == SolveVerdict::kUnwinnable) ++unwinnable;
    }
  }
}

TEST(SafeHomeMovesTest, SearchesWithAndWithoutTheRuleAgree) {
  const Case cases[] = {{"Eight Off", 2}, {"Repair", 1}, {"Antares", 2}};
  Agreement agreement;
  ExpectSearchesAgree(cases, 14, agreement);
  EXPECT_GE(agreement.decided, 30);
  EXPECT_GE(agreement.unwinnable, 5);
  EXPECT_GE(agreement.ruled, 10);
}

TEST(SafeHomeMovesSlowTest, SearchesWithAndWithoutTheRuleAgreeOnMorePositions) {
  const Case cases[] = {
      {"Eight Off", 6}, {"Repair", 4}, {"Antares", 6}, {"Penguin", 4}, {"Double FreeCell", 3}};
  Agreement agreement;
  ExpectSearchesAgree(cases, 40, agreement);
  EXPECT_GE(agreement.decided, 150);
  EXPECT_GE(agreement.unwinnable, 20);
  EXPECT_GE(agreement.ruled, 80);
}

}  // namespace
}  // namespace cw
