#include "view/card_images.h"

#include <algorithm>

#include "platform/resources/bitmap_ids.h"
#include "platform/resources/bitmaps.h"
#include "platform/resources/build_variant.h"
#include "view/scaled_card_art.h"

namespace cw {

namespace {

void Frame(Surface& surface, const QRect& rect) {
  surface.TwoColourFrame(rect, kLightFrameColour, kDarkFrameColour);
}

// Screens between 96 and 192 dpi place large-card glyphs by the unscaled
// offsets, since their cards are the large ones shown in place of small ones.
bool UnscaledGlyphs(const ScreenFacts& screen) {
  const double factor = screen.ScaleFactor();
  return factor > 1.0 && factor < 2.0;
}

// The glyphs of an empty pile's mark on a scaled table, in the places of a
// face's glyphs.
void DrawScaledMarkGlyphs(Surface& target, QPoint at, const PileView& pile, const FieldLayout& layout,
                          const ScreenFacts& screen);

// A foundation's grey mark: its rank with both suit glyphs, or the big suit
// alone when the mark names no rank. `rankGlyph(rank)` and
// `suitGlyph(suit, big)` give the pictures.
template <typename RankGlyph, typename SuitGlyph>
void DrawBaseMark(Surface& target, QPoint at, const PileView& pile, const GlyphPlaces& places, QPoint rankAt,
                  RankGlyph rankGlyph, SuitGlyph suitGlyph) {
  const int rank = pile.mark[0];
  const int suit = pile.mark[1];
  const bool hasRank = rank >= 0 && rank <= 12;
  const bool hasSuit = suit >= 0 && suit <= 3;
  if (hasRank) {
    target.DrawTransparent(rankGlyph(rank), at + rankAt, kTransparentColour);
    if (hasSuit) {
      target.DrawTransparent(suitGlyph(suit, false), at + places.smallSuit, kTransparentColour);
      target.DrawTransparent(suitGlyph(suit, true), at + places.bigSuit, kTransparentColour);
    }
  } else if (hasSuit) {
    target.DrawTransparent(suitGlyph(suit, true), at + places.bigSuitAlone, kTransparentColour);
  }
}

// The picture of the face of a card, or -1 for a slot that names no card.
int FaceIndex(int suit, int rank) {
  return suit < 0 || suit > 3 || rank < 0 || rank > 12 ? -1 : suit * 13 + rank;
}

}  // namespace

GlyphPlaces FaceGlyphPlaces(const FieldLayout& layout, const ScreenFacts& screen) {
  const int w = layout.cardWidth;
  const int h = layout.cardHeight;
  if (layout.Scaled()) {
    // The margins of this build's cards, grown; the big suit keeps its
    // distance from the bottom edge.
    const auto grow = [&](int v) { return GrownSize(QSize(v, v), layout).width(); };
    const int x1 = grow(screen.ScaleX(1));
    const int y1 = grow(screen.ScaleY(1));
    return {{x1, y1}, {x1 + (w >> 1), y1}, {grow(screen.ScaleX(2)), grow(screen.ScaleY(3)) + h - w},
            {grow(screen.ScaleX(2)), grow(screen.ScaleY(3))}};
  }
  if (layout.large && UnscaledGlyphs(screen)) {
    return {{1, 1}, {(w >> 1) + 1, 1}, {2, h - w + 3}, {2, 3}};
  }
  return {{screen.ScaleX(1), screen.ScaleY(1)},
          {screen.ScaleX(1) + (w >> 1), screen.ScaleY(1)},
          {screen.ScaleX(2), screen.ScaleY(3) + h - w},
          {screen.ScaleX(2), screen.ScaleY(3)}};
}

void CardImageCache::Build(const FieldLayout& layout, const ScreenFacts& screen) {
  Clear();
  if (layout.Scaled()) {
    // Only the measures: the table's piles and order are not needed to draw a card.
    grown_.emplace();
    grown_->large = layout.large;
    grown_->cardWidth = layout.cardWidth;
    grown_->cardHeight = layout.cardHeight;
    grown_->scaleNum = layout.scaleNum;
    grown_->scaleDen = layout.scaleDen;
    grownPlaces_ = FaceGlyphPlaces(layout, screen);
    const QRect card(0, 0, layout.cardWidth, layout.cardHeight);
    blank_.Create(card.width(), card.height());
    blank_.FillRect(card, kCardFaceColour);
    Frame(blank_, card);
    return;
  }
  const bool vga = IsVgaBuild();
  const bool large = layout.large;
  const int w = layout.cardWidth;
  const int h = layout.cardHeight;
  const GlyphPlaces places = FaceGlyphPlaces(layout, screen);
  const QRect card(0, 0, w, h);
  std::array<QImage, 4> bigSuits;
  std::array<QImage, 4> smallSuits;
  for (int suit = 0; suit < 4; ++suit) {
    bigSuits[suit] = LoadBitmap(bitmap_ids::BigSuit(vga, large, suit));
    smallSuits[suit] = LoadBitmap(bitmap_ids::SmallSuit(vga, large, suit));
  }
  for (int rank = 0; rank < 13; ++rank) {
    const QImage rankGlyph = LoadBitmap(bitmap_ids::RankGlyph(vga, large, rank));
    for (int suit = 0; suit < 4; ++suit) {
      Surface& face = images_[suit * 13 + rank];
      face.Create(w, h);
      face.FillRect(card, kCardFaceColour);
      Frame(face, card);
      face.Draw(rankGlyph, places.rank);
      face.Draw(smallSuits[suit], places.smallSuit);
      face.Draw(bigSuits[suit], places.bigSuit);
    }
  }
  for (int back = 0; back < kBackCount; ++back) {
    Surface& image = images_[kFirstBackImage + back];
    image.Create(w, h);
    image.FillRect(card, kCardFaceColour);
    image.Draw(LoadBitmap(bitmap_ids::CardBack(vga, large, back)), QPoint(0, 0));
    Frame(image, card);
  }
}

void CardImageCache::Clear() {
  for (Surface& image : images_) image = Surface();
  grown_.reset();
  blank_ = Surface();
}

int CardImageCache::ComposedCount() const {
  return static_cast<int>(std::count_if(images_.begin(), images_.end(), [](const Surface& image) {
    return !image.IsNull();
  }));
}

const Surface& CardImageCache::Face(int suit, int rank) const {
  const int index = FaceIndex(suit, rank);
  return index < 0 ? none_ : Image(index);
}

const Surface& CardImageCache::Back(std::uint32_t back) const {
  return Image(kFirstBackImage + static_cast<int>(back % kBackCount));
}

const Surface& CardImageCache::Image(int index) const {
  if (images_[index].IsNull() && grown_) ComposeGrown(index);
  return images_[index];
}

void CardImageCache::ComposeGrown(int index) const {
  const FieldLayout& layout = *grown_;
  Surface& image = images_[index];
  if (index >= kFirstBackImage) {
    image = blank_;
    image.Draw(DrawScaledBack(index - kFirstBackImage, layout), QPoint(0, 0));
    Frame(image, QRect(0, 0, layout.cardWidth, layout.cardHeight));
    return;
  }
  image.Create(layout.cardWidth, layout.cardHeight);
  DrawGrownFace(image, index, QPoint(0, 0));
}

void CardImageCache::DrawGrownFace(Surface& target, int index, QPoint at) const {
  const FieldLayout& layout = *grown_;
  const QRect card(at, QSize(layout.cardWidth, layout.cardHeight));
  // Each glyph is cut to the card, as it is on a face's own picture.
  const auto glyph = [&](const QImage& picture, QPoint place) {
    const QRect drawn = QRect(at + place, picture.size()).intersected(card);
    target.Copy(picture, drawn.translated(-(at + place)), drawn.topLeft());
  };
  target.Draw(blank_, at);
  const int suit = index / 13;
  glyph(ScaledRank(index % 13, layout), grownPlaces_.rank);
  glyph(ScaledSuit(suit, false, layout), grownPlaces_.smallSuit);
  glyph(ScaledSuit(suit, true, layout), grownPlaces_.bigSuit);
}

void CardImageCache::DrawCard(Surface& target, const CardSlot& slot, std::uint32_t back, QPoint at) const {
  if (slot.faceUp == 0) {
    target.Draw(Back(back), at);
    return;
  }
  const int index = FaceIndex(slot.suit, slot.rank);
  if (index < 0) return;
  if (grown_ && images_[index].IsNull()) {
    DrawGrownFace(target, index, at);
  } else {
    target.Draw(images_[index], at);
  }
}

void DrawEmptyMark(Surface& target, QPoint at, const PileView& pile, const FieldLayout& layout,
                   const ScreenFacts& screen) {
  const bool vga = IsVgaBuild();
  const bool large = layout.large;
  const int w = layout.cardWidth;
  const int h = layout.cardHeight;
  target.FrameRect(QRect(at.x(), at.y(), w, h), kLightFrameColour);
  if (layout.Scaled()) {
    DrawScaledMarkGlyphs(target, at, pile, layout, screen);
    return;
  }
  if (pile.kind == PileKind::kArrow) {
    const int value = pile.mark[0] & 0xFFFF;
    if (value == 0 || value == 1) {
      const QPoint centred(at.x() + (w - screen.ScaleX(7)) / 2, at.y() + (h - screen.ScaleY(11)) / 2);
      target.DrawTransparent(LoadBitmap(bitmap_ids::EmptyArrow(vga, value)), centred, kTransparentColour);
    }
    return;
  }
  if (pile.kind != PileKind::kBase) return;
  const GlyphPlaces places = FaceGlyphPlaces(layout, screen);
  // Under the in-between scale the rank glyph of either card size keeps the
  // unscaled corner.
  const QPoint rankAt = UnscaledGlyphs(screen) ? QPoint(1, 1) : places.rank;
  DrawBaseMark(
      target, at, pile, places, rankAt, [&](int rank) { return LoadBitmap(bitmap_ids::GreyRank(vga, large, rank)); },
      [&](int suit, bool big) {
        return LoadBitmap(big ? bitmap_ids::GreyBigSuit(vga, large, suit) : bitmap_ids::GreySmallSuit(vga, large, suit));
      });
}

namespace {

void DrawScaledMarkGlyphs(Surface& target, QPoint at, const PileView& pile, const FieldLayout& layout,
                          const ScreenFacts& screen) {
  if (pile.kind == PileKind::kArrow) {
    const int value = pile.mark[0] & 0xFFFF;
    if (value == 0 || value == 1) {
      const QImage& arrow = ScaledArrow(value == 1, layout);
      const QPoint centred(at.x() + (layout.cardWidth - arrow.width()) / 2,
                           at.y() + (layout.cardHeight - arrow.height()) / 2);
      target.DrawTransparent(arrow, centred, kTransparentColour);
    }
    return;
  }
  if (pile.kind != PileKind::kBase) return;
  const GlyphPlaces places = FaceGlyphPlaces(layout, screen);
  DrawBaseMark(
      target, at, pile, places, places.rank, [&](int rank) { return ScaledGreyRank(rank, layout); },
      [&](int suit, bool big) { return ScaledGreySuit(suit, big, layout); });
}

}  // namespace

GroupImage RenderGroupImage(const FieldLayout& layout, const CardImageCache& cache, int pile, int start,
                            int n, std::uint32_t back) {
  GroupImage group;
  if (!layout.IsPile(pile) || n <= 0) return group;
  const PileView& view = layout.piles[pile];
  if (start < 0 || start + n > view.Count()) return group;
  QPoint step;
  switch (static_cast<FanDirection>(view.fan)) {
    case FanDirection::kLeft: step = {-layout.stepX, 0}; break;
    case FanDirection::kRight: step = {layout.stepX, 0}; break;
    case FanDirection::kUp: step = {0, -layout.stepY}; break;
    case FanDirection::kDown: step = {0, layout.stepY}; break;
    default: break;
  }
  const bool fanned = step != QPoint();
  const int spread = fanned ? n - 1 : 0;
  group.image.Create(layout.cardWidth + spread * std::abs(step.x()), layout.cardHeight + spread * std::abs(step.y()));
  group.firstCard = QPoint(step.x() < 0 ? spread * -step.x() : 0, step.y() < 0 ? spread * -step.y() : 0);
  if (!fanned) {
    cache.DrawCard(group.image, view.cards[start + n - 1], back, QPoint(0, 0));
    return group;
  }
  for (int k = 0; k < n; ++k) {
    cache.DrawCard(group.image, view.cards[start + k], back, group.firstCard + step * k);
  }
  return group;
}

}  // namespace cw
