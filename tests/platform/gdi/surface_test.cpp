#include "platform/gdi/surface.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QRegion>
#include <sys/mman.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/gdi/colorref.h"

namespace cw {
namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kRed = 0xFFFF0000u;
constexpr QRgb kGreen = 0xFF008000u;
constexpr QRgb kBlue = 0xFF0000FFu;

using PixelSet = std::set<std::pair<int, int>>;

// Pixels of `surface` that are `colour`.
PixelSet PixelsOf(const Surface& surface, QRgb colour) {
  PixelSet pixels;
  for (int y = 0; y < surface.Height(); ++y) {
    for (int x = 0; x < surface.Width(); ++x) {
      if (surface.Pixel(x, y) == colour) pixels.insert({x, y});
    }
  }
  return pixels;
}

PixelSet RectPixels(const QRect& rect) {
  PixelSet pixels;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) pixels.insert({x, y});
  }
  return pixels;
}

// A surface whose every pixel differs from its neighbours.
Surface Patterned(int width, int height) {
  Surface surface(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      surface.FillRect(QRect(x, y, 1, 1), qRgb(x * 7 % 256, y * 13 % 256, (x + y) * 29 % 256));
    }
  }
  return surface;
}

bool SameImage(const Surface& a, const Surface& b) { return a.Image() == b.Image(); }

TEST(Surface, CreatesBlackRgb32AndRecreatesAtANewSize) {
  Surface surface(5, 4);
  EXPECT_EQ(surface.Image().format(), QImage::Format_RGB32);
  EXPECT_EQ(PixelsOf(surface, kBlack).size(), 20u);
  surface.FillRect(QRect(0, 0, 5, 4), kWhite);
  surface.Create(3, 2);
  EXPECT_EQ(surface.Width(), 3);
  EXPECT_EQ(surface.Height(), 2);
  EXPECT_EQ(PixelsOf(surface, kBlack).size(), 6u);
}

TEST(Surface, EmptySurfaceIgnoresEveryOperation) {
  Surface surface(0, 10);
  EXPECT_TRUE(surface.IsNull());
  surface.FillRect(QRect(0, 0, 5, 5), kRed);
  surface.InvertRect(QRect(0, 0, 5, 5));
  surface.Line({0, 0}, {5, 5}, kRed);
  surface.Draw(Patterned(3, 3), {0, 0});
  surface.DrawText(QRect(0, 0, 50, 20), QStringLiteral("0:07"), {16, 700, {}}, TextAlign::kRight,
                   kBlack);
  EXPECT_TRUE(surface.IsNull());
}

TEST(Surface, FillRectCoversExactlyTheRectangleWithExclusiveRightAndBottom) {
  Surface surface(10, 8);
  surface.FillRect(RectFromLTRB(2, 1, 6, 4), kGreen);
  EXPECT_EQ(PixelsOf(surface, kGreen), RectPixels(QRect(2, 1, 4, 3)));
}

TEST(Surface, FillRectIsCutAtTheEdgesAndByTheClip) {
  Surface surface(10, 8);
  surface.FillRect(QRect(-3, -3, 5, 5), kRed);
  EXPECT_EQ(PixelsOf(surface, kRed), RectPixels(QRect(0, 0, 2, 2)));
  surface.FillRect(QRect(8, 6, 10, 10), kBlue);
  EXPECT_EQ(PixelsOf(surface, kBlue), RectPixels(QRect(8, 6, 2, 2)));

  surface.SetClip(QRect(4, 0, 2, 8));
  surface.FillRect(QRect(0, 3, 10, 2), kGreen);
  EXPECT_EQ(PixelsOf(surface, kGreen), RectPixels(QRect(4, 3, 2, 2)));
  surface.ClearClip();
  surface.FillRect(QRect(0, 7, 10, 1), kGreen);
  EXPECT_EQ(PixelsOf(surface, kGreen).size(), 4u + 10u);
}

TEST(Surface, InvertRectNotsExactlyTheRectangleAndTwiceRestores) {
  const Surface original = Patterned(12, 9);
  Surface surface = original;
  const QRect rect(3, 2, 5, 4);
  surface.InvertRect(rect);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 12; ++x) {
      const QRgb before = original.Pixel(x, y);
      const QRgb expected = rect.contains(x, y) ? (before ^ 0x00FFFFFFu) : before;
      ASSERT_EQ(surface.Pixel(x, y), expected) << x << "," << y;
    }
  }
  surface.InvertRect(rect);
  EXPECT_TRUE(SameImage(surface, original));
}

