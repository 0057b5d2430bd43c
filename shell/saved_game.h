// The game in progress, kept in the registry when its solitaire is left and
// resumed, with its undo history and clock, when the solitaire is loaded again.
// Ten slots "gameState0".."gameState9" below the application key hold one game
// each, as the engine's saved-game bytes in "data" with their length in
// "size"; a new solitaire takes the slot written longest ago.
//
// The main window calls:
// - at start and after the chooser, once the definition is parsed:
//   RestoreGame; when it answers false, deal a new game.
// - after every finished move, undo and deal, once a resumed game has been
//   shown, before the chooser opens and on close: SaveGameAndPreferences, so
//   that a program killed at any moment resumes its last finished move.
#pragma once

#include <cstdint>

#include <QString>
#include <QStringView>

#include "engine/model/sol_game.h"
#include "platform/registry/registry.h"
#include "shell/preferences.h"

namespace cw {

// FindSlot's answer when no slot holds the solitaire.
inline constexpr int kNoSavedGameSlot = static_cast<int>(kSavedGameSlotCount);

// The registry path of slot `slot` (0 to 9).
QString SavedGameSlotPath(QStringView programTitle, int slot);

// The slot (0 to 9) whose stored game begins with `id`, or kNoSavedGameSlot.
int FindSlot(Registry& registry, QStringView programTitle, std::uint16_t id);

// Writes the game of the loaded solitaire into its slot, or into the slot
// with the oldest lastPlayed stamp (the highest such slot among equals), and
// stamps that slot with the current time. The slot's key, "size", "data" and
// "failed" are written in one transaction, so an interrupted save leaves the
// slot's old game or the new one. Answers whether the game was written.
bool SaveGame(Registry& registry, QStringView programTitle, const SolGame& game,
              std::uint32_t elapsedSeconds, Preferences& preferences);

// Writes the game (when `game` is not null) and then the preferences, with
// the slot's new lastPlayed stamp, in one transaction: after a crash the
// registry holds both as they were or both as they are.
bool SaveGameAndPreferences(Registry& registry, QStringView programTitle, const SolGame* game,
                            std::uint32_t elapsedSeconds, Preferences& preferences);

// Resumes the saved game of the loaded solitaire. The slot is marked "failed"
// until the next save of the game clears the mark; a slot still marked at the
// next attempt (the program ended while the resumed game was being shown) is
// deleted instead. Answers false, with
// no play state left, when there is nothing usable to resume.
bool RestoreGame(Registry& registry, QStringView programTitle, SolGame& game,
                 std::uint32_t& elapsedSeconds);

}  // namespace cw
