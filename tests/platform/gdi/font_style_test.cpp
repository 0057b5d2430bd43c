#include "platform/gdi/font_style.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

namespace cw {
namespace {

TEST(FontStyle, NegativeHeightIsTheCharacterHeight) {
  const QFont font = MakeFont({-11, 700, {}});
  EXPECT_EQ(font.pixelSize(), 11);
  EXPECT_EQ(font.weight(), QFont::Bold);
}

TEST(FontStyle, PositiveHeightIsTheLargestCellThatFits) {
  for (const int height : {1, 2, 7, 16, 21, 32, 43, 64, 97}) {
    const QFont font = MakeFont({height, 700, {}});
    // Every size from the cell height down, until one fits.
    QFont tried = font;
    int largest = height;
    for (tried.setPixelSize(largest); largest > 1 && QFontMetrics(tried).height() > height;) {
      tried.setPixelSize(--largest);
    }
    EXPECT_EQ(font.pixelSize(), largest) << height;
  }
}

}  // namespace
}  // namespace cw
