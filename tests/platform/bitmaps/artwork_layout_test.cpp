// How the pictures sit in their boxes: what the card composer and the chooser
// rely on when they place them side by side.
#include <gtest/gtest.h>

#include <QImage>
#include <QRect>

#include "tools/artgen/artwork.h"

namespace cw::artwork {
namespace {

constexpr BitmapSet kSets[] = {BitmapSet::Qvga, BitmapSet::Vga};

int Scale(BitmapSet set) { return set == BitmapSet::Qvga ? 1 : 2; }

QImage Draw(const QString& name, QSize qvgaSize, BitmapSet set) {
  const auto image = DrawArtwork(name, qvgaSize * Scale(set), set);
  EXPECT_TRUE(image.has_value()) << name.toStdString();
  return image.value_or(QImage());
}

bool IsInk(const QImage& image, int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF; }

// The smallest rectangle holding every non-white pixel.
QRect InkBounds(const QImage& image) {
  QRect bounds;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (IsInk(image, x, y)) bounds |= QRect(x, y, 1, 1);
    }
  }
  return bounds;
}

// Pixels of ink joined edge to edge count as one mark.
int InkMarks(const QImage& image) {
  QImage seen(image.size(), QImage::Format_Mono);
  seen.fill(0);
  int marks = 0;
  for (int y0 = 0; y0 < image.height(); ++y0) {
    for (int x0 = 0; x0 < image.width(); ++x0) {
      if (!IsInk(image, x0, y0) || seen.pixelIndex(x0, y0)) continue;
      ++marks;
      std::vector<QPoint> stack = {{x0, y0}};
      seen.setPixel(x0, y0, 1);
      while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
          const QPoint q = p + step;
          if (!image.rect().contains(q) || seen.pixelIndex(q) || !IsInk(image, q.x(), q.y())) {
            continue;
          }
          seen.setPixel(q, 1);
          stack.push_back(q);
        }
      }
    }
  }
  return marks;
}

const char* const kRanks[] = {"ace", "2", "3",  "4",    "5",     "6",   "7",
                              "8",   "9", "10", "jack", "queen", "king"};
const char* const kSuits[] = {"spades", "clubs", "diamonds", "hearts"};

struct CornerSizes {
  const char* cardSize;
  QSize rank, smallSuit, bigSuit;
};
const CornerSizes kCardSizes[] = {{"large", {13, 11}, {11, 11}, {22, 22}},
                                  {"small", {10, 8}, {8, 8}, {16, 16}}};

// In the corner the rank sits against the top and left frame with the small
// suit to its right, and the small suit against the top and right frame; the
// big suit fills the card down to the bottom frame. Each keeps one white pixel
// towards every frame and between rank and suit.
TEST(ArtworkLayout, CardGlyphsKeepClearOfTheFrameAndEachOther) {
  for (const BitmapSet set : kSets) {
    for (const CornerSizes& sizes : kCardSizes) {
      for (const QString prefix : {"", "grey_"}) {
        for (const char* rank : kRanks) {
          const QString name = prefix + "rank_" + sizes.cardSize + "_" + rank;
          const QImage image = Draw(name, sizes.rank, set);
          EXPECT_TRUE(image.rect().adjusted(1, 1, -1, 0).contains(InkBounds(image)))
              << name.toStdString() << " on " << SetFolderName(set).toStdString();
        }
        for (const char* suit : kSuits) {
          const QString small = prefix + "suit_small_" + sizes.cardSize + "_" + suit;
          const QImage smallImage = Draw(small, sizes.smallSuit, set);
          EXPECT_TRUE(smallImage.rect().adjusted(0, 1, -1, 0).contains(InkBounds(smallImage)))
              << small.toStdString() << " on " << SetFolderName(set).toStdString();
          const QString big = prefix + "suit_big_" + sizes.cardSize + "_" + suit;
          const QImage bigImage = Draw(big, sizes.bigSuit, set);
          EXPECT_TRUE(bigImage.rect().adjusted(1, 1, -1, -1).contains(InkBounds(bigImage)))
              << big.toStdString() << " on " << SetFolderName(set).toStdString();
        }
      }
    }
  }
}

