// The registry side of the end-to-end tests under X: sets up the preferences
// of a first start with a solitaire chosen, and prints the game a slot holds
// as `cardwright-cli play` prints a table, so that a resumed game can be
// compared with the moves made. The registry is the program's own
// (CARDWRIGHT_REGISTRY).
//
// usage: saved_table_tool prepare GAME   the next start deals GAME, unanimated
//        saved_table_tool number         the deal number of the current game
//        saved_table_tool table GAME     the table of GAME's slot, then its state
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/state/saved_game_codec.h"
#include "platform/registry/registry.h"
#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"
#include "shell/preferences.h"
#include "shell/saved_game.h"
#include "tools/cli/table_output.h"

namespace cw {
namespace {

int CataloguePosition(const std::string& name) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
    if (catalogue.entries[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

int Prepare(Registry& registry, const QString& title, int position) {
  Preferences preferences = LoadPreferences(registry, title);
  preferences.curSolId = position;
  preferences.animation = 0;
  SavePreferences(registry, title, preferences);
  return 0;
}

int PrintSavedTable(Registry& registry, const QString& title, int position) {
  SolGame game;
  const auto record = LoadDefinitionRecord(EmbeddedGameResources(), static_cast<std::uint16_t>(position));
  if (!record || !ParseDefinition(game, *record, DisplayMetrics{})) return 2;
  const int slot = FindSlot(registry, title, game.definition.id);
  if (slot == kNoSavedGameSlot) {
    std::cerr << "no saved game\n";
    return 1;
  }
  RegistryKey key;
  if (registry.OpenKey(SavedGameSlotPath(title, slot), &key) != RegStatus::Success) return 1;
  std::uint32_t size = 0;
  if (registry.QueryValue(key, u"data", nullptr, nullptr, &size) != RegStatus::Success) return 1;
  std::vector<std::uint8_t> blob(size);
  if (registry.QueryValue(key, u"data", nullptr, blob.data(), &size) != RegStatus::Success) return 1;
  std::uint32_t elapsed = 0;
  if (!DecodeSavedGame(game, blob, elapsed)) {
    std::cerr << "the saved game is refused\n";
    return 1;
  }
  PrintTable(game, std::cout);
  std::cout << (game.won ? "won" : "playing") << '\n';
  return 0;
}

}  // namespace
}  // namespace cw

int main(int argc, char* argv[]) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  cw::Registry registry;
  const QString title = cw::LoadString(cw::string_id::kProgramTitle);
  if (args.size() == 1 && args[0] == "number") {
    std::cout << cw::LoadPreferences(registry, title).curGameNumber << '\n';
    return 0;
  }
  if (args.size() == 2 && (args[0] == "prepare" || args[0] == "table")) {
    const int position = cw::CataloguePosition(args[1]);
    if (position < 0) {
      std::cerr << "no game '" << args[1] << "'\n";
      return 2;
    }
    return args[0] == "prepare" ? cw::Prepare(registry, title, position)
                                : cw::PrintSavedTable(registry, title, position);
  }
  std::cerr << "usage: saved_table_tool prepare GAME | number | table GAME\n";
  return 2;
}
