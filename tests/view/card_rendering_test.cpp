// The card images composed from the bitmaps, and the field painted from them
// through the buffer.
#include <QBackingStore>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include "tests/view/field_fixture.h"
#include "uilib/device_pixels.h"
#include "view/card_images.h"
#include "view/display_metrics.h"

namespace cw {
namespace {

using testing::BuildScreen;
using testing::DealForScreen;
using testing::FieldFixture;

bool IsRed(QRgb c) { return qRed(c) > 150 && qGreen(c) < 110 && qBlue(c) < 110; }
bool IsBlack(QRgb c) { return qRed(c) < 80 && qGreen(c) < 80 && qBlue(c) < 80; }

// The pixels of `rect` in `image` equal those of `part` from its top-left.
bool SamePixels(const QImage& image, const QRect& rect, const QImage& part) {
  return image.copy(rect) == part.copy(0, 0, rect.width(), rect.height());
}

class CardImages : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    layout.large = GetParam();
    layout.piles.resize(1);
    SolGame game;
    game.definition.layoutVariant = GetParam() ? 1 : 0;
    game.definition.piles.resize(1);
    ResetLayoutMetrics(layout, game, ToDisplayMetrics(BuildScreen()));
    cache.Build(layout, BuildScreen());
  }
  FieldLayout layout;
  CardImageCache cache;
};

TEST_P(CardImages, FacesHaveTheirFrameRankAndSuitInTheirColour) {
  const int w = layout.cardWidth;
  const int h = layout.cardHeight;
  const GlyphPlaces places = FaceGlyphPlaces(layout, BuildScreen());
  for (int suit = 0; suit < 4; ++suit) {
    for (int rank = 0; rank < 13; ++rank) {
      const Surface& face = cache.Face(suit, rank);
      ASSERT_EQ(face.Width(), w);
      ASSERT_EQ(face.Height(), h);
      EXPECT_EQ(face.Pixel(0, 0), kLightFrameColour);
      EXPECT_EQ(face.Pixel(0, h - 1), kLightFrameColour);
      EXPECT_EQ(face.Pixel(w - 1, h - 1), kDarkFrameColour);
      EXPECT_EQ(face.Pixel(w - 1, 0), kDarkFrameColour);
      // Some ink of the rank glyph in the top-left corner, and the big suit
      // symbol in the suit's colour at its middle.
      bool ink = false;
      for (int y = places.rank.y(); y < places.rank.y() + h / 3; ++y) {
        for (int x = places.rank.x(); x < w / 2; ++x) ink = ink || IsBlack(face.Pixel(x, y));
      }
      EXPECT_TRUE(ink) << suit << " " << rank;
      const int side = w - 2 * places.bigSuit.x();
      const QRgb middle = face.Pixel(places.bigSuit.x() + side / 2, places.bigSuit.y() + side / 2);
      EXPECT_TRUE(suit >= 2 ? IsRed(middle) : IsBlack(middle)) << suit << " " << rank;
    }
  }
  // Every face differs from every other.
  for (int a = 0; a < 52; ++a) {
    for (int b = a + 1; b < 52; ++b) {
      EXPECT_NE(cache.Face(a / 13, a % 13).Image(), cache.Face(b / 13, b % 13).Image());
    }
  }
}

TEST_P(CardImages, BacksAreFramedAndTheFourDiffer) {
  for (std::uint32_t back = 0; back < 4; ++back) {
    const Surface& image = cache.Back(back);
    EXPECT_EQ(image.Pixel(0, 0), kLightFrameColour);
    EXPECT_EQ(image.Pixel(layout.cardWidth - 1, layout.cardHeight - 1), kDarkFrameColour);
    for (std::uint32_t other = back + 1; other < 4; ++other) EXPECT_NE(image.Image(), cache.Back(other).Image());
  }
  EXPECT_EQ(cache.Back(5).Image(), cache.Back(1).Image());
  EXPECT_TRUE(cache.Face(4, 0).IsNull());
}

