// The table grown with the field: the card size chosen for a field, the
// layout of every game in desktop windows, and the cards drawn at that size.
#include <gtest/gtest.h>

#include <QImage>
#include <set>
#include <tuple>

#include "tests/view/view_test_support.h"
#include "view/card_images.h"
#include "view/hit_map.h"
#include "view/table_scale.h"

namespace cw {
namespace {

using testing::BuildScreen;
using testing::DatabaseGames;
using testing::DealForScreen;
using testing::FieldSizes;
using testing::LayoutOf;
using testing::TestName;

// Desktop windows' fields: full HD and HD maximised, a 4K screen, a tall
// window and a small one just above the handheld's size.
struct DesktopField {
  int width;
  int height;
  const char* name;
};
std::vector<DesktopField> DesktopFields(const ScreenFacts& screen) {
  return {{screen.ScaleX(960), screen.ScaleY(510), "1920x1080 maximised"},
          {screen.ScaleX(640), screen.ScaleY(330), "1280x720 maximised"},
          {screen.ScaleX(1920), screen.ScaleY(1050), "3840x2160 maximised"},
          {screen.ScaleX(400), screen.ScaleY(700), "tall"},
          {screen.ScaleX(260), screen.ScaleY(290), "a little above the handheld"}};
}

FieldLayout FittedLayout(const SolGame& game, const ScreenFacts& screen, int width, int height) {
  FieldLayout layout;
  layout.piles = MirrorTable(game);
  FitLayoutToField(layout, game, screen, width, height);
  return layout;
}

HitMap RecordAll(const FieldLayout& layout, int width, int height) {
  HitMap map;
  RecordField(layout, width, height, map, [](const CardSlot&) { return true; });
  return map;
}

std::vector<QRect> PileBoxes(const HitMap& map, std::size_t pileCount) {
  std::vector<QRect> boxes(pileCount);
  for (const HitRecord& record : map.Records()) boxes[record.pile] = boxes[record.pile].united(record.Rect());
  return boxes;
}

// Where each recorded card or base lies: pile, index and rectangle.
std::vector<std::tuple<int, int, int, int, int, int>> Places(const HitMap& map) {
  std::vector<std::tuple<int, int, int, int, int, int>> places;
  for (const HitRecord& r : map.Records()) places.emplace_back(r.pile, r.index, r.left, r.top, r.right, r.bottom);
  return places;
}

// Pairs of piles whose cards overlap.
std::set<std::pair<std::size_t, std::size_t>> Overlaps(const FieldLayout& layout, int width, int height) {
  const std::vector<QRect> boxes = PileBoxes(RecordAll(layout, width, height), layout.piles.size());
  std::set<std::pair<std::size_t, std::size_t>> pairs;
  for (std::size_t a = 0; a < boxes.size(); ++a) {
    for (std::size_t b = a + 1; b < boxes.size(); ++b) {
      if (!boxes[a].isNull() && !boxes[b].isNull() && boxes[a].intersects(boxes[b])) pairs.insert({a, b});
    }
  }
  return pairs;
}

TEST(ChooseCardWidth, HandheldFieldsAndSmallerKeepTheBuildsCardsAndBiggerOnesGrowThem) {
  const ScreenFacts screen = BuildScreen();
  const int base = screen.ScaleX(20);
  for (const auto& size : FieldSizes(screen)) {
    EXPECT_EQ(ChooseCardWidth(base, size.width, size.height, screen), base) << size.name;
    EXPECT_EQ(ChooseCardWidth(base, size.width / 2, size.height / 2, screen), base) << size.name;
  }
  // Twice the portrait field both ways: twice the card.
  EXPECT_EQ(ChooseCardWidth(base, screen.ScaleX(480), screen.ScaleY(536), screen), 2 * base);
  // A wide field is limited by its height, a tall one by its width.
  EXPECT_EQ(ChooseCardWidth(base, screen.ScaleX(3200), screen.ScaleY(376), screen), 2 * base);
  EXPECT_EQ(ChooseCardWidth(base, screen.ScaleX(480), screen.ScaleY(4000), screen), 2 * base);
  // Never smaller as the field grows.
  int previous = base;
  for (int height = screen.ScaleY(188); height < screen.ScaleY(1200); height += screen.ScaleY(37)) {
    const int width = ChooseCardWidth(base, height * 16 / 9, height, screen);
    EXPECT_GE(width, previous) << height;
    previous = width;
  }
}

class EveryGameScaled : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryGameScaled, HandheldFieldsLayOutAsTheRecordSays) {
  const ScreenFacts screen = BuildScreen();
  const auto game = DealForScreen(GetParam(), 7, screen);
  ASSERT_TRUE(game);
  const FieldLayout plain = LayoutOf(*game, screen);
  for (const auto& size : FieldSizes(screen)) {
    const FieldLayout fitted = FittedLayout(*game, screen, size.width, size.height);
    EXPECT_FALSE(fitted.Scaled()) << size.name;
    EXPECT_EQ(fitted.cardWidth, plain.cardWidth);
    EXPECT_EQ(fitted.cardHeight, plain.cardHeight);
    EXPECT_EQ(Places(RecordAll(fitted, size.width, size.height)),
              Places(RecordAll(plain, size.width, size.height)))
        << size.name;
  }
}

TEST_P(EveryGameScaled, DesktopFieldsGrowTheCardsKeepThemInsideAndAddNoOverlap) {
  const ScreenFacts screen = BuildScreen();
  for (std::uint32_t number : {1u, 7u}) {
    const auto game = DealForScreen(GetParam(), number, screen);
    ASSERT_TRUE(game);
    const FieldLayout plain = LayoutOf(*game, screen);
    std::set<std::pair<std::size_t, std::size_t>> handheld;
    for (const auto& size : FieldSizes(screen)) handheld.merge(Overlaps(plain, size.width, size.height));
    for (const DesktopField& size : DesktopFields(screen)) {
      SCOPED_TRACE(std::string(size.name) + " deal " + std::to_string(number));
      const FieldLayout layout = FittedLayout(*game, screen, size.width, size.height);
      EXPECT_GT(layout.cardWidth, plain.cardWidth);
      // The card keeps its proportions within a pixel, and so do the steps.
      EXPECT_NEAR(layout.cardHeight * plain.cardWidth, plain.cardHeight * layout.cardWidth, layout.cardWidth);
      EXPECT_NEAR(layout.stepY * plain.cardWidth, plain.stepY * layout.cardWidth, layout.cardWidth);
      const HitMap map = RecordAll(layout, size.width, size.height);
      ASSERT_FALSE(map.Records().empty());
      const QRect field(0, 0, size.width, size.height);
      for (const HitRecord& record : map.Records()) {
        EXPECT_TRUE(field.contains(record.Rect())) << "pile " << record.pile << " index " << record.index;
      }
      for (const auto& pair : Overlaps(layout, size.width, size.height)) {
        EXPECT_TRUE(handheld.count(pair)) << "piles " << pair.first << " and " << pair.second;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Database, EveryGameScaled, ::testing::ValuesIn(DatabaseGames()),
                         [](const ::testing::TestParamInfo<std::string>& game) { return TestName(game.param); });

// ---- card art at a grown size ----

FieldLayout OnePileLayout(bool large, int width, int height) {
  SolGame game;
  game.definition.layoutVariant = large ? 1 : 0;
  game.definition.piles.resize(1);
  FieldLayout layout;
  layout.piles.resize(1);
  FitLayoutToField(layout, game, BuildScreen(), width, height);
  return layout;
}

bool IsInk(QRgb c) { return qRed(c) < 40 && qGreen(c) < 40 && qBlue(c) < 40; }
bool IsWhite(QRgb c) { return c == kCardFaceColour; }

// Of the pixels that are neither white nor ink in `rect`, the share among
// all the non-white ones: edges only on a sharp drawing, most of a glyph
// on a stretched small bitmap.
double BlurredShare(const QImage& image, const QRect& rect) {
  int ink = 0;
  int between = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
      const QRgb c = image.pixel(x, y);
      if (IsInk(c)) {
        ++ink;
      } else if (!IsWhite(c)) {
        ++between;
      }
    }
  }
  return ink + between == 0 ? 1.0 : static_cast<double>(between) / (ink + between);
}

class ScaledCardArt : public ::testing::TestWithParam<bool> {};

TEST_P(ScaledCardArt, EachSizeDrawsItsOwnSharpFacesAndBacks) {
  const ScreenFacts screen = BuildScreen();
  const FieldLayout handheld = OnePileLayout(GetParam(), screen.ScaleX(240), screen.ScaleY(268));
  CardImageCache small;
  small.Build(handheld, screen);
  std::vector<QImage> aces;
  for (const int times : {2, 3, 5}) {
    SCOPED_TRACE(times);
    const FieldLayout layout =
        OnePileLayout(GetParam(), screen.ScaleX(240) * times, screen.ScaleY(268) * times);
    ASSERT_EQ(layout.cardWidth, handheld.cardWidth * times);
    CardImageCache cache;
    cache.Build(layout, screen);
    const QImage ace = cache.Face(0, 0).Image();
    ASSERT_EQ(ace.size(), QSize(layout.cardWidth, layout.cardHeight));
    EXPECT_EQ(ace.pixel(0, 0), kLightFrameColour);
    EXPECT_EQ(ace.pixel(layout.cardWidth - 1, layout.cardHeight - 1), kDarkFrameColour);
    for (int a = 0; a < 52; ++a) {
      for (int b = a + 1; b < 52; ++b) {
        ASSERT_NE(cache.Face(a / 13, a % 13).Image(), cache.Face(b / 13, b % 13).Image()) << a << " " << b;
      }
    }
    for (std::uint32_t back = 0; back < 4; ++back) {
      EXPECT_EQ(cache.Back(back).Image().size(), ace.size());
      for (std::uint32_t other = back + 1; other < 4; ++other) {
        EXPECT_NE(cache.Back(back).Image(), cache.Back(other).Image());
      }
    }
    // Sharp: the ace's big spade is solid ink with thin edges, unlike the
    // small ace stretched to the same size.
    const GlyphPlaces places = FaceGlyphPlaces(layout, screen);
    const int side = layout.cardWidth - 2 * places.bigSuit.x();
    const QRect spade(places.bigSuit, QSize(side, side));
    const QImage stretched = small.Face(0, 0).Image().scaled(ace.size(), Qt::IgnoreAspectRatio,
                                                             Qt::SmoothTransformation);
    EXPECT_LT(BlurredShare(ace, spade), 0.25);
    EXPECT_GT(BlurredShare(stretched, spade), BlurredShare(ace, spade));
    aces.push_back(ace);
  }
  EXPECT_NE(aces[0].size(), aces[1].size());
}

TEST_P(ScaledCardArt, EmptyPileMarksAreDrawnAtTheGrownSize) {
  const ScreenFacts screen = BuildScreen();
  const FieldLayout layout = OnePileLayout(GetParam(), screen.ScaleX(720), screen.ScaleY(804));
  ASSERT_TRUE(layout.Scaled());
  PileView pile;
  pile.kind = PileKind::kBase;
  pile.mark[0] = 0;  // ace
  pile.mark[1] = 3;  // hearts
  Surface target;
  target.Create(layout.cardWidth + 10, layout.cardHeight + 10);
  target.FillRect(QRect(0, 0, target.Width(), target.Height()), qRgb(0, 0x80, 0));
  DrawEmptyMark(target, QPoint(5, 5), pile, layout, screen);
  EXPECT_EQ(target.Pixel(5, 5), kLightFrameColour);
  EXPECT_EQ(target.Pixel(5 + layout.cardWidth - 1, 5 + layout.cardHeight - 1), kLightFrameColour);
  // Grey ink of the big heart at its middle; the green shows through elsewhere.
  const GlyphPlaces places = FaceGlyphPlaces(layout, screen);
  const int side = layout.cardWidth - 2 * places.bigSuit.x();
  const QPoint middle = QPoint(5, 5) + places.bigSuit + QPoint(side / 2, side / 2);
  EXPECT_EQ(target.Pixel(middle.x(), middle.y()), kLightFrameColour);
  EXPECT_EQ(target.Pixel(5 + 2, 5 + layout.cardHeight - 3), qRgb(0, 0x80, 0));
}

TEST_P(ScaledCardArt, CardsAreDrawnWhenFirstShownAndEqualInAnyOrder) {
  const ScreenFacts screen = BuildScreen();
  const FieldLayout layout = OnePileLayout(GetParam(), screen.ScaleX(720), screen.ScaleY(804));
  const FieldLayout other = OnePileLayout(GetParam(), screen.ScaleX(480), screen.ScaleY(536));
  ASSERT_TRUE(layout.Scaled());
  ASSERT_NE(layout.cardWidth, other.cardWidth);
  CardImageCache forwards;
  forwards.Build(layout, screen);
  EXPECT_EQ(forwards.ComposedCount(), 0);
  const QImage seven = forwards.Face(3, 6).Image();
  EXPECT_EQ(forwards.ComposedCount(), 1);
  EXPECT_EQ(forwards.Face(3, 6).Image(), seven) << "kept, not drawn again";
  EXPECT_TRUE(forwards.Face(4, 0).IsNull());
  EXPECT_EQ(forwards.ComposedCount(), 1);

  // The same pictures drawn backs first and faces backwards, with cards of
  // another size drawn in between, which share the glyph store.
  CardImageCache backwards;
  backwards.Build(layout, screen);
  CardImageCache between;
  between.Build(other, screen);
  for (std::uint32_t back = 4; back-- > 0;) {
    ASSERT_EQ(backwards.Back(back).Image().size(), seven.size());
    EXPECT_EQ(between.Back(back).Image().width(), other.cardWidth);
  }
  for (int card = 51; card >= 0; --card) {
    ASSERT_FALSE(backwards.Face(card / 13, card % 13).IsNull());
    ASSERT_FALSE(between.Face((card + 7) % 52 / 13, (card + 7) % 13).IsNull());
  }
  for (int card = 0; card < 52; ++card) {
    EXPECT_EQ(forwards.Face(card / 13, card % 13).Image(), backwards.Face(card / 13, card % 13).Image()) << card;
  }
  for (std::uint32_t back = 0; back < 4; ++back) {
    EXPECT_EQ(forwards.Back(back).Image(), backwards.Back(back).Image()) << back;
  }
  EXPECT_EQ(backwards.ComposedCount(), kCardImageCount);

  // A new size starts afresh; a cleared cache draws nothing.
  backwards.Build(other, screen);
  EXPECT_EQ(backwards.ComposedCount(), 0);
  EXPECT_EQ(backwards.Face(0, 0).Image(), between.Face(0, 0).Image());
  backwards.Clear();
  EXPECT_TRUE(backwards.Face(0, 0).IsNull());
  EXPECT_TRUE(backwards.Back(0).IsNull());
}

INSTANTIATE_TEST_SUITE_P(CardSizes, ScaledCardArt, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& large) {
                           return large.param ? "Large" : "Small";
                         });

}  // namespace
}  // namespace cw
