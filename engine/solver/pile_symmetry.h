// Which piles a definition treats alike: two piles are interchangeable when
// swapping their numbers everywhere in the definition (events with their
// actions and conditions, counters, the piles' own events and kinds) gives
// back the same definition, and no route names either of them. What cannot
// tell piles apart is left out of the comparison: the game-start events,
// which have fired before play begins; the piles named by a condition whose
// program reads no cards; the order of neighbouring actions that each set
// something of a different pile; and, for piles that hold one card at most,
// whether they are squared or fanned.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/model/sol_game.h"

namespace cw {

// For each pile, the smallest pile number interchangeable with it (itself
// when there is none).
std::vector<std::uint16_t> InterchangeablePileClasses(const GameDefinition& definition);

// Whether two piles agree in every setting play may read, apart from their
// cards: two interchangeable piles alike in these and holding cards alike
// play alike.
bool SameSettingsApartFromCards(const PileState& a, const PileState& b);

}  // namespace cw
