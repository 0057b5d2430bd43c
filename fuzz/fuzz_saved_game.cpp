// Arbitrary bytes as the "data" of a saved-game slot: the restore must refuse
// them or give a play state that can be played, undone and saved again, and
// never crash or read past the bytes.
//
// Input: the bytes of "data", stored with a matching "size". The game whose
// id the first two bytes name is loaded (FreeCell when none matches), so that
// the bytes reach the checks past the owner test.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <span>
#include <vector>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/rules/automatic_events.h"
#include "engine/rules/moves.h"
#include "platform/registry/registry.h"
#include "shell/saved_game.h"

namespace {

constexpr QStringView kTitle = u"TW Tarrow";
constexpr std::size_t kFreeCellIndex = 9;

// Every registry write is a synced transaction; on a memory file system the
// sync costs nothing, which makes the target several times faster.
QString ScratchDirectory() {
  const QFileInfo memory(QStringLiteral("/dev/shm"));
  return memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath();
}

cw::Registry& FuzzRegistry() {
  static QTemporaryDir directory(ScratchDirectory() + QStringLiteral("/cardwright-fuzz-XXXXXX"));
  static cw::Registry registry(directory.filePath(QStringLiteral("registry.sqlite3")));
  return registry;
}

// The parsed definitions of every game, by id, and the index of FreeCell's.
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
  if (size > cw::kMaxSavedGameBytes) return 0;
  cw::Registry& registry = FuzzRegistry();
  if (!registry.IsOpen()) std::abort();
  const Definitions& definitions = LoadDefinitions();

  const std::uint16_t owner =
      size >= 2 ? static_cast<std::uint16_t>(data[0] | (data[1] << 8)) : 0;
  const auto known = definitions.byId.find(owner);
  cw::SolGame game =
      known != definitions.byId.end() ? known->second : definitions.byId.at(definitions.freeCellId);

  const QString path = cw::SavedGameSlotPath(kTitle, 0);
  registry.DeleteKey(path);
  cw::RegistryKey key;
  if (registry.CreateKey(path, cw::kAppDataClass, &key, nullptr) != cw::RegStatus::Success) {
    std::abort();
  }
  std::uint8_t length[4];
  for (std::size_t i = 0; i < 4; ++i) length[i] = static_cast<std::uint8_t>(size >> (8 * i));
  const std::uint8_t notFailed[1] = {0};
  const cw::RegValueWrite values[] = {
      {u"size", cw::RegType::Dword, std::span<const std::uint8_t>(length)},
      {u"data", cw::RegType::Binary, std::span<const std::uint8_t>(data, size)},
      {u"failed", cw::RegType::Binary, std::span<const std::uint8_t>(notFailed)}};
  if (registry.SetValues(key, values) != cw::RegStatus::Success) std::abort();

  std::uint32_t elapsed = 0;
  if (!cw::RestoreGame(registry, kTitle, game, elapsed)) {
    if (game.HasPlayState()) std::abort();
    return 0;
  }
  // What was accepted can be saved and restored again unchanged.
  const std::vector<std::uint8_t> again = cw::EncodeSavedGame(game, elapsed);
  cw::SolGame copy = game;
  std::uint32_t elapsedAgain = 0;
  if (!cw::DecodeSavedGame(copy, again, elapsedAgain) || elapsedAgain != elapsed ||
      copy.cards != game.cards || copy.piles != game.piles) {
    std::abort();
  }
  // And it can be played and undone.
  cw::ListMoves(game);
  while (cw::UndoMove(game)) {
  }
  return 0;
}
