#pragma once

#include <QImage>
#include <QPainterPath>
#include <QRectF>

#include "platform/artwork/canvas.h"
#include "platform/artwork/manifest.h"

namespace cw::artwork {

// Suit index 0 … 3: spades, clubs, diamonds, hearts.
enum class Suit { Spades, Clubs, Diamonds, Hearts };

bool IsRedSuit(Suit suit);

// The outline of a suit symbol filling the rectangle.
QPainterPath SuitPath(Suit suit, const QRectF& box);

// The small symbol that stands beside the rank; its ink spans the rank's rows.
QImage DrawSmallSuit(Suit suit, QSize size, const QColor& ink, Edges edges);

// The big symbol that fills the lower part of a face.
QImage DrawBigSuit(Suit suit, QSize size, const QColor& ink, Edges edges);

}  // namespace cw::artwork
