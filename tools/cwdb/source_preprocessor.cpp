#include "tools/cwdb/source_preprocessor.h"

#include <algorithm>
#include <utility>

#include "engine/rules/instruction_set.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxIncludeDepth = 16;
constexpr int kMaxMacroDepth = 32;

// Far above any game, low enough that no source can make the assembler run
// for long or fill memory (nested repeats and macros multiply).
constexpr std::size_t kMaxExpandedTokens = std::size_t{1} << 18;

struct StatementSink {
  std::vector<Statement> statements;
  std::size_t expandedTokens = 0;  // tokens written out by repeats so far
};

void SplitTokens(const std::vector<Token>& tokens, const fs::path& includeDirectory, int depth,
                 StatementSink& out);

std::string LineOf(const Token& token) { return token.file + ":" + std::to_string(token.line); }

// The value of a bracketed word such as [10+20*3]: integers with + - * /,
// multiplication and division first, left to right. Every intermediate value
// stays within +-2^40, far beyond any field, so nothing can overflow.
std::int64_t Arithmetic(const Token& token) {
  constexpr std::int64_t kLimit = std::int64_t{1} << 40;
  const std::string& text = token.text;
  std::size_t pos = 1;
  const std::size_t end = text.size() - 1;
  const auto bounded = [&](std::int64_t value) {
    if (value > kLimit || value < -kLimit) Fail(token, "a value in " + text + " is too large");
    return value;
  };
  const auto number = [&]() -> std::int64_t {
    bool negative = false;
    if (pos < end && text[pos] == '-') {
      negative = true;
      ++pos;
    }
    const std::size_t start = pos;
    std::int64_t value = 0;
    while (pos < end && text[pos] >= '0' && text[pos] <= '9') value = bounded(value * 10 + (text[pos++] - '0'));
    if (pos == start) Fail(token, "expected a number in " + text);
    return negative ? -value : value;
  };
  const auto term = [&]() -> std::int64_t {
    std::int64_t value = number();
    while (pos < end && (text[pos] == '*' || text[pos] == '/')) {
      const char op = text[pos++];
      const std::int64_t right = number();
      if (op == '/' && right == 0) Fail(token, "division by zero in " + text);
      // Both factors are within 2^40; their product is checked in a wider type.
      const long double product = static_cast<long double>(value) * static_cast<long double>(right);
      if (op == '*' && (product > static_cast<long double>(kLimit) || product < -static_cast<long double>(kLimit))) {
        Fail(token, "a value in " + text + " is too large");
      }
      value = op == '*' ? value * right : value / right;
    }
    return value;
  };
  std::int64_t value = term();
  while (pos < end && (text[pos] == '+' || text[pos] == '-')) {
    const char op = text[pos++];
    const std::int64_t right = term();
    value = bounded(op == '+' ? value + right : value - right);
  }
  if (pos != end) Fail(token, "cannot read " + text + " (integers and + - * / only)");
  return value;
}

// Replaces `$name` in the words of `tokens` by the values of `variables`. A
// word that is exactly `$name` becomes the value's token; a longer word
// takes the value's text (column$c gives column3).
std::vector<Token> Substitute(const std::vector<Token>& tokens, const std::vector<std::string>& names,
                              const std::vector<Token>& values) {
  std::vector<Token> result;
  result.reserve(tokens.size());
  for (const Token& token : tokens) {
    if (token.kind != TokenKind::kWord || token.text.find('$') == std::string::npos) {
      result.push_back(token);
      continue;
    }
    std::string text;
    std::optional<Token> whole;
    for (std::size_t i = 0; i < token.text.size();) {
      bool replaced = false;
      if (token.text[i] == '$') {
        // The longest variable name that follows, so $c does not shadow $col.
        std::size_t best = names.size();
        for (std::size_t v = 0; v < names.size(); ++v) {
          if (token.text.compare(i + 1, names[v].size(), names[v]) == 0 &&
              (best == names.size() || names[v].size() > names[best].size())) {
            best = v;
          }
        }
        if (best < names.size()) {
          if (i == 0 && names[best].size() + 1 == token.text.size()) whole = values[best];
          text += values[best].text;
          i += names[best].size() + 1;
          replaced = true;
        }
      }
      if (!replaced) text += token.text[i++];
    }
    Token out = whole ? *whole : token;
    out.file = token.file;
    out.line = token.line;
    if (!whole) {
      const TokenizeResult reread = Tokenize(text, token.file);
      out.text = text;
      if (!reread.error && reread.tokens.size() == 1 && reread.tokens.front().kind == TokenKind::kNumber) {
        out.kind = TokenKind::kNumber;
        out.number = reread.tokens.front().number;
      }
    }
    result.push_back(std::move(out));
  }
  return result;
}

