// Arbitrary bytes as a saved game: the decoder must refuse them or give a
// play state that passes the table check, saves again to bytes that decode to
// the same state, and can be played and undone back to a consistent deal,
// never crashing or reading past the bytes.
//
// The game whose id the first two bytes name is loaded (FreeCell when none
// matches), so that the bytes reach the checks past the owner test.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <span>
#include <vector>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/rules/automatic_events.h"
#include "engine/rules/moves.h"
#include "engine/state/saved_game_codec.h"
#include "engine/state/table_check.h"

namespace {

constexpr std::size_t kFreeCellIndex = 9;

// The parsed definitions of every game, by id, and the id of FreeCell's.
struct Definitions {
  std::map<std::uint16_t, cw::SolGame> byId;
  std::uint16_t freeCellId = 0;
};

const Definitions& LoadDefinitions() {
  static const Definitions definitions = [] {
    Definitions loaded;
    for (std::size_t index = 0; index < cw::kCatalogueSize; ++index) {
      const auto bytes =
          cw::LoadDefinitionRecord(cw::EmbeddedGameResources(), static_cast<std::uint16_t>(index));
      cw::SolGame game;
      if (!bytes || !cw::ParseDefinition(game, *bytes, cw::DisplayMetrics{})) std::abort();
      if (index == kFreeCellIndex) loaded.freeCellId = game.definition.id;
      loaded.byId.emplace(game.definition.id, std::move(game));
    }
    return loaded;
  }();
  return definitions;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const Definitions& definitions = LoadDefinitions();
  const auto known = definitions.byId.find(cw::SavedGameOwner(bytes).value_or(0));
  cw::SolGame game =
      known != definitions.byId.end() ? known->second : definitions.byId.at(definitions.freeCellId);

  std::uint32_t elapsed = 0;
  if (!cw::DecodeSavedGame(game, bytes, elapsed)) {
    if (game.HasPlayState()) std::abort();
    return 0;
  }
  if (!cw::CheckTable(game) || !cw::CheckJournal(game)) std::abort();
  // What was accepted can be saved and restored again unchanged.
  const std::vector<std::uint8_t> again = cw::EncodeSavedGame(game, elapsed);
  cw::SolGame copy = game;
  std::uint32_t elapsedAgain = 0;
  if (!cw::DecodeSavedGame(copy, again, elapsedAgain) || elapsedAgain != elapsed ||
      copy.cards != game.cards || copy.piles != game.piles ||
      copy.journal->Records() != game.journal->Records() ||
      cw::EncodeSavedGame(copy, elapsedAgain) != again) {
    std::abort();
  }
  // And it can be played and undone.
  cw::ListMoves(game);
  while (cw::UndoMove(game)) {
  }
  if (!cw::CheckTable(game)) std::abort();
  return 0;
}
