// The text-level stage of the assembler. It cuts a source's tokens into
// statements, reading included files, expanding `repeat` blocks with their
// `$variable` pasting and working out bracketed arithmetic ([10+20*3]); and
// it keeps the macros that program bodies use by name.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tools/cwdb/source_statements.h"

namespace cw {

// The statements of a source; `include` names files relative to
// `includeDirectory`. Throws AssemblyFailure.
std::vector<Statement> PreprocessSource(const std::vector<Token>& tokens,
                                        const std::filesystem::path& includeDirectory);

// The macros of one source: each defined once anywhere in it by a `macro`
// statement, and used by name (with arguments in parentheses) in programs.
class ProgramMacros {
 public:
  // Adds the macro a `macro` statement defines.
  void Define(const Statement& statement);

  // The words a use of the macro named by `use` stands for, its arguments put
  // in. The arguments, if any, start at tokens[i]; `i` moves past them.
  // `depth` counts the expansions the use lies in.
  std::vector<Token> Expand(const Token& use, const std::vector<Token>& tokens, std::size_t& i, int depth) const;

 private:
  struct Macro {
    std::vector<std::string> parameters;
    std::vector<Token> body;
  };
  std::map<std::string, Macro, std::less<>> macros_;
};

}  // namespace cw
