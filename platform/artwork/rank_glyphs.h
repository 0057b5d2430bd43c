#pragma once

#include <QImage>
#include <QPainterPath>
#include <QString>

#include "platform/artwork/canvas.h"
#include "platform/artwork/manifest.h"

namespace cw::artwork {

enum class CardSize { Small, Large };

inline constexpr int kRankCount = 13;

// "A", "2" … "10", "J", "Q", "K" for rank index 0 … 12.
QString RankText(int rank);

// The rank in the top-left corner of a face, ink on white, at the glyph size
// of the card size and set. The small set is drawn on the pixel grid; the large
// set from strokes.
QImage DrawRankGlyph(int rank, CardSize cardSize, BitmapSet set, QSize size, const QColor& ink,
                     Edges edges);

// The centre lines of a text in the stroke font, for icons that carry letters.
// Cap height is 10 units, the text starts at x = 0, y = 0 is the cap line.
// Characters stand gap units apart, centre line to centre line, so the gap must
// exceed the stroke width in units; *advance receives the text's width in units.
QPainterPath StrokeText(const QString& text, double gap, double* advance);

}  // namespace cw::artwork