TEST(Surface, InvertedWhiteIsBlackAndPartlyOutsideRectanglesAreCut) {
  Surface surface(4, 4);
  surface.FillRect(QRect(0, 0, 4, 4), kWhite);
  surface.InvertRect(QRect(2, 2, 10, 10));
  EXPECT_EQ(PixelsOf(surface, kBlack), RectPixels(QRect(2, 2, 2, 2)));
}

TEST(Surface, LinesDrawTheStartPixelButNotTheEnd) {
  Surface surface(10, 10);
  surface.Line({1, 2}, {5, 2}, kRed);
  EXPECT_EQ(PixelsOf(surface, kRed), (PixelSet{{1, 2}, {2, 2}, {3, 2}, {4, 2}}));

  surface.Line({7, 8}, {7, 5}, kBlue);
  EXPECT_EQ(PixelsOf(surface, kBlue), (PixelSet{{7, 8}, {7, 7}, {7, 6}}));

  surface.Line({0, 0}, {3, 3}, kGreen);
  EXPECT_EQ(PixelsOf(surface, kGreen), (PixelSet{{0, 0}, {1, 1}, {2, 2}}));
}

TEST(Surface, ShallowLineStepsOnePixelPerColumn) {
  Surface surface(10, 4);
  surface.Line({0, 0}, {8, 2}, kRed);
  const PixelSet drawn = PixelsOf(surface, kRed);
  ASSERT_EQ(drawn.size(), 8u);
  std::set<int> columns;
  for (const auto& [x, y] : drawn) {
    columns.insert(x);
    // Every pixel lies within half a pixel of the ideal line y = x / 4.
    EXPECT_LE(std::abs(4 * y - x), 2) << x << "," << y;
  }
  EXPECT_EQ(columns.size(), 8u);
}

TEST(Surface, ZeroLengthLineDrawsNothingAndClippedLineStaysInside) {
  Surface surface(6, 6);
  surface.Line({3, 3}, {3, 3}, kRed);
  EXPECT_TRUE(PixelsOf(surface, kRed).empty());
  surface.Line({-5, 1}, {20, 1}, kRed);
  EXPECT_EQ(PixelsOf(surface, kRed), RectPixels(QRect(0, 1, 6, 1)));
  surface.Line({2, 2000000000}, {2, -2000000000}, kBlue);
  EXPECT_EQ(PixelsOf(surface, kBlue), RectPixels(QRect(2, 0, 1, 6)));
}

TEST(Surface, RightToLeftLineLeavesOutItsLeftEnd) {
  Surface surface(8, 2);
  surface.Line({5, 0}, {1, 0}, kRed);
  EXPECT_EQ(PixelsOf(surface, kRed), (PixelSet{{5, 0}, {4, 0}, {3, 0}, {2, 0}}));
}

TEST(Surface, FrameRectDrawsOnlyTheBorder) {
  Surface surface(8, 7);
  const QRect rect(1, 1, 5, 4);
  surface.FrameRect(rect, kWhite);
  PixelSet border = RectPixels(rect);
  for (const auto& inner : RectPixels(rect.adjusted(1, 1, -1, -1))) border.erase(inner);
  EXPECT_EQ(PixelsOf(surface, kWhite), border);
}

TEST(Surface, TwoColourFramePutsTheFirstColourLeftAndTopAndTheSecondRightAndBottom) {
  Surface surface(8, 8);
  surface.TwoColourFrame(RectFromLTRB(1, 1, 5, 6), kRed, kBlue);
  // Left column (with both left corners) and the top row up to the last
  // column in the first colour; the right column and the bottom row between
  // the corners in the second.
  EXPECT_EQ(PixelsOf(surface, kRed),
            (PixelSet{{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 1}, {3, 1}}));
  EXPECT_EQ(PixelsOf(surface, kBlue),
            (PixelSet{{4, 1}, {4, 2}, {4, 3}, {4, 4}, {4, 5}, {3, 5}, {2, 5}}));
}

TEST(Surface, CopyIsOpaqueAndExact) {
  const Surface source = Patterned(6, 5);
  Surface target(10, 10);
  target.Copy(source, QRect(1, 1, 3, 2), {4, 6});
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inside = QRect(4, 6, 3, 2).contains(x, y);
      const QRgb expected = inside ? source.Pixel(x - 3, y - 5) : kBlack;
      ASSERT_EQ(target.Pixel(x, y), expected) << x << "," << y;
    }
  }
}