TEST_P(CardImages, GroupOfADownwardFanSpreadsAtTheGreatestStep) {
  PileView& pile = layout.piles[0];
  pile.fan = static_cast<int>(FanDirection::kDown);
  for (int i = 0; i < 4; ++i) pile.cards.push_back(CardSlot{0, 3, i, 1});
  const GroupImage group = RenderGroupImage(layout, cache, 0, 1, 3, 0);
  EXPECT_EQ(group.image.Width(), layout.cardWidth);
  EXPECT_EQ(group.image.Height(), layout.cardHeight + 2 * layout.stepY);
  EXPECT_EQ(group.firstCard, QPoint(0, 0));
  EXPECT_TRUE(SamePixels(group.image.Image(), QRect(0, 2 * layout.stepY, layout.cardWidth, layout.cardHeight),
                         cache.Face(3, 3).Image()));
  pile.fan = static_cast<int>(FanDirection::kLeft);
  const GroupImage left = RenderGroupImage(layout, cache, 0, 1, 3, 0);
  EXPECT_EQ(left.firstCard, QPoint(2 * layout.stepX, 0));
  pile.fan = static_cast<int>(FanDirection::kSquared);
  const GroupImage squared = RenderGroupImage(layout, cache, 0, 1, 3, 0);
  EXPECT_EQ(squared.image.Image(), cache.Face(3, 3).Image());
  EXPECT_TRUE(RenderGroupImage(layout, cache, 0, 2, 3, 0).image.IsNull());  // beyond the pile
}

INSTANTIATE_TEST_SUITE_P(CardSizes, CardImages, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& large) {
                           return large.param ? "Large" : "Small";
                         });

class FieldPainting : public FieldFixture {};

// At the handheld size and on a grown table, where faces are drawn on the
// field from their glyphs rather than copied from a kept picture.
TEST_F(FieldPainting, EveryRecordedCardIsItsCacheImageAndTheRestIsBackground) {
  options.bgColor = 0x00804020;  // COLORREF: blue 0x80, green 0x40, red 0x20
  options.showTimer = false;
  const ScreenFacts screen = BuildScreen();
  for (const QSize size : {QSize(screen.ScaleX(240), screen.ScaleY(268)), QSize(910, 656)}) {
    owner.TopLevel()->resize(FromDevice(QRect(QPoint(), size), owner.DevicePixelRatio()).size());
    view->MoveWindow(QRect(QPoint(), size));
    Start("FreeCell", 7);
    ASSERT_EQ(view->Layout().Scaled(), size.width() > screen.ScaleX(240));
    if (view->Layout().Scaled()) {
      EXPECT_EQ(view->CardImages().ComposedCount(), 0) << "no face is kept";
    }
    const QImage& buffer = view->FieldBuffer().Image();
    ASSERT_EQ(buffer.size(), size);
    const FieldLayout& layout = view->Layout();
    QImage covered(buffer.size(), QImage::Format_RGB32);
    covered.fill(0);
    for (const HitRecord& record : view->Hits().Records()) {
      for (int y = record.top; y < record.bottom; ++y) {
        for (int x = record.left; x < record.right; ++x) covered.setPixel(x, y, 1);
      }
      if (record.index == kPileBase) continue;
      const CardSlot& slot = layout.piles[record.pile].cards[record.index];
      const QRect visible = view->Hits().VisibleRect(*view->Hits().Find(record.pile, record.index));
      const CardImageCache& cache = view->CardImages();
      const QImage card = slot.faceUp != 0 ? cache.Face(slot.suit, slot.rank).Image() : cache.Back(0).Image();
      EXPECT_EQ(buffer.copy(visible), card.copy(visible.translated(-record.left, -record.top)))
          << size.width() << " pile " << record.pile << " index " << record.index;
    }
    for (int y = 0; y < buffer.height(); y += 3) {
      for (int x = 0; x < buffer.width(); x += 3) {
        if (covered.pixel(x, y) != qRgb(0, 0, 0)) continue;
        ASSERT_EQ(buffer.pixel(x, y), qRgb(0x20, 0x40, 0x80)) << x << "," << y;
      }
    }
  }
}

