#include "view/scaled_card_art.h"

#include <QHash>
#include <tuple>

#include "platform/resources/bitmap_ids.h"
#include "platform/resources/bitmaps.h"
#include "platform/resources/build_variant.h"
#include "platform/artwork/card_backs.h"
#include "platform/artwork/icons.h"
#include "platform/artwork/rank_glyphs.h"
#include "platform/artwork/suit_symbols.h"

namespace cw {

namespace {

artwork::CardSize CardSizeOf(const FieldLayout& layout) {
  return layout.large ? artwork::CardSize::Large : artwork::CardSize::Small;
}

// The size a glyph has in this build's set, grown by the layout's scale.
QSize GrownBitmapSize(int id, const FieldLayout& layout) { return GrownSize(LoadBitmap(id).size(), layout); }

artwork::Suit SuitOf(int suit) { return static_cast<artwork::Suit>(suit); }

// Grey glyphs by what they show and the scale they were drawn at. Kept while
// the table keeps its size; a new size starts afresh.
class GreyGlyphStore {
 public:
  template <typename Draw>
  const QImage& Get(int what, const FieldLayout& layout, Draw draw) {
    const Key key{layout.scaleNum, layout.scaleDen, layout.large};
    if (key != key_) {
      images_.clear();
      key_ = key;
    }
    auto at = images_.find(what);
    if (at == images_.end()) at = images_.insert(what, draw());
    return *at;
  }

 private:
  using Key = std::tuple<int, int, bool>;
  Key key_{0, 0, false};
  QHash<int, QImage> images_;
};

GreyGlyphStore& GreyGlyphs() {
  static GreyGlyphStore store;
  return store;
}

constexpr int kGreyRankKey = 0;
constexpr int kGreySmallSuitKey = 100;
constexpr int kGreyBigSuitKey = 200;
constexpr int kArrowKey = 300;

}  // namespace

QSize GrownSize(QSize size, const FieldLayout& layout) {
  const auto grow = [&](int v) { return (v * layout.scaleNum + layout.scaleDen / 2) / layout.scaleDen; };
  return {grow(size.width()), grow(size.height())};
}

ScaledFaceGlyphs DrawScaledFaceGlyphs(const FieldLayout& layout) {
  const bool vga = IsVgaBuild();
  const bool large = layout.large;
  ScaledFaceGlyphs glyphs;
  for (int rank = 0; rank < 13; ++rank) {
    glyphs.ranks[rank] =
        artwork::DrawRankGlyph(rank, CardSizeOf(layout), artwork::BitmapSet::Vga,
                              GrownBitmapSize(bitmap_ids::RankGlyph(vga, large, rank), layout), artwork::kInk,
                              artwork::Edges::Smooth);
  }
  for (int suit = 0; suit < 4; ++suit) {
    const QColor& ink = artwork::IsRedSuit(SuitOf(suit)) ? artwork::kRed : artwork::kInk;
    glyphs.smallSuits[suit] =
        artwork::DrawSmallSuit(SuitOf(suit), GrownBitmapSize(bitmap_ids::SmallSuit(vga, large, suit), layout),
                              ink, artwork::Edges::Smooth);
    glyphs.bigSuits[suit] =
        artwork::DrawBigSuit(SuitOf(suit), GrownBitmapSize(bitmap_ids::BigSuit(vga, large, suit), layout), ink,
                            artwork::Edges::Smooth);
  }
  return glyphs;
}

QImage DrawScaledBack(int design, const FieldLayout& layout) {
  return artwork::DrawCardBack(design % 4, QSize(layout.cardWidth, layout.cardHeight));
}

const QImage& ScaledGreyRank(int rank, const FieldLayout& layout) {
  return GreyGlyphs().Get(kGreyRankKey + rank, layout, [&] {
    const QSize size = GrownBitmapSize(bitmap_ids::GreyRank(IsVgaBuild(), layout.large, rank), layout);
    return artwork::DrawRankGlyph(rank, CardSizeOf(layout), artwork::BitmapSet::Vga, size, artwork::kGrey,
                                 artwork::Edges::Hard);
  });
}

const QImage& ScaledGreySuit(int suit, bool big, const FieldLayout& layout) {
  return GreyGlyphs().Get((big ? kGreyBigSuitKey : kGreySmallSuitKey) + suit, layout, [&] {
    const bool vga = IsVgaBuild();
    const int id = big ? bitmap_ids::GreyBigSuit(vga, layout.large, suit)
                       : bitmap_ids::GreySmallSuit(vga, layout.large, suit);
    const QSize size = GrownBitmapSize(id, layout);
    return big ? artwork::DrawBigSuit(SuitOf(suit), size, artwork::kGrey, artwork::Edges::Hard)
               : artwork::DrawSmallSuit(SuitOf(suit), size, artwork::kGrey, artwork::Edges::Hard);
  });
}

const QImage& ScaledArrow(bool red, const FieldLayout& layout) {
  return GreyGlyphs().Get(kArrowKey + (red ? 1 : 0), layout, [&] {
    const QSize size = GrownBitmapSize(bitmap_ids::EmptyArrow(IsVgaBuild(), red ? 1 : 0), layout);
    return artwork::DrawEmptyPileArrow(red, size, artwork::BitmapSet::Vga);
  });
}

}  // namespace cw
