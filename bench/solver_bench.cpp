// Solver timings: positions expanded per second on the first deals of
// FreeCell, Penguin, Double FreeCell, Four by Ten and Repair, and on one deal
// searched long, each search cut off by a node budget so that every run does
// the same work.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/rules/automatic_events.h"
#include "engine/solver/solver.h"

namespace cw {
namespace {

bool LoadGame(SolGame& game, const std::string& name) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
    if (catalogue.entries[i].name != name) continue;
    const auto record = LoadDefinitionRecord(EmbeddedGameResources(), static_cast<std::uint16_t>(i));
    return record && ParseDefinition(game, *record, DisplayMetrics{});
  }
  return false;
}

void BM_SolverPositions(benchmark::State& state, std::string name) {
  SolGame game;
  if (!LoadGame(game, name)) return state.SkipWithError("game not in the database");
  SolveLimits limits;
  limits.maxNodes = static_cast<std::uint64_t>(state.range(0));
  std::uint64_t nodes = 0;
  std::uint32_t number = 1;
  for (auto _ : state) {
    state.PauseTiming();
    std::uint32_t dealt = number++;
    StartNewGame(game, dealt);
    state.ResumeTiming();
    nodes += Solve(game, limits).nodes;
  }
  state.counters["positions/s"] =
      benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(BM_SolverPositions, FreeCell, std::string("FreeCell"))
    ->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SolverPositions, Penguin, std::string("Penguin"))
    ->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SolverPositions, DoubleFreeCell, std::string("Double FreeCell"))
    ->Arg(500)->Unit(benchmark::kMillisecond);
// Ten cells, where most moves lead back to a position met.
BENCHMARK_CAPTURE(BM_SolverPositions, FourByTen, std::string("Four by Ten"))
    ->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SolverPositions, Repair, std::string("Repair"))
    ->Arg(500)->Unit(benchmark::kMillisecond);

// One deal searched past the first try, so that most of its positions come
// while the orders take turns: Scorpion Towers deal 235, proved unwinnable
// in 152,887 positions.
void BM_SolverPositionsPastTheFirstTry(benchmark::State& state) {
  SolGame game;
  if (!LoadGame(game, "Scorpion Towers")) return state.SkipWithError("game not in the database");
  std::uint32_t dealt = 235;
  StartNewGame(game, dealt);
  SolveLimits limits;
  limits.maxNodes = static_cast<std::uint64_t>(state.range(0));
  std::uint64_t nodes = 0;
  for (auto _ : state) nodes += Solve(game, limits).nodes;
  state.counters["positions/s"] =
      benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_SolverPositionsPastTheFirstTry)->Arg(150000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cw

BENCHMARK_MAIN();
