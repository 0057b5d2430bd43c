// Tokens of the game source format. A source is words, numbers, quoted
// strings, braces, parentheses and commas; `#` starts a comment that runs to
// the end of the line; line ends are tokens because a statement ends with
// its line (unless a brace is still open).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cw {

// A problem in a source, with the place it was found.
struct SourceError {
  std::string file;
  int line = 0;  // 0 when the problem is not tied to a line
  std::string message;

  std::string ToString() const;
};

enum class TokenKind { kWord, kNumber, kString, kOpenBrace, kCloseBrace, kOpenParen, kCloseParen, kComma, kNewline };

struct Token {
  TokenKind kind = TokenKind::kWord;
  std::string text;         // the word, or the string's bytes with escapes resolved
  std::int64_t number = 0;  // kNumber only
  std::string file;
  int line = 0;
};

struct TokenizeResult {
  std::vector<Token> tokens;
  std::optional<SourceError> error;
};

// Numbers are decimal or 0x hexadecimal, optionally negative. Strings take
// the escapes \n \t \\ \" and \xHH (exactly two hex digits).
TokenizeResult Tokenize(std::string_view text, const std::string& file);

// Hands `entry` the tokens of each line that has any, in order, and stops at
// the first line it refuses; answers whether it took every line.
bool ForEachTokenLine(const std::vector<Token>& tokens,
                      const std::function<bool(const std::vector<Token>&)>& entry);

// Reads a whole source file; none when it cannot be read.
std::optional<std::string> ReadTextFile(const std::filesystem::path& path);

// A string as the tokenizer reads it back: quoted, with every byte that is
// not printable ASCII escaped.
std::string QuoteString(std::string_view bytes);

}  // namespace cw