constexpr std::int64_t kMaxRepeatCount = 4096;

// repeat VAR in FROM..TO { statements }
// repeat VAR... in (VALUE...) (VALUE...) ... { statements }
void ExpandRepeat(const std::vector<Token>& tokens, const fs::path& includeDirectory, int depth,
                  StatementSink& out) {
  const Token& keyword = tokens.front();
  if (depth >= kMaxIncludeDepth) Fail(keyword, "repeats nest too deeply");
  std::size_t i = 1;
  const auto skipLines = [&]() {
    while (i < tokens.size() && tokens[i].kind == TokenKind::kNewline) ++i;
  };
  const auto at = [&]() -> const Token& { return i < tokens.size() ? tokens[i] : tokens.back(); };
  std::vector<std::string> names;
  while (i < tokens.size() && tokens[i].kind == TokenKind::kWord && tokens[i].text != "in") {
    if (!IsIdentifier(tokens[i].text)) Fail(tokens[i], "'" + tokens[i].text + "' is no valid variable name");
    names.push_back(tokens[i++].text);
  }
  if (names.empty()) Fail(at(), "'repeat' needs a variable name");
  if (i >= tokens.size() || tokens[i].text != "in") Fail(at(), "expected 'in' after the repeat variables");
  ++i;
  skipLines();
  std::vector<std::vector<Token>> rows;
  if (i < tokens.size() && tokens[i].kind == TokenKind::kOpenParen) {
    while (i < tokens.size() && tokens[i].kind == TokenKind::kOpenParen) {
      const Token& open = tokens[i++];
      std::vector<Token> row;
      for (; i < tokens.size() && tokens[i].kind != TokenKind::kCloseParen; ++i) {
        if (tokens[i].kind == TokenKind::kNewline) continue;
        if (tokens[i].kind != TokenKind::kWord && tokens[i].kind != TokenKind::kNumber &&
            tokens[i].kind != TokenKind::kString) {
          Fail(tokens[i], "a repeat value is a number, a name or a string");
        }
        row.push_back(tokens[i]);
      }
      ++i;
      if (row.size() != names.size()) {
        Fail(open, "this row has " + std::to_string(row.size()) + " value(s) for " + std::to_string(names.size()) +
                       " variable(s)");
      }
      rows.push_back(std::move(row));
      if (static_cast<std::int64_t>(rows.size()) > kMaxRepeatCount) Fail(open, "too many repeat rows");
      skipLines();
    }
  } else {
    const Token& range = at();
    const std::size_t dots = range.kind == TokenKind::kWord ? range.text.find("..") : std::string::npos;
    if (dots == std::string::npos || names.size() != 1) {
      Fail(range, "expected a range FROM..TO for one variable, or rows of values in parentheses");
    }
    const TokenizeResult from = Tokenize(range.text.substr(0, dots), range.file);
    const TokenizeResult to = Tokenize(range.text.substr(dots + 2), range.file);
    if (from.error || to.error || from.tokens.size() != 1 || to.tokens.size() != 1 ||
        from.tokens[0].kind != TokenKind::kNumber || to.tokens[0].kind != TokenKind::kNumber) {
      Fail(range, "cannot read the range " + range.text);
    }
    const std::int64_t first = from.tokens[0].number;
    const std::int64_t last = to.tokens[0].number;
    if (last < first || last - first >= kMaxRepeatCount) {
      Fail(range, "the range " + range.text + " must run upwards over at most 4096 values");
    }
    for (std::int64_t v = first; v <= last; ++v) {
      Token value = range;
      value.kind = TokenKind::kNumber;
      value.number = v;
      value.text = std::to_string(v);
      rows.push_back({value});
    }
    ++i;
  }
  skipLines();
  if (i >= tokens.size() || tokens[i].kind != TokenKind::kOpenBrace) {
    Fail(at(), "expected '{' opening the repeated statements");
  }
  if (tokens.back().kind != TokenKind::kCloseBrace) Fail(tokens.back(), "unexpected words after the repeat block");
  const std::vector<Token> body(tokens.begin() + static_cast<std::ptrdiff_t>(i) + 1, tokens.end() - 1);
  for (const auto& row : rows) {
    out.expandedTokens += body.size() + 1;
    if (out.expandedTokens > kMaxExpandedTokens) Fail(keyword, "repeats expand to too many statements");
    std::vector<Token> expanded = Substitute(body, names, row);
    // A line end after the last statement of the body ends it.
    expanded.push_back(Token{TokenKind::kNewline, "end of line", 0, keyword.file, keyword.line});
    SplitTokens(expanded, includeDirectory, depth + 1, out);
  }
}

