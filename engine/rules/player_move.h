#pragma once

#include "engine/model/sol_game.h"
#include "engine/rules/action_observer.h"
#include "engine/rules/automatic_events.h"

namespace cw {

// One move as a player makes it: a card move needs a shown source pile and a
// card that may be picked up, then the drop; a tap needs a pile that can be
// tapped. A move that is made is followed by the automatic events. Answers
// whether the move was made.
bool PerformPlayerMove(SolGame& game, const MoveReference& move, ActionObserver* observer);

// The same, telling the move's own changes (its drop or tap event) and the
// automatic ones that follow to different observers, for a view that shows
// the two apart.
bool PerformPlayerMove(SolGame& game, const MoveReference& move, ActionObserver* moveObserver,
                       ActionObserver* automaticObserver);

}  // namespace cw
