#include "tools/cwdb/disassembler.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "engine/rules/instruction_set.h"
#include "tools/cwdb/source_tokens.h"
#include "tools/cwdb/source_vocabulary.h"

namespace cw {
namespace {

constexpr std::size_t kLineWidth = 88;
constexpr std::size_t kCardsPerDeck = 52;

std::string Hex(std::uint8_t byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  return std::string("0x") + kHex[byte >> 4] + kHex[byte & 0xF];
}

class Printer {
 public:
  explicit Printer(const DefinitionRecord& record) : record_(record) {}

  std::string Run() {
    Header();
    Cards();
    Piles();
    Actions();
    Routes();
    DealTables();
    Events();
    Programs();
    Conditions();
    Counters();
    return out_.str();
  }

 private:
  // A reference printed as the name of the thing it names, as `none` for
  // 65535 when nothing has that index, or as its number when it dangles.
  std::string Ref(SymbolKind kind, std::uint16_t index, std::string_view noneWord = kNoneWord) const {
    if (index < Count(kind)) return std::string(Prefix(kind)) + std::to_string(index);
    if (index == kNoReference) return std::string(noneWord);
    return std::to_string(index);
  }

  std::size_t Count(SymbolKind kind) const {
    switch (kind) {
      case SymbolKind::kPile: return record_.piles.size();
      case SymbolKind::kProgram: return record_.programs.size();
      case SymbolKind::kEvent: return record_.eventKinds.size();
      case SymbolKind::kCondition: return record_.conditions.size();
      case SymbolKind::kAction: return record_.actions.size();
      case SymbolKind::kCounter: return record_.counters.size();
      case SymbolKind::kCard:  // numbered, never named
      case SymbolKind::kNone: return 0;
    }
    return 0;
  }

  static std::string_view Prefix(SymbolKind kind) { return SymbolKindName(kind); }

  static std::string Value(std::int64_t value, std::span<const CodeName> names) {
    if (const auto name = FindCodeName(names, value)) return std::string(*name);
    return std::to_string(value);
  }

  std::string FieldValue(std::int64_t value, SymbolKind reference, std::span<const CodeName> names) const {
    if (reference != SymbolKind::kNone) return Ref(reference, static_cast<std::uint16_t>(value));
    return Value(value, names);
  }

  std::string Name(SymbolKind kind, std::size_t index) const {
    return std::string(Prefix(kind)) + std::to_string(index);
  }

  void Header() {
    out_ << "name " << QuoteString(record_.name) << "\n";
    for (const auto& field : FieldsOf<DefinitionRecord>()) {
      out_ << field.name << " " << Value(field.Get(record_), field.names) << "\n";
    }
    if (!record_.extraCategories.empty()) {
      out_ << "extraCategories";
      for (std::uint8_t code : record_.extraCategories) out_ << " " << Value(code, kCategoryNames);
      out_ << "\n";
    }
    out_ << "rules {\n";
    const std::string& text = record_.rulesText;
    std::size_t start = 0;
    do {
      const std::size_t lineEnd = text.find('\n', start);
      const std::size_t end = lineEnd == std::string::npos ? text.size() : lineEnd + 1;
      out_ << "  " << QuoteString(std::string_view(text).substr(start, end - start)) << "\n";
      start = end;
    } while (start < text.size());
    out_ << "}\n";
  }

  bool StandardDecks() const {
    const auto& cards = record_.cards;
    if (cards.empty() || cards.size() % kCardsPerDeck != 0) return false;
    for (std::size_t i = 0; i < cards.size(); ++i) {
      const std::size_t inDeck = i % kCardsPerDeck;
      if (cards[i].suit != inDeck / 13 + 1 || cards[i].rank != inDeck % 13 + 1) return false;
    }
    return true;
  }

  void Cards() {
    out_ << "\n";
    if (!StandardDecks()) {
      for (const CardDef& card : record_.cards) {
        out_ << "card " << int{card.suit} << " " << int{card.rank} << " " << card.dealGroup << "\n";
      }
      return;
    }
    out_ << "deck " << record_.cards.size() / kCardsPerDeck << "\n";
    // One cardGroup line per group other than 0, its cards in order.
    std::vector<std::uint16_t> groups;
    for (const CardDef& card : record_.cards) {
      if (card.dealGroup != 0 && std::find(groups.begin(), groups.end(), card.dealGroup) == groups.end()) {
        groups.push_back(card.dealGroup);
      }
    }
    for (std::uint16_t group : groups) {
      out_ << "cardGroup " << group;
      for (std::size_t i = 0; i < record_.cards.size(); ++i) {
        if (record_.cards[i].dealGroup == group) out_ << " " << i;
      }
      out_ << "\n";
    }
  }

