// The game in progress, kept in the registry when its solitaire is left and
// resumed, with its undo history and clock, when the solitaire is loaded again.
// Ten slots "gameState0".."gameState9" below the application key hold one game
// each; a new solitaire takes the slot written longest ago.
//
// The main window calls:
// - at start and after the chooser, once the definition is parsed:
//   RestoreGame; when it answers false, deal a new game.
// - after every finished move, undo and deal, once a resumed game has been
//   shown, before the chooser opens and on close: SaveGameAndPreferences, so
//   that a program killed at any moment resumes its last finished move.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include <QString>
#include <QStringView>

#include "engine/model/sol_game.h"
#include "platform/registry/registry.h"
#include "shell/preferences.h"

namespace cw {

// FindSlot's answer when no slot holds the solitaire.
inline constexpr int kNoSavedGameSlot = static_cast<int>(kSavedGameSlotCount);

// A stored game longer than this is refused unread: a million journal records
// lie far beyond any game a player could make.
inline constexpr std::uint32_t kMaxSavedGameBytes = 16u << 20;

// The registry path of slot `slot` (0 to 9).
QString SavedGameSlotPath(QStringView programTitle, int slot);

// The play state of `game` and its clock in the stored layout: id, clock,
// card states, pile states, allowed moves, counters, four reserved bytes, the
// won flag and the journal, every field little-endian. Precondition: `game`
// has a play state.
std::vector<std::uint8_t> EncodeSavedGame(const SolGame& game, std::uint32_t elapsedSeconds);

// Replaces the play state of `game` with a stored game of its definition.
// A blob that belongs to another solitaire, does not have exactly the length
// its counts ask for, holds an inconsistent table (a card outside the piles,
// positions with gaps or doubles, counts that disagree with the cards, values
// no game can reach) or a journal that does not undo cleanly back to a
// consistent table is refused: `game` is then left without a play state and
// `elapsedSeconds` unchanged.
bool DecodeSavedGame(SolGame& game, std::span<const std::uint8_t> blob,
                     std::uint32_t& elapsedSeconds);

// The slot (0 to 9) whose stored game begins with `id`, or kNoSavedGameSlot.
int FindSlot(Registry& registry, QStringView programTitle, std::uint16_t id);

// Writes the game of the loaded solitaire into its slot, or into the slot
// with the oldest lastPlayed stamp (the highest such slot among equals), and
// stamps that slot with the current time. "size", "data" and "failed" are
// written in one transaction, so an interrupted save leaves the slot's old
// game or the new one. Answers whether the game was written.
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
