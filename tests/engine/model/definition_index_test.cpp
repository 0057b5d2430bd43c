// The definition's index must answer exactly as a scan of its link tables,
// for every shipped game and for a definition changed after it was indexed.
#include "engine/model/definition_index.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/model/sol_game.h"

namespace cw {
namespace {

template <typename Link>
std::vector<std::uint32_t> ScannedLinks(const std::vector<Link>& links, std::uint16_t event) {
  std::vector<std::uint32_t> found;
  for (std::size_t i = 0; i < links.size(); ++i) {
    if (links[i].event == event) found.push_back(static_cast<std::uint32_t>(i));
  }
  return found;
}

std::vector<std::uint32_t> ScannedReaders(const GameDefinition& definition, std::uint16_t pile) {
  std::vector<std::uint32_t> found;
  for (std::size_t c = 0; c < definition.conditions.size(); ++c) {
    const ConditionDef& condition = definition.conditions[c];
    if (condition.pileA == pile || condition.pileB == pile) {
      found.push_back(static_cast<std::uint32_t>(c));
    }
  }
  return found;
}

void ExpectIndexMatchesScan(const GameDefinition& definition) {
  const DefinitionIndex& index = IndexOf(definition);
  // Events past the kinds table too: a pile may name one.
  for (std::uint32_t e = 0; e < definition.eventKinds.size() + 3; ++e) {
    const auto event = static_cast<std::uint16_t>(e);
    const auto actions = index.ActionLinksOf(event);
    EXPECT_EQ(std::vector<std::uint32_t>(actions.begin(), actions.end()),
              ScannedLinks(definition.eventActions, event))
        << "event " << e;
    const auto conditions = index.ConditionLinksOf(event);
    EXPECT_EQ(std::vector<std::uint32_t>(conditions.begin(), conditions.end()),
              ScannedLinks(definition.eventConditions, event))
        << "event " << e;
    const auto counters = ScannedLinks(definition.eventCounters, event);
    EXPECT_EQ(index.CounterLinkOf(event),
              counters.empty() ? DefinitionIndex::kNoLink : counters.front())
        << "event " << e;
  }
  for (std::size_t p = 0; p < definition.piles.size(); ++p) {
    const auto readers = index.ConditionsReading(static_cast<std::uint16_t>(p));
    EXPECT_EQ(std::vector<std::uint32_t>(readers.begin(), readers.end()),
              ScannedReaders(definition, static_cast<std::uint16_t>(p)))
        << "pile " << p;
  }
  ASSERT_EQ(index.ProgramHashes().size(), definition.programs.size());
  for (std::size_t p = 0; p < definition.programs.size(); ++p) {
    EXPECT_EQ(index.ProgramHashes()[p], HashProgram(definition.programs[p])) << "program " << p;
  }
}

TEST(DefinitionIndexTest, EveryShippedGameIsIndexedAsAScanFindsItsLinks) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  ASSERT_FALSE(catalogue.entries.empty());
  for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
    const auto bytes = LoadDefinitionRecord(EmbeddedGameResources(), static_cast<std::uint16_t>(i));
    ASSERT_TRUE(bytes.has_value()) << i;
    SolGame game;
    ASSERT_TRUE(ParseDefinition(game, *bytes, DisplayMetrics{})) << i;
    SCOPED_TRACE(catalogue.entries[i].name);
    EXPECT_EQ(&IndexOf(game.definition), &game.definition.index) << "parsing indexes";
    ExpectIndexMatchesScan(game.definition);
  }
}

TEST(DefinitionIndexTest, ADefinitionChangedAfterIndexingIsAnsweredFromItsTables) {
  GameDefinition definition;
  definition.eventKinds = {0, 0, 1};
  definition.piles.resize(3);
  definition.actions.resize(3);
  definition.eventActions = {{2, 0}, {1, 1}, {2, 2}, {7, 1}};
  definition.conditions = {{0, 1, 1}, {0, 2, 0}, {0, 9, kNoReference}};
  definition.eventConditions = {{1, 0}, {1, 2}, {2, 1}};
  definition.eventCounters = {{2, 0}, {2, 1}};
  definition.programs = {{1, 0, 0}};
  IndexDefinition(definition);
  EXPECT_EQ(&IndexOf(definition), &definition.index);
  ExpectIndexMatchesScan(definition);

  // Grown and shrunk tables: the stale index no longer describes them.
  definition.eventActions.push_back({1, 2});
  definition.eventCounters = {{1, 1}};
  definition.programs.push_back({1, 1, 0});
  EXPECT_NE(&IndexOf(definition), &definition.index);
  ExpectIndexMatchesScan(definition);
  definition.eventConditions.insert(definition.eventConditions.begin(), {2, 2});
  ExpectIndexMatchesScan(definition);
}

}  // namespace
}  // namespace cw
