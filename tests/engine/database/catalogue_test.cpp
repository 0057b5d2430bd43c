#include "engine/database/catalogue.h"

#include <gtest/gtest.h>

#include "tests/engine/database/fake_resources.h"

namespace cw {
namespace {

using test::U16Array;

// A catalogue of `count` games with ids 100, 101, ...; game 1 has category
// 0, the others 6.
test::FakeResources CatalogueResources(std::size_t count) {
  test::FakeResources resources;
  std::vector<std::uint16_t> ids;
  std::vector<std::uint16_t> categories;
  std::vector<std::uint8_t> skills;
  std::vector<std::uint8_t> durations;
  for (std::size_t i = 0; i < count; ++i) {
    ids.push_back(static_cast<std::uint16_t>(100 + i));
    categories.push_back(i == 1 ? 0 : 6);
    skills.push_back(static_cast<std::uint8_t>(i % 3));
    durations.push_back(static_cast<std::uint8_t>(i % 4));
    resources.SetString(kGameNameStringFirst + static_cast<int>(i), "Game " + std::to_string(i));
  }
  resources.Set("SOLID", kResourceSolId, U16Array(ids));
  resources.Set("SOLCAT", kResourceSolCat, U16Array(categories));
  resources.Set("SOLSKILL", kResourceSolSkill, skills);
  resources.Set("SOLTIME", kResourceSolTime, durations);
  return resources;
}

TEST(CatalogueTest, EntriesFollowTheArraysInOrder) {
  const Catalogue catalogue = LoadCatalogue(CatalogueResources(kCatalogueSize));
  ASSERT_EQ(catalogue.entries.size(), kCatalogueSize);
  const CatalogueEntry& fifth = catalogue.entries[5];
  EXPECT_EQ(fifth.name, "Game 5");
  EXPECT_EQ(fifth.id, 105);
  EXPECT_EQ(fifth.category, 6u);
  EXPECT_EQ(fifth.skill, 3u);     // stored 2
  EXPECT_EQ(fifth.duration, 2u);  // stored 1
  EXPECT_EQ(catalogue.entries[1].category, kCategoryOther);
  EXPECT_TRUE(fifth.extraCategories.empty());
}

TEST(CatalogueTest, ExtraCategoryPairsGoToTheirGameOrAreIgnored) {
  test::FakeResources resources = CatalogueResources(kCatalogueSize);
  std::vector<std::uint8_t> pairs = U16Array({103, 8, 999, 5, 103, 0, 107, 2});
  pairs.push_back(0x67);  // a trailing partial pair
  resources.Set("SOLACAT", kResourceSolACat, pairs);
  const Catalogue catalogue = LoadCatalogue(resources);
  EXPECT_EQ(catalogue.entries[3].extraCategories, (std::vector<std::uint32_t>{8, kCategoryOther}));
  EXPECT_EQ(catalogue.entries[7].extraCategories, (std::vector<std::uint32_t>{2}));
  std::size_t total = 0;
  for (const CatalogueEntry& entry : catalogue.entries) total += entry.extraCategories.size();
  EXPECT_EQ(total, 3u);
}

TEST(CatalogueTest, ShortOrMissingArraysGiveOnlyTheEntriesThatCanBeRead) {
  test::FakeResources resources = CatalogueResources(25);
  EXPECT_EQ(LoadCatalogue(resources).entries.size(), kCatalogueSize);

  resources.Set("SOLSKILL", kResourceSolSkill, {0, 1, 2});
  resources.Set("SOLCAT", kResourceSolCat, {6, 0, 6, 0, 6});  // two and a half entries
  const Catalogue shortCatalogue = LoadCatalogue(resources);
  ASSERT_EQ(shortCatalogue.entries.size(), 2u);
  EXPECT_EQ(shortCatalogue.entries[1].id, 101);

  test::FakeResources empty;
  const Catalogue none = LoadCatalogue(empty);
  EXPECT_TRUE(none.entries.empty());
  // The filter names do not depend on the arrays.
  ASSERT_EQ(none.categoryNames.size(), 12u);
  EXPECT_EQ(none.categoryNames[kCategoryOther], "Other");
  EXPECT_EQ(none.durationNames, (std::vector<std::string>{"All", "<3m", "3-5m", "5-10m", ">10m"}));
  ASSERT_EQ(none.letterNames.size(), 27u);
  EXPECT_EQ(none.letterNames[26], "Z");
}

}  // namespace
}  // namespace cw
