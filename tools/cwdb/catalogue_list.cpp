#include "tools/cwdb/catalogue_list.h"

#include "tools/cwdb/assembler.h"
#include "tools/cwdb/source_vocabulary.h"

namespace cw {
namespace {

constexpr std::size_t kMaxGames = 64;  // one database block
constexpr std::size_t kMaxNameLength = 31;

}  // namespace

CatalogueListResult ParseCatalogueList(std::string_view text, const std::string& file) {
  CatalogueListResult result;
  TokenizeResult tokens = Tokenize(text, file);
  if (tokens.error) {
    result.error = tokens.error;
    return result;
  }
  CatalogueList list;
  const auto fail = [&](const Token& at, std::string message) {
    result.error = SourceError{file, at.line, std::move(message)};
    return false;
  };
  const auto number = [&](const Token& token, std::int64_t max, std::string_view what, std::int64_t& out) {
    if (token.kind != TokenKind::kNumber || token.number < 0 || token.number > max) {
      return fail(token, "expected " + std::string(what) + " (0 to " + std::to_string(max) + "), found '" +
                             token.text + "'");
    }
    out = token.number;
    return true;
  };
  const auto category = [&](const Token& token, std::int64_t& out) {
    if (token.kind == TokenKind::kWord) {
      if (const auto code = FindCode(kCategoryNames, token.text)) {
        out = *code;
        return true;
      }
    }
    return number(token, 255, "a category code", out);
  };
  const auto entry = [&](const std::vector<Token>& line) {
    if (line.size() != 7) {
      return fail(line.front(), "an entry is: FILE ID SKILL DURATION CATEGORY EXTRA \"NAME\" (" +
                                    std::to_string(line.size()) + " items found)");
    }
    CatalogueListEntry e;
    e.line = line.front().line;
    if (line[0].kind != TokenKind::kWord) return fail(line[0], "expected a file name");
    e.file = line[0].text;
    std::int64_t id = 0, skill = 0, duration = 0, code = 0;
    if (!number(line[1], 65535, "an id", id) || !number(line[2], 255, "a skill", skill) ||
        !number(line[3], 255, "a duration", duration) || !category(line[4], code)) {
      return false;
    }
    e.id = static_cast<std::uint16_t>(id);
    e.skill = static_cast<std::uint8_t>(skill);
    e.duration = static_cast<std::uint8_t>(duration);
    e.category = static_cast<std::uint16_t>(code);
    if (!(line[5].kind == TokenKind::kWord && line[5].text == "-")) {
      // "8" or "8+3" or "Spider+Fan": a number token for one code, a word otherwise.
      std::string extras = line[5].text;
      std::size_t start = 0;
      while (start <= extras.size()) {
        const std::size_t plus = std::min(extras.find('+', start), extras.size());
        Token piece = line[5];
        piece.text = extras.substr(start, plus - start);
        const TokenizeResult parsed = Tokenize(piece.text, file);
        if (parsed.error || parsed.tokens.size() != 1) return fail(line[5], "bad extra category '" + piece.text + "'");
        piece.kind = parsed.tokens.front().kind;
        piece.number = parsed.tokens.front().number;
        std::int64_t extra = 0;
        if (!category(piece, extra)) return false;
        e.extraCategories.push_back(static_cast<std::uint8_t>(extra));
        start = plus + 1;
      }
    }
    if (line[6].kind != TokenKind::kString) return fail(line[6], "expected the game's name in quotes");
    e.name = line[6].text;
    if (e.name.empty() || e.name.size() > kMaxNameLength || e.name.find('\0') != std::string::npos) {
      return fail(line[6], "a game name has 1 to 31 characters");
    }
    for (const auto& other : list.entries) {
      if (other.name == e.name) return fail(line[6], "\"" + e.name + "\" is listed twice");
      if (other.id == e.id) return fail(line[1], "id " + std::to_string(e.id) + " is listed twice");
    }
    if (list.entries.size() >= kMaxGames) return fail(line[0], "more than 64 games");
    list.entries.push_back(std::move(e));
    return true;
  };
  if (!ForEachTokenLine(tokens.tokens, entry)) return result;
  result.list = std::move(list);
  return result;
}

CatalogueListResult ReadCatalogueList(const std::filesystem::path& path) {
  const auto text = ReadTextFile(path);
  if (!text) {
    CatalogueListResult result;
    result.error = SourceError{path.string(), 0, "cannot read the file"};
    return result;
  }
  CatalogueListResult result = ParseCatalogueList(*text, path.string());
  if (result.list) result.list->directory = path.parent_path();
  return result;
}

}  // namespace cw
