// Pile layout and hit testing of every game of the database, in both
// orientations of this build's screen.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/view/view_test_support.h"
#include "view/hit_map.h"

namespace cw {
namespace {

using testing::BuildScreen;
using testing::DatabaseGames;
using testing::DealForScreen;
using testing::TestName;
using testing::FieldSizes;
using testing::LayoutOf;

HitMap RecordAll(const FieldLayout& layout, int width, int height) {
  HitMap map;
  RecordField(layout, width, height, map, [](const CardSlot&) { return true; });
  return map;
}

std::string Describe(const QRect& r) {
  return "(" + std::to_string(r.left()) + ", " + std::to_string(r.top()) + ") " + std::to_string(r.width()) +
         "x" + std::to_string(r.height());
}

// The union of the card rectangles of each shown pile.
std::vector<QRect> PileBoxes(const HitMap& map, std::size_t pileCount) {
  std::vector<QRect> boxes(pileCount);
  for (const HitRecord& record : map.Records()) boxes[record.pile] = boxes[record.pile].united(record.Rect());
  return boxes;
}

class EveryGameLayout : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryGameLayout, PilesApartInsideTheFieldAndEveryCardHitAtItsVisibleCentre) {
  const ScreenFacts screen = BuildScreen();
  for (std::uint32_t number : {1u, 7u, 1000u}) {
    const auto game = DealForScreen(GetParam(), number, screen);
    ASSERT_TRUE(game) << GetParam();
    const FieldLayout layout = LayoutOf(*game, screen);
    for (const auto& size : FieldSizes(screen)) {
      SCOPED_TRACE(std::string(size.name) + " deal " + std::to_string(number));
      const HitMap map = RecordAll(layout, size.width, size.height);
      ASSERT_FALSE(map.Records().empty());
      const QRect field(0, 0, size.width, size.height);
      for (const HitRecord& record : map.Records()) {
        EXPECT_TRUE(field.contains(record.Rect())) << "pile " << record.pile << " index " << record.index;
      }
      const std::vector<QRect> boxes = PileBoxes(map, layout.piles.size());
      for (std::size_t a = 0; a < boxes.size(); ++a) {
        for (std::size_t b = a + 1; b < boxes.size(); ++b) {
          if (boxes[a].isNull() || boxes[b].isNull()) continue;
          EXPECT_FALSE(boxes[a].intersects(boxes[b]))
              << "piles " << a << " and " << b << ": " << Describe(boxes[a]) << " and " << Describe(boxes[b]);
        }
      }
      for (std::size_t i = 0; i < map.Records().size(); ++i) {
        const HitRecord& record = map.Records()[i];
        if (layout.piles[record.pile].kind == PileKind::kInert && record.index == kPileBase) continue;
        const QRect visible = map.VisibleRect(i);
        const auto hit = map.HitTest(layout, visible.center().x(), visible.center().y());
        ASSERT_TRUE(hit) << "pile " << record.pile << " index " << record.index;
        EXPECT_EQ(hit->pile, record.pile);
        EXPECT_EQ(hit->index, record.index);
      }
    }
  }
}

// A long fanned column closes up to the room below it and keeps its cards
// apart by at least a pixel.
TEST_P(EveryGameLayout, LongFansCloseUpInsideTheField) {
  const ScreenFacts screen = BuildScreen();
  const auto game = DealForScreen(GetParam(), 1, screen);
  ASSERT_TRUE(game);
  FieldLayout layout = LayoutOf(*game, screen);
  for (std::size_t p = 0; p < layout.piles.size(); ++p) {
    PileView& pile = layout.piles[p];
    if (pile.shown == 0 || pile.fan < 1 || pile.fan > 4) continue;
    const std::vector<CardSlot> dealt = pile.cards;
    pile.cards.assign(20, CardSlot{0, 0, 0, 1});
    for (const auto& size : FieldSizes(screen)) {
      SCOPED_TRACE(std::string(size.name) + " pile " + std::to_string(p));
      const QPoint origin = PileOrigin(layout, static_cast<int>(p), size.width, size.height);
      const QPoint step = FanStep(layout, static_cast<int>(p), size.width, size.height);
      const QPoint last = origin + step * 19;
      EXPECT_GE(last.x(), 0);
      EXPECT_GE(last.y(), 0);
      EXPECT_LE(last.x() + layout.cardWidth, size.width);
      EXPECT_LE(last.y() + layout.cardHeight, size.height);
      EXPECT_LE(std::abs(step.x()), layout.stepX);
      EXPECT_LE(std::abs(step.y()), layout.stepY);
      EXPECT_GT(std::abs(step.x()) + std::abs(step.y()), 0);
    }
    pile.cards = dealt;
  }
}

INSTANTIATE_TEST_SUITE_P(Database, EveryGameLayout, ::testing::ValuesIn(DatabaseGames()),
                         [](const ::testing::TestParamInfo<std::string>& game) { return TestName(game.param); });

// A hand-built layout: one downward column and one unfanned cell, with the
// card size of large QVGA cards.
FieldLayout TwoPiles() {
  FieldLayout layout;
  layout.large = true;
  layout.cardWidth = 26;
  layout.cardHeight = 35;
  layout.stepX = 12;
  layout.stepY = 12;
  layout.piles.resize(3);
  layout.piles[0].x = 20;
  layout.piles[0].y = 60 + 17;  // origin top 60
  layout.piles[0].fan = static_cast<int>(FanDirection::kDown);
  layout.piles[0].shown = 1;
  layout.piles[1].x = 60;
  layout.piles[1].y = 30;
  layout.piles[1].shown = 1;
  layout.piles[2].x = 20;
  layout.piles[2].y = 60 + 17;
  layout.piles[2].kind = PileKind::kInert;
  layout.piles[2].shown = 1;
  layout.drawOrder = BuildDrawOrder(layout.piles);
  return layout;
}

TEST(FanStep, ClosesUpEvenlyBelowTheGreatestStep) {
  FieldLayout layout = TwoPiles();
  layout.piles[0].cards.assign(20, CardSlot{});
  // Room 300 − 35 − 60 = 205 over 19 gaps.
  EXPECT_EQ(FanStep(layout, 0, 240, 300), QPoint(0, 10));
  layout.piles[0].cards.resize(2);
  EXPECT_EQ(FanStep(layout, 0, 240, 300), QPoint(0, 12));
  layout.piles[0].cards.resize(1);
  EXPECT_EQ(FanStep(layout, 0, 240, 300), QPoint(0, 0));
}

TEST(FanStep, FanLimitCapsTheRoomAndNoRoomGivesNoStepBackwards) {
  FieldLayout layout = TwoPiles();
  layout.piles[0].cards.assign(11, CardSlot{});
  layout.piles[0].fanLimit = 50;
  layout.piles[0].fanLimitAnchor = static_cast<int>(AnchorMode::kNear);
  EXPECT_EQ(FanStep(layout, 0, 240, 300).y(), 12);  // a limit without an anchor is no limit
  layout.piles[0].fanLimitAnchor = static_cast<int>(AnchorMode::kProportional);
  EXPECT_EQ(FanStep(layout, 0, 240, 320).y(), 10);  // 50 × 320 / 160 = 100 over 10 gaps
  layout.piles[0].fanLimit = 0;
  // A field too short for even one card leaves the cards stacked, never reversed.
  EXPECT_EQ(FanStep(layout, 0, 240, 80).y(), 0);
}

TEST(Anchoring, EachModeAgainstTheReferenceExtent) {
  EXPECT_EQ(AnchorCoordinate(40, 240, 0), 40);
  EXPECT_EQ(AnchorCoordinate(40, 240, 1), 60);
  EXPECT_EQ(AnchorCoordinate(40, 240, 2), 80);
  EXPECT_EQ(AnchorCoordinate(40, 240, 3), 120);
}

TEST(HitMapTest, UnfannedPileShowsItsTopCardOnePixelLowerAndRecordsOnlyIt) {
  FieldLayout layout = TwoPiles();
  layout.piles[1].cards.assign(3, CardSlot{});
  std::vector<PaintedItem> items;
  WalkField(layout, 240, 300, [&](const PaintedItem& item) {
    if (item.pile == 1) items.push_back(item);
  });
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].index, 1);
  EXPECT_FALSE(items[0].recorded);
  EXPECT_EQ(items[1].index, 2);
  EXPECT_EQ(items[1].at, items[0].at + QPoint(0, 1));
  EXPECT_TRUE(items[1].recorded);
}

