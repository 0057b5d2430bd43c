// The saved game: the play state of a game and its clock as bytes, the form
// in which a game in progress outlives the program. Every field is
// little-endian, in this order: the definition's id (2 bytes), the clock in
// seconds (4), the card states (8 each), the pile states (32 each), the
// allowed routes (a 2-byte count, 4 each), the counters (4 each), four
// reserved bytes, the won flag (1) and the journal (a 4-byte count, 16 each).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/model/sol_game.h"

namespace cw {

// Saved bytes longer than this are refused unread: a million journal records
// lie far beyond any game a player could make.
inline constexpr std::uint32_t kMaxSavedGameBytes = 16u << 20;

// How many leading bytes name the game a saved game belongs to.
inline constexpr std::size_t kSavedGameOwnerBytes = 2;

// The id of the definition whose game `bytes` hold, read from their first
// kSavedGameOwnerBytes; none when there are fewer.
std::optional<std::uint16_t> SavedGameOwner(std::span<const std::uint8_t> bytes);

// The play state of `game` and its clock as saved bytes. Precondition: `game`
// has a play state.
std::vector<std::uint8_t> EncodeSavedGame(const SolGame& game, std::uint32_t elapsedSeconds);

// Replaces the play state of `game` with a saved game of its definition.
// Bytes that belong to another game, do not have exactly the length their
// counts ask for, hold a table that fails CheckTable or a journal that fails
// CheckJournal are refused: `game` is then left without a play state and
// `elapsedSeconds` unchanged. Pile pixel places are taken from the definition,
// since they belong to this display rather than the one the game was saved on.
bool DecodeSavedGame(SolGame& game, std::span<const std::uint8_t> bytes,
                     std::uint32_t& elapsedSeconds);

}  // namespace cw
