// What the stages of the assembler pass on: a source cut into statements,
// and the failure any stage throws at the token it cannot use.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/cwdb/source_tokens.h"

namespace cw {

// One statement: its tokens without line ends, braces balanced. The first
// token is the statement's keyword.
struct Statement {
  std::vector<Token> tokens;
};

// Thrown inside the assembler only; AssembleSource turns it into its result.
struct AssemblyFailure {
  SourceError error;
};

[[noreturn]] void Fail(const Token& at, std::string message);

// A token as a message quotes it.
std::string Describe(const Token& token);

// Letters, digits and _, not starting with a digit.
bool IsIdentifier(std::string_view word);

// Fails unless `name` can name something a source declares.
void CheckNewName(const Token& name);

// Walks the tokens of one statement after its keyword.
class Cursor {
 public:
  explicit Cursor(const Statement& statement) : tokens_(statement.tokens) {}

  bool AtEnd() const { return pos_ >= tokens_.size(); }
  bool PeekIs(TokenKind kind) const { return !AtEnd() && tokens_[pos_].kind == kind; }
  bool PeekWord(std::string_view word) const {
    return PeekIs(TokenKind::kWord) && tokens_[pos_].text == word;
  }
  const Token& Peek() const { return AtEnd() ? tokens_.back() : tokens_[pos_]; }

  const Token& Next(std::string_view what) {
    if (AtEnd()) Fail(tokens_.back(), "'" + tokens_.front().text + "' is missing " + std::string(what));
    return tokens_[pos_++];
  }

  const Token& Expect(TokenKind kind, std::string_view what) {
    const Token& token = Next(what);
    if (token.kind != kind) Fail(token, "expected " + std::string(what) + ", found " + Describe(token));
    return token;
  }

  void ExpectEnd() {
    if (!AtEnd()) Fail(tokens_[pos_], "unexpected " + Describe(tokens_[pos_]) + " after '" +
                                          tokens_.front().text + "' statement");
  }

  // The tokens up to the brace that closes the one just read.
  std::vector<Token> BlockBody() {
    std::vector<Token> body;
    int depth = 1;
    while (!AtEnd()) {
      const Token& token = tokens_[pos_++];
      if (token.kind == TokenKind::kOpenBrace) ++depth;
      if (token.kind == TokenKind::kCloseBrace && --depth == 0) return body;
      body.push_back(token);
    }
    Fail(tokens_.back(), "block is not closed");  // the splitter balances braces
  }

 private:
  const std::vector<Token>& tokens_;
  std::size_t pos_ = 1;
};

}  // namespace cw
