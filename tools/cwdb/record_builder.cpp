#include "tools/cwdb/record_builder.h"

#include <map>
#include <set>
#include <utility>

#include "tools/cwdb/record_emission.h"
#include "tools/cwdb/source_vocabulary.h"

namespace cw {
namespace {

struct Symbol {
  SymbolKind kind = SymbolKind::kNone;
  std::uint16_t index = 0;
};

class RecordBuilder {
 public:
  explicit RecordBuilder(std::vector<Statement> statements) : statements_(std::move(statements)) {}

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
    if (keyword == "macro") return macros_.Define(statement);
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

  // ---- pass 2: statements ---------------------------------------------------

  void Evaluate(const Statement& statement) {
    const Token& keyword = statement.tokens.front();
    if (keyword.kind != TokenKind::kWord) Fail(keyword, "expected a statement, found " + Describe(keyword));
    using Handler = void (RecordBuilder::*)(Cursor&, const Token&);
    static const std::map<std::string_view, Handler> kHandlers = {
        {"name", &RecordBuilder::Name},
        {"rules", &RecordBuilder::Rules},
        {"extraCategories", &RecordBuilder::ExtraCategories},
        {"deck", &RecordBuilder::Deck},
        {"card", &RecordBuilder::Card},
        {"cardGroup", &RecordBuilder::CardGroup},
        {"pileDefaults", &RecordBuilder::PileDefaults},
        {"pile", &RecordBuilder::Pile},
        {"action", &RecordBuilder::Action},
        {"route", &RecordBuilder::Route},
        {"place", &RecordBuilder::Place},
        {"flip", &RecordBuilder::PilePositionEntry},
        {"fix", &RecordBuilder::PilePositionEntry},
        {"open", &RecordBuilder::PilePositionEntry},
        {"event", &RecordBuilder::Event},
        {"eventAction", &RecordBuilder::EventLink},
        {"eventCondition", &RecordBuilder::EventLink},
        {"eventCounter", &RecordBuilder::EventLink},
        {"program", &RecordBuilder::Program},
        {"condition", &RecordBuilder::Condition},
        {"counter", &RecordBuilder::Counter},
        {"macro", &RecordBuilder::Skip},
    };
    const auto handler = kHandlers.find(keyword.text);
    Handler run = nullptr;
    if (handler != kHandlers.end()) {
      run = handler->second;
    } else if (FindHeaderField(keyword.text) != nullptr) {
      run = &RecordBuilder::HeaderField;
    } else {
      Fail(keyword, "unknown statement '" + keyword.text + "'");
    }
    Cursor cursor(statement);
    (this->*run)(cursor, keyword);
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
    const auto* field = FindHeaderField(keyword.text);
    field->Set(record_, Resolve(value, field->Min(), field->Max(), field->reference, field->names, field->name));
  }

  void ExtraCategories(Cursor& cursor, const Token& keyword) {
    Once(keyword);
    while (!cursor.AtEnd()) {
      const Token& value = cursor.Next("");
      AppendEntry(record_.extraCategories, U8(value, "an extra category", kCategoryNames), value, "extra categories");
    }
  }

  void Deck(Cursor& cursor, const Token&) {
    const Token& count = cursor.Expect(TokenKind::kNumber, "the number of decks");
    const std::int64_t decks = Resolve(count, 1, 64, SymbolKind::kNone, {}, "the number of decks");
    for (std::int64_t d = 0; d < decks; ++d) {
      for (std::uint8_t suit = 1; suit <= 4; ++suit) {
        for (std::uint8_t rank = 1; rank <= 13; ++rank) AppendEntry(record_.cards, CardDef{0, suit, rank}, count, "cards");
      }
    }
  }

  void Card(Cursor& cursor, const Token& keyword) {
    CardDef card;
    card.suit = U8(cursor.Next("a suit"), "suit");
    card.rank = U8(cursor.Next("a rank"), "rank");
    if (!cursor.AtEnd()) card.dealGroup = U16(cursor.Next(""), "dealGroup");
    AppendEntry(record_.cards, card, keyword, "cards");
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
    AppendEntry(record_.piles, pile, keyword, "piles");
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
    AppendEntry(record_.actions, action, keyword, "actions");
  }

  void Route(Cursor& cursor, const Token& keyword) {
    MovePair pair;
    pair.source = Reference(cursor.Next("a source pile"), SymbolKind::kPile);
    pair.destination = Reference(cursor.Next("a destination pile"), SymbolKind::kPile);
    AppendEntry(record_.movePairs, pair, keyword, "routes");
  }

