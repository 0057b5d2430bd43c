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
  for (const int height : {16, 32}) {
    const QFont font = MakeFont({height, 700, {}});
    EXPECT_LE(QFontMetrics(font).height(), height);
    QFont larger = font;
    larger.setPixelSize(font.pixelSize() + 1);
    EXPECT_GT(QFontMetrics(larger).height(), height);
  }
}

}  // namespace
}  // namespace cw