TEST(HitMapTest, EdgesOutsideEmptyInertPilePassedOverHiddenPileNeverHit) {
  FieldLayout layout = TwoPiles();
  layout.piles[0].cards.assign(2, CardSlot{});
  HitMap map = RecordAll(layout, 240, 300);
  const QPoint origin = PileOrigin(layout, 0, 240, 300);
  // The inert pile lies over the column but, empty, is passed over.
  auto hit = map.HitTest(layout, origin.x() + 1, origin.y() + 1);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->pile, 0);
  EXPECT_EQ(hit->index, 0);
  // Right and bottom edges are outside.
  EXPECT_FALSE(map.HitTest(layout, origin.x() + 26, origin.y() + 1));
  EXPECT_FALSE(map.HitTest(layout, origin.x() + 1, origin.y() + 12 + 35));
  // Once the inert pile holds a card, it is painted later and wins.
  layout.piles[2].cards.assign(1, CardSlot{});
  map = RecordAll(layout, 240, 300);
  hit = map.HitTest(layout, origin.x() + 1, origin.y() + 1);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->pile, 2);
  layout.piles[1].shown = 0;
  map = RecordAll(layout, 240, 300);
  EXPECT_FALSE(map.Find(1, kPileBase));
}

TEST(HitMapTest, CardPositionFallsBackFromTheCardBelowToTheBaseToAnyRecord) {
  FieldLayout layout = TwoPiles();
  layout.piles[0].cards.assign(3, CardSlot{});
  const HitMap map = RecordAll(layout, 240, 300);
  const QPoint origin = PileOrigin(layout, 0, 240, 300);
  EXPECT_EQ(map.CardPosition(0, 3), origin + QPoint(0, 24));  // the top card
  EXPECT_EQ(map.CardPosition(0, 1), origin);
  EXPECT_EQ(map.CardPosition(0, 9), origin);   // no card 8: the bottom card
  EXPECT_EQ(map.CardPosition(1, 0), PileOrigin(layout, 1, 240, 300));  // the base of an empty pile
  EXPECT_EQ(map.CardPosition(7, 0), QPoint(0, 0));
}