TEST(Surface, CopyIsCutAtBothSurfacesEdges) {
  const Surface source = Patterned(4, 4);
  Surface target(5, 5);
  target.FillRect(QRect(0, 0, 5, 5), kWhite);
  // The source rectangle reaches past the source; the destination starts
  // left of the target.
  target.Copy(source, QRect(2, 2, 5, 5), {-1, 3});
  EXPECT_EQ(target.Pixel(0, 3), source.Pixel(3, 2));
  EXPECT_EQ(target.Pixel(0, 4), source.Pixel(3, 3));
  EXPECT_EQ(PixelsOf(target, kWhite).size(), 23u);
}

TEST(Surface, CopyWithinOneSurfaceReadsTheOldPixels) {
  Surface surface = Patterned(8, 3);
  const Surface original = surface;
  surface.Copy(surface, QRect(0, 0, 6, 3), {2, 0});
  for (int y = 0; y < 3; ++y) {
    for (int x = 2; x < 8; ++x) ASSERT_EQ(surface.Pixel(x, y), original.Pixel(x - 2, y));
  }
}

TEST(Surface, CopyIgnoresSourceAlphaAndConvertsOtherFormats) {
  QImage source(2, 1, QImage::Format_ARGB32);
  source.setPixel(0, 0, 0x00123456u);
  source.setPixel(1, 0, 0x80ABCDEFu);
  Surface target(2, 1);
  target.Draw(source, {0, 0});
  EXPECT_EQ(target.Pixel(0, 0), 0xFF123456u);
  EXPECT_EQ(target.Pixel(1, 0), 0xFFABCDEFu);

  QImage grey(1, 1, QImage::Format_Grayscale8);
  grey.fill(0x80);
  target.Draw(grey, {1, 0});
  EXPECT_EQ(target.Pixel(1, 0), 0xFF808080u);
}

TEST(Surface, TransparentCopySkipsExactlyTheKeyColour) {
  QImage source(4, 1, QImage::Format_RGB32);
  source.setPixel(0, 0, kWhite);
  source.setPixel(1, 0, 0xFFFFFFFEu);  // one step off the key
  source.setPixel(2, 0, kRed);
  source.setPixel(3, 0, kWhite);
  Surface target(4, 1);
  target.FillRect(QRect(0, 0, 4, 1), kGreen);
  target.DrawTransparent(source, {0, 0}, kWhite);
  EXPECT_EQ(target.Pixel(0, 0), kGreen);
  EXPECT_EQ(target.Pixel(1, 0), 0xFFFFFFFEu);
  EXPECT_EQ(target.Pixel(2, 0), kRed);
  EXPECT_EQ(target.Pixel(3, 0), kGreen);
}

TEST(Surface, TransparentCopyComparesColourNotAlpha) {
  QImage source(2, 1, QImage::Format_ARGB32);
  source.setPixel(0, 0, 0x00FFFFFFu);
  source.setPixel(1, 0, 0x7F000000u);
  Surface target(2, 1);
  target.FillRect(QRect(0, 0, 2, 1), kGreen);
  target.CopyTransparent(source, source.rect(), {0, 0}, kWhite);
  EXPECT_EQ(target.Pixel(0, 0), kGreen);
  EXPECT_EQ(target.Pixel(1, 0), kBlack);
}

// The columns holding pixels of `colour`, as [first, last]; (-1, -1) when none.
std::pair<int, int> InkColumns(const Surface& surface, QRgb colour) {
  int first = -1;
  int last = -1;
  for (const auto& [x, y] : PixelsOf(surface, colour)) {
    if (first < 0 || x < first) first = x;
    last = std::max(last, x);
  }
  return {first, last};
}

TEST(Surface, RightAlignedTextEndsAtTheRightEdge) {
  Surface surface(120, 30);
  surface.FillRect(QRect(0, 0, 120, 30), kWhite);
  const QRect rect = RectFromLTRB(20, 5, 100, 25);
  surface.DrawText(rect, QStringLiteral("12:30"), {16, 700, {}}, TextAlign::kRight, kBlack);
  const auto [first, last] = InkColumns(surface, kBlack);
  ASSERT_GE(first, 0) << "no text drawn";
  EXPECT_LE(last, 99);
  EXPECT_GE(last, 96);  // at most the digit's side bearing from the edge
  EXPECT_GT(first, 20);
}

