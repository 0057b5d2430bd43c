// The player's moves and their undo.
#pragma once

#include <cstdint>

#include "engine/model/sol_game.h"
#include "engine/rules/action_observer.h"

namespace cw {

// Moves the card and every card above it onto `pile`, then fires the pile's
// drop event; `observer` hears the move first, then what the event changed.
// Answers false, changing nothing, when the move is not allowed.
bool DropCards(SolGame& game, std::uint16_t card, std::uint16_t pile, ActionObserver* observer);

// Fires the pile's tap event (its empty-tap event when the pile is empty).
// Answers true when at least one action was performed.
bool TapPile(SolGame& game, std::uint16_t pile, ActionObserver* observer);

// Reverses the newest journal record and removes it; answers its groupStart
// flag. `observer` hears what taking back an action or a player move changed.
// Precondition: the journal is not empty.
bool UndoStep(SolGame& game, ActionObserver* observer = nullptr);

// Takes back the last player move and everything automatic that followed it.
// Answers false, changing nothing, when the journal is empty.
bool UndoMove(SolGame& game, ActionObserver* observer = nullptr);

}  // namespace cw
