// The solver's commands in the program: whether the game in progress can
// still be won, the next move of a winning line, and deals proved winnable.
// Each searches a copy of the game off the user-interface thread (see
// search_wait.h) and drops its answer when the game changed meanwhile.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/model/sol_game.h"
#include "engine/rules/automatic_events.h"
#include "engine/solver/solver.h"

namespace cw {

class CeMsgWnd;

struct SolverBudgets {
  // Can This Game Be Won? and Show Winning Move: the search from the
  // position and, for a dead one, the searches after each undo, together.
  SolveLimits position{
      .maxSeconds = 10.0, .maxMemoryBytes = std::size_t{128} << 20, .secondThread = SecondCoreFree()};
  // Each deal number tried for a winnable deal, and how many are tried.
  SolveLimits perDeal{
      .maxSeconds = 1.5, .maxMemoryBytes = std::size_t{64} << 20, .secondThread = SecondCoreFree()};
  std::uint32_t dealAttempts = 8;
  // How long a search runs before the progress box opens.
  std::chrono::milliseconds grace{500};
};

class SolverCommands {
 public:
  SolverBudgets& Budgets() { return budgets_; }

  // Tells the player in a box whether `game` can still be won; when it
  // cannot, how many moves to undo to reach a position that can, where the
  // search found one.
  void TellWhetherWinnable(CeMsgWnd* owner, const SolGame& game);

  // The first move of a winning line from the position of `game`; none,
  // after telling the player why, when there is no such line or none was
  // found (nothing is told when the player cancelled). A player who made
  // the move last shown gets the next move of the same line, so that
  // following the hints wins.
  std::optional<MoveReference> WinningMove(CeMsgWnd* owner, const SolGame& game);

  // A deal number from `firstNumber` on that the solver proved winnable,
  // tried number by number within the deal budget. None when the player
  // cancelled, or, after a short notice, when no proof came in time: the
  // caller then deals an ordinary game.
  std::optional<std::uint32_t> WinnableDeal(CeMsgWnd* owner, const SolGame& game, std::uint32_t firstNumber);

 private:
  // The winning line the last hint came from, from the position where its
  // next move is played: a player who follows it gets each next move at once,
  // and wins in as many moves as it has.
  struct HintLine {
    SolGame from;
    std::vector<MoveReference> moves;
  };

  // The line's next move; the line then goes on from the position after it.
  std::optional<MoveReference> NextMoveOfLine();

  SolverBudgets budgets_;
  std::optional<HintLine> hintLine_;
};

}  // namespace cw
