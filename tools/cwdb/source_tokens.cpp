#include "tools/cwdb/source_tokens.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace cw {
namespace {

// Far beyond any field (the widest is 16 bits), small enough never to overflow.
constexpr std::int64_t kNumberLimit = std::int64_t{1} << 40;

bool IsWordChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u > ' ' && c != '{' && c != '}' && c != '(' && c != ')' && c != ',' && c != '"' &&
         c != '#' && u != 0x7F;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The number a word spells, none when it is no number (such a word is a name).
// `tooLarge` is set for a number beyond kNumberLimit.
std::optional<std::int64_t> ParseNumber(std::string_view word, bool& tooLarge) {
  tooLarge = false;
  bool negative = false;
  if (!word.empty() && word.front() == '-') {
    negative = true;
    word.remove_prefix(1);
  }
  int base = 10;
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    base = 16;
    word.remove_prefix(2);
  }
  if (word.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : word) {
    const int digit = HexDigit(c);
    if (digit < 0 || digit >= base) return std::nullopt;
    if (!tooLarge) value = value * base + digit;
    if (value > kNumberLimit) tooLarge = true;
  }
  return negative ? -value : value;
}

}  // namespace

std::string SourceError::ToString() const {
  std::string out = file;
  if (line > 0) out += ":" + std::to_string(line);
  return out + ": " + message;
}

TokenizeResult Tokenize(std::string_view text, const std::string& file) {
  TokenizeResult result;
  int line = 1;
  auto fail = [&](int atLine, std::string message) {
    result.error = SourceError{file, atLine, std::move(message)};
    result.tokens.clear();
    return result;
  };
  auto push = [&](TokenKind kind, std::string tokenText) {
    result.tokens.push_back(Token{kind, std::move(tokenText), 0, file, line});
  };
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\n') {
      push(TokenKind::kNewline, "end of line");
      ++line;
      ++i;
    } else if (c == '#') {
      while (i < text.size() && text[i] != '\n') ++i;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '{' || c == '}' || c == '(' || c == ')' || c == ',') {
      const TokenKind kind = c == '{'   ? TokenKind::kOpenBrace
                             : c == '}' ? TokenKind::kCloseBrace
                             : c == '(' ? TokenKind::kOpenParen
                             : c == ')' ? TokenKind::kCloseParen
                                        : TokenKind::kComma;
      push(kind, std::string(1, c));
      ++i;
    } else if (c == '"') {
      const int startLine = line;
      std::string bytes;
      ++i;
      bool closed = false;
      while (i < text.size()) {
        const char s = text[i];
        if (s == '"') {
          closed = true;
          ++i;
          break;
        }
        if (s == '\n') break;
        if (s != '\\') {
          bytes += s;
          ++i;
          continue;
        }
        if (i + 1 >= text.size()) break;
        const char e = text[i + 1];
        if (e == 'n') {
          bytes += '\n';
          i += 2;
        } else if (e == 't') {
          bytes += '\t';
          i += 2;
        } else if (e == '\\' || e == '"') {
          bytes += e;
          i += 2;
        } else if (e == 'x' && i + 3 < text.size() && HexDigit(text[i + 2]) >= 0 &&
                   HexDigit(text[i + 3]) >= 0) {
          bytes += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
          i += 4;
        } else {
          return fail(line, "unknown escape in string (use \\n, \\t, \\\\, \\\" or \\xHH)");
        }
      }
      if (!closed) return fail(startLine, "unterminated string");
      result.tokens.push_back(Token{TokenKind::kString, std::move(bytes), 0, file, startLine});
    } else if (IsWordChar(c)) {
      const std::size_t start = i;
      while (i < text.size() && IsWordChar(text[i])) ++i;
      std::string word(text.substr(start, i - start));
      bool tooLarge = false;
      const auto number = ParseNumber(word, tooLarge);
      if (tooLarge) return fail(line, "number " + word + " is too large");
      if (number) {
        result.tokens.push_back(Token{TokenKind::kNumber, std::move(word), *number, file, line});
      } else {
        push(TokenKind::kWord, std::move(word));
      }
    } else {
      return fail(line, "unexpected character (byte " + std::to_string(static_cast<unsigned char>(c)) + ")");
    }
  }
  return result;
}

std::string QuoteString(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u >= 0x7F) {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

bool ForEachTokenLine(const std::vector<Token>& tokens,
                      const std::function<bool(const std::vector<Token>&)>& entry) {
  std::vector<Token> line;
  for (const Token& token : tokens) {
    if (token.kind != TokenKind::kNewline) {
      line.push_back(token);
      continue;
    }
    if (!line.empty() && !entry(line)) return false;
    line.clear();
  }
  return line.empty() || entry(line);
}

std::optional<std::string> ReadTextFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(text).str();
}

}  // namespace cw