TEST_F(FieldPainting, SelectionInvertsTheSelectedCard) {
  SetMode(PlayMode::kTapping);
  Start("FreeCell", 7);
  const auto move = CardMove();
  ASSERT_TRUE(move);
  const CardState card = game->cards[move->source];
  const HitRecord record = view->Hits().Records()[*view->Hits().Find(card.pile, card.position)];
  const QImage before = view->FieldBuffer().Image().copy(record.Rect());
  Tap(VisibleCentre(card.pile, card.position));
  ASSERT_EQ(view->SelectedPile(), card.pile);
  QImage inverted = before;
  inverted.invertPixels();
  EXPECT_EQ(view->FieldBuffer().Image().copy(record.Rect()), inverted);
}

TEST_F(FieldPainting, EmptyBaseShowsItsGreyRankInsideALightFrame) {
  options.showTimer = false;
  Start("FreeCell", 7);
  const FieldLayout& layout = view->Layout();
  const QImage& buffer = view->FieldBuffer().Image();
  int bases = 0;
  for (const HitRecord& record : view->Hits().Records()) {
    if (record.index != kPileBase || layout.piles[record.pile].kind != PileKind::kBase) continue;
    ++bases;
    EXPECT_EQ(buffer.pixel(record.left, record.top), kLightFrameColour);
    EXPECT_EQ(buffer.pixel(record.right - 1, record.bottom - 1), kLightFrameColour);
    int grey = 0;
    for (int y = record.top + 1; y < record.top + layout.cardHeight / 2; ++y) {
      for (int x = record.left + 1; x < record.left + layout.cardWidth / 2; ++x) {
        const QRgb c = buffer.pixel(x, y);
        grey += qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) > 0x40;
      }
    }
    EXPECT_GT(grey, 3) << "pile " << record.pile;
  }
  EXPECT_EQ(bases, 4);
}

TEST_F(FieldPainting, ClockShowsInTheBottomRightWhenAskedFor) {
  options.timedGame = false;
  std::uint32_t elapsed = 754;
  view->SetElapsedSeconds([&elapsed] { return elapsed; });
  Start("FreeCell", 7);
  const QRect field = view->GetClientRect();
  const ScreenFacts screen = BuildScreen();
  const QRect clock = RectFromLTRB(field.width() - screen.ScaleX(70), field.height() - screen.ScaleY(20),
                                   field.width() - screen.ScaleX(10), field.height());
  const auto ink = [&] {
    int n = 0;
    const QImage& buffer = view->FieldBuffer().Image();
    for (int y = 0; y < buffer.height(); ++y) {
      for (int x = 0; x < buffer.width(); ++x) {
        if (buffer.pixel(x, y) == qRgb(0, 0, 0) && y >= field.height() - screen.ScaleY(40)) {
          EXPECT_TRUE(clock.contains(x, y)) << x << "," << y;
          ++n;
        }
      }
    }
    return n;
  };
  EXPECT_GT(ink(), 0);
  options.showTimer = false;
  view->SetOptions(options);
  view->RefreshField();
  EXPECT_EQ(ink(), 0);
}

QImage ClockPicture(const GameFieldView& view) {
  const QRect field = view.GetClientRect();
  const ScreenFacts screen = BuildScreen();
  return view.FieldBuffer().Image().copy(RectFromLTRB(field.width() - screen.ScaleX(70),
                                                      field.height() - screen.ScaleY(20),
                                                      field.width() - screen.ScaleX(10), field.height()));
}

TEST_F(FieldPainting, DuringADragEachSecondsDigitsAreDrawnOnTheTableNotOnTheLastOnes) {
  SetMode(PlayMode::kDragAndDrop);
  options.timedGame = false;
  std::uint32_t elapsed = 754;
  view->SetElapsedSeconds([&elapsed] { return elapsed; });
  Start("FreeCell", 7);
  const std::optional<MoveReference> move = CardMove();
  ASSERT_TRUE(move);
  const CardState& card = game->cards[move->source];
  const QPoint from = VisibleCentre(card.pile, card.position);
  Pen(QEvent::MouseButtonPress, from);
  Pen(QEvent::MouseMove, from + QPoint(8, 8));
  ASSERT_TRUE(view->Dragging());
  for (const std::uint32_t second : {755u, 811u, 3599u, 1234u}) {
    elapsed = second;
    view->PaintField();  // as each paint of the window does
  }
  const QImage dragged = ClockPicture(*view);

  view->CancelPointer();
  EXPECT_FALSE(view->Dragging());
  view->RefreshField();
  EXPECT_EQ(dragged, ClockPicture(*view)) << "20:34 alone, as on a table drawn afresh";
}

