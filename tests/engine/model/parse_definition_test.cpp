#include <gtest/gtest.h>

#include <string>

#include "engine/model/sol_game.h"
#include "tests/engine/model/test_records.h"

namespace cw {
namespace {

constexpr DisplayMetrics kQvga{false, 96, 96};
constexpr DisplayMetrics kVga{true, 192, 192};

// One pile per anchor mode at the same design coordinates.
DefinitionRecord AnchorRecord(std::uint16_t layoutVariant, std::int16_t x, std::int16_t y) {
  DefinitionRecord record = test::DealShape({0, 0, 0, 0});
  record.layoutVariant = layoutVariant;
  for (std::uint8_t anchor = 0; anchor < 4; ++anchor) {
    PileDef& pile = record.piles[anchor];
    pile.x = x;
    pile.y = y;
    pile.xAnchor = anchor;
    pile.yAnchor = anchor;
  }
  return record;
}

struct Converted {
  std::int16_t x, y;
  bool operator==(const Converted&) const = default;
};

std::vector<Converted> ConvertedPiles(const DefinitionRecord& record, const DisplayMetrics& display) {
  SolGame game;
  ParseDefinition(game, record, display);
  std::vector<Converted> piles;
  for (const PileDef& pile : game.definition.piles) piles.push_back({pile.x, pile.y});
  return piles;
}

TEST(ParseDefinitionTest, CardMetricsPerBuildAndCardSize) {
  const auto m = [](std::uint16_t variant, const DisplayMetrics& display) {
    const CardMetrics c = ComputeCardMetrics(variant, display);
    return std::vector<int>{c.cardWidth, c.cardHeight, c.fanStepX, c.fanStepY};
  };
  EXPECT_EQ(m(1, kQvga), (std::vector<int>{26, 35, 12, 12}));
  EXPECT_EQ(m(0, kQvga), (std::vector<int>{20, 27, 9, 9}));
  EXPECT_EQ(m(1, kVga), (std::vector<int>{52, 70, 24, 24}));
  EXPECT_EQ(m(0, kVga), (std::vector<int>{40, 54, 18, 18}));
  EXPECT_EQ(m(0, (DisplayMetrics{false, 131, 131})), (std::vector<int>{20, 27, 9, 9}));
  EXPECT_EQ(m(1, (DisplayMetrics{true, 144, 120})), (std::vector<int>{39, 44, 18, 15}));
}

TEST(ParseDefinitionTest, CoordinatesConvertByAnchorInBothBuilds) {
  // Near, Proportional, Centre, Far; the Far case lands left of 160, so
  // its division truncates towards zero.
  EXPECT_EQ(ConvertedPiles(AnchorRecord(1, 150, 100), kQvga),
            (std::vector<Converted>{{216, 145}, {150, 100}, {181, 109}, {146, 73}}));
  EXPECT_EQ(ConvertedPiles(AnchorRecord(1, 150, 100), kVga),
            (std::vector<Converted>{{433, 291}, {150, 100}, {282, 138}, {132, -15}}));
  EXPECT_EQ(ConvertedPiles(AnchorRecord(0, 150, 100), kQvga),
            (std::vector<Converted>{{200, 128}, {150, 100}, {173, 105}, {147, 83}}));
  EXPECT_EQ(ConvertedPiles(AnchorRecord(0, 150, 100), kVga),
            (std::vector<Converted>{{400, 257}, {150, 100}, {266, 131}, {134, 6}}));
}

TEST(ParseDefinitionTest, SmallCardsSwitchToLargeBetweenOneAndTwiceNormalDensity) {
  DefinitionRecord record = AnchorRecord(0, 150, 100);
  record.piles[0].fanLimit = 77;
  record.piles[1].fanLimit = 2;  // lowered to no limit, never wrapped round
  record.piles[2].fanLimit = 0;

  SolGame game;
  ParseDefinition(game, record, DisplayMetrics{false, 131, 131});
  EXPECT_EQ(game.definition.layoutVariant, 1);
  EXPECT_EQ(game.definition.piles[0].fanLimit, 74);
  EXPECT_EQ(game.definition.piles[1].fanLimit, 0);
  EXPECT_EQ(game.definition.piles[2].fanLimit, 0);
  // Large card size with the small-card divisors 15 and 21.
  EXPECT_EQ(game.definition.piles[0].x, 150 * 26 / 15);
  EXPECT_EQ(game.definition.piles[0].y, 100 * 35 / 21);

  for (const int dpi : {96, 192}) {
    ParseDefinition(game, record, DisplayMetrics{dpi == 192, dpi, dpi});
    EXPECT_EQ(game.definition.layoutVariant, 0) << dpi;
    EXPECT_EQ(game.definition.piles[0].fanLimit, 77) << dpi;
  }
  ParseDefinition(game, record, DisplayMetrics{false, 96, 97});
  EXPECT_EQ(game.definition.layoutVariant, 1);

  record.layoutVariant = 1;
  ParseDefinition(game, record, DisplayMetrics{false, 131, 131});
  EXPECT_EQ(game.definition.piles[0].fanLimit, 77);
  EXPECT_EQ(game.definition.piles[0].x, 150 * 26 / 18);
}

TEST(ParseDefinitionTest, RecordFieldsAndTablesAreTaken) {
  DefinitionRecord record = test::SevenByFiveRecord();
  record.extraCategories = {8, 200};
  SolGame game;
  ParseDefinition(game, record, kQvga);
  const GameDefinition& d = game.definition;
  EXPECT_STREQ(d.name.data(), "Seven by Five");
  EXPECT_EQ(d.id, 326);
  EXPECT_EQ(d.category, 6u);
  EXPECT_EQ(d.skill, 2u);
  EXPECT_EQ(d.duration, 1u);
  EXPECT_EQ(d.rulesText, record.rulesText);
  EXPECT_EQ(d.cards.size(), 52u);
  EXPECT_EQ(d.piles.size(), 16u);
  EXPECT_EQ(d.conditions, record.conditions);
  EXPECT_EQ(d.extraCategories, (std::vector<std::uint32_t>{8, 200}));
  ASSERT_EQ(d.programs.size(), 7u);
  EXPECT_EQ(d.programs[0], (std::vector<std::uint8_t>{1, 1, 1, 0}));
  // Tableau x is proportional, y near: 42 design units of a large card.
  EXPECT_EQ(d.piles[3].x, 70);
  EXPECT_EQ(d.piles[3].y, 42 * 35 / 24);
}

TEST(ParseDefinitionTest, SecondParseReplacesTheFirstAndLongNamesAreCut) {
  DefinitionRecord first = test::SevenByFiveRecord();
  first.extraCategories = {8};
  DefinitionRecord second = test::DealShape({52});
  second.name = std::string(40, 'x');

  SolGame game;
  ParseDefinition(game, first, kQvga);
  ParseDefinition(game, second, kQvga);
  EXPECT_EQ(std::string(game.definition.name.data()), std::string(31, 'x'));
  EXPECT_EQ(game.definition.piles.size(), 1u);
  EXPECT_TRUE(game.definition.programs.empty());
  EXPECT_TRUE(game.definition.conditions.empty());
  EXPECT_TRUE(game.definition.extraCategories.empty());
  EXPECT_TRUE(game.definition.rulesText.empty());
}

TEST(ParseDefinitionTest, BytesAreDecodedOrRefused) {
  const DefinitionRecord record = test::SevenByFiveRecord();
  const auto bytes = EncodeRecord(record);
  ASSERT_TRUE(bytes.has_value());

  SolGame fromBytes;
  ASSERT_TRUE(ParseDefinition(fromBytes, *bytes, kVga));
  SolGame fromRecord;
  ParseDefinition(fromRecord, record, kVga);
  EXPECT_EQ(fromBytes.definition.piles, fromRecord.definition.piles);
  EXPECT_EQ(fromBytes.definition.programs, fromRecord.definition.programs);

  std::string error;
  const std::vector<std::uint8_t> truncated(bytes->begin(), bytes->end() - 1);
  EXPECT_FALSE(ParseDefinition(fromBytes, truncated, kVga, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(fromBytes.HasDefinition());
}

}  // namespace
}  // namespace cw