  void Piles() {
    out_ << "\n";
    const PileDef defaults = SourcePileDefaults();
    for (std::size_t p = 0; p < record_.piles.size(); ++p) {
      const PileDef& pile = record_.piles[p];
      out_ << "pile " << Name(SymbolKind::kPile, p) << " {";
      for (const PileField& field : FieldsOf<PileDef>()) {
        const std::int64_t value = field.Get(pile);
        if (value == field.Get(defaults)) continue;
        out_ << " " << field.name << " " << FieldValue(value, field.reference, field.names);
      }
      out_ << " }\n";
    }
  }

  void Actions() {
    out_ << "\n";
    for (std::size_t a = 0; a < record_.actions.size(); ++a) {
      const ActionDef& action = record_.actions[a];
      out_ << "action " << Name(SymbolKind::kAction, a) << " {";
      for (const ActionField& field : FieldsOf<ActionDef>()) {
        const std::int64_t value = field.Get(action);
        const bool attributeType = !ActionAttributeNames(action).empty();
        if (value == 0 && field.name != "type" && !(field.name == "attribute" && attributeType)) continue;
        SymbolKind reference = field.reference;
        std::span<const CodeName> names = field.names;
        if (field.name == "pile") reference = ActionPileReference(action);
        if (field.name == "attribute") names = ActionAttributeNames(action);
        if (field.name == "value") reference = ActionValueReference(action);
        out_ << " " << field.name << " ";
        if (reference == SymbolKind::kPile) {
          out_ << Ref(reference, static_cast<std::uint16_t>(value), kAnyWord);
        } else {
          out_ << FieldValue(value, reference, names);
        }
      }
      out_ << " }\n";
    }
  }

  void Routes() {
    for (const MovePair& pair : record_.movePairs) {
      out_ << "route " << Ref(SymbolKind::kPile, pair.source, kAnyWord) << " "
           << Ref(SymbolKind::kPile, pair.destination, kAnyWord) << "\n";
    }
  }

  void DealTables() {
    for (const DealPlacement& placement : record_.dealPlacements) {
      out_ << "place " << Ref(SymbolKind::kPile, placement.pile) << " " << placement.card << " "
           << placement.position << "\n";
    }
    const auto positions = [&](std::string_view keyword, const std::vector<PilePosition>& table) {
      for (const PilePosition& entry : table) {
        out_ << keyword << " " << Ref(SymbolKind::kPile, entry.pile) << " " << entry.position << "\n";
      }
    };
    positions("flip", record_.dealFlips);
    positions("fix", record_.dealFixed);
    positions("open", record_.dealOpen);
  }

  // A link table can be written inside the event blocks when it is in event
  // order and every event exists: printing the events in order then
  // reproduces it entry for entry.
  template <typename Link>
  bool InEventOrder(const std::vector<Link>& table) const {
    for (std::size_t i = 0; i < table.size(); ++i) {
      if (table[i].event >= record_.eventKinds.size()) return false;
      if (i > 0 && table[i].event < table[i - 1].event) return false;
    }
    return true;
  }

  void Events() {
    out_ << "\n";
    const bool inlineConditions = InEventOrder(record_.eventConditions);
    const bool inlineActions = InEventOrder(record_.eventActions);
    const bool inlineCounters = InEventOrder(record_.eventCounters);
    for (std::size_t e = 0; e < record_.eventKinds.size(); ++e) {
      // Each group: its keyword (when, do, counter) and the names it links.
      std::vector<std::vector<std::string>> groups;
      const auto add = [&](bool use, const auto& table, std::string_view keyword, SymbolKind kind, auto member) {
        if (!use) return;
        std::vector<std::string> group{std::string(keyword)};
        for (const auto& link : table) {
          if (link.event == e) group.push_back(Ref(kind, link.*member));
        }
        if (group.size() > 1) groups.push_back(std::move(group));
      };
      add(inlineConditions, record_.eventConditions, "when", SymbolKind::kCondition, &EventCondition::condition);
      add(inlineActions, record_.eventActions, "do", SymbolKind::kAction, &EventAction::action);
      add(inlineCounters, record_.eventCounters, "counter", SymbolKind::kCounter, &EventCounter::counter);
      std::string line = "event " + Name(SymbolKind::kEvent, e) + " " + Value(record_.eventKinds[e], kEventKindNames);
      if (groups.empty()) {
        out_ << line << "\n";
        continue;
      }
      std::string oneLine = line + " {";
      for (const auto& group : groups) {
        for (const auto& word : group) oneLine += " " + word;
      }
      if (oneLine.size() + 2 <= kLineWidth) {
        out_ << oneLine << " }\n";
        continue;
      }
      out_ << line << " {\n";
      for (const auto& group : groups) WrappedBody(group, "  ");
      out_ << "}\n";
    }
    const auto explicitLinks = [&](bool use, const auto& table, std::string_view keyword, SymbolKind kind,
                                   auto member) {
      if (use) return;
      for (const auto& link : table) {
        out_ << keyword << " " << Ref(SymbolKind::kEvent, link.event) << " " << Ref(kind, link.*member) << "\n";
      }
    };
    explicitLinks(inlineConditions, record_.eventConditions, "eventCondition", SymbolKind::kCondition,
                  &EventCondition::condition);
    explicitLinks(inlineActions, record_.eventActions, "eventAction", SymbolKind::kAction, &EventAction::action);
    explicitLinks(inlineCounters, record_.eventCounters, "eventCounter", SymbolKind::kCounter,
                  &EventCounter::counter);
  }

