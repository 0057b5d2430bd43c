// The glyphs and backs of a table drawn bigger than this build's bitmap set:
// the artwork generator draws each one at the grown size, in the smooth style
// of the VGA set, so big cards are sharp rather than stretched bitmaps. Only
// the size in use is drawn, and each glyph only when a card first needs it.
#pragma once

#include <QImage>
#include <QSize>

#include "view/field_layout.h"

namespace cw {

// A size of this build's set grown by the layout's scale.
QSize GrownSize(QSize size, const FieldLayout& layout);

// The ink glyphs of a face at the layout's scale: rank 0..12, suit 0..3.
// Each is drawn once per size and kept; white is the paper.
const QImage& ScaledRank(int rank, const FieldLayout& layout);
const QImage& ScaledSuit(int suit, bool big, const FieldLayout& layout);

// Back design 0..3 at the layout's card size, white around the pattern.
QImage DrawScaledBack(int design, const FieldLayout& layout);

// The grey glyphs of an empty pile's base mark and its arrow, at the layout's
// scale; white is transparent. Each is drawn once per size and kept.
// A glyph stays valid while glyphs of the same size are asked for.
const QImage& ScaledGreyRank(int rank, const FieldLayout& layout);
const QImage& ScaledGreySuit(int suit, bool big, const FieldLayout& layout);
const QImage& ScaledArrow(bool red, const FieldLayout& layout);

}  // namespace cw