// Every region a widget is asked to paint, in Qt's coordinates.
class PaintedRegions : public QObject {
 public:
  explicit PaintedRegions(QWidget* widget) { widget->installEventFilter(this); }
  QRegion region;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) region += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
};

TEST_F(FieldPainting, ANewSecondRepaintsOnlyTheClockAndShowsWhatAFreshTableWould) {
  options.timedGame = false;
  std::uint32_t elapsed = 754;
  view->SetElapsedSeconds([&elapsed] { return elapsed; });
  Start("FreeCell", 7);
  QCoreApplication::processEvents();
  const PaintedRegions painted(view->Widget());
  for (const std::uint32_t second : {755u, 811u, 3599u, 1234u}) {
    elapsed = second;
    view->RefreshClock();
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return !painted.region.isEmpty(); }, 2000));
  const QRect clock = FromDevice(view->ClockRect(), view->Widget()->devicePixelRatioF());
  EXPECT_EQ(painted.region.subtracted(clock), QRegion()) << "nothing outside the clock";
  const QImage ticked = view->FieldBuffer().Image().copy();

  view->RefreshField();
  EXPECT_EQ(ticked, view->FieldBuffer().Image()) << "20:34 alone, as on a table drawn afresh";
}

// The field's pixels in the window's own picture, which the screen shows.
QImage WindowPicture(const GameFieldView& view) {
  QWidget* const field = view.Widget();
  QWidget* const window = field->window();
  QPaintDevice* const device = window->backingStore()->paintDevice();
  EXPECT_EQ(device->devType(), QInternal::Image);
  if (device->devType() != QInternal::Image) return QImage();
  const QRect place(field->mapTo(window, QPoint(0, 0)), field->size());
  QImage picture = static_cast<const QImage*>(device)
                       ->copy(ToDevice(place, window->devicePixelRatioF()))
                       .convertToFormat(QImage::Format_RGB32);
  picture.setDevicePixelRatio(1.0);  // device pixels, as the field draws them
  return picture;
}

// Until a slide, drag or blink needs a buffer, the field draws its table and
// the clock's ticks straight onto the window: the same pixels, without a
// second picture of a big window at start.
TEST_F(FieldPainting, UntilItNeedsABufferTheFieldPaintsStraightOntoTheWindow) {
  options.timedGame = false;
  std::uint32_t elapsed = 0;
  const ScreenFacts screen = BuildScreen();
  for (const QSize size : {QSize(screen.ScaleX(240), screen.ScaleY(268)), QSize(910, 656)}) {
    elapsed = 754;
    view->DestroyWindow();
    view = std::make_unique<GameFieldView>(screen);
    owner.TopLevel()->resize(FromDevice(QRect(QPoint(), size), owner.DevicePixelRatio()).size());
    QCoreApplication::processEvents();
    ASSERT_TRUE(view->CreateGameField(owner));
    view->SetElapsedSeconds([&elapsed] { return elapsed; });
    // As the shell starts a game: laid out, then painted when shown.
    game = DealForScreen("FreeCell", 7, screen);
    ASSERT_TRUE(game);
    view->SetGame(&*game);
    view->SetOptions(options);
    view->RebuildMirror();
    view->ResetLayout();
    view->Invalidate();
    view->UpdateWindow();
    QCoreApplication::processEvents();
    EXPECT_TRUE(view->FieldBuffer().IsNull()) << size.width();
    const std::vector<HitRecord> hits = view->Hits().Records();
    EXPECT_FALSE(hits.empty());
    const QImage first = WindowPicture(*view);

    const PaintedRegions painted(view->Widget());
    elapsed = 755;
    view->RefreshClock();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !painted.region.isEmpty(); }, 2000));
    const QRect clock = view->ClockRect();
    const QRect shownClock = FromDevice(clock, view->Widget()->devicePixelRatioF());
    EXPECT_EQ(painted.region.subtracted(shownClock), QRegion()) << "nothing outside the clock";
    EXPECT_TRUE(view->FieldBuffer().IsNull());
    const QImage ticked = WindowPicture(*view);

    view->RefreshField();
    ASSERT_FALSE(view->FieldBuffer().IsNull());
    EXPECT_EQ(ticked, view->FieldBuffer().Image()) << "the window showed what the buffer does";
    EXPECT_EQ(WindowPicture(*view), ticked);
    ASSERT_EQ(view->Hits().Records().size(), hits.size());
    for (std::size_t i = 0; i < hits.size(); ++i) {
      EXPECT_EQ(view->Hits().Records()[i].Rect(), hits[i].Rect());
    }
    QImage untouched = first;
    QPainter(&untouched).drawImage(clock.topLeft(), ticked.copy(clock));
    EXPECT_NE(first, ticked) << "the new second";
    EXPECT_EQ(untouched, ticked) << "only the clock changed";
  }
}

