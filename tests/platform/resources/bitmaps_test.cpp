#include "platform/resources/bitmaps.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/resources/bitmap_ids.h"
#include "platform/resources/build_variant.h"
#include "tests/platform/resources/bitmap_table.h"

namespace cw {
namespace {

namespace ids = bitmap_ids;

const std::map<int, BitmapSizes>& Table() {
  static const std::map<int, BitmapSizes> table = ReadBitmapTable(CW_BITMAP_TABLE);
  return table;
}

// The size the table gives `id` in the set of `vga`; empty when it is not listed.
QSize ListedSize(bool vga, int id) {
  const auto found = Table().find(id);
  if (found == Table().end()) return {};
  return vga ? found->second.vga : found->second.qvga;
}

TEST(BitmapIds, CardImagesAreListedInTheirSetWithTheirSize) {
  ASSERT_FALSE(Table().empty());
  for (const bool vga : {false, true}) {
    const int k = vga ? 2 : 1;
    for (int b = 0; b < 4; ++b) {
      EXPECT_EQ(ListedSize(vga, ids::CardBack(vga, false, b)), QSize(20, 27) * k);
      EXPECT_EQ(ListedSize(vga, ids::CardBack(vga, true, b)), QSize(26, 35) * k);
    }
    for (int r = 0; r < 13; ++r) {
      EXPECT_EQ(ListedSize(vga, ids::RankGlyph(vga, true, r)), QSize(13, 11) * k);
      EXPECT_EQ(ListedSize(vga, ids::RankGlyph(vga, false, r)), QSize(10, 8) * k);
      EXPECT_EQ(ListedSize(vga, ids::GreyRank(vga, true, r)), QSize(13, 11) * k);
      EXPECT_EQ(ListedSize(vga, ids::GreyRank(vga, false, r)), QSize(10, 8) * k);
    }
    for (int s = 0; s < 4; ++s) {
      EXPECT_EQ(ListedSize(vga, ids::BigSuit(vga, true, s)), QSize(22, 22) * k);
      EXPECT_EQ(ListedSize(vga, ids::SmallSuit(vga, true, s)), QSize(11, 11) * k);
      EXPECT_EQ(ListedSize(vga, ids::BigSuit(vga, false, s)), QSize(16, 16) * k);
      EXPECT_EQ(ListedSize(vga, ids::SmallSuit(vga, false, s)), QSize(8, 8) * k);
      EXPECT_EQ(ListedSize(vga, ids::GreyBigSuit(vga, true, s)), QSize(22, 22) * k);
      EXPECT_EQ(ListedSize(vga, ids::GreySmallSuit(vga, true, s)), QSize(11, 11) * k);
      EXPECT_EQ(ListedSize(vga, ids::GreyBigSuit(vga, false, s)), QSize(16, 16) * k);
      EXPECT_EQ(ListedSize(vga, ids::GreySmallSuit(vga, false, s)), QSize(8, 8) * k);
    }
    for (int v = 0; v < 2; ++v) {
      EXPECT_EQ(ListedSize(vga, ids::EmptyArrow(vga, v)), QSize(7, 11) * k);
    }
  }
}

TEST(BitmapIds, EveryOtherPictureIsListedInItsOwnSetOnly) {
  for (const bool vga : {false, true}) {
    std::vector<int> pictures = {ids::MenuBarImages(vga), ids::ClearFilters(vga),
                                 ids::FavouriteStar(vga), ids::LeftArrow(vga),
                                 ids::RightArrow(vga)};
    for (int c = 1; c <= 10; ++c) pictures.push_back(ids::Category(vga, c));
    for (int s = 1; s <= 3; ++s) pictures.push_back(ids::Skill(vga, s));
    for (int d = 1; d <= 4; ++d) pictures.push_back(ids::Duration(vga, d));
    for (const auto button : {ids::FilterButton::kCategory, ids::FilterButton::kSkill,
                              ids::FilterButton::kDuration}) {
      pictures.push_back(ids::FilterButtonPicture(vga, button));
    }
    for (const int id : pictures) {
      EXPECT_FALSE(ListedSize(vga, id).isEmpty()) << id;
      EXPECT_TRUE(ListedSize(!vga, id).isEmpty()) << id;
    }
  }
  EXPECT_FALSE(ListedSize(false, ids::kApplicationIcon).isEmpty());
  EXPECT_FALSE(ListedSize(true, ids::kApplicationIcon).isEmpty());
}

TEST(BitmapIds, VgaPicturesAreTwiceTheQvgaSize) {
  for (const bool large : {false, true}) {
    EXPECT_EQ(ListedSize(true, ids::CardBack(true, large, 0)),
              ListedSize(false, ids::CardBack(false, large, 0)) * 2);
  }
  EXPECT_EQ(ListedSize(true, ids::MenuBarImages(true)),
            ListedSize(false, ids::MenuBarImages(false)) * 2);
  for (int s = 1; s <= 3; ++s) {
    EXPECT_EQ(ListedSize(true, ids::Skill(true, s)), ListedSize(false, ids::Skill(false, s)) * 2);
  }
}

TEST(Bitmaps, QvgaBuildLoadsOnlyItsOwnSetAsRgb32) {
  ASSERT_FALSE(IsVgaBuild());
  EXPECT_TRUE(LoadBitmap(0).isNull());
  EXPECT_TRUE(LoadBitmap(99999).isNull());
  EXPECT_TRUE(BitmapSize(99999).isEmpty());
  for (const auto& [id, sizes] : Table()) {
    const QImage image = LoadBitmap(id);
    if (sizes.qvga.isEmpty()) {
      EXPECT_TRUE(image.isNull()) << id << " belongs to the VGA set only";
    } else {
      ASSERT_FALSE(image.isNull()) << id << " is missing from the QVGA set";
      EXPECT_EQ(image.format(), QImage::Format_RGB32) << id;
    }
    EXPECT_EQ(BitmapSize(id), image.size()) << id;
  }
}

// Loading a plugin costs the start more than decoding the picture does.
TEST(Bitmaps, LoadingOneLoadsNoImageFormatPlugin) {
  ASSERT_FALSE(LoadBitmap(ids::MenuBarImages(false)).isNull());
  std::ifstream maps("/proc/self/maps");
  ASSERT_TRUE(maps);
  std::string line;
  while (std::getline(maps, line)) {
    EXPECT_EQ(line.find("/imageformats/"), std::string::npos) << line;
  }
}

TEST(Bitmaps, OnlyPureWhiteTurnsTransparent) {
  QImage image(4, 1, QImage::Format_RGB32);
  image.setPixel(0, 0, qRgb(255, 255, 255));
  image.setPixel(1, 0, qRgb(254, 255, 255));
  image.setPixel(2, 0, qRgb(0, 0, 0));
  image.setPixel(3, 0, qRgb(200, 0, 0));
  const QImage keyed = WhiteTransparent(image);
  ASSERT_EQ(keyed.size(), image.size());
  EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0);
  for (int x = 1; x < 4; ++x) EXPECT_EQ(keyed.pixel(x, 0), image.pixel(x, 0)) << x;
  EXPECT_TRUE(WhiteTransparent(QImage()).isNull());

  // The menu bar strip keeps its drawings and loses its white ground.
  const QImage strip = WhiteTransparent(LoadBitmap(ids::MenuBarImages(false)));
  ASSERT_FALSE(strip.isNull());
  EXPECT_EQ(qAlpha(strip.pixel(0, 0)), 0) << "the corner of an icon is background";
  bool drawn = false;
  for (int y = 0; y < strip.height() && !drawn; ++y) {
    for (int x = 0; x < strip.width() && !drawn; ++x) drawn = qAlpha(strip.pixel(x, y)) == 255;
  }
  EXPECT_TRUE(drawn);
}

}  // namespace
}  // namespace cw
