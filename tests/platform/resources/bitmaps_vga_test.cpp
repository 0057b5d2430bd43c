#include <gtest/gtest.h>

#include "platform/resources/bitmaps.h"
#include "platform/resources/build_variant.h"
#include "tests/platform/resources/bitmap_table.h"

namespace cw {
namespace {

TEST(Bitmaps, VgaBuildLoadsOnlyItsOwnSetAsRgb32) {
  ASSERT_TRUE(IsVgaBuild());
  const std::map<int, BitmapSizes> table = ReadBitmapTable(CW_BITMAP_TABLE);
  ASSERT_FALSE(table.empty());
  for (const auto& [id, sizes] : table) {
    const QImage image = LoadBitmap(id);
    if (sizes.vga.isEmpty()) {
      EXPECT_TRUE(image.isNull()) << id << " belongs to the QVGA set only";
    } else {
      ASSERT_FALSE(image.isNull()) << id << " is missing from the VGA set";
      EXPECT_EQ(image.format(), QImage::Format_RGB32) << id;
    }
  }
}

}  // namespace
}  // namespace cw
