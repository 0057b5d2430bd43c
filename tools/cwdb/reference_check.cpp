#include "tools/cwdb/reference_check.h"

#include <algorithm>
#include <type_traits>

#include "engine/database/record_schema.h"
#include "tools/cwdb/assembler.h"
#include "tools/cwdb/source_vocabulary.h"

namespace cw {
namespace {

// Walks every field of every table the record schema describes and checks
// each reference against the table it indexes. An action's fields mean what
// its type makes of them, as the source vocabulary says.
class DanglingFinder {
 public:
  explicit DanglingFinder(const DefinitionRecord& record) : r_(record), counts_(CountTables(record)) {}

  std::vector<std::string> Run() {
    ForEachTable(r_, [&](const TableInfo& info, const auto& table) {
      using Element = typename std::remove_cvref_t<decltype(table)>::value_type;
      if constexpr (std::is_class_v<Element> && !std::is_same_v<Element, std::vector<std::uint8_t>>) {
        for (std::size_t i = 0; i < table.size(); ++i) {
          CheckElement(std::string(info.elementName) + " " + std::to_string(i), table[i]);
        }
      }
    });
    return std::move(problems_);
  }

 private:
  template <typename Element>
  void CheckElement(const std::string& where, const Element& element) {
    if constexpr (std::is_same_v<Element, ActionDef>) {
      if (element.type > static_cast<std::uint8_t>(ActionType::kResetCounter)) {
        problems_.push_back(where + " type " + std::to_string(element.type) + ": no such action type");
        return;
      }
    }
    for (const RecordField<Element>& field : FieldsOf<Element>()) {
      RecordReference reference = field.reference;
      bool noneAllowed = field.noneAllowed;
      if constexpr (std::is_same_v<Element, ActionDef>) {
        reference = ActionFieldReference(element, field);
        noneAllowed = ActionTakesAnyPile(element);
      }
      const std::optional<Table> table = ReferencedTable(reference);
      if (!table) continue;
      const std::int64_t value = field.Get(element);
      if (noneAllowed && value == kNoReference) continue;
      const std::size_t count = counts_[static_cast<std::size_t>(*table)];
      if (value >= 0 && static_cast<std::size_t>(value) < count) continue;
      // A field that indexes another table than its name suggests says which.
      std::string name(field.name);
      if (field.reference != RecordReference::kNone && reference != field.reference) {
        name += " (" + std::string(SymbolKindName(reference)) + ")";
      }
      problems_.push_back(where + " " + name + " " + std::to_string(value) + ": there are " +
                          std::to_string(count) + " " +
                          std::string(TableInfos()[static_cast<std::size_t>(*table)].listingName));
    }
  }

