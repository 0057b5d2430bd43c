#include "tools/cwdb/source_statements.h"

#include <utility>

#include "tools/cwdb/source_vocabulary.h"

namespace cw {

[[noreturn]] void Fail(const Token& at, std::string message) {
  throw AssemblyFailure{SourceError{at.file, at.line, std::move(message)}};
}

std::string Describe(const Token& token) {
  switch (token.kind) {
    case TokenKind::kWord: return "'" + token.text + "'";
    case TokenKind::kNumber: return token.text;
    case TokenKind::kString: return "a string";
    case TokenKind::kNewline: return "the end of the line";
    default: return "'" + token.text + "'";
  }
}

bool IsIdentifier(std::string_view word) {
  if (word.empty()) return false;
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!letter(word.front())) return false;
  for (char c : word) {
    if (!letter(c) && !(c >= '0' && c <= '9')) return false;
  }
  return true;
}

void CheckNewName(const Token& name) {
  if (!IsIdentifier(name.text)) {
    Fail(name, "'" + name.text + "' is no valid name (letters, digits and _, not starting with a digit)");
  }
  if (name.text == kNoneWord || name.text == kAnyWord) Fail(name, "'" + name.text + "' is a reserved word");
}

}  // namespace cw