// The small suit beside the rank covers the same rows as the rank's ink.
TEST(ArtworkLayout, SmallSuitLinesUpWithTheRank) {
  for (const BitmapSet set : kSets) {
    for (const CornerSizes& sizes : kCardSizes) {
      const QString card = sizes.cardSize;
      const QRect rank = InkBounds(Draw("rank_" + card + "_king", sizes.rank, set));
      for (const char* suit : kSuits) {
        const QRect symbol =
            InkBounds(Draw(QString("suit_small_") + card + "_" + suit, sizes.smallSuit, set));
        const std::string what =
            card.toStdString() + " " + suit + " on " + SetFolderName(set).toStdString();
        EXPECT_NEAR(symbol.top(), rank.top(), Scale(set)) << what;
        EXPECT_NEAR(symbol.bottom(), rank.bottom(), Scale(set)) << what;
      }
    }
  }
}

// The outer ring is covered by the one-pixel card frame; inside it one pixel
// (two on the VGA set) stays white so that the pattern never runs into the
// frame.
TEST(ArtworkLayout, CardBacksLeaveWhiteInsideTheFrame) {
  for (const BitmapSet set : kSets) {
    for (const auto& [cardSize, size] :
         {std::pair{"small", QSize(20, 27)}, std::pair{"large", QSize(26, 35)}}) {
      for (int design = 0; design < 4; ++design) {
        const QString name = QString("card_back_%1_%2").arg(cardSize).arg(design);
        const QImage back = Draw(name, size, set);
        const int inset = 1 + Scale(set);
        const QRect pattern = back.rect().adjusted(inset, inset, -inset, -inset);
        EXPECT_EQ(InkBounds(back), pattern) << name.toStdString();
        EXPECT_TRUE(IsInk(back, back.width() / 2, back.height() / 2)) << name.toStdString();
      }
    }
  }
}

TEST(ArtworkLayout, SkillPicturesShowOneMarkPerLevel) {
  for (const BitmapSet set : kSets) {
    for (int level = 1; level <= 3; ++level) {
      const QImage image = Draw(QString("skill_%1").arg(level), QSize(10 * level, 13), set);
      EXPECT_EQ(InkMarks(image), level) << SetFolderName(set).toStdString();
    }
  }
}

// Longer duration classes show a fuller hourglass.
TEST(ArtworkLayout, HourglassesFillUpWithTheDuration) {
  const char* const durations[] = {"under_3m", "3_to_5m", "5_to_10m", "over_10m"};
  for (const BitmapSet set : kSets) {
    int previousSand = 0;
    for (const char* duration : durations) {
      const QImage image = Draw(QString("duration_") + duration, QSize(16, 13), set);
      int sand = 0;
      for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
          const QRgb pixel = image.pixel(x, y);
          sand += qRed(pixel) > 0xC0 && qGreen(pixel) > 0x80 && qBlue(pixel) < 0x60 ? 1 : 0;
        }
      }
      EXPECT_GT(sand, previousSand) << duration << " on " << SetFolderName(set).toStdString();
      previousSand = sand;
    }
  }
}

// The menu bar cuts the strip into four square images; each must hold its icon.
TEST(ArtworkLayout, MenuBarStripHoldsAnIconInEachSquare) {
  for (const BitmapSet set : kSets) {
    const QImage strip = Draw("menubar_icons_undo_hint_help_menu", QSize(64, 16), set);
    const int side = strip.height();
    for (int i = 0; i < 4; ++i) {
      const QRect ink = InkBounds(strip.copy(i * side, 0, side, side));
      EXPECT_GE(ink.width(), side / 2) << "image " << i;
      EXPECT_GE(ink.height(), side / 2) << "image " << i;
    }
  }
}

}  // namespace
}  // namespace cw::artwork
