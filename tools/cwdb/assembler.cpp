#include "tools/cwdb/assembler.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include "engine/rules/instruction_set.h"
#include "tools/cwdb/source_vocabulary.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxIncludeDepth = 16;
constexpr int kMaxMacroDepth = 32;
constexpr std::size_t kMaxProgramBytes = 32767;
constexpr std::size_t kMaxTableSize = 65535;
// Program words read in one source, macro expansions included: far above any
// game, low enough that nested macros cannot keep the assembler busy for long.
constexpr std::size_t kMaxEmittedTokens = std::size_t{1} << 20;

// Thrown inside the assembler only; AssembleSource turns it into its result.
struct AssemblyFailure {
  SourceError error;
};

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

// One statement: its tokens without line ends, braces balanced. The first
// token is the statement's keyword.
struct Statement {
  std::vector<Token> tokens;
};

struct Macro {
  std::vector<std::string> parameters;
  std::vector<Token> body;
};

struct Symbol {
  SymbolKind kind = SymbolKind::kNone;
  std::uint16_t index = 0;
};

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

class Assembler {
 public:
  explicit Assembler(std::vector<Statement> statements) : statements_(std::move(statements)) {}

  DefinitionRecord Run() {
    for (const auto& statement : statements_) Declare(statement);
    for (const auto& statement : statements_) Evaluate(statement);
    return std::move(record_);
  }

 private:
  // ---- pass 1: names --------------------------------------------------------

  void Declare(const Statement& statement) {
    const std::string& keyword = statement.tokens.front().text;
    static const std::map<std::string_view, SymbolKind> kDeclarations = {
        {"pile", SymbolKind::kPile},         {"program", SymbolKind::kProgram},
        {"event", SymbolKind::kEvent},       {"condition", SymbolKind::kCondition},
        {"action", SymbolKind::kAction},     {"counter", SymbolKind::kCounter}};
    if (keyword == "macro") return DeclareMacro(statement);
    const auto found = kDeclarations.find(keyword);
    if (found == kDeclarations.end()) return;
    Cursor cursor(statement);
    const Token& name = cursor.Expect(TokenKind::kWord, "a name");
    CheckNewName(name);
    if (symbols_.contains(name.text)) {
      Fail(name, "'" + name.text + "' is already the name of a " + std::string(SymbolKindName(symbols_[name.text].kind)));
    }
    std::size_t& count = declared_[found->second];
    if (count >= kMaxTableSize) Fail(name, "too many " + std::string(SymbolKindName(found->second)) + "s");
    symbols_[name.text] = Symbol{found->second, static_cast<std::uint16_t>(count++)};
  }

  void CheckNewName(const Token& name) {
    if (!IsIdentifier(name.text)) {
      Fail(name, "'" + name.text + "' is no valid name (letters, digits and _, not starting with a digit)");
    }
    if (name.text == kNoneWord || name.text == kAnyWord) Fail(name, "'" + name.text + "' is a reserved word");
  }

