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

  int loaded = 0;
  for (std::uint16_t index = 0; index < kCatalogueSize; ++index) {
    // Games not yet authored hold an empty record, which gives none.
    const auto record = LoadDefinitionRecord(resources, index);
    if (!record) continue;
    ++loaded;
    ASSERT_GE(record->size(), 2u);
    EXPECT_EQ((*record)[0] | ((*record)[1] << 8), catalogue.entries[index].id) << "record " << index;
  }
  EXPECT_GE(loaded, 1);
}

}  // namespace
}  // namespace cw