constexpr std::size_t kMaxStatements = 1 << 20;

void FlushStatement(std::vector<Token>& tokens, const fs::path& includeDirectory, int depth,
                    StatementSink& out) {
  if (tokens.empty()) return;
  std::vector<Token> done = std::move(tokens);
  tokens.clear();
  const Token& keyword = done.front();
  if (keyword.kind == TokenKind::kWord && keyword.text == "repeat") {
    ExpandRepeat(done, includeDirectory, depth, out);
    return;
  }
  Statement statement;
  for (Token& token : done) {
    if (token.kind == TokenKind::kNewline) continue;
    if (token.kind == TokenKind::kWord && token.text.find('$') != std::string::npos) {
      Fail(token, "'" + token.text + "' uses a variable that no repeat around it defines");
    }
    if (token.kind == TokenKind::kWord && token.text.size() > 2 && token.text.front() == '[' &&
        token.text.back() == ']') {
      token.number = Arithmetic(token);
      token.kind = TokenKind::kNumber;
    }
    statement.tokens.push_back(std::move(token));
  }
  if (out.statements.size() >= kMaxStatements) Fail(statement.tokens.front(), "too many statements");
  const Token& first = statement.tokens.front();
  if (first.kind != TokenKind::kWord || first.text != "include") {
    out.statements.push_back(std::move(statement));
    return;
  }
  if (statement.tokens.size() != 2 || statement.tokens[1].kind != TokenKind::kString) {
    Fail(first, "'include' takes one file name in quotes");
  }
  if (depth >= kMaxIncludeDepth) Fail(first, "includes nest too deeply (does a file include itself?)");
  const fs::path path = includeDirectory / statement.tokens[1].text;
  const auto text = ReadTextFile(path);
  if (!text) Fail(first, "cannot read included file " + path.string());
  TokenizeResult included = Tokenize(*text, path.string());
  if (included.error) throw AssemblyFailure{*included.error};
  SplitTokens(included.tokens, path.parent_path(), depth + 1, out);
}

// Cuts tokens into statements at line ends outside brackets. Inside braces
// and parentheses line ends are kept, for a repeat body to be cut again.
void SplitTokens(const std::vector<Token>& tokens, const fs::path& includeDirectory, int depth,
                 StatementSink& out) {
  std::vector<Token> statement;
  std::vector<const Token*> open;
  for (const Token& token : tokens) {
    if (token.kind == TokenKind::kNewline && open.empty()) {
      // A repeat's rows may run over several lines up to its block.
      const bool repeatHead = !statement.empty() && statement.front().kind == TokenKind::kWord &&
                              statement.front().text == "repeat" &&
                              std::none_of(statement.begin(), statement.end(),
                                           [](const Token& t) { return t.kind == TokenKind::kOpenBrace; });
      if (!repeatHead) FlushStatement(statement, includeDirectory, depth, out);
      continue;
    }
    if (token.kind == TokenKind::kOpenBrace || token.kind == TokenKind::kOpenParen) open.push_back(&token);
    if (token.kind == TokenKind::kCloseBrace || token.kind == TokenKind::kCloseParen) {
      const TokenKind opener = token.kind == TokenKind::kCloseBrace ? TokenKind::kOpenBrace : TokenKind::kOpenParen;
      if (open.empty()) Fail(token, "'" + token.text + "' without a matching '" + (token.text == "}" ? "{" : "(") + "'");
      if (open.back()->kind != opener) {
        Fail(token, "'" + token.text + "' does not close the '" + open.back()->text + "' of " + LineOf(*open.back()));
      }
      open.pop_back();
    }
    statement.push_back(token);
  }
  if (!open.empty()) {
    Fail(*open.back(), "unterminated block: this '" + open.back()->text + "' is never closed");
  }
  FlushStatement(statement, includeDirectory, depth, out);
}

}  // namespace

