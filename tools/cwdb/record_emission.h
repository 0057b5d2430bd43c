// What statements add to a record: the bytes of a program from its words,
// and entries of the record's tables, each within what the record format can
// hold. Failures are thrown as AssemblyFailure at the token responsible.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/cwdb/source_preprocessor.h"

namespace cw {

// A table's count is a 16-bit header field.
inline constexpr std::size_t kMaxTableSize = 65535;

template <typename Element>
void AppendEntry(std::vector<Element>& table, Element element, const Token& at, std::string_view what) {
  if (table.size() >= kMaxTableSize) Fail(at, "too many " + std::string(what));
  table.push_back(std::move(element));
}

// Emits the programs of one source: instructions (PUSH with its value and an
// optional `marker` byte), `BYTE` values and macro uses.
class ProgramEmitter {
 public:
  // Resolves an operand byte, `what` naming it in messages.
  using ByteOperand = std::function<std::uint8_t(const Token& token, std::string_view what)>;

  ProgramEmitter(const ProgramMacros& macros, ByteOperand byteOperand)
      : macros_(macros), byteOperand_(std::move(byteOperand)) {}

  // The bytes of the program whose body is `body`; `keyword` is the program
  // statement's, where a program too long for the record is reported.
  std::vector<std::uint8_t> Emit(const std::vector<Token>& body, const Token& keyword);

 private:
  void EmitWords(const std::vector<Token>& tokens, std::vector<std::uint8_t>& out, int depth);

  const ProgramMacros& macros_;
  ByteOperand byteOperand_;
  std::size_t emittedTokens_ = 0;  // program words read in the source, macro expansions included
};

}  // namespace cw
