// The glyphs and backs of a table drawn bigger than this build's bitmap set:
// the artwork generator draws each one at the grown size, in the smooth style
// of the VGA set, so big cards are sharp rather than stretched bitmaps. Only
// the size in use is drawn.
#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <array>

#include "view/field_layout.h"

namespace cw {

// A size of this build's set grown by the layout's scale.
QSize GrownSize(QSize size, const FieldLayout& layout);

struct ScaledFaceGlyphs {
  std::array<QImage, 13> ranks;
  std::array<QImage, 4> smallSuits;
  std::array<QImage, 4> bigSuits;
};
ScaledFaceGlyphs DrawScaledFaceGlyphs(const FieldLayout& layout);

// Back design 0..3 at the layout's card size, white around the pattern.
QImage DrawScaledBack(int design, const FieldLayout& layout);

// The grey glyphs of an empty pile's base mark and its arrow, at the layout's
// scale; white is transparent. Each is drawn once per size and kept.
const QImage& ScaledGreyRank(int rank, const FieldLayout& layout);
const QImage& ScaledGreySuit(int suit, bool big, const FieldLayout& layout);
const QImage& ScaledArrow(bool red, const FieldLayout& layout);

}  // namespace cw
