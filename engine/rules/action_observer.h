#pragma once

#include "engine/database/record_layout.h"

namespace cw {

// Receives every action the engine performs on behalf of an event, in the
// order of execution: a copy of the ActionDef whose `value` holds the number
// of cards moved (moves) or the seed used (shuffles). The table view replays
// them on its own copy of the table.
class ActionObserver {
 public:
  virtual ~ActionObserver() = default;
  virtual void ActionPerformed(const ActionDef& performed) = 0;
};

}  // namespace cw
