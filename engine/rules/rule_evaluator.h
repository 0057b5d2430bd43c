#pragma once

#include <cstdint>
#include <span>

#include "engine/rules/card_list.h"

namespace cw {

inline constexpr std::size_t kEvaluatorStackSize = 500;
inline constexpr std::size_t kEvaluatorVariableSize = 200;

// Runs a rule program (its bytes, ending at the first zero byte or at the end
// of the span) over list A and, if given, list B. Answers true when the
// program passes, that is leaves 0 on top of its stack. A program that would
// leave its bounds (stack, variables, cursors, lists, jumps) fails instead.
bool EvaluateRule(std::span<const std::uint8_t> program, const CardList& listA,
                  const CardList* listB);

}  // namespace cw
