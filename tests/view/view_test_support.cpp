#include "tests/view/view_test_support.h"

#include <cctype>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/rules/automatic_events.h"
#include "platform/resources/build_variant.h"
#include "view/display_metrics.h"

namespace cw::testing {

ScreenFacts BuildScreen() { return IsVgaBuild() ? ScreenFacts{192, 192} : ScreenFacts{96, 96}; }

std::vector<std::string> DatabaseGames() {
  std::vector<std::string> names;
  for (const CatalogueEntry& entry : LoadCatalogue(EmbeddedGameResources()).entries) names.push_back(entry.name);
  return names;
}

std::string TestName(const std::string& game) {
  std::string name;
  for (char c : game) {
    if (std::isalnum(static_cast<unsigned char>(c))) name += c;
  }
  return name;
}

std::optional<SolGame> DealForScreen(const std::string& name, std::uint32_t number, const ScreenFacts& screen) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
    if (catalogue.entries[i].name != name) continue;
    const auto record = LoadDefinitionRecord(EmbeddedGameResources(), static_cast<std::uint16_t>(i));
    if (!record) return std::nullopt;
    SolGame game;
    if (!ParseDefinition(game, *record, ToDisplayMetrics(screen))) return std::nullopt;
    if (!StartNewGame(game, number)) return std::nullopt;
    return game;
  }
  return std::nullopt;
}

FieldLayout LayoutOf(const SolGame& game, const ScreenFacts& screen) {
  FieldLayout layout;
  layout.piles = MirrorTable(game);
  ResetLayoutMetrics(layout, game, ToDisplayMetrics(screen));
  return layout;
}

std::vector<FieldSize> FieldSizes(const ScreenFacts& screen) {
  // The title and menu bars take 52 pixels of the screen's height.
  return {{screen.ScaleX(240), screen.ScaleY(268), "portrait"},
          {screen.ScaleX(320), screen.ScaleY(188), "landscape"}};
}

LRESULT OwnerWindow::OnMessage(unsigned msg, WPARAM, LPARAM, bool& handled) {
  if (msg == WM_CHECKSTATE) {
    ++checkStates;
    handled = true;
  }
  return 0;
}

}  // namespace cw::testing
