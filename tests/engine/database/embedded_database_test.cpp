// The shipped database and catalogue read through the loader.
#include <gtest/gtest.h>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"

namespace cw {
namespace {

TEST(EmbeddedDatabaseTest, EveryRecordCarriesItsCatalogueId) {
  const ResourceSource& resources = EmbeddedGameResources();
  const Catalogue catalogue = LoadCatalogue(resources);
  ASSERT_EQ(catalogue.entries.size(), kCatalogueSize);
  EXPECT_EQ(catalogue.entries[17].name, "Seven by Five");
  EXPECT_EQ(catalogue.entries[17].id, 326);
  EXPECT_EQ(catalogue.entries[0].extraCategories, (std::vector<std::uint32_t>{8}));

  for (std::uint16_t index = 0; index < kCatalogueSize; ++index) {
    const auto record = LoadDefinitionRecord(resources, index);
    ASSERT_TRUE(record.has_value()) << "record " << index;
    ASSERT_GE(record->size(), 2u);
    EXPECT_EQ((*record)[0] | ((*record)[1] << 8), catalogue.entries[index].id) << "record " << index;
  }
}

TEST(EmbeddedDatabaseTest, GameNamesAreStringsFromTheFirstGameNameOn) {
  const ResourceSource& resources = EmbeddedGameResources();
  EXPECT_EQ(resources.LoadString(kGameNameStringFirst), "Antares");
  EXPECT_EQ(resources.LoadString(kGameNameStringFirst + 1), "Baker's Game");
  EXPECT_EQ(resources.LoadString(kGameNameStringFirst + 17), "Seven by Five");
  EXPECT_EQ(resources.LoadString(kGameNameStringFirst + 19), "Towers");
  EXPECT_FALSE(resources.LoadString(kGameNameStringFirst + 20).has_value());
  EXPECT_FALSE(resources.LoadString(kGameNameStringFirst - 1).has_value());
}

TEST(EmbeddedDatabaseTest, CatalogueArraysAreFoundByTypeAndId) {
  const ResourceSource& resources = EmbeddedGameResources();
  const auto ids = resources.FindResource("SOLID", kResourceSolId);
  ASSERT_TRUE(ids.has_value());
  ASSERT_EQ(ids->size(), 2 * kCatalogueSize);  // one u16 game id per game
  EXPECT_EQ((*ids)[0] | ((*ids)[1] << 8), 562);  // Antares
  EXPECT_TRUE(resources.FindResource("SOLDB", kResourceSolDbFirst).has_value());
  EXPECT_FALSE(resources.FindResource("SOLID", kResourceSolCat).has_value());
  EXPECT_FALSE(resources.FindResource("BITMAP", kResourceSolId).has_value());
}

}  // namespace
}  // namespace cw
