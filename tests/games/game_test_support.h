// Shared helpers of the game tests: load a game of the real database by
// name, deal it as the program does, make moves as a player does, compare
// play states and play a game out with a bounded automatic player.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/model/sol_game.h"
#include "engine/rules/automatic_events.h"
#include <gtest/gtest.h>

namespace cw::testing {

// Loads the named game from the embedded database; none when it is absent
// or does not parse.
std::optional<SolGame> LoadGame(const std::string& name);

// Loads and deals `number` with the game-start events and open flags.
std::optional<SolGame> DealGame(const std::string& name, std::uint32_t number);

// The cards of a pile from the bottom up.
std::vector<std::uint16_t> PileCards(const SolGame& game, std::uint16_t pile);

// Card number of (suit 1-4, rank 1-13) in the first deck.
constexpr std::uint16_t CardNumber(int suit, int rank) {
  return static_cast<std::uint16_t>(13 * (suit - 1) + rank - 1);
}

// Puts the given cards (bottom up) on a pile, taking them from wherever they
// lie and closing the gaps they leave; face up, movable, open flags redone.
// For arranging positions in rule tests.
void ArrangePile(SolGame& game, std::uint16_t pile, const std::vector<std::uint16_t>& cards);

// Every legal move of the position, in search order.
std::vector<MoveReference> LegalMoves(const SolGame& game);

// A card move or tap as the player makes it, followed by the automatic events.
bool Play(SolGame& game, const MoveReference& move);

// Everything of the play state that undo must restore.
struct PlaySnapshot {
  std::vector<CardState> cards;
  std::vector<PileState> piles;
  std::vector<MovePair> allowedMoves;
  std::vector<CounterState> counters;
  std::uint8_t won = 0;
  std::uint32_t journalCount = 0;
  bool operator==(const PlaySnapshot&) const = default;
};
PlaySnapshot Snapshot(const SolGame& game);

// The engine's table check as a test assertion, failing with its problem.
::testing::AssertionResult TableIsConsistent(const SolGame& game);

struct PlayOutResult {
  bool won = false;
  bool stuck = false;  // no legal move left
  int moves = 0;
};

// Plays up to `maxMoves` moves, preferring moves onto `preferredPiles` (the
// foundations) and otherwise a random legal move; checks undo of every move
// restores the exact earlier state when `checkUndo` is set.
PlayOutResult PlayOut(SolGame& game, int maxMoves, std::mt19937& rng,
                      const std::vector<std::uint16_t>& preferredPiles, bool checkUndo = false);

}  // namespace cw::testing
