// Whether a play state is one that a game of its definition can reach: the
// check a saved game passes before it replaces the play state, and the one
// the tests and fuzzers hold every table they make to.
#pragma once

#include <string>
#include <utility>

#include "engine/model/sol_game.h"

namespace cw {

// The answer of a check: passed, or failed with what was found wrong.
class TableCheck {
 public:
  static TableCheck Passed() { return TableCheck(); }
  static TableCheck Failed(std::string problem) { return TableCheck(std::move(problem)); }

  explicit operator bool() const { return problem_.empty(); }
  // Empty when the check passed.
  const std::string& Problem() const { return problem_; }

 private:
  TableCheck() = default;
  explicit TableCheck(std::string problem) : problem_(std::move(problem)) {}

  std::string problem_;
};

// Whether cards may lie on no pile (kNoReference). No deal leaves a card off
// the table, but a table arranged by hand from a partial deck may.
enum class OffTableCards { kRefused, kAllowed };

// Every card in a pile of the table at a position without gaps or doubles,
// pile counts equal to the cards they hold, flags 0 or 1, the pile fields no
// action changes as the deal made them, programs the definition has, routes
// between real piles, counters within their range, and as many cards, piles
// and counters as the definition has.
TableCheck CheckTable(const SolGame& game, OffTableCards offTable = OffTableCards::kRefused);

// Undoes a copy of `game` record by record back to its deal: the first record
// starts a move, every record is one this definition can make and fits the
// table it undoes, and the table reached passes CheckTable. Precondition:
// `game` has a play state that passes CheckTable.
TableCheck CheckJournal(const SolGame& game);

}  // namespace cw
