// The solver on the games of the real database: every winning line it gives
// replays through the player-move path to a won game.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/rules/automatic_events.h"
#include "engine/rules/moves.h"
#include "engine/rules/player_move.h"
#include "engine/solver/solver.h"
#include "tests/games/game_test_support.h"

namespace cw {
namespace {

void ExpectWinningLineReplays(const std::string& name, std::uint32_t number,
                              std::uint64_t maxNodes, bool mustDecide) {
  SCOPED_TRACE(name + " deal " + std::to_string(number));
  auto game = testing::DealGame(name, number);
  ASSERT_TRUE(game);
  SolveLimits limits;
  limits.maxNodes = maxNodes;
  const SolveResult result = Solve(*game, limits);
  if (mustDecide) {
    EXPECT_NE(result.verdict, SolveVerdict::kUndecided);
  }
  if (result.verdict != SolveVerdict::kWinnable) return;
  for (const MoveReference& move : result.moves) {
    ASSERT_TRUE(PerformPlayerMove(*game, move, nullptr));
  }
  EXPECT_TRUE(game->won);
}

TEST(RealGamesSolverTest, WinningLinesReplayToWon) {
  ExpectWinningLineReplays("FreeCell", 5, 2000, true);
  ExpectWinningLineReplays("Eight Off", 2, 1000, true);
  ExpectWinningLineReplays("Baker's Game", 2, 2000, true);
  // A game with taps and a redeal.
  ExpectWinningLineReplays("Seven by Seven", 3, 5000, true);
}

// Searches long enough to leave many lines for others and come back to them,
// and to go on past the first try as the first search and, beside it, the
// fresh tries and then the second search, each search with its orders of the
// positions waiting taking turns. The Repair deal is won by the second fresh
// try (after 92,138 positions in all; a search without them takes 163,917);
// the ForeCell deal by the first search (after 251,302); the Double
// FreeCell deal, whose foundations' low cards come round again, by the
// first, within the budget only with the order that counts buried cards by
// rank taking turns (after 133,454).
// The same line on one thread or two (SolveLimits::secondThread).
TEST(RealGamesSolverTest, LongSearchesGiveTheSameLineEachTimeOnOneThreadOrTwoAndItReplays) {
  const std::tuple<const char*, std::uint32_t, std::uint64_t> deals[] = {
      {"Penguin", 49, 15000},
      {"Repair", 5, 115000},
      {"ForeCell", 88, 260000},
      {"Double FreeCell", 261, 140000}};
  for (const auto& [name, number, maxNodes] : deals) {
    SCOPED_TRACE(name);
    auto game = testing::DealGame(name, number);
    ASSERT_TRUE(game);
    SolveLimits limits;
    limits.maxNodes = maxNodes;
    const SolveResult first = Solve(*game, limits);
    limits.secondThread = true;
    const SolveResult second = Solve(*game, limits);
    EXPECT_EQ(first.verdict, second.verdict);
    EXPECT_EQ(first.nodes, second.nodes);
    EXPECT_EQ(first.moves, second.moves);
    EXPECT_GT(first.nodes, 1024u);
    ASSERT_EQ(first.verdict, SolveVerdict::kWinnable);
    for (const MoveReference& move : first.moves) {
      ASSERT_TRUE(PerformPlayerMove(*game, move, nullptr));
    }
    EXPECT_TRUE(game->won);
  }
}

// Without a node budget the fresh tries go on beside the first try from the
// start, and one of them wins this deal within a few thousand positions
// (sooner than the first try's 6,346); the first try's line still comes
// first, so it is the line every time, as on one thread.
TEST(RealGamesSolverTest, WithoutANodeBudgetTheFirstTrysLineComesFirstOnTwoThreads) {
  auto game = testing::DealGame("Repair", 18);
  ASSERT_TRUE(game);
  const SolveResult alone = Solve(*game, SolveLimits{});
  ASSERT_EQ(alone.verdict, SolveVerdict::kWinnable);
  ASSERT_LT(alone.nodes, 65536u);
  SolveLimits limits;
  limits.secondThread = true;
  for (int run = 0; run < 3; ++run) {
    const SolveResult apart = Solve(*game, limits);
    EXPECT_EQ(apart.verdict, SolveVerdict::kWinnable);
    EXPECT_EQ(apart.moves, alone.moves);
  }
}

// Past its first try this deal is won beside it (on one thread by the
// second fresh try); searched apart on two threads, the line found on the
// thread beside is the answer, and it replays.
TEST(RealGamesSolverTest, ALineFoundBesideWithoutANodeBudgetReplays) {
  auto game = testing::DealGame("Repair", 5);
  ASSERT_TRUE(game);
  SolveLimits limits;
  limits.secondThread = true;
  const SolveResult result = Solve(*game, limits);
  ASSERT_EQ(result.verdict, SolveVerdict::kWinnable);
  EXPECT_GT(result.nodes, 65536u);
  for (const MoveReference& move : result.moves) {
    ASSERT_TRUE(PerformPlayerMove(*game, move, nullptr));
  }
  EXPECT_TRUE(game->won);
}

// Past the first try the first search and the turns beside it (the fresh
// tries, then the second search) share the node budget, and the progress
// reported counts the positions all of them expanded, never going back.
// With the second search on a thread of its own, progress still comes from
// the caller's.
TEST(RealGamesSolverTest, ANodeBudgetCountsThePositionsOfBothSearches) {
  auto game = testing::DealGame("Challenge FreeCell", 59);
  ASSERT_TRUE(game);
  for (const bool secondThread : {false, true}) {
    SCOPED_TRACE(secondThread);
    SolveLimits limits;
    limits.maxNodes = 180000;
    limits.secondThread = secondThread;
    std::vector<std::uint64_t> reported;
    const std::thread::id caller = std::this_thread::get_id();
    bool elsewhere = false;
    const SolveResult result = Solve(*game, limits, nullptr, [&](std::uint64_t nodes) {
      elsewhere = elsewhere || std::this_thread::get_id() != caller;
      reported.push_back(nodes);
    });
    EXPECT_EQ(result.verdict, SolveVerdict::kUndecided);
    EXPECT_EQ(result.nodes, 180000u);
    EXPECT_FALSE(elsewhere);
    ASSERT_FALSE(reported.empty());
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    EXPECT_GT(reported.back(), 65536u + 2 * 3 * 16384u);
    EXPECT_LE(reported.back(), 180000u);
  }
}

// Towers 68 takes far longer than 100,000 positions.
TEST(RealGamesSolverTest, CancellingASearchOnTwoThreadsEndsItUndecided) {
  auto game = testing::DealGame("Towers", 68);
  ASSERT_TRUE(game);
  SolveLimits limits;
  limits.secondThread = true;
  std::atomic<bool> cancel{false};
  std::uint64_t cancelledAt = 0;
  const SolveResult result = Solve(*game, limits, &cancel, [&](std::uint64_t nodes) {
    if (nodes > 100000 && cancelledAt == 0) {
      cancelledAt = nodes;
      cancel = true;
    }
  });
  EXPECT_EQ(result.verdict, SolveVerdict::kUndecided);
  ASSERT_NE(cancelledAt, 0u);
  EXPECT_LT(result.nodes, cancelledAt + 8192);
}

// Here a search that knew nothing of the game before its position would
// begin by putting the card back where the player took it from (the
// position that gives is not even the deal's: the automatic events keep
// settings of their own).
TEST(RealGamesSolverTest, TheFirstMoveDoesNotTakeBackThePlayersLastMove) {
  auto game = testing::DealGame("FreeCell", 18);
  ASSERT_TRUE(game);
  PositionHasher hasher(game->definition);
  const std::uint64_t before = hasher.Key(*game);
  ASSERT_TRUE(PerformPlayerMove(*game, {14, 8}, nullptr));
  SolveLimits limits;
  limits.maxNodes = 3000;
  const SolveResult result = Solve(*game, limits);
  ASSERT_EQ(result.verdict, SolveVerdict::kWinnable);
  ASSERT_TRUE(PerformPlayerMove(*game, result.moves.front(), nullptr));
  EXPECT_NE(hasher.Key(*game), before);
  for (std::size_t i = 1; i < result.moves.size(); ++i) {
    ASSERT_TRUE(PerformPlayerMove(*game, result.moves[i], nullptr));
  }
  EXPECT_TRUE(game->won);
}

// The hasher keeps each pile's hash until the pile changes: along a line of
// moves and undos, and between two deals, its key is the one a hasher that
// knew nothing before gives.
TEST(RealGamesSolverTest, AKeptKeyEqualsAFreshKeyAfterEveryMoveAndUndo) {
  for (const char* name : {"FreeCell", "Double FreeCell", "Penguin", "Repair", "Towers",
                           "Challenge FreeCell", "Scorpion Towers", "Antares", "Four by Ten"}) {
    SCOPED_TRACE(name);
    auto game = testing::DealGame(name, 3);
    auto other = testing::DealGame(name, 4);
    ASSERT_TRUE(game && other);
    PositionHasher kept(game->definition);
    std::size_t moved = 0;
    std::size_t undone = 0;
    for (std::size_t step = 0; step < 120; ++step) {
      const std::vector<MoveReference> moves = ListMoves(*game);
      if (step % 4 == 3 || moves.empty()) {
        if (UndoMove(*game)) ++undone;
      } else if (PerformPlayerMove(*game, moves[step * 7 % moves.size()], nullptr)) {
        ++moved;
      }
      if (step % 10 == 9) {
        EXPECT_EQ(kept.Key(*other), PositionHasher(other->definition).Key(*other));
      }
      ASSERT_EQ(kept.Key(*game), PositionHasher(game->definition).Key(*game)) << "step " << step;
    }
    EXPECT_GT(moved, 20u);
    EXPECT_GT(undone, 10u);
  }
}

TEST(RealGamesSolverTest, ADealWithoutLegalMovesIsUnwinnable) {
  auto game = testing::DealGame("Eight On", 13);
  ASSERT_TRUE(game);
  const SolveResult result = Solve(*game, {});
  EXPECT_EQ(result.verdict, SolveVerdict::kUnwinnable);
  EXPECT_EQ(result.nodes, 1u);
}

TEST(RealGamesSolverTest, FindWinnableDealPassesOverDealsItCannotProve) {
  auto game = testing::LoadGame("Eight On");
  ASSERT_TRUE(game);
  SolveLimits limits;
  limits.maxNodes = 2000;
  const auto found = FindWinnableDeal(*game, 13, limits, 20);
  ASSERT_TRUE(found);
  EXPECT_GT(*found, 13u);
  auto dealt = testing::DealGame("Eight On", *found);
  ASSERT_TRUE(dealt);
  EXPECT_EQ(Solve(*dealt, limits).verdict, SolveVerdict::kWinnable);
}

TEST(RealGamesSolverSlowTest, EveryGameGivesLinesThatReplay) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  ASSERT_EQ(catalogue.entries.size(), 20u);
  for (const CatalogueEntry& entry : catalogue.entries) {
    for (std::uint32_t number : {1u, 2u}) ExpectWinningLineReplays(entry.name, number, 1500, false);
  }
}

}  // namespace
}  // namespace cw
