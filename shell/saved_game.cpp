#include "shell/saved_game.h"

#include <array>
#include <ctime>
#include <span>
#include <vector>

#include "engine/database/byte_io.h"
#include "engine/state/saved_game_codec.h"

namespace cw {
namespace {

bool WriteSlot(Registry& registry, const QString& path, std::span<const std::uint8_t> blob) {
  RegistryKey key;
  if (registry.CreateKey(path, kAppDataClass, &key, nullptr) != RegStatus::Success) return false;
  ByteWriter size;
  size.U32(static_cast<std::uint32_t>(blob.size()));
  const std::array<std::uint8_t, 1> notFailed = {0};
  const RegValueWrite values[] = {{u"size", RegType::Dword, size.View()},
                                  {u"data", RegType::Binary, blob},
                                  {u"failed", RegType::Binary, notFailed}};
  return registry.SetValues(key, values) == RegStatus::Success;
}

}  // namespace

QString SavedGameSlotPath(QStringView programTitle, int slot) {
  return ApplicationKey(programTitle) + QStringLiteral("\\gameState") + QString::number(slot);
}

int FindSlot(Registry& registry, QStringView programTitle, std::uint16_t id) {
  for (int slot = 0; slot < kNoSavedGameSlot; ++slot) {
    RegistryKey key;
    if (registry.OpenKey(SavedGameSlotPath(programTitle, slot), &key) != RegStatus::Success) {
      continue;
    }
    std::array<std::uint8_t, kSavedGameOwnerBytes> owner{};
    std::uint32_t size = owner.size();
    const RegStatus status = registry.QueryValue(key, u"data", nullptr, owner.data(), &size);
    const bool read = (status == RegStatus::Success || status == RegStatus::MoreData) &&
                      size >= owner.size();
    if (read && SavedGameOwner(owner) == id) return slot;
  }
  return kNoSavedGameSlot;
}

bool SaveGame(Registry& registry, QStringView programTitle, const SolGame& game,
              std::uint32_t elapsedSeconds, Preferences& preferences) {
  if (!game.HasDefinition() || !game.HasPlayState()) return false;
  int slot = FindSlot(registry, programTitle, game.definition.id);
  if (slot == kNoSavedGameSlot) {
    // The oldest stamp; among equal stamps the highest slot, so that slots are
    // first taken from 9 downwards.
    slot = 0;
    for (int s = 0; s < kNoSavedGameSlot; ++s) {
      if (preferences.lastPlayed[static_cast<std::size_t>(s)] <=
          preferences.lastPlayed[static_cast<std::size_t>(slot)]) {
        slot = s;
      }
    }
  }
  // A new slot's key is created in the same transaction as its values, so that
  // a save cut short never leaves a slot without its game. Inside a caller's
  // batch the writes join that one.
  const bool ownBatch = registry.BeginBatch() == RegStatus::Success;
  bool written = WriteSlot(registry, SavedGameSlotPath(programTitle, slot),
                           EncodeSavedGame(game, elapsedSeconds));
  if (ownBatch) written = registry.CommitBatch() == RegStatus::Success && written;
  if (!written) return false;
  preferences.lastPlayed[static_cast<std::size_t>(slot)] =
      static_cast<std::uint32_t>(std::time(nullptr));
  return true;
}

bool SaveGameAndPreferences(Registry& registry, QStringView programTitle, const SolGame* game,
                            std::uint32_t elapsedSeconds, Preferences& preferences) {
  if (registry.BeginBatch() != RegStatus::Success) return false;
  if (game != nullptr) SaveGame(registry, programTitle, *game, elapsedSeconds, preferences);
  SavePreferences(registry, programTitle, preferences);
  return registry.CommitBatch() == RegStatus::Success;
}

bool RestoreGame(Registry& registry, QStringView programTitle, SolGame& game,
                 std::uint32_t& elapsedSeconds) {
  game.FreePlayState();
  if (!game.HasDefinition()) return false;
  const int slot = FindSlot(registry, programTitle, game.definition.id);
  if (slot == kNoSavedGameSlot) return false;
  const QString path = SavedGameSlotPath(programTitle, slot);
  RegistryKey key;
  if (registry.OpenKey(path, &key) != RegStatus::Success) return false;

  std::array<std::uint8_t, 1> failed{};
  std::uint32_t failedSize = failed.size();
  if (registry.QueryValue(key, u"failed", nullptr, failed.data(), &failedSize) ==
          RegStatus::Success &&
      failedSize == 1 && failed[0] != 0) {
    // The last restore of this slot was never followed by a save.
    registry.DeleteKey(path);
    return false;
  }
  const std::array<std::uint8_t, 1> marker = {1};
  registry.SetValue(key, u"failed", RegType::Binary, marker);

  std::array<std::uint8_t, 4> sizeBytes{};
  std::uint32_t sizeLength = sizeBytes.size();
  std::uint32_t size = 0;
  if (registry.QueryValue(key, u"size", nullptr, sizeBytes.data(), &sizeLength) !=
          RegStatus::Success ||
      sizeLength != sizeBytes.size() || !ByteReader(sizeBytes).U32(size) ||
      size > kMaxSavedGameBytes) {
    return false;
  }
  std::vector<std::uint8_t> blob(size);
  std::uint32_t read = size;
  if (registry.QueryValue(key, u"data", nullptr, blob.data(), &read) != RegStatus::Success ||
      read != size) {
    return false;
  }
  return DecodeSavedGame(game, blob, elapsedSeconds);
}

}  // namespace cw
