#pragma once

#include <cstdint>
#include <string>

#include "engine/model/sol_game.h"

namespace cw {

// The probe step of the dealer for a deck of n cards: 7, 11, 13 or 17, the
// first that does not divide n, else 1.
std::uint32_t DealProbeStep(std::uint32_t cardCount);

// How the dealer orders the deck for a number.
enum class DealOrder {
  // The program's own deals: the same number always names the same deal.
  kByNumber,
  // Every order of the deck (within each deal group) equally likely, drawn
  // from a generator seeded with the number. The program's deals are not
  // drawn so, and some games are won more or less often in them than in
  // shuffled decks; this is for measuring against surveys of shuffled decks.
  kShuffled,
};

// Builds a fresh play state for `gameNumber`; a number of 0 is first replaced
// by a random one (written back). Answers false, leaving no play state, when
// the definition cannot be dealt (deal counts that do not add up to the deck
// or a deal group with too few cards).
bool Deal(SolGame& game, std::uint32_t& gameNumber, std::string* error = nullptr,
          DealOrder order = DealOrder::kByNumber);

// The number a new random game gets: four draws after seeding with `ticks`.
std::uint32_t ChooseGameNumber(RuntimeRandom& random, std::uint32_t ticks);

}  // namespace cw
