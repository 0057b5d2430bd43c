// Rule programs are pure functions of their bytes and card lists, so their
// answers can be remembered: a small direct-mapped table per thread, keyed by
// two independent 64-bit hashes of the program and both lists.
#pragma once

#include <cstdint>
#include <span>

#include "engine/rules/card_list.h"

namespace cw {

// The answer EvaluateRule gives, from the table when the same program ran on
// the same lists before on this thread.
bool EvaluateRuleRemembered(std::span<const std::uint8_t> program, const CardList& listA,
                            const CardList* listB);

}  // namespace cw