  void Programs() {
    out_ << "\n";
    for (std::size_t p = 0; p < record_.programs.size(); ++p) {
      const std::string head = "program " + Name(SymbolKind::kProgram, p) + " {";
      const std::string body = DisassembleProgram(record_.programs[p]);
      if (head.size() + body.size() + 3 <= kLineWidth) {
        out_ << head << (body.empty() ? "" : " " + body) << " }\n";
        continue;
      }
      out_ << head << "\n";
      std::istringstream words(body);
      std::vector<std::string> list;
      for (std::string word; words >> word;) list.push_back(word);
      WrappedBody(list, "  ");
      out_ << "}\n";
    }
  }

  void Conditions() {
    out_ << "\n";
    for (std::size_t c = 0; c < record_.conditions.size(); ++c) {
      const ConditionDef& condition = record_.conditions[c];
      out_ << "condition " << Name(SymbolKind::kCondition, c) << " " << Ref(SymbolKind::kProgram, condition.program)
           << " " << Ref(SymbolKind::kPile, condition.pileA);
      if (condition.pileB != kNoReference) out_ << " " << Ref(SymbolKind::kPile, condition.pileB);
      out_ << "\n";
    }
  }

  void Counters() {
    if (record_.counters.empty()) return;
    out_ << "\n";
    for (std::size_t c = 0; c < record_.counters.size(); ++c) {
      const CounterDef& counter = record_.counters[c];
      out_ << "counter " << Name(SymbolKind::kCounter, c) << " " << counter.initialValue << " "
           << Ref(SymbolKind::kEvent, counter.exhaustedEvent) << "\n";
    }
  }

  // Words on lines of at most kLineWidth characters, each line indented.
  // Only used inside braces, where a statement may span lines. PUSH, BYTE and
  // marker stay on one line with their operands.
  void WrappedBody(const std::vector<std::string>& words, std::string_view indent) {
    std::size_t column = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
      const bool operand = i > 0 && (words[i - 1] == "PUSH" || words[i - 1] == "BYTE" || words[i - 1] == "marker" ||
                                     words[i] == "marker");
      if (column == 0) {
        out_ << indent;
        column = indent.size();
      } else if (!operand && column + 1 + words[i].size() > kLineWidth) {
        out_ << "\n" << indent;
        column = indent.size();
      } else {
        out_ << " ";
        ++column;
      }
      out_ << words[i];
      column += words[i].size();
    }
    if (column > 0) out_ << "\n";
  }

  const DefinitionRecord& record_;
  std::ostringstream out_;
};

}  // namespace

std::string DisassembleProgram(std::span<const std::uint8_t> program) {
  std::string out;
  const auto word = [&](const std::string& w) {
    if (!out.empty()) out += ' ';
    out += w;
  };
  for (std::size_t i = 0; i < program.size();) {
    const InstructionInfo* info = FindInstruction(program[i]);
    if (info == nullptr || i + InstructionLength(*info) > program.size()) {
      word("BYTE " + Hex(program[i]));
      ++i;
      continue;
    }
    word(std::string(info->name));
    if (info->hasValue) {
      out += " " + std::to_string(program[i + 1]);
      if (program[i + 2] != kPushMarker) out += " marker " + std::to_string(program[i + 2]);
    }
    i += InstructionLength(*info);
  }
  return out;
}

std::string DisassembleRecord(const DefinitionRecord& record) { return Printer(record).Run(); }

}  // namespace cw
