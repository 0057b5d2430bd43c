// ExecuteAction is the one primitive that changes the play state after the
// deal; events fire their actions through it and record them in the journal.
#pragma once

#include <cstdint>

#include "engine/model/sol_game.h"
#include "engine/rules/action_observer.h"

namespace cw {

// Applies one action. With `undoValue` it runs forward and stores the value
// undo needs; without it, it runs as a reversal (shuffles replay backwards
// with the seed in `action.value`). Answers whether the play state changed,
// and tells `observer` (when there is one) what changed.
bool ExecuteAction(SolGame& game, const ActionDef& action, std::uint16_t* undoValue,
                   ActionObserver* observer = nullptr);

// Tries the event's actions from `cursor` in table order and performs the
// first that changes something, recording it when `record` is set; answers
// false when none did. `groupStarted` says whether the player move's first
// journal record has been written.
bool FireEventActions(SolGame& game, std::uint16_t event, bool& groupStarted,
                      std::size_t& cursor, ActionObserver* observer, bool record);

// Uses one unit of the event's counter (recording it); false when used up.
// An event without a counter always passes. `counter` receives the counter
// index or kNoReference.
bool UseCounter(SolGame& game, std::uint16_t event, bool& groupStarted, std::uint16_t& counter,
                bool record);

// Fires the exhausted event of a counter that has reached 0, as
// FireEventActions does; its conditions and counter are not consulted.
bool FireExhaustedEvent(SolGame& game, std::uint16_t counter, bool& groupStarted,
                        std::size_t& cursor, ActionObserver* observer, bool record);

// Fires an event completely: its actions, then its counter's exhausted event,
// telling `observer` what each performed action changed. Answers whether any action
// was performed. Conditions and counter must have been checked by the caller.
bool FireEventCompletely(SolGame& game, std::uint16_t event, std::uint16_t counter,
                         bool& groupStarted, ActionObserver* observer, bool record);

}  // namespace cw
