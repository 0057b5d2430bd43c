// cardwright-cli: deals, plays and lists moves of any game without a window.
// Other tools and tests read its output, so the formats are stable.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "engine/database/resource_source.h"

namespace cw {

// Exit statuses: 0 success, 1 a move was refused, 2 bad usage or input.
inline constexpr int kCliOk = 0;
inline constexpr int kCliRefused = 1;
inline constexpr int kCliUsage = 2;

// Runs one command line (without the program name) against the given game
// resources, writing results to `out` and one-line errors to `err`.
int RunCli(const std::vector<std::string>& args, const ResourceSource& resources, std::ostream& out,
           std::ostream& err);

}  // namespace cw
