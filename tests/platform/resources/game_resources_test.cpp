#include "platform/resources/game_resources.h"

#include <gtest/gtest.h>

#include "engine/database/resource_source.h"
#include "platform/resources/string_table.h"

namespace cw {
namespace {

TEST(GameResources, GameNamesComeFromTheGameDatabase) {
  EXPECT_EQ(LoadString(kGameNameStringFirst), QStringLiteral("Antares"));
  EXPECT_EQ(LoadString(kGameNameStringFirst + 1), QStringLiteral("Baker's Game"));
  EXPECT_EQ(LoadString(kGameNameStringFirst + 17), QStringLiteral("Seven by Five"));
  EXPECT_EQ(LoadString(kGameNameStringFirst + 19), QStringLiteral("Towers"));
  EXPECT_TRUE(LoadString(kGameNameStringFirst + 20).isEmpty());
}

TEST(GameResources, CatalogueArraysAreFoundByTypeAndId) {
  const auto ids = FindResource("SOLID", kResourceSolId);
  ASSERT_TRUE(ids.has_value());
  ASSERT_EQ(ids->size(), 40u);  // twenty u16 game ids
  EXPECT_EQ((*ids)[0] | ((*ids)[1] << 8), 562);  // Antares
  EXPECT_TRUE(FindResource("SOLDB", kResourceSolDbFirst).has_value());
  EXPECT_FALSE(FindResource("SOLID", kResourceSolCat).has_value());
  EXPECT_FALSE(FindResource("BITMAP", kResourceSolId).has_value());
}

}  // namespace
}  // namespace cw
