// The solver over a range of deal numbers, on several threads, with the
// summary statistics cardwright-cli prints.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/model/dealer.h"
#include "engine/model/sol_game.h"
#include "engine/solver/solver.h"

namespace cw {

struct SurveyEntry {
  std::uint32_t number = 0;
  SolveResult result;
};

// Solves every deal from `first` to `last`, dealt in `order`, with `jobs`
// threads (each on its own copy of the definition in `game`). `report` is
// called in number order, from the calling thread, as soon as each deal and
// all before it are done.
void RunSurvey(const SolGame& game, std::uint32_t first, std::uint32_t last, DealOrder order,
               const SolveLimits& limits, unsigned jobs,
               const std::function<void(const SurveyEntry&)>& report);

// The 95% Wilson score interval of a share of `successes` in `trials`, as
// fractions; {0, 1} for no trials.
struct Interval {
  double low = 0;
  double high = 1;
};
Interval WilsonInterval(std::uint64_t successes, std::uint64_t trials);

}  // namespace cw
