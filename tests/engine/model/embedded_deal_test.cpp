// The shipped "Seven by Five" record, loaded, parsed and dealt as the
// program does it.
#include <gtest/gtest.h>

#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/model/dealer.h"
#include "tests/engine/model/test_records.h"

namespace cw {
namespace {

constexpr std::uint16_t kSevenByFiveIndex = 17;

TEST(EmbeddedDealTest, SevenByFiveNumberOneFromTheShippedDatabase) {
  const auto bytes = LoadDefinitionRecord(EmbeddedGameResources(), kSevenByFiveIndex);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(bytes->size(), 1934u);

  SolGame game;
  std::string error;
  ASSERT_TRUE(ParseDefinition(game, *bytes, DisplayMetrics{}, &error)) << error;
  EXPECT_STREQ(game.definition.name.data(), "Seven by Five");
  EXPECT_EQ(game.definition.id, 326);

  std::uint32_t number = 1;
  ASSERT_TRUE(Deal(game, number, &error)) << error;
  const char* const expected[] = {
      "QC JH KS 5H 4H 4C 6H AS", "3H 9H 7C 5C JS 2H 8H 4S", "QD 2D 5S 10C 7H AH 8C 10H",
      "JD 9D JC 8D 7D 6S KC",    "AC 8S 7S 9S KH 5D 10S",   "3C QH 10D 3S AD KD 6D",
      "6C 4D 2S QS 3D 9C 2C"};
  for (std::uint16_t p = 0; p < 7; ++p) EXPECT_EQ(test::PileListing(game, p), expected[p]) << "pile " << p;
  for (std::uint16_t p = 7; p < 16; ++p) EXPECT_EQ(game.piles[p].count, 0) << "pile " << p;
}

}  // namespace
}  // namespace cw
