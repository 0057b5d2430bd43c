// The save after every move: a FreeCell game of 200 moves (the first legal
// move each time, so the journal grows as in a long game), its game and the
// preferences written to a registry file after each move, in one
// transaction, as the main window does. Reports the median and the worst
// save of the game. Also the saved-game bytes of that game alone: writing
// them, and reading them back with the table and journal checks.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <vector>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/rules/automatic_events.h"
#include "engine/rules/moves.h"
#include "engine/rules/player_move.h"
#include "platform/registry/registry.h"
#include "engine/state/saved_game_codec.h"
#include "shell/saved_game.h"

namespace cw {
namespace {

constexpr int kMoves = 200;

bool LoadFreeCell(SolGame& game) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
    if (catalogue.entries[i].name != "FreeCell") continue;
    const auto record = LoadDefinitionRecord(EmbeddedGameResources(), static_cast<std::uint16_t>(i));
    return record && ParseDefinition(game, *record, DisplayMetrics{});
  }
  return false;
}

void BM_SaveAfterEveryMove(benchmark::State& state) {
  SolGame game;
  if (!LoadFreeCell(game)) return state.SkipWithError("FreeCell not in the database");
  std::vector<double> millis;
  for (auto _ : state) {
    QTemporaryDir dir;
    Registry registry(dir.filePath(QStringLiteral("registry.sqlite3")));
    Preferences preferences;
    std::uint32_t number = 1;
    StartNewGame(game, number);
    for (int move = 0; move < kMoves; ++move) {
      const std::optional<MoveReference> next = FindMove(game, 0);
      if (!next || !PerformPlayerMove(game, *next, nullptr)) break;
      const auto start = std::chrono::steady_clock::now();
      const bool saved = SaveGameAndPreferences(registry, u"TW Tarrow", &game,
                                                static_cast<std::uint32_t>(move), preferences);
      const auto end = std::chrono::steady_clock::now();
      if (!saved) return state.SkipWithError("a save failed");
      millis.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
  }
  if (millis.empty()) return;
  std::sort(millis.begin(), millis.end());
  state.counters["saves"] = static_cast<double>(millis.size());
  state.counters["median_ms"] = millis[millis.size() / 2];
  state.counters["worst_ms"] = millis.back();
}
BENCHMARK(BM_SaveAfterEveryMove)->Iterations(3)->Unit(benchmark::kMillisecond);

// The game of BM_SaveAfterEveryMove after its last move.
bool PlayLongFreeCell(SolGame& game) {
  if (!LoadFreeCell(game)) return false;
  std::uint32_t number = 1;
  StartNewGame(game, number);
  for (int move = 0; move < kMoves; ++move) {
    const std::optional<MoveReference> next = FindMove(game, 0);
    if (!next || !PerformPlayerMove(game, *next, nullptr)) break;
  }
  return true;
}

void BM_EncodeSavedGame(benchmark::State& state) {
  SolGame game;
  if (!PlayLongFreeCell(game)) return state.SkipWithError("FreeCell not in the database");
  for (auto _ : state) benchmark::DoNotOptimize(EncodeSavedGame(game, 0));
  state.counters["journal"] = game.journal->Count();
}
BENCHMARK(BM_EncodeSavedGame)->Unit(benchmark::kMicrosecond);

void BM_DecodeSavedGame(benchmark::State& state) {
  SolGame game;
  if (!PlayLongFreeCell(game)) return state.SkipWithError("FreeCell not in the database");
  const std::vector<std::uint8_t> bytes = EncodeSavedGame(game, 0);
  std::uint32_t elapsed = 0;
  for (auto _ : state) {
    if (!DecodeSavedGame(game, bytes, elapsed)) return state.SkipWithError("the game was refused");
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_DecodeSavedGame)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace cw

BENCHMARK_MAIN();