  void Place(Cursor& cursor, const Token& keyword) {
    DealPlacement placement;
    placement.pile = Reference(cursor.Next("a pile"), SymbolKind::kPile);
    placement.card = CardNumber(cursor.Next("a card"));
    placement.position = U16(cursor.Next("a position"), "position");
    AppendEntry(record_.dealPlacements, placement, keyword, "placements");
  }

  void PilePositionEntry(Cursor& cursor, const Token& keyword) {
    PilePosition entry;
    entry.pile = Reference(cursor.Next("a pile"), SymbolKind::kPile);
    entry.position = U16(cursor.Next("a position"), "position");
    auto& table = keyword.text == "flip" ? record_.dealFlips
                  : keyword.text == "fix" ? record_.dealFixed
                                          : record_.dealOpen;
    AppendEntry(table, entry, keyword, "deal entries");
  }

  void Event(Cursor& cursor, const Token& keyword) {
    const Token& name = cursor.Next("a name");
    const std::uint16_t event = symbols_.at(name.text).index;
    AppendEntry(record_.eventKinds, U8(cursor.Next("an event kind"), "event kind", kEventKindNames), keyword, "events");
    if (cursor.AtEnd()) return;
    cursor.Expect(TokenKind::kOpenBrace, "'{' opening the event's links");
    const std::vector<Token> body = cursor.BlockBody();
    std::string_view list;
    for (const Token& token : body) {
      if (token.kind == TokenKind::kWord && (token.text == "when" || token.text == "do" || token.text == "counter")) {
        list = token.text;
      } else if (list == "when") {
        AppendEntry(record_.eventConditions, EventCondition{event, Reference(token, SymbolKind::kCondition)}, token,
               "event conditions");
      } else if (list == "do") {
        AppendEntry(record_.eventActions, EventAction{event, Reference(token, SymbolKind::kAction)}, token,
               "event actions");
      } else if (list == "counter") {
        AppendEntry(record_.eventCounters, EventCounter{event, Reference(token, SymbolKind::kCounter)}, token,
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
      AppendEntry(record_.eventActions, EventAction{event, Reference(target, SymbolKind::kAction)}, keyword, "event actions");
    } else if (keyword.text == "eventCondition") {
      AppendEntry(record_.eventConditions, EventCondition{event, Reference(target, SymbolKind::kCondition)}, keyword,
             "event conditions");
    } else {
      AppendEntry(record_.eventCounters, EventCounter{event, Reference(target, SymbolKind::kCounter)}, keyword,
             "event counters");
    }
  }

  void Program(Cursor& cursor, const Token& keyword) {
    cursor.Next("a name");
    cursor.Expect(TokenKind::kOpenBrace, "'{' opening the program");
    const std::vector<Token> body = cursor.BlockBody();
    AppendEntry(record_.programs, emitter_.Emit(body, keyword), keyword, "programs");
  }

  void Condition(Cursor& cursor, const Token& keyword) {
    cursor.Next("a name");
    ConditionDef condition;
    condition.program = Reference(cursor.Next("a program"), SymbolKind::kProgram);
    condition.pileA = Reference(cursor.Next("a pile"), SymbolKind::kPile);
    if (!cursor.AtEnd()) condition.pileB = Reference(cursor.Next(""), SymbolKind::kPile);
    AppendEntry(record_.conditions, condition, keyword, "conditions");
  }

  void Counter(Cursor& cursor, const Token& keyword) {
    cursor.Next("a name");
    CounterDef counter;
    counter.initialValue = U16(cursor.Next("an initial value"), "initial value");
    counter.exhaustedEvent = Reference(cursor.Next("an exhausted event"), SymbolKind::kEvent);
    AppendEntry(record_.counters, counter, keyword, "counters");
  }

  std::vector<Statement> statements_;
  DefinitionRecord record_;
  std::map<std::string, Symbol, std::less<>> symbols_;
  std::map<SymbolKind, std::size_t> declared_;
  std::set<std::string> given_;
  PileDef pileDefaults_ = SourcePileDefaults();
  ProgramMacros macros_;
  ProgramEmitter emitter_{macros_, [this](const Token& token, std::string_view what) { return U8(token, what); }};
};

}  // namespace

DefinitionRecord BuildRecord(std::vector<Statement> statements) {
  return RecordBuilder(std::move(statements)).Run();
}

}  // namespace cw
