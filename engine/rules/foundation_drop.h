// Sending a card home: the foundation a card may go to, as a double-click on
// it asks.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/model/sol_game.h"

namespace cw {

// Whether the pile is a foundation: a shown pile that draws its base mark.
bool IsFoundation(const SolGame& game, std::uint16_t pile);

// The first foundation, in pile order, where the player may move the card
// (with the cards above it) as a move of its own; none when there is none
// and for a card that already lies on a foundation.
std::optional<std::uint16_t> FirstFoundationDrop(const SolGame& game, std::uint16_t card);

}  // namespace cw
