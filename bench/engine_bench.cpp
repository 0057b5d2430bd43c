// Engine timings: loading and parsing a record, dealing, one player move with
// its automatic events and the lost test (alone, and with its undo), and
// undoing a long game; and the timer's own pause.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/model/dealer.h"
#include "engine/rules/automatic_events.h"
#include "engine/rules/moves.h"

namespace cw {
namespace {

std::optional<std::uint16_t> FindRecord(const std::string& name) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
    if (catalogue.entries[i].name == name) return static_cast<std::uint16_t>(i);
  }
  return std::nullopt;
}

bool LoadGame(SolGame& game, const std::string& name) {
  const auto index = FindRecord(name);
  if (!index) return false;
  const auto record = LoadDefinitionRecord(EmbeddedGameResources(), *index);
  return record && ParseDefinition(game, *record, DisplayMetrics{});
}

bool MakeMove(SolGame& game, const MoveReference& move) {
  const bool made = move.IsTap() ? TapPile(game, move.source, nullptr)
                                 : DropCards(game, move.source, move.destination, nullptr);
  if (made) RunAutomaticEvents(game, nullptr);
  return made;
}

// Deals `name` as number 1 and gives its first legal move; none, with the
// benchmark marked as failed, when the game cannot be dealt or has no move.
std::optional<MoveReference> DealWithAMove(benchmark::State& state, SolGame& game,
                                           const std::string& name) {
  std::uint32_t number = 1;
  if (!LoadGame(game, name) || !StartNewGame(game, number)) {
    state.SkipWithError("cannot deal");
    return std::nullopt;
  }
  const auto move = FindMove(game, 0);
  if (!move) state.SkipWithError("no legal move");
  return move;
}

void BM_LoadAndParse(benchmark::State& state, std::string name) {
  const auto index = FindRecord(name);
  if (!index || !LoadDefinitionRecord(EmbeddedGameResources(), *index)) {
    return state.SkipWithError("game not in the database");
  }
  SolGame game;
  for (auto _ : state) {
    auto record = LoadDefinitionRecord(EmbeddedGameResources(), *index);
    benchmark::DoNotOptimize(ParseDefinition(game, *record, DisplayMetrics{}));
  }
}

void BM_Deal(benchmark::State& state, std::string name) {
  SolGame game;
  if (!LoadGame(game, name)) return state.SkipWithError("game not in the database");
  std::uint32_t number = 1;
  for (auto _ : state) {
    std::uint32_t dealt = number++;
    benchmark::DoNotOptimize(StartNewGame(game, dealt));
  }
}

void BM_MoveWithAutomaticEventsAndLostTest(benchmark::State& state, std::string name) {
  SolGame game;
  const auto move = DealWithAMove(state, game, name);
  if (!move) return;
  for (auto _ : state) {
    MakeMove(game, *move);
    benchmark::DoNotOptimize(FindMove(game, 0));
    state.PauseTiming();
    UndoMove(game);
    state.ResumeTiming();
  }
}

// The same move with its undo, all timed: pausing the timer costs a system
// call per iteration on some machines, a sizeable share of the figure above.
void BM_MoveAndUndo(benchmark::State& state, std::string name) {
  SolGame game;
  const auto move = DealWithAMove(state, game, name);
  if (!move) return;
  for (auto _ : state) {
    MakeMove(game, *move);
    benchmark::DoNotOptimize(FindMove(game, 0));
    UndoMove(game);
  }
}

// What pausing and resuming the timer costs on its own, to read the first
// figure net of it.
void BM_TimerPause(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    state.ResumeTiming();
  }
}

void BM_FindFirstMove(benchmark::State& state, std::string name) {
  SolGame game;
  std::uint32_t number = 1;
  if (!LoadGame(game, name) || !StartNewGame(game, number)) return state.SkipWithError("cannot deal");
  for (auto _ : state) benchmark::DoNotOptimize(FindMove(game, 0));
}

void BM_UndoHundredMoves(benchmark::State& state, std::string name) {
  SolGame game;
  if (!LoadGame(game, name)) return state.SkipWithError("game not in the database");
  for (auto _ : state) {
    state.PauseTiming();
    std::uint32_t number = 7;
    StartNewGame(game, number);
    int moves = 0;
    for (std::uint32_t step = 0; moves < 100 && !game.won; ++step) {
      auto move = FindMove(game, step % 5);
      if (!move) move = FindMove(game, 0);
      if (!move) break;
      if (MakeMove(game, *move)) ++moves;
    }
    state.ResumeTiming();
    while (game.journal && !game.journal->Empty()) UndoMove(game);
    state.counters["moves"] = moves;
  }
}

BENCHMARK_CAPTURE(BM_LoadAndParse, SevenByFive, std::string("Seven by Five"));
BENCHMARK_CAPTURE(BM_LoadAndParse, FreeCell, std::string("FreeCell"));
BENCHMARK_CAPTURE(BM_LoadAndParse, Towers, std::string("Towers"));
BENCHMARK_CAPTURE(BM_Deal, SevenByFive, std::string("Seven by Five"));
BENCHMARK_CAPTURE(BM_MoveWithAutomaticEventsAndLostTest, SevenByFive, std::string("Seven by Five"));
BENCHMARK_CAPTURE(BM_MoveWithAutomaticEventsAndLostTest, FreeCell, std::string("FreeCell"));
BENCHMARK_CAPTURE(BM_MoveAndUndo, FreeCell, std::string("FreeCell"));
BENCHMARK_CAPTURE(BM_MoveAndUndo, SevenByFive, std::string("Seven by Five"));
BENCHMARK(BM_TimerPause);
BENCHMARK_CAPTURE(BM_FindFirstMove, SevenByFive, std::string("Seven by Five"));
BENCHMARK_CAPTURE(BM_FindFirstMove, FreeCell, std::string("FreeCell"));
BENCHMARK_CAPTURE(BM_FindFirstMove, Penguin, std::string("Penguin"));
BENCHMARK_CAPTURE(BM_FindFirstMove, Towers, std::string("Towers"));
BENCHMARK_CAPTURE(BM_UndoHundredMoves, SevenByFive, std::string("Seven by Five"));

}  // namespace
}  // namespace cw

BENCHMARK_MAIN();
