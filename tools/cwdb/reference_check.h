// Checks a record's references between its tables and reports its table
// counts, and compares the counts against a table of expected counts.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/database/record_layout.h"
#include "tools/cwdb/source_tokens.h"

namespace cw {

using TableCounts = std::array<std::size_t, kTableCount>;

TableCounts CountTables(const DefinitionRecord& record);

// "cards 52 piles 16 actions 1 ..." in table order.
std::string DescribeCounts(const TableCounts& counts);

// One line per reference that points past the end of its table, naming the
// element and field that holds it.
std::vector<std::string> FindDanglingReferences(const DefinitionRecord& record);

// Problems that keep the dealer from placing every card: the piles' deal
// counts must add up to the number of cards, and the piles of each deal
// group must ask for no more cards than the deck has in that group.
std::vector<std::string> FindDealProblems(const DefinitionRecord& record);

// Departures from the shape every shipped game has, worth a look but not
// wrong in themselves: event 0 of kind automatic with one condition whose
// program is PUSH 1 and no actions; exactly one `won` action; fanLimitAnchor
// far exactly on the piles with a fanLimit.
std::vector<std::string> FindAuthoringNotes(const DefinitionRecord& record);

// Expected counts by game name. Each line of the file: "NAME" then the
// fifteen counts in table order; `-` for a count that is not checked.
using ExpectedCounts = std::map<std::string, std::array<std::optional<std::size_t>, kTableCount>>;

struct ExpectedCountsResult {
  std::optional<ExpectedCounts> counts;
  std::optional<SourceError> error;
};

ExpectedCountsResult ReadExpectedCounts(const std::filesystem::path& path);

// One line per count that differs from its expected value.
std::vector<std::string> CompareCounts(const TableCounts& counts,
                                       const std::array<std::optional<std::size_t>, kTableCount>& expected);

}  // namespace cw
