#include "view/scaled_card_art.h"

#include <tuple>
#include <unordered_map>

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
QSize GrownBitmapSize(int id, const FieldLayout& layout) { return GrownSize(BitmapSize(id), layout); }

artwork::Suit SuitOf(int suit) { return static_cast<artwork::Suit>(suit); }

// Glyphs by what they show and the scale they were drawn at. Kept while the
// table keeps its size; a new size starts afresh. A node map, so a glyph
// handed out stays where it is while others are added.
class GlyphStore {
 public:
  template <typename Draw>
  const QImage& Get(int what, const FieldLayout& layout, Draw draw) {
    const Key key{layout.scaleNum, layout.scaleDen, layout.large};
    if (key != key_) {
      images_.clear();
      key_ = key;
    }
    auto at = images_.find(what);
    if (at == images_.end()) at = images_.emplace(what, draw()).first;
    return at->second;
  }

 private:
  using Key = std::tuple<int, int, bool>;
  Key key_{0, 0, false};
  std::unordered_map<int, QImage> images_;
};

GlyphStore& Glyphs() {
  static GlyphStore store;
  return store;
}

constexpr int kGreyRankKey = 0;
constexpr int kGreySmallSuitKey = 100;
constexpr int kGreyBigSuitKey = 200;
constexpr int kArrowKey = 300;
constexpr int kRankKey = 400;
constexpr int kSmallSuitKey = 500;
constexpr int kBigSuitKey = 600;

}  // namespace

QSize GrownSize(QSize size, const FieldLayout& layout) {
  const auto grow = [&](int v) { return (v * layout.scaleNum + layout.scaleDen / 2) / layout.scaleDen; };
  return {grow(size.width()), grow(size.height())};
}

const QImage& ScaledRank(int rank, const FieldLayout& layout) {
  return Glyphs().Get(kRankKey + rank, layout, [&] {
    const QSize size = GrownBitmapSize(bitmap_ids::RankGlyph(IsVgaBuild(), layout.large, rank), layout);
    return artwork::DrawRankGlyph(rank, CardSizeOf(layout), artwork::BitmapSet::Vga, size, artwork::kInk,
                                 artwork::Edges::Smooth);
  });
}

const QImage& ScaledSuit(int suit, bool big, const FieldLayout& layout) {
  return Glyphs().Get((big ? kBigSuitKey : kSmallSuitKey) + suit, layout, [&] {
    const bool vga = IsVgaBuild();
    const QColor& ink = artwork::IsRedSuit(SuitOf(suit)) ? artwork::kRed : artwork::kInk;
    if (big) {
      return artwork::DrawBigSuit(SuitOf(suit), GrownBitmapSize(bitmap_ids::BigSuit(vga, layout.large, suit), layout),
                                  ink, artwork::Edges::Smooth);
    }
    return artwork::DrawSmallSuit(SuitOf(suit), GrownBitmapSize(bitmap_ids::SmallSuit(vga, layout.large, suit), layout),
                                  ink, artwork::Edges::Smooth);
  });
}

QImage DrawScaledBack(int design, const FieldLayout& layout) {
  return artwork::DrawCardBack(design % 4, QSize(layout.cardWidth, layout.cardHeight));
}

const QImage& ScaledGreyRank(int rank, const FieldLayout& layout) {
  return Glyphs().Get(kGreyRankKey + rank, layout, [&] {
    const QSize size = GrownBitmapSize(bitmap_ids::GreyRank(IsVgaBuild(), layout.large, rank), layout);
    return artwork::DrawRankGlyph(rank, CardSizeOf(layout), artwork::BitmapSet::Vga, size, artwork::kGrey,
                                 artwork::Edges::Hard);
  });
}

const QImage& ScaledGreySuit(int suit, bool big, const FieldLayout& layout) {
  return Glyphs().Get((big ? kGreyBigSuitKey : kGreySmallSuitKey) + suit, layout, [&] {
    const bool vga = IsVgaBuild();
    const int id = big ? bitmap_ids::GreyBigSuit(vga, layout.large, suit)
                       : bitmap_ids::GreySmallSuit(vga, layout.large, suit);
    const QSize size = GrownBitmapSize(id, layout);
    return big ? artwork::DrawBigSuit(SuitOf(suit), size, artwork::kGrey, artwork::Edges::Hard)
               : artwork::DrawSmallSuit(SuitOf(suit), size, artwork::kGrey, artwork::Edges::Hard);
  });
}

const QImage& ScaledArrow(bool red, const FieldLayout& layout) {
  return Glyphs().Get(kArrowKey + (red ? 1 : 0), layout, [&] {
    const QSize size = GrownBitmapSize(bitmap_ids::EmptyArrow(IsVgaBuild(), red ? 1 : 0), layout);
    return artwork::DrawEmptyPileArrow(red, size, artwork::BitmapSet::Vga);
  });
}

}  // namespace cw
