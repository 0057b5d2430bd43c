// Game field timings in the VGA build: one full repaint of the field buffer
// of a dealt FreeCell (at the handheld's size and on a grown table, whose
// faces are drawn from their glyphs at every repaint), one refresh that also
// copies it to the window, and composing the 56 card images.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/rules/automatic_events.h"
#include "platform/screen/screen_facts.h"
#include "view/display_metrics.h"
#include "view/game_field_view.h"

namespace cw {
namespace {

constexpr ScreenFacts kVgaScreen{192, 192};

std::optional<SolGame> DealFreeCell() {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
    if (catalogue.entries[i].name != "FreeCell") continue;
    const auto record = LoadDefinitionRecord(EmbeddedGameResources(), static_cast<std::uint16_t>(i));
    SolGame game;
    std::uint32_t number = 7;
    if (!record || !ParseDefinition(game, *record, ToDisplayMetrics(kVgaScreen)) || !StartNewGame(game, number)) {
      return std::nullopt;
    }
    return game;
  }
  return std::nullopt;
}

// A shown field of `size` device pixels (the handheld's 480×536 unless told)
// with FreeCell deal 7 on it.
struct Field {
  CeWnd owner;
  std::unique_ptr<GameFieldView> view;
  std::optional<SolGame> game = DealFreeCell();

  bool Open(QSize size = QSize(480, 536)) {
    if (!game || !owner.Create(QStringLiteral("BenchMainWindow"), QStringLiteral("bench"), QRect(QPoint(), size))) {
      return false;
    }
    owner.ShowWindow(true);
    view = std::make_unique<GameFieldView>(kVgaScreen);
    if (!view->CreateGameField(owner)) return false;
    view->SetGame(&*game);
    view->RebuildMirror();
    view->ResetLayout();
    view->RefreshField();
    return true;
  }
};

void BM_RepaintFieldBuffer(benchmark::State& state) {
  Field field;
  if (!field.Open(QSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))))) {
    state.SkipWithError("no field");
    return;
  }
  for (auto _ : state) {
    field.view->MarkDirty();
    field.view->PaintField();
    benchmark::DoNotOptimize(field.view->FieldBuffer().Image().constBits());
  }
  state.counters["records"] = static_cast<double>(field.view->Hits().Records().size());
}
// The handheld's field, and a grown one: 909×656 at the build's scale.
BENCHMARK(BM_RepaintFieldBuffer)->Args({480, 536})->Args({1818, 1312})->Unit(benchmark::kMicrosecond);

void BM_RefreshFieldToWindow(benchmark::State& state) {
  Field field;
  if (!field.Open()) {
    state.SkipWithError("no field");
    return;
  }
  for (auto _ : state) field.view->RefreshField();
}
BENCHMARK(BM_RefreshFieldToWindow)->Unit(benchmark::kMicrosecond);

void BM_ComposeCardImages(benchmark::State& state) {
  const auto game = DealFreeCell();
  if (!game) {
    state.SkipWithError("no FreeCell");
    return;
  }
  FieldLayout layout;
  layout.piles = MirrorTable(*game);
  ResetLayoutMetrics(layout, *game, ToDisplayMetrics(kVgaScreen));
  CardImageCache cache;
  for (auto _ : state) {
    cache.Build(layout, kVgaScreen);
    benchmark::DoNotOptimize(cache.Face(3, 12).Image().constBits());
  }
}
BENCHMARK(BM_ComposeCardImages)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace cw

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
