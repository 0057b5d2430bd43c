#include "tools/cwdb/reference_check.h"

#include <algorithm>

#include "engine/database/record_schema.h"
#include "tools/cwdb/assembler.h"

namespace cw {
namespace {

class DanglingFinder {
 public:
  explicit DanglingFinder(const DefinitionRecord& record) : r_(record) {}

  std::vector<std::string> Run() {
    for (std::size_t p = 0; p < r_.piles.size(); ++p) {
      const PileDef& pile = r_.piles[p];
      const std::string where = "pile " + std::to_string(p);
      Check(where, "pickProgram", pile.pickProgram, r_.programs.size(), "programs");
      Check(where, "acceptProgram", pile.acceptProgram, r_.programs.size(), "programs");
      Check(where, "tapEvent", pile.tapEvent, r_.eventKinds.size(), "events");
      Check(where, "emptyTapEvent", pile.emptyTapEvent, r_.eventKinds.size(), "events");
      Check(where, "dropEvent", pile.dropEvent, r_.eventKinds.size(), "events");
    }
    for (std::size_t a = 0; a < r_.actions.size(); ++a) ActionReferences(a);
    for (std::size_t i = 0; i < r_.movePairs.size(); ++i) {
      const std::string where = "route " + std::to_string(i);
      CheckPile(where, "source", r_.movePairs[i].source, true);
      CheckPile(where, "destination", r_.movePairs[i].destination, true);
    }
    for (std::size_t i = 0; i < r_.dealPlacements.size(); ++i) {
      const std::string where = "placement " + std::to_string(i);
      CheckPile(where, "pile", r_.dealPlacements[i].pile, false);
      Check(where, "card", r_.dealPlacements[i].card, r_.cards.size(), "cards");
    }
    PilePositions("flip", r_.dealFlips);
    PilePositions("fix", r_.dealFixed);
    PilePositions("open", r_.dealOpen);
    for (std::size_t i = 0; i < r_.eventActions.size(); ++i) {
      const std::string where = "eventAction " + std::to_string(i);
      Check(where, "event", r_.eventActions[i].event, r_.eventKinds.size(), "events");
      Check(where, "action", r_.eventActions[i].action, r_.actions.size(), "actions");
    }
    for (std::size_t c = 0; c < r_.conditions.size(); ++c) {
      const std::string where = "condition " + std::to_string(c);
      Check(where, "program", r_.conditions[c].program, r_.programs.size(), "programs");
      CheckPile(where, "pileA", r_.conditions[c].pileA, false);
      if (r_.conditions[c].pileB != kNoReference) CheckPile(where, "pileB", r_.conditions[c].pileB, false);
    }
    for (std::size_t i = 0; i < r_.eventConditions.size(); ++i) {
      const std::string where = "eventCondition " + std::to_string(i);
      Check(where, "event", r_.eventConditions[i].event, r_.eventKinds.size(), "events");
      Check(where, "condition", r_.eventConditions[i].condition, r_.conditions.size(), "conditions");
    }
    for (std::size_t c = 0; c < r_.counters.size(); ++c) {
      Check("counter " + std::to_string(c), "exhaustedEvent", r_.counters[c].exhaustedEvent, r_.eventKinds.size(),
            "events");
    }
    for (std::size_t i = 0; i < r_.eventCounters.size(); ++i) {
      const std::string where = "eventCounter " + std::to_string(i);
      Check(where, "event", r_.eventCounters[i].event, r_.eventKinds.size(), "events");
      Check(where, "counter", r_.eventCounters[i].counter, r_.counters.size(), "counters");
    }
    return std::move(problems_);
  }

 private:
  void Check(const std::string& where, std::string_view field, std::size_t value, std::size_t count,
             std::string_view table) {
    if (value < count) return;
    problems_.push_back(where + " " + std::string(field) + " " + std::to_string(value) + ": there are " +
                        std::to_string(count) + " " + std::string(table));
  }

  void CheckPile(const std::string& where, std::string_view field, std::uint16_t pile, bool anyAllowed) {
    if (anyAllowed && pile == kNoReference) return;
    Check(where, field, pile, r_.piles.size(), "piles");
  }

  void PilePositions(std::string_view table, const std::vector<PilePosition>& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
      CheckPile(std::string(table) + " " + std::to_string(i), "pile", entries[i].pile, false);
    }
  }

  void ActionReferences(std::size_t index) {
    const ActionDef& action = r_.actions[index];
    const std::string where = "action " + std::to_string(index);
    switch (static_cast<ActionType>(action.type)) {
      case ActionType::kMoveCards:
        CheckPile(where, "pile", action.pile, false);
        CheckPile(where, "destPile", action.destPile, false);
        break;
      case ActionType::kPileAttribute:
        CheckPile(where, "pile", action.pile, false);
        if (action.attribute == kPileAcceptProgram || action.attribute == kPilePickProgram) {
          Check(where, "value", action.value, r_.programs.size(), "programs");
        }
        break;
      case ActionType::kCardAttribute:
        CheckPile(where, "pile", action.pile, false);
        break;
      case ActionType::kDenyRoute:
      case ActionType::kAllowRoute:
        CheckPile(where, "pile", action.pile, true);
        CheckPile(where, "destPile", action.destPile, true);
        break;
      case ActionType::kResetCounter:
        Check(where, "pile (counter)", action.pile, r_.counters.size(), "counters");
        break;
      case ActionType::kGameWon:
        break;
      default:
        problems_.push_back(where + " type " + std::to_string(action.type) + ": no such action type");
    }
  }

  const DefinitionRecord& r_;
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
  std::vector<Token> line;
  const auto entry = [&]() -> bool {
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
  for (const Token& token : tokens.tokens) {
    if (token.kind != TokenKind::kNewline) {
      line.push_back(token);
      continue;
    }
    if (!line.empty() && !entry()) return result;
    line.clear();
  }
  if (!line.empty() && !entry()) return result;
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
