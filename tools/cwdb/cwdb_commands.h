// The cwdb command line, callable in-process:
//   cwdb asm FILE.cwg -o FILE.rec
//   cwdb disasm FILE.rec [-o FILE.cwg]
//   cwdb build --catalogue LIST --out-cpp FILE.cpp [--out-db FILE.db]
//   cwdb check [--catalogue LIST] [--expect COUNTS] [FILE.cwg|FILE.rec ...]
//   cwdb dump --catalogue LIST GAME
#pragma once

#include <ostream>
#include <span>
#include <string>

namespace cw {

// Runs one command; answers the exit status (0 success, 1 a problem found in
// the input, 2 a usage error).
int RunCwdb(std::span<const std::string> arguments, std::ostream& out, std::ostream& err);

}  // namespace cw