TEST(HitMapTest, VisibleRectOfAFannedCardIsItsUncoveredStrip) {
  FieldLayout layout = TwoPiles();
  layout.piles[0].cards.assign(3, CardSlot{});
  const HitMap map = RecordAll(layout, 240, 300);
  const auto first = map.Find(0, 0);
  ASSERT_TRUE(first);
  const QRect visible = map.VisibleRect(*first);
  EXPECT_EQ(visible.height(), 12);
  EXPECT_EQ(visible.width(), 26);
  EXPECT_EQ(map.VisibleRect(*map.Find(0, 2)).height(), 35);
}

TEST(DrawOrder, HigherLevelsLaterEqualLevelsInPileOrder) {
  std::vector<PileView> piles(5);
  piles[0].drawLevel = 2;
  piles[1].drawLevel = 0;
  piles[2].drawLevel = 1;
  piles[3].drawLevel = 0;
  piles[4].drawLevel = 2;
  EXPECT_EQ(BuildDrawOrder(piles), (std::vector<std::uint16_t>{1, 3, 2, 0, 4}));
}

// Turning the screen moves anchored piles without any rebuild of the copy.
TEST(Orientation, NearPilesStayOthersFollowTheField) {
  FieldLayout layout = TwoPiles();
  layout.piles[1].xAnchor = static_cast<int>(AnchorMode::kFar);
  EXPECT_EQ(PileOrigin(layout, 0, 240, 268), PileOrigin(layout, 0, 320, 188));
  EXPECT_EQ(PileOrigin(layout, 1, 320, 188).x() - PileOrigin(layout, 1, 240, 268).x(), 80);
}

}  // namespace
}  // namespace cw
