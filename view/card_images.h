// The card pictures of the table: the 52 faces and 4 backs composed at card
// size from the glyphs (at a handheld size all at once per game from the glyph
// bitmaps; on a grown table a back the first time it is shown, and a face
// drawn from its glyphs wherever it is shown, since finished faces of big
// cards would delay the first picture), the marks of empty piles, and the
// group image of a run of cards that is dragged or slides.
#pragma once

#include <QPoint>
#include <QRgb>
#include <array>
#include <optional>

#include "platform/gdi/surface.h"
#include "platform/screen/screen_facts.h"
#include "view/field_layout.h"

namespace cw {

inline constexpr int kCardImageCount = 56;
inline constexpr int kFirstBackImage = 52;
inline constexpr int kBackCount = 4;

inline constexpr QRgb kCardFaceColour = qRgb(0xFF, 0xFF, 0xFF);
inline constexpr QRgb kLightFrameColour = qRgb(0x99, 0x99, 0x99);
inline constexpr QRgb kDarkFrameColour = qRgb(0x00, 0x00, 0x00);
// The transparent colour of every glyph, mark and icon bitmap.
inline constexpr QRgb kTransparentColour = qRgb(0xFF, 0xFF, 0xFF);

// Places the glyphs of a face (or of an empty pile's base mark): the rank in
// the top-left corner, the small suit beside it, the big suit below.
struct GlyphPlaces {
  QPoint rank;
  QPoint smallSuit;
  QPoint bigSuit;
  QPoint bigSuitAlone;  // the big suit of a base mark without a rank
};
GlyphPlaces FaceGlyphPlaces(const FieldLayout& layout, const ScreenFacts& screen);

class CardImageCache {
 public:
  // Readies the faces and backs for the card size of `layout`, from the
  // bitmap set of this build.
  void Build(const FieldLayout& layout, const ScreenFacts& screen);
  void Clear();

  // Suit 0..3 and rank 0..12; anything else (or a cache not built) gives a
  // null surface.
  const Surface& Face(int suit, int rank) const;
  // Back 0..3; other numbers are taken modulo 4.
  const Surface& Back(std::uint32_t back) const;
  // How many pictures are composed so far.
  int ComposedCount() const;
  // The card of `slot` (showing back `back` when face down) with its top-left
  // corner at `at`: the same pixels as its picture, without keeping a grown
  // face's picture.
  void DrawCard(Surface& target, const CardSlot& slot, std::uint32_t back, QPoint at) const;

 private:
  // Picture 0..55 (faces by suit and rank, then the backs), composed on a
  // grown table the first time it is asked for.
  const Surface& Image(int index) const;
  void ComposeGrown(int index) const;
  void DrawGrownFace(Surface& target, int index, QPoint at) const;

  mutable std::array<Surface, kCardImageCount> images_;
  // The measures of a grown table, for the pictures not yet composed; none
  // at the handheld sizes, where all are composed by Build.
  std::optional<FieldLayout> grown_;
  GlyphPlaces grownPlaces_;
  Surface blank_;  // a grown card's face without its glyphs
  Surface none_;
};

// The empty mark of a pile with its top-left corner at `at`.
void DrawEmptyMark(Surface& target, QPoint at, const PileView& pile, const FieldLayout& layout,
                   const ScreenFacts& screen);

// A run of n cards of a pile from index `start`, fanned at the greatest step
// in the pile's direction (an unfanned pile shows only the run's top card).
struct GroupImage {
  Surface image;
  QPoint firstCard;  // where the run's first card lies inside the image
};
GroupImage RenderGroupImage(const FieldLayout& layout, const CardImageCache& cache, int pile, int start,
                            int n, std::uint32_t back);

}  // namespace cw
