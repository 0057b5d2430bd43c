#pragma once

#include <cstdint>

#include "engine/model/sol_game.h"

namespace cw {

// Whether the player may pick up the card together with every card above it.
bool CanPickUp(const SolGame& game, std::uint16_t card);
// Whether the cards from `card` to the top of its pile may go onto `pile`.
bool CanDrop(const SolGame& game, std::uint16_t card, std::uint16_t pile);
// Whether tapping the pile would fire its event.
bool CanTap(const SolGame& game, std::uint16_t pile);
// Whether every condition linked to the event passes.
bool ConditionsHold(const SolGame& game, std::uint16_t event);
// Whether the condition of one event-condition link passes.
bool LinkedConditionHolds(const SolGame& game, const EventCondition& link);
// False when the event's counter is used up (the query form of UseCounter).
bool CounterAllows(const SolGame& game, std::uint16_t event);
// Whether some route of the allowed list lets `source` give to `destination`.
bool RouteAllows(const SolGame& game, std::uint16_t source, std::uint16_t destination);

}  // namespace cw
