// The screen facts as the engine converts a definition's coordinates with
// them.
#pragma once

#include "engine/model/sol_game.h"
#include "platform/screen/screen_facts.h"

namespace cw {

// The facts of `facts`' screen together with this program's build variant.
DisplayMetrics ToDisplayMetrics(const ScreenFacts& facts);

}  // namespace cw