std::vector<Statement> PreprocessSource(const std::vector<Token>& tokens, const std::filesystem::path& includeDirectory) {
  StatementSink statements;
  SplitTokens(tokens, includeDirectory, 0, statements);
  return std::move(statements.statements);
}

void ProgramMacros::Define(const Statement& statement) {
  Cursor cursor(statement);
  const Token& name = cursor.Expect(TokenKind::kWord, "a macro name");
  CheckNewName(name);
  if (FindInstruction(name.text) != nullptr || name.text == "BYTE") {
    Fail(name, "'" + name.text + "' is an instruction and cannot name a macro");
  }
  if (macros_.contains(name.text)) Fail(name, "macro '" + name.text + "' is defined twice");
  Macro macro;
  if (cursor.PeekIs(TokenKind::kOpenParen)) {
    cursor.Next("(");
    while (!cursor.PeekIs(TokenKind::kCloseParen)) {
      const Token& parameter = cursor.Expect(TokenKind::kWord, "a parameter name");
      CheckNewName(parameter);
      macro.parameters.push_back(parameter.text);
      if (!cursor.PeekIs(TokenKind::kCloseParen)) cursor.Expect(TokenKind::kComma, "',' or ')'");
    }
    cursor.Next(")");
  }
  cursor.Expect(TokenKind::kOpenBrace, "'{' opening the macro body");
  macro.body = cursor.BlockBody();
  cursor.ExpectEnd();
  macros_[name.text] = std::move(macro);
}

std::vector<Token> ProgramMacros::Expand(const Token& token, const std::vector<Token>& tokens, std::size_t& i,
                                         int depth) const {
  const auto macro = macros_.find(token.text);
  if (macro == macros_.end()) Fail(token, "unknown instruction or macro '" + token.text + "'");
  std::vector<std::vector<Token>> arguments;
  if (i < tokens.size() && tokens[i].kind == TokenKind::kOpenParen) {
    const Token& open = tokens[i++];
    int parens = 1;
    std::vector<Token> argument;
    bool closed = false;
    while (i < tokens.size()) {
      const Token& t = tokens[i++];
      if (t.kind == TokenKind::kOpenParen) ++parens;
      if (t.kind == TokenKind::kCloseParen && --parens == 0) {
        closed = true;
        break;
      }
      if (t.kind == TokenKind::kComma && parens == 1) {
        if (argument.empty()) Fail(t, "empty macro argument");
        arguments.push_back(std::move(argument));
        argument.clear();
        continue;
      }
      argument.push_back(t);
    }
    if (!closed) Fail(open, "'(' of the arguments of '" + token.text + "' is not closed");
    if (!argument.empty()) {
      arguments.push_back(std::move(argument));
    } else if (!arguments.empty()) {
      Fail(open, "empty macro argument");
    }
  }
  const Macro& definition = macro->second;
  if (arguments.size() != definition.parameters.size()) {
    Fail(token, "macro '" + token.text + "' takes " + std::to_string(definition.parameters.size()) +
                    " argument(s), given " + std::to_string(arguments.size()));
  }
  if (depth >= kMaxMacroDepth) Fail(token, "macros nest too deeply (does '" + token.text + "' use itself?)");
  std::vector<Token> expansion;
  for (const Token& t : definition.body) {
    std::size_t p = 0;
    while (p < definition.parameters.size() &&
           !(t.kind == TokenKind::kWord && t.text == definition.parameters[p])) {
      ++p;
    }
    if (p < definition.parameters.size()) {
      expansion.insert(expansion.end(), arguments[p].begin(), arguments[p].end());
    } else {
      expansion.push_back(t);
    }
  }
  return expansion;
}

}  // namespace cw