  const DefinitionRecord& r_;
  const TableCounts counts_;
  std::vector<std::string> problems_;
};

}  // namespace

TableCounts CountTables(const DefinitionRecord& r) {
  TableCounts counts{};
  ForEachTable(r, [&](const TableInfo& info, const auto& table) {
    counts[static_cast<std::size_t>(info.table)] = table.size();
  });
  return counts;
}

std::string DescribeCounts(const TableCounts& counts) {
  std::string out;
  for (std::size_t t = 0; t < kTableCount; ++t) {
    if (t > 0) out += ' ';
    out += std::string(TableInfos()[t].listingName) + " " + std::to_string(counts[t]);
  }
  return out;
}

std::vector<std::string> FindDanglingReferences(const DefinitionRecord& record) {
  return DanglingFinder(record).Run();
}

std::vector<std::string> FindDealProblems(const DefinitionRecord& record) {
  std::vector<std::string> problems;
  std::size_t dealt = 0;
  std::map<std::uint16_t, std::size_t> wanted;
  for (const PileDef& pile : record.piles) {
    dealt += pile.dealCount;
    wanted[pile.dealGroup] += pile.dealCount;
  }
  if (dealt != record.cards.size()) {
    problems.push_back("the piles' dealCounts add up to " + std::to_string(dealt) + " but there are " +
                       std::to_string(record.cards.size()) + " cards");
  }
  std::map<std::uint16_t, std::size_t> held;
  for (const CardDef& card : record.cards) ++held[card.dealGroup];
  for (const auto& [group, count] : wanted) {
    if (count > held[group]) {
      problems.push_back("the piles of deal group " + std::to_string(group) + " take " + std::to_string(count) +
                         " cards but the group has " + std::to_string(held[group]));
    }
  }
  return problems;
}

std::vector<std::string> FindAuthoringNotes(const DefinitionRecord& record) {
  static const std::vector<std::uint8_t> kNeverPasses = {1, 1, 1};
  std::vector<std::string> notes;
  std::vector<std::uint16_t> conditionsOfEventZero;
  for (const EventCondition& link : record.eventConditions) {
    if (link.event == 0) conditionsOfEventZero.push_back(link.condition);
  }
  const bool neverPasses = conditionsOfEventZero.size() == 1 && conditionsOfEventZero[0] < record.conditions.size() &&
                           record.conditions[conditionsOfEventZero[0]].program < record.programs.size() &&
                           record.programs[record.conditions[conditionsOfEventZero[0]].program] == kNeverPasses;
  const bool hasActions = std::any_of(record.eventActions.begin(), record.eventActions.end(),
                                      [](const EventAction& link) { return link.event == 0; });
  if (record.eventKinds.empty() || record.eventKinds[0] != 0 || !neverPasses || hasActions) {
    notes.push_back("event 0 is not of kind automatic with one never-passing condition (PUSH 1) and no actions");
  }
  const auto wins = std::count_if(record.actions.begin(), record.actions.end(), [](const ActionDef& action) {
    return action.type == static_cast<std::uint8_t>(ActionType::kGameWon);
  });
  if (wins != 1) notes.push_back(std::to_string(wins) + " won actions; a game has one");
  for (std::size_t p = 0; p < record.piles.size(); ++p) {
    const PileDef& pile = record.piles[p];
    if ((pile.fanLimit != 0) != (pile.fanLimitAnchor == 2)) {
      notes.push_back("pile " + std::to_string(p) + " has fanLimit " + std::to_string(pile.fanLimit) +
                      " and fanLimitAnchor " + std::to_string(pile.fanLimitAnchor) +
                      " (a pile with a fanLimit takes fanLimitAnchor far, others proportional)");
    }
  }
  return notes;
}

ExpectedCountsResult ReadExpectedCounts(const std::filesystem::path& path) {
  ExpectedCountsResult result;
  const auto text = ReadTextFile(path);
  if (!text) {
    result.error = SourceError{path.string(), 0, "cannot read the file"};
    return result;
  }
  TokenizeResult tokens = Tokenize(*text, path.string());
  if (tokens.error) {
    result.error = tokens.error;
    return result;
  }
  ExpectedCounts counts;
  const auto entry = [&](const std::vector<Token>& line) -> bool {
    if (line.size() != kTableCount + 1 || line.front().kind != TokenKind::kString) {
      result.error = SourceError{path.string(), line.front().line,
                                 "an entry is: \"NAME\" and the 15 table counts (or -)"};
      return false;
    }
    auto& expected = counts[line.front().text];
    for (std::size_t t = 0; t < kTableCount; ++t) {
      const Token& token = line[t + 1];
      if (token.kind == TokenKind::kWord && token.text == "-") continue;
      if (token.kind != TokenKind::kNumber || token.number < 0 || token.number > 65535) {
        result.error = SourceError{path.string(), token.line, "bad count '" + token.text + "'"};
        return false;
      }
      expected[t] = static_cast<std::size_t>(token.number);
    }
    return true;
  };
  if (!ForEachTokenLine(tokens.tokens, entry)) return result;
  result.counts = std::move(counts);
  return result;
}

std::vector<std::string> CompareCounts(const TableCounts& counts,
                                       const std::array<std::optional<std::size_t>, kTableCount>& expected) {
  std::vector<std::string> problems;
  for (std::size_t t = 0; t < kTableCount; ++t) {
    if (expected[t] && *expected[t] != counts[t]) {
      problems.push_back(std::string(TableInfos()[t].listingName) + " " + std::to_string(counts[t]) + ", expected " +
                         std::to_string(*expected[t]));
    }
  }
  return problems;
}

}  // namespace cw
