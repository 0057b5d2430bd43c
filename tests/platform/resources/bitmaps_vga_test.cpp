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
  int loaded = 0;
  for (const auto& [id, sizes] : table) {
    const QImage image = LoadBitmap(id);
    if (sizes.vga.isEmpty()) {
      EXPECT_TRUE(image.isNull()) << id << " belongs to the QVGA set only";
    } else if (!image.isNull()) {
      ++loaded;
      EXPECT_EQ(image.format(), QImage::Format_RGB32) << id;
    }
  }
  if (loaded == 0) GTEST_SKIP() << "no VGA bitmap has been drawn yet";
}

}  // namespace
}  // namespace cw