TEST(Surface, LeftAndCentredTextSitWhereAsked) {
  Surface left(120, 30);
  left.FillRect(QRect(0, 0, 120, 30), kWhite);
  left.DrawText(QRect(10, 0, 100, 30), QStringLiteral("8:88"), {16, 400, {}}, TextAlign::kLeft,
                kBlack);
  const auto [leftFirst, leftLast] = InkColumns(left, kBlack);
  EXPECT_GE(leftFirst, 10);
  EXPECT_LE(leftFirst, 13);

  Surface centred(120, 30);
  centred.FillRect(QRect(0, 0, 120, 30), kWhite);
  centred.DrawText(QRect(0, 0, 120, 30), QStringLiteral("8:88"), {16, 400, {}},
                   TextAlign::kCentre, kBlack);
  const auto [first, last] = InkColumns(centred, kBlack);
  EXPECT_LE(std::abs((first + last) - 119), 3);
  EXPECT_EQ(last - first, leftLast - leftFirst);
}

TEST(Surface, TextHasExactPixelsAndStaysInsideItsRectangle) {
  Surface surface(60, 30);
  surface.FillRect(QRect(0, 0, 60, 30), kWhite);
  const QRect rect(5, 5, 20, 8);
  surface.DrawText(rect, QStringLiteral("WWWWWWW"), {16, 700, {}}, TextAlign::kLeft, kRed);
  const PixelSet red = PixelsOf(surface, kRed);
  EXPECT_FALSE(red.empty());
  EXPECT_EQ(red.size() + PixelsOf(surface, kWhite).size(), 60u * 30u);  // no blended pixels
  for (const auto& [x, y] : red) EXPECT_TRUE(rect.contains(x, y)) << x << "," << y;
}

// A window's picture while it paints, as Qt's raster engine holds it.
class SurfaceOverPainter : public ::testing::TestWithParam<QImage::Format> {
 protected:
  QImage PaintedImage() const {
    QImage image(40, 30, GetParam());
    image.fill(kWhite);
    return image;
  }
  // The operations the table draws with, on `surface`.
  static void DrawTable(Surface& surface) {
    surface.FillRect(QRect(-5, -5, 100, 100), kGreen);
    surface.Draw(Patterned(6, 5), QPoint(2, 1));
    surface.InvertRect(QRect(4, 2, 6, 6));
    surface.Line(QPoint(0, 9), QPoint(19, 0), kBlue);
    surface.DrawText(QRect(0, 0, 20, 10), QStringLiteral("12:34"), {10, 700, {}}, TextAlign::kRight,
                     kRed);
  }
};

TEST_P(SurfaceOverPainter, DrawsWhatAnOwnSurfaceWouldAtThePaintersShiftAndNowhereElse) {
  QImage image = PaintedImage();
  {
    QPainter painter(&image);
    painter.translate(5, 4);
    std::optional<Surface> window = Surface::OverPainter(painter, QSize(20, 10));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->Image().size(), QSize(20, 10));
    DrawTable(*window);
  }
  Surface own(20, 10);
  DrawTable(own);
  const QImage drawn = image.convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(drawn.copy(5, 4, 20, 10), own.Image());
  int touched = 0;
  for (int y = 0; y < drawn.height(); ++y) {
    for (int x = 0; x < drawn.width(); ++x) touched += drawn.pixel(x, y) != kWhite ? 1 : 0;
  }
  EXPECT_EQ(touched, 20 * 10);
}