TEST_F(FieldPainting, ANewSecondRepaintsTheWholeFieldWhenItIsDueAnyway) {
  options.timedGame = false;
  std::uint32_t elapsed = 754;
  view->SetElapsedSeconds([&elapsed] { return elapsed; });
  Start("FreeCell", 7);
  const QImage before = view->FieldBuffer().Image().copy();
  options.bgColor = 0x400000;
  view->SetOptions(options);
  view->MarkDirty();
  elapsed = 755;
  view->RefreshClock();
  const QImage ticked = view->FieldBuffer().Image().copy();
  EXPECT_NE(before, ticked) << "the new table colour";
  view->RefreshField();
  EXPECT_EQ(ticked, view->FieldBuffer().Image());
}

TEST_F(FieldPainting, TheClockIsWhiteOnADarkTableAndBlackOnALightOne) {
  options.timedGame = false;
  view->SetElapsedSeconds([] { return 754u; });
  const auto inks = [this] {
    std::pair<int, int> blackAndWhite;
    const QImage clock = ClockPicture(*view);
    for (int y = 0; y < clock.height(); ++y) {
      for (int x = 0; x < clock.width(); ++x) {
        blackAndWhite.first += clock.pixel(x, y) == qRgb(0, 0, 0) ? 1 : 0;
        blackAndWhite.second += clock.pixel(x, y) == qRgb(255, 255, 255) ? 1 : 0;
      }
    }
    return blackAndWhite;
  };
  options.bgColor = 0x400000;  // dark blue
  Start("FreeCell", 7);
  EXPECT_EQ(inks().first, 0);
  EXPECT_GT(inks().second, 0);
  for (const std::uint32_t light : {0x008000u, 0xC0FFFFu}) {  // the standard green, light yellow
    options.bgColor = light;
    view->SetOptions(options);
    view->RefreshField();
    EXPECT_GT(inks().first, 0);
    EXPECT_EQ(inks().second, 0);
  }
}

// Before it is shown the field's size may still change (its parent lays it
// out), so a buffer made earlier would be made twice.
TEST_F(FieldPainting, TheBufferIsMadeAtTheFirstPaintAtTheSizeThen) {
  EXPECT_TRUE(view->FieldBuffer().IsNull());
  const ScreenFacts screen = BuildScreen();
  const QRect smaller(0, 0, screen.ScaleX(200), screen.ScaleY(250));
  view->MoveWindow(smaller);
  Start("FreeCell", 7);
  EXPECT_EQ(view->FieldBuffer().Image().size(), smaller.size());
}

TEST_F(FieldPainting, ResizingRecreatesTheBufferAndTurnsTheLayout) {
  Start("FreeCell", 7);
  const ScreenFacts screen = BuildScreen();
  const QRect landscape(0, 0, screen.ScaleX(320), screen.ScaleY(188));
  view->MoveWindow(landscape);
  view->RefreshField();
  EXPECT_EQ(view->FieldBuffer().Width(), landscape.width());
  EXPECT_EQ(view->FieldBuffer().Height(), landscape.height());
  for (const HitRecord& record : view->Hits().Records()) EXPECT_TRUE(landscape.contains(record.Rect()));
}

}  // namespace
}  // namespace cw
