#include "engine/model/definition_index.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/model/sol_game.h"

namespace cw {

std::uint64_t HashProgram(std::span<const std::uint8_t> program) {
  std::uint64_t hash = 0x243F6A8885A308D3ull;
  auto add = [&](std::uint64_t value) {
    hash = (hash ^ value) * 0x9E3779B97F4A7C15ull;
    hash ^= hash >> 32;
  };
  add(program.size());
  std::size_t at = 0;
  for (; at + 8 <= program.size(); at += 8) {
    std::uint64_t chunk = 0;
    std::memcpy(&chunk, program.data() + at, 8);
    add(chunk);
  }
  for (; at < program.size(); ++at) add(0x100u | program[at]);
  return hash;
}

template <typename ForEach>
DefinitionIndex::Rows DefinitionIndex::BuildRows(std::size_t rowCount, ForEach forEach) {
  Rows rows;
  rows.first.assign(rowCount + 1, 0);
  forEach([&](std::size_t row, std::uint32_t) { ++rows.first[row + 1]; });
  for (std::size_t r = 0; r < rowCount; ++r) rows.first[r + 1] += rows.first[r];
  rows.entries.resize(rows.first[rowCount]);
  std::vector<std::uint32_t> next(rows.first.begin(), rows.first.end() - 1);
  forEach([&](std::size_t row, std::uint32_t entry) { rows.entries[next[row]++] = entry; });
  return rows;
}

DefinitionIndex::Sizes DefinitionIndex::SizesOf(const GameDefinition& definition) {
  return {definition.eventKinds.size(), definition.eventActions.size(),
          definition.eventConditions.size(), definition.eventCounters.size(),
          definition.conditions.size(), definition.piles.size(), definition.programs.size()};
}

DefinitionIndex::DefinitionIndex(const GameDefinition& definition)
    : sizes_(SizesOf(definition)) {
  // Links may name events beyond the kinds table (a record no checker
  // passed); they are indexed too, so that every answer is the scan's.
  std::size_t eventRows = definition.eventKinds.size();
  for (const EventAction& link : definition.eventActions) {
    eventRows = std::max<std::size_t>(eventRows, link.event + std::size_t{1});
  }
  for (const EventCondition& link : definition.eventConditions) {
    eventRows = std::max<std::size_t>(eventRows, link.event + std::size_t{1});
  }
  for (const EventCounter& link : definition.eventCounters) {
    eventRows = std::max<std::size_t>(eventRows, link.event + std::size_t{1});
  }

  actionLinks_ = BuildRows(eventRows, [&](auto add) {
    for (std::size_t i = 0; i < definition.eventActions.size(); ++i) {
      add(definition.eventActions[i].event, static_cast<std::uint32_t>(i));
    }
  });
  conditionLinks_ = BuildRows(eventRows, [&](auto add) {
    for (std::size_t i = 0; i < definition.eventConditions.size(); ++i) {
      add(definition.eventConditions[i].event, static_cast<std::uint32_t>(i));
    }
  });
  counterLink_.assign(eventRows, kNoLink);
  for (std::size_t i = definition.eventCounters.size(); i-- > 0;) {
    counterLink_[definition.eventCounters[i].event] = static_cast<std::uint32_t>(i);
  }

  const std::size_t pileCount = definition.piles.size();
  conditionsReading_ = BuildRows(pileCount, [&](auto add) {
    for (std::size_t c = 0; c < definition.conditions.size(); ++c) {
      const ConditionDef& condition = definition.conditions[c];
      if (condition.pileA < pileCount) add(condition.pileA, static_cast<std::uint32_t>(c));
      if (condition.pileB < pileCount && condition.pileB != condition.pileA) {
        add(condition.pileB, static_cast<std::uint32_t>(c));
      }
    }
  });

  programHashes_.reserve(definition.programs.size());
  for (const auto& program : definition.programs) programHashes_.push_back(HashProgram(program));
}

bool DefinitionIndex::Describes(const GameDefinition& definition) const {
  return sizes_ == SizesOf(definition);
}

void IndexDefinition(GameDefinition& definition) { definition.index = DefinitionIndex(definition); }

const DefinitionIndex& IndexOf(const GameDefinition& definition) {
  if (definition.index.Describes(definition)) return definition.index;
  struct Kept {
    std::vector<std::uint8_t> eventKinds;
    std::vector<EventAction> eventActions;
    std::vector<EventCondition> eventConditions;
    std::vector<EventCounter> eventCounters;
    std::vector<ConditionDef> conditions;
    std::size_t pileCount = 0;
    std::vector<std::vector<std::uint8_t>> programs;
    std::optional<DefinitionIndex> index;
  };
  thread_local Kept kept;
  if (!kept.index || kept.eventKinds != definition.eventKinds ||
      kept.eventActions != definition.eventActions ||
      kept.eventConditions != definition.eventConditions ||
      kept.eventCounters != definition.eventCounters || kept.conditions != definition.conditions ||
      kept.pileCount != definition.piles.size() || kept.programs != definition.programs) {
    kept.eventKinds = definition.eventKinds;
    kept.eventActions = definition.eventActions;
    kept.eventConditions = definition.eventConditions;
    kept.eventCounters = definition.eventCounters;
    kept.conditions = definition.conditions;
    kept.pileCount = definition.piles.size();
    kept.programs = definition.programs;
    kept.index.emplace(definition);
  }
  return *kept.index;
}

}  // namespace cw