TEST_P(SurfaceOverPainter, ReachesOnlyTheAreaBeingPaintedWhateverTheClip) {
  QImage image = PaintedImage();
  const QRect painted(10, 5, 8, 6);
  image.paintEngine()->setSystemClip(QRegion(painted));
  {
    QPainter painter(&image);
    std::optional<Surface> window = Surface::OverPainter(painter, QSize(30, 20));
    ASSERT_TRUE(window);
    window->SetClip(QRect(0, 0, 30, 20));
    DrawTable(*window);
    window->ClearClip();
    window->Line(QPoint(0, 0), QPoint(29, 19), kBlack);
    window->DrawText(QRect(0, 0, 30, 20), QStringLiteral("WWWW"), {16, 700, {}}, TextAlign::kLeft,
                     kBlack);
  }
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (!painted.contains(x, y)) {
        EXPECT_EQ(image.pixel(x, y), kWhite) << x << "," << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(WindowFormats, SurfaceOverPainter,
                         ::testing::Values(QImage::Format_RGB32,
                                           QImage::Format_ARGB32_Premultiplied));

// Fresh memory, as a window's picture is when the window first shows: one
// 4-byte pixel row per page.
class FreshPicture {
 public:
  static constexpr int kRows = 64;
  FreshPicture()
      : pageSize_(static_cast<int>(sysconf(_SC_PAGESIZE))),
        memory_(mmap(nullptr, Bytes(), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1,
                     0)) {}
  ~FreshPicture() {
    if (memory_ != MAP_FAILED) munmap(memory_, Bytes());
  }
  FreshPicture(const FreshPicture&) = delete;
  FreshPicture& operator=(const FreshPicture&) = delete;

  bool Valid() const { return memory_ != MAP_FAILED; }
  QImage Image() const {
    return QImage(static_cast<uchar*>(memory_), pageSize_ / 4, kRows, pageSize_,
                  QImage::Format_RGB32);
  }
  // The rows whose pages are in memory.
  std::set<int> ResidentRows() const {
    std::vector<unsigned char> resident(kRows);
    std::set<int> rows;
    if (mincore(memory_, Bytes(), resident.data()) != 0) return rows;
    for (int row = 0; row < kRows; ++row) {
      if (resident[row] & 1) rows.insert(row);
    }
    return rows;
  }

 private:
  size_t Bytes() const { return static_cast<size_t>(pageSize_) * kRows; }
  int pageSize_;
  void* memory_;
};

TEST(SurfaceOverPainterPages, TheRowsBeingPaintedAreInMemoryBeforeTheFirstPixelIsDrawn) {
  FreshPicture probe;
  ASSERT_TRUE(probe.Valid());
#ifdef MADV_POPULATE_WRITE
  if (madvise(probe.Image().bits(), 1, MADV_POPULATE_WRITE) != 0) {
    GTEST_SKIP() << "this kernel supplies pages only as they are touched";
  }
#else
  GTEST_SKIP() << "built without the call that supplies pages";
#endif
  FreshPicture fresh;
  ASSERT_TRUE(fresh.Valid());
  ASSERT_TRUE(fresh.ResidentRows().empty());
  QImage image = fresh.Image();
  image.paintEngine()->setSystemClip(QRegion(QRect(8, 20, 30, 10)));
  QPainter painter(&image);
  ASSERT_TRUE(Surface::OverPainter(painter, image.size()));
  std::set<int> painted;
  for (int row = 20; row < 30; ++row) painted.insert(row);
  EXPECT_EQ(fresh.ResidentRows(), painted);
}

TEST(SurfaceOverPainterRefuses, WhatItCannotDrawStraightOnto) {
  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(kWhite);
  const auto over = [&](const std::function<void(QPainter&)>& prepare, QSize size = QSize(10, 10)) {
    QPainter painter(&image);
    prepare(painter);
    return Surface::OverPainter(painter, size).has_value();
  };
  EXPECT_TRUE(over([](QPainter&) {}));
  EXPECT_FALSE(over([](QPainter& painter) { painter.scale(2, 2); }));
  EXPECT_FALSE(over([](QPainter& painter) { painter.translate(0.5, 0); }));
  EXPECT_FALSE(over([](QPainter& painter) { painter.translate(35, 0); }));
  EXPECT_FALSE(over([](QPainter&) {}, QSize(41, 10)));
  EXPECT_FALSE(over([](QPainter&) {}, QSize(0, 10)));
  const QRegion twoRectangles = QRegion(0, 0, 2, 2) + QRegion(5, 5, 2, 2);
  EXPECT_FALSE(over([&](QPainter&) { image.paintEngine()->setSystemClip(twoRectangles); }));
  image.paintEngine()->setSystemClip(QRegion());
  QImage narrow(40, 30, QImage::Format_RGB16);
  QPainter painter(&narrow);
  EXPECT_FALSE(Surface::OverPainter(painter, QSize(10, 10)));
}

TEST(ColorRef, ConvertsBetweenRegistryAndSurfaceColours) {
  EXPECT_EQ(FromColorRef(0x8000), qRgb(0, 128, 0));  // the default table green
  EXPECT_EQ(FromColorRef(0x00FF0000), qRgb(0, 0, 255));
  EXPECT_EQ(FromColorRef(0xFF0000FF), qRgb(255, 0, 0));  // the top byte is not a colour
  EXPECT_EQ(ToColorRef(qRgb(0x12, 0x34, 0x56)), 0x563412u);
  EXPECT_EQ(ToColorRef(FromColorRef(0x00ABCDEF)), 0x00ABCDEFu);
}

}  // namespace
}  // namespace cw