  void DeclareMacro(const Statement& statement) {
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

  // ---- values ---------------------------------------------------------------

  std::int64_t Resolve(const Token& token, std::int64_t min, std::int64_t max, SymbolKind reference,
                       std::span<const CodeName> names, std::string_view what) const {
    const std::string where = std::string(what);
    if (token.kind == TokenKind::kNumber) {
      if (token.number < min || token.number > max) {
        Fail(token, token.text + " is out of range for " + where + " (" + std::to_string(min) + " to " +
                        std::to_string(max) + ")");
      }
      return token.number;
    }
    if (token.kind != TokenKind::kWord) Fail(token, "expected a value for " + where + ", found " + Describe(token));
    if (max == kNoReference && (token.text == kNoneWord || token.text == kAnyWord)) return kNoReference;
    if (const auto value = FindCode(names, token.text)) return *value;
    const auto symbol = symbols_.find(token.text);
    if (symbol != symbols_.end()) {
      if (reference == SymbolKind::kNone) {
        Fail(token, "'" + token.text + "' is a " + std::string(SymbolKindName(symbol->second.kind)) + "; " + where +
                        " takes a number");
      }
      if (symbol->second.kind != reference) {
        Fail(token, "'" + token.text + "' is a " + std::string(SymbolKindName(symbol->second.kind)) + ", not a " +
                        std::string(SymbolKindName(reference)));
      }
      return symbol->second.index;
    }
    std::string message = "unknown name '" + token.text + "' for " + where;
    if (!names.empty()) {
      message += " (known:";
      for (const auto& name : names) message += " " + std::string(name.name);
      message += ")";
    }
    Fail(token, message);
  }

  std::uint16_t Reference(const Token& token, SymbolKind kind) const {
    return static_cast<std::uint16_t>(Resolve(token, 0, kNoReference, kind, {}, SymbolKindName(kind)));
  }

  std::uint16_t U16(const Token& token, std::string_view what, std::span<const CodeName> names = {}) const {
    return static_cast<std::uint16_t>(Resolve(token, 0, kNoReference, SymbolKind::kNone, names, what));
  }

  std::uint8_t U8(const Token& token, std::string_view what, std::span<const CodeName> names = {}) const {
    return static_cast<std::uint8_t>(Resolve(token, 0, 255, SymbolKind::kNone, names, what));
  }

  std::uint16_t CardNumber(const Token& token) const {
    if (token.kind == TokenKind::kWord) {
      if (const auto card = ParseCardName(token.text)) return *card;
    }
    return U16(token, "a card");
  }

  // "AS", "10H", "KC": the card's number in the first deck.
  static std::optional<std::uint16_t> ParseCardName(std::string_view name) {
    static constexpr std::string_view kRanks[] = {"A", "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K"};
    static constexpr std::string_view kSuits = "SCDH";
    if (name.size() < 2) return std::nullopt;
    const auto suit = kSuits.find(name.back());
    if (suit == std::string_view::npos) return std::nullopt;
    for (std::size_t rank = 0; rank < std::size(kRanks); ++rank) {
      if (name.substr(0, name.size() - 1) == kRanks[rank]) return static_cast<std::uint16_t>(13 * suit + rank);
    }
    return std::nullopt;
  }

  static std::string StringValue(const Token& token) {
    if (token.kind != TokenKind::kString) Fail(token, "expected a string, found " + Describe(token));
    if (token.text.find('\0') != std::string::npos) Fail(token, "a string cannot hold a zero byte");
    return token.text;
  }

  template <typename Element>
  static void Append(std::vector<Element>& table, Element element, const Token& at, std::string_view what) {
    if (table.size() >= kMaxTableSize) Fail(at, "too many " + std::string(what));
    table.push_back(std::move(element));
  }

  // ---- pass 2: statements ---------------------------------------------------

  void Evaluate(const Statement& statement) {
    const Token& keyword = statement.tokens.front();
    if (keyword.kind != TokenKind::kWord) Fail(keyword, "expected a statement, found " + Describe(keyword));
    using Handler = void (Assembler::*)(Cursor&, const Token&);
    static const std::map<std::string_view, Handler> kHandlers = {
        {"name", &Assembler::Name},
        {"rules", &Assembler::Rules},
        {"id", &Assembler::HeaderField},
        {"category", &Assembler::HeaderField},
        {"skill", &Assembler::HeaderField},
        {"duration", &Assembler::HeaderField},
        {"layoutVariant", &Assembler::HeaderField},
        {"extraCategories", &Assembler::ExtraCategories},
        {"deck", &Assembler::Deck},
        {"card", &Assembler::Card},
        {"cardGroup", &Assembler::CardGroup},
        {"pileDefaults", &Assembler::PileDefaults},
        {"pile", &Assembler::Pile},
        {"action", &Assembler::Action},
        {"route", &Assembler::Route},
        {"place", &Assembler::Place},
        {"flip", &Assembler::PilePositionEntry},
        {"fix", &Assembler::PilePositionEntry},
        {"open", &Assembler::PilePositionEntry},
        {"event", &Assembler::Event},
        {"eventAction", &Assembler::EventLink},
        {"eventCondition", &Assembler::EventLink},
        {"eventCounter", &Assembler::EventLink},
        {"program", &Assembler::Program},
        {"condition", &Assembler::Condition},
        {"counter", &Assembler::Counter},
        {"macro", &Assembler::Skip},
    };
    const auto handler = kHandlers.find(keyword.text);
    if (handler == kHandlers.end()) Fail(keyword, "unknown statement '" + keyword.text + "'");
    Cursor cursor(statement);
    (this->*handler->second)(cursor, keyword);
    cursor.ExpectEnd();
  }

  void Skip(Cursor& cursor, const Token&) {
    while (!cursor.AtEnd()) cursor.Next("");
  }

  void Once(const Token& keyword) {
    if (!given_.insert(keyword.text).second) Fail(keyword, "'" + keyword.text + "' is given twice");
  }

  void Name(Cursor& cursor, const Token& keyword) {
    Once(keyword);
    record_.name = StringValue(cursor.Next("the game's name"));
  }

  void Rules(Cursor& cursor, const Token& keyword) {
    Once(keyword);
    std::vector<Token> pieces;
    if (cursor.PeekIs(TokenKind::kOpenBrace)) {
      cursor.Next("{");
      pieces = cursor.BlockBody();
    } else {
      pieces.push_back(cursor.Next("the rules text"));
      while (cursor.PeekIs(TokenKind::kString)) pieces.push_back(cursor.Next(""));
    }
    for (const auto& piece : pieces) record_.rulesText += StringValue(piece);
  }

  void HeaderField(Cursor& cursor, const Token& keyword) {
    Once(keyword);
    const Token& value = cursor.Next("its value");
    const std::string& field = keyword.text;
    if (field == "id") record_.id = U16(value, "id");
    if (field == "category") record_.category = U16(value, "category", kCategoryNames);
    if (field == "skill") record_.skill = U16(value, "skill");
    if (field == "duration") record_.duration = U16(value, "duration");
    if (field == "layoutVariant") record_.layoutVariant = U16(value, "layoutVariant", kLayoutVariantNames);
  }

  void ExtraCategories(Cursor& cursor, const Token& keyword) {
    Once(keyword);
    while (!cursor.AtEnd()) {
      const Token& value = cursor.Next("");
      Append(record_.extraCategories, U8(value, "an extra category", kCategoryNames), value, "extra categories");
    }
  }

  void Deck(Cursor& cursor, const Token&) {
    const Token& count = cursor.Expect(TokenKind::kNumber, "the number of decks");
    const std::int64_t decks = Resolve(count, 1, 64, SymbolKind::kNone, {}, "the number of decks");
    for (std::int64_t d = 0; d < decks; ++d) {
      for (std::uint8_t suit = 1; suit <= 4; ++suit) {
        for (std::uint8_t rank = 1; rank <= 13; ++rank) Append(record_.cards, CardDef{0, suit, rank}, count, "cards");
      }
    }
  }

  void Card(Cursor& cursor, const Token& keyword) {
    CardDef card;
    card.suit = U8(cursor.Next("a suit"), "suit");
    card.rank = U8(cursor.Next("a rank"), "rank");
    if (!cursor.AtEnd()) card.dealGroup = U16(cursor.Next(""), "dealGroup");
    Append(record_.cards, card, keyword, "cards");
  }

  void CardGroup(Cursor& cursor, const Token&) {
    const std::uint16_t group = U16(cursor.Next("a deal group"), "dealGroup");
    while (!cursor.AtEnd()) {
      const Token& token = cursor.Next("");
      const std::uint16_t card = CardNumber(token);
      if (card >= record_.cards.size()) {
        Fail(token, "card " + std::to_string(card) + " does not exist (" + std::to_string(record_.cards.size()) +
                        " cards so far)");
      }
      record_.cards[card].dealGroup = group;
    }
  }

  void PileFieldsBlock(Cursor& cursor, PileDef& pile) {
    if (cursor.AtEnd()) return;
    cursor.Expect(TokenKind::kOpenBrace, "'{' opening the pile's fields");
    const std::vector<Token> body = cursor.BlockBody();
    for (std::size_t i = 0; i < body.size(); i += 2) {
      const Token& key = body[i];
      const bool pileValue = key.kind == TokenKind::kWord && key.text == kPileValueWord;
      const PileField* field = key.kind == TokenKind::kWord ? FindPileField(key.text) : nullptr;
      if (field == nullptr && !pileValue) Fail(key, "unknown pile field " + Describe(key));
      if (i + 1 >= body.size()) Fail(key, "pile field '" + key.text + "' has no value");
      if (pileValue) {
        pile.SetPileValue(U16(body[i + 1], kPileValueWord));
        continue;
      }
      field->Set(pile, Resolve(body[i + 1], field->Min(), field->Max(), field->reference, field->names, field->name));
    }
  }

  void PileDefaults(Cursor& cursor, const Token&) { PileFieldsBlock(cursor, pileDefaults_); }

  void Pile(Cursor& cursor, const Token& keyword) {
    cursor.Next("a name");
    PileDef pile = pileDefaults_;
    PileFieldsBlock(cursor, pile);
    Append(record_.piles, pile, keyword, "piles");
  }

  void Action(Cursor& cursor, const Token& keyword) {
    cursor.Next("a name");
    cursor.Expect(TokenKind::kOpenBrace, "'{' opening the action's fields");
    const std::vector<Token> body = cursor.BlockBody();
    std::vector<std::pair<const ActionField*, const Token*>> values;
    for (std::size_t i = 0; i < body.size(); i += 2) {
      const Token& key = body[i];
      const ActionField* field = key.kind == TokenKind::kWord ? FindActionField(key.text) : nullptr;
      if (field == nullptr) Fail(key, "unknown action field " + Describe(key));
      if (i + 1 >= body.size()) Fail(key, "action field '" + key.text + "' has no value");
      for (const auto& [seen, token] : values) {
        if (seen == field) Fail(key, "action field '" + key.text + "' is given twice");
      }
      values.emplace_back(field, &body[i + 1]);
    }
    // The type decides what `pile` and `attribute` name, and the attribute
    // what `value` names, so those two are read first.
    ActionDef action;
    const auto apply = [&](std::string_view only, bool exclude) {
      for (const auto& [field, token] : values) {
        const bool match = field->name == only;
        if (exclude ? (field->name == "type" || field->name == "attribute") : !match) continue;
        SymbolKind reference = field->reference;
        std::span<const CodeName> names = field->names;
        if (field->name == "pile") reference = ActionPileReference(action);
        if (field->name == "attribute") names = ActionAttributeNames(action);
        if (field->name == "value") reference = ActionValueReference(action);
        field->Set(action, Resolve(*token, field->Min(), field->Max(), reference, names, field->name));
      }
    };
    apply("type", false);
    apply("attribute", false);
    apply("", true);
    Append(record_.actions, action, keyword, "actions");
  }

  void Route(Cursor& cursor, const Token& keyword) {
    MovePair pair;
    pair.source = Reference(cursor.Next("a source pile"), SymbolKind::kPile);
    pair.destination = Reference(cursor.Next("a destination pile"), SymbolKind::kPile);
    Append(record_.movePairs, pair, keyword, "routes");
  }

  void Place(Cursor& cursor, const Token& keyword) {
    DealPlacement placement;
    placement.pile = Reference(cursor.Next("a pile"), SymbolKind::kPile);
    placement.card = CardNumber(cursor.Next("a card"));
    placement.position = U16(cursor.Next("a position"), "position");
    Append(record_.dealPlacements, placement, keyword, "placements");
  }

  void PilePositionEntry(Cursor& cursor, const Token& keyword) {
    PilePosition entry;
    entry.pile = Reference(cursor.Next("a pile"), SymbolKind::kPile);
    entry.position = U16(cursor.Next("a position"), "position");
    auto& table = keyword.text == "flip" ? record_.dealFlips
                  : keyword.text == "fix" ? record_.dealFixed
                                          : record_.dealOpen;
    Append(table, entry, keyword, "deal entries");
  }

  void Event(Cursor& cursor, const Token& keyword) {
    const Token& name = cursor.Next("a name");
    const std::uint16_t event = symbols_.at(name.text).index;
    Append(record_.eventKinds, U8(cursor.Next("an event kind"), "event kind", kEventKindNames), keyword, "events");
    if (cursor.AtEnd()) return;
    cursor.Expect(TokenKind::kOpenBrace, "'{' opening the event's links");
    const std::vector<Token> body = cursor.BlockBody();
    std::string_view list;
    for (const Token& token : body) {
      if (token.kind == TokenKind::kWord && (token.text == "when" || token.text == "do" || token.text == "counter")) {
        list = token.text;
      } else if (list == "when") {
        Append(record_.eventConditions, EventCondition{event, Reference(token, SymbolKind::kCondition)}, token,
               "event conditions");
      } else if (list == "do") {
        Append(record_.eventActions, EventAction{event, Reference(token, SymbolKind::kAction)}, token,
               "event actions");
      } else if (list == "counter") {
        Append(record_.eventCounters, EventCounter{event, Reference(token, SymbolKind::kCounter)}, token,
               "event counters");
      } else {
        Fail(token, "expected 'when', 'do' or 'counter', found " + Describe(token));
      }
    }
  }

  void EventLink(Cursor& cursor, const Token& keyword) {
    const std::uint16_t event = Reference(cursor.Next("an event"), SymbolKind::kEvent);
    const Token& target = cursor.Next("its target");
    if (keyword.text == "eventAction") {
      Append(record_.eventActions, EventAction{event, Reference(target, SymbolKind::kAction)}, keyword, "event actions");
    } else if (keyword.text == "eventCondition") {
      Append(record_.eventConditions, EventCondition{event, Reference(target, SymbolKind::kCondition)}, keyword,
             "event conditions");
    } else {
      Append(record_.eventCounters, EventCounter{event, Reference(target, SymbolKind::kCounter)}, keyword,
             "event counters");
    }
  }

  void Program(Cursor& cursor, const Token& keyword) {
    cursor.Next("a name");
    cursor.Expect(TokenKind::kOpenBrace, "'{' opening the program");
    const std::vector<Token> body = cursor.BlockBody();
    std::vector<std::uint8_t> bytes;
    EmitProgram(body, bytes, 0);
    if (bytes.size() > kMaxProgramBytes) {
      Fail(keyword, "program is " + std::to_string(bytes.size()) + " bytes long; at most 32767 fit");
    }
    Append(record_.programs, std::move(bytes), keyword, "programs");
  }

  void EmitProgram(const std::vector<Token>& tokens, std::vector<std::uint8_t>& out, int depth) {
    for (std::size_t i = 0; i < tokens.size();) {
      const Token& token = tokens[i++];
      if (token.kind != TokenKind::kWord) Fail(token, "expected an instruction, found " + Describe(token));
      if (out.size() > kMaxProgramBytes) Fail(token, "program is longer than 32767 bytes");
      if (++emittedTokens_ > kMaxEmittedTokens) Fail(token, "macros expand to too many instructions");
      const auto byteOperand = [&](std::string_view what) -> std::uint8_t {
        if (i >= tokens.size()) Fail(token, std::string(what) + " is missing after " + token.text);
        return U8(tokens[i++], what);
      };
      if (token.text == "BYTE") {
        out.push_back(byteOperand("a byte value"));
        continue;
      }
      if (const InstructionInfo* info = FindInstruction(token.text)) {
        out.push_back(static_cast<std::uint8_t>(info->opcode));
        if (!info->hasValue) continue;
        out.push_back(byteOperand("the value"));
        std::uint8_t marker = kPushMarker;
        if (i < tokens.size() && tokens[i].kind == TokenKind::kWord && tokens[i].text == "marker") {
          ++i;
          marker = byteOperand("the marker byte");
        }
        out.push_back(marker);
        continue;
      }
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
      try {
        EmitProgram(expansion, out, depth + 1);
      } catch (AssemblyFailure& failure) {
        failure.error.message +=
            " (in macro '" + token.text + "' used at " + token.file + ":" + std::to_string(token.line) + ")";
        throw;
      }
    }
  }

  void Condition(Cursor& cursor, const Token& keyword) {
    cursor.Next("a name");
    ConditionDef condition;
    condition.program = Reference(cursor.Next("a program"), SymbolKind::kProgram);
    condition.pileA = Reference(cursor.Next("a pile"), SymbolKind::kPile);
    if (!cursor.AtEnd()) condition.pileB = Reference(cursor.Next(""), SymbolKind::kPile);
    Append(record_.conditions, condition, keyword, "conditions");
  }

  void Counter(Cursor& cursor, const Token& keyword) {
    cursor.Next("a name");
    CounterDef counter;
    counter.initialValue = U16(cursor.Next("an initial value"), "initial value");
    counter.exhaustedEvent = Reference(cursor.Next("an exhausted event"), SymbolKind::kEvent);
    Append(record_.counters, counter, keyword, "counters");
  }

  std::vector<Statement> statements_;
  DefinitionRecord record_;
  std::map<std::string, Symbol, std::less<>> symbols_;
  std::map<SymbolKind, std::size_t> declared_;
  std::map<std::string, Macro, std::less<>> macros_;
  std::set<std::string> given_;
  PileDef pileDefaults_ = SourcePileDefaults();
  std::size_t emittedTokens_ = 0;  // program words read, macro expansions included
};

// ---- statements: lines, includes, repeats and arithmetic ----------------

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

AssembleResult AssembleSource(std::string_view text, const std::string& file,
                              const std::filesystem::path& includeDirectory) {
  AssembleResult result;
  try {
    TokenizeResult tokens = Tokenize(text, file);
    if (tokens.error) throw AssemblyFailure{*tokens.error};
    StatementSink statements;
    SplitTokens(tokens.tokens, includeDirectory, 0, statements);
    DefinitionRecord record = Assembler(std::move(statements.statements)).Run();
    std::string error;
    auto bytes = EncodeRecord(record, &error);
    if (!bytes) {
      result.error = SourceError{file, 0, "the record cannot be encoded: " + error};
      return result;
    }
    result.bytes = std::move(*bytes);
    result.record = std::move(record);
  } catch (const AssemblyFailure& failure) {
    result.error = failure.error;
  }
  return result;
}

AssembleResult AssembleFile(const std::filesystem::path& path) {
  const auto text = ReadTextFile(path);
  if (!text) {
    AssembleResult result;
    result.error = SourceError{path.string(), 0, "cannot read the file"};
    return result;
  }
  return AssembleSource(*text, path.string(), path.parent_path());
}

}  // namespace cw
