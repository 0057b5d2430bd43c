// The definition's link tables by event and by pile, and the hash of each
// rule program: the rules ask "which actions, conditions and counter does
// this event have" and "which conditions read this pile" many times per move,
// and would otherwise scan the link tables for every answer.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace cw {

struct GameDefinition;

// A 64-bit hash of a rule program's bytes, the key under which its answers
// are remembered.
std::uint64_t HashProgram(std::span<const std::uint8_t> program);

class DefinitionIndex {
 public:
  DefinitionIndex() = default;
  explicit DefinitionIndex(const GameDefinition& definition);

  // Whether the index was built from tables of the definition's sizes. An
  // index is built once, when the definition is parsed; a definition whose
  // tables are changed afterwards is indexed again (see IndexOf).
  bool Describes(const GameDefinition& definition) const;

  // The event's event-action links (indices into eventActions), in table
  // order; empty for an event no link names.
  std::span<const std::uint32_t> ActionLinksOf(std::uint16_t event) const {
    return Row(actionLinks_, event);
  }
  // The same for the event-condition links.
  std::span<const std::uint32_t> ConditionLinksOf(std::uint16_t event) const {
    return Row(conditionLinks_, event);
  }
  // The first event-counter link of the event (an index into eventCounters),
  // kNoLink when it has none.
  std::uint32_t CounterLinkOf(std::uint16_t event) const {
    return event < counterLink_.size() ? counterLink_[event] : kNoLink;
  }
  // The conditions that read the pile (as pile A or B), each once.
  std::span<const std::uint32_t> ConditionsReading(std::uint16_t pile) const {
    return Row(conditionsReading_, pile);
  }
  // The number of piles the definition describes.
  std::size_t PileCount() const { return sizes_.piles; }
  // HashProgram of each program, by program number.
  const std::vector<std::uint64_t>& ProgramHashes() const { return programHashes_; }

  static constexpr std::uint32_t kNoLink = 0xFFFFFFFF;

 private:
  // Rows of indices stored one after the other: row r is
  // entries[first[r]] .. entries[first[r + 1]].
  struct Rows {
    std::vector<std::uint32_t> first;
    std::vector<std::uint32_t> entries;
  };
  static std::span<const std::uint32_t> Row(const Rows& rows, std::size_t row) {
    if (row + 1 >= rows.first.size()) return {};
    return std::span(rows.entries).subspan(rows.first[row], rows.first[row + 1] - rows.first[row]);
  }
  // Builds rows from (row, entry) pairs handed to `add` by `forEach`, keeping
  // their order within each row.
  template <typename ForEach>
  static Rows BuildRows(std::size_t rowCount, ForEach forEach);

  struct Sizes {
    std::size_t eventKinds = 0;
    std::size_t eventActions = 0;
    std::size_t eventConditions = 0;
    std::size_t eventCounters = 0;
    std::size_t conditions = 0;
    std::size_t piles = 0;
    std::size_t programs = 0;
    bool operator==(const Sizes&) const = default;
  };
  static Sizes SizesOf(const GameDefinition& definition);

  Sizes sizes_;
  Rows actionLinks_;
  Rows conditionLinks_;
  std::vector<std::uint32_t> counterLink_;
  Rows conditionsReading_;
  std::vector<std::uint64_t> programHashes_;
};

// Builds the definition's own index; due after any change to its tables.
void IndexDefinition(GameDefinition& definition);

// The definition's index when it describes the definition; otherwise (a
// definition built or changed table by table, as tests do) an index built
// from it and kept per thread, built again whenever the tables differ from
// the copies kept with it. The reference stays valid until a call on this
// thread with a different definition.
const DefinitionIndex& IndexOf(const GameDefinition& definition);

}  // namespace cw
