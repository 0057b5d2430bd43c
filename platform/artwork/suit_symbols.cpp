#include "platform/artwork/suit_symbols.h"

#include <QTransform>

namespace cw::artwork {

bool IsRedSuit(Suit suit) { return suit == Suit::Diamonds || suit == Suit::Hearts; }

namespace {

// Shapes in a unit box, symmetric about x = 0.5.
QPainterPath UnitHeart() {
  QPainterPath p;
  p.moveTo(0.5, 0.97);
  p.cubicTo(0.36, 0.78, 0.0, 0.56, 0.0, 0.29);
  p.cubicTo(0.0, 0.12, 0.12, 0.02, 0.26, 0.02);
  p.cubicTo(0.38, 0.02, 0.46, 0.09, 0.5, 0.2);
  p.cubicTo(0.54, 0.09, 0.62, 0.02, 0.74, 0.02);
  p.cubicTo(0.88, 0.02, 1.0, 0.12, 1.0, 0.29);
  p.cubicTo(1.0, 0.56, 0.64, 0.78, 0.5, 0.97);
  p.closeSubpath();
  return p;
}

QPainterPath UnitSpade() {
  QPainterPath p;
  p.moveTo(0.5, 0.0);
  p.cubicTo(0.62, 0.18, 1.0, 0.36, 1.0, 0.6);
  p.cubicTo(1.0, 0.75, 0.89, 0.84, 0.75, 0.84);
  p.cubicTo(0.65, 0.84, 0.59, 0.8, 0.56, 0.74);
  p.cubicTo(0.57, 0.86, 0.63, 0.94, 0.75, 1.0);
  p.lineTo(0.25, 1.0);
  p.cubicTo(0.37, 0.94, 0.43, 0.86, 0.44, 0.74);
  p.cubicTo(0.41, 0.8, 0.35, 0.84, 0.25, 0.84);
  p.cubicTo(0.11, 0.84, 0.0, 0.75, 0.0, 0.6);
  p.cubicTo(0.0, 0.36, 0.38, 0.18, 0.5, 0.0);
  p.closeSubpath();
  return p;
}

QPainterPath UnitClub() {
  QPainterPath p;
  const double r = 0.225;
  p.addEllipse(QPointF(0.5, 0.235), r, r);
  p.addEllipse(QPointF(0.235, 0.6), r, r);
  p.addEllipse(QPointF(0.765, 0.6), r, r);
  QPainterPath stem;
  stem.moveTo(0.5, 0.4);
  stem.lineTo(0.57, 0.62);
  stem.cubicTo(0.58, 0.82, 0.63, 0.93, 0.75, 1.0);
  stem.lineTo(0.25, 1.0);
  stem.cubicTo(0.37, 0.93, 0.42, 0.82, 0.43, 0.62);
  stem.closeSubpath();
  QPainterPath heart;
  heart.addEllipse(QPointF(0.5, 0.55), 0.12, 0.12);
  p.setFillRule(Qt::WindingFill);
  return p.united(stem).united(heart);
}

QPainterPath UnitDiamond() {
  QPainterPath p;
  p.moveTo(0.5, 0.0);
  p.lineTo(0.9, 0.5);
  p.lineTo(0.5, 1.0);
  p.lineTo(0.1, 0.5);
  p.closeSubpath();
  return p;
}

// Hand-set symbols for the two smallest sizes, where a rasterised outline
// loses its shape. Rows cover the rank's ink rows; the last column stays
// white so that the symbol never meets the card's right-hand frame.
// clang-format off
const PixelArt& TinySuit(Suit suit, int size) {
  static const PixelArt kSpade8 = {
      "...#....",
      "..###...",
      ".#####..",
      "#######.",
      "#######.",
      "...#....",
      "..###...",
  };
  static const PixelArt kClub8 = {
      "..###...",
      "..###...",
      "##.#.##.",
      "#######.",
      "##.#.##.",
      "...#....",
      "..###...",
  };
  static const PixelArt kDiamond8 = {
      "...#....",
      "..###...",
      ".#####..",
      "#######.",
      ".#####..",
      "..###...",
      "...#....",
  };
  static const PixelArt kHeart8 = {
      ".##.##..",
      "#######.",
      "#######.",
      "#######.",
      ".#####..",
      "..###...",
      "...#....",
  };
  static const PixelArt kSpade11 = {
      ".....#.....",
      "....###....",
      "...#####...",
      "..#######..",
      ".#########.",
      ".#########.",
      ".###.#.###.",
      ".....#.....",
      "....###....",
  };
  static const PixelArt kClub11 = {
      "....###....",
      "...#####...",
      "...#####...",
      ".##.###.##.",
      ".#########.",
      ".#########.",
      ".##..#..##.",
      ".....#.....",
      "....###....",
  };
  static const PixelArt kDiamond11 = {
      ".....#.....",
      "....###....",
      "...#####...",
      "..#######..",
      ".#########.",
      "..#######..",
      "...#####...",
      "....###....",
      ".....#.....",
  };
  static const PixelArt kHeart11 = {
      "..##...##..",
      ".####.####.",
      ".#########.",
      ".#########.",
      "..#######..",
      "...#####...",
      "....###....",
      ".....#.....",
  };
  const bool eight = size == 8;
  switch (suit) {
    case Suit::Spades:
      return eight ? kSpade8 : kSpade11;
    case Suit::Clubs:
      return eight ? kClub8 : kClub11;
    case Suit::Diamonds:
      return eight ? kDiamond8 : kDiamond11;
    case Suit::Hearts:
      return eight ? kHeart8 : kHeart11;
  }
  return kHeart11;
}
// clang-format on

// Hand-set big symbols of the small set: rasterised outlines leave pinholes
// where the lobes meet the stem and spurs on the lobes at these sizes. The
// diamond's straight edges rasterise cleanly and are not listed.
// clang-format off
const PixelArt* HandSetBigSuit(Suit suit, int size) {
  static const PixelArt kSpade16 = {
      "................",
      ".......##.......",
      "......####......",
      ".....######.....",
      "....########....",
      "...##########...",
      "..############..",
      ".##############.",
      ".##############.",
      ".##############.",
      "..############..",
      "...###.##.###...",
      ".......##.......",
      "......####......",
      ".....######.....",
      "................",
  };
  static const PixelArt kClub16 = {
      "................",
      "......####......",
      ".....######.....",
      ".....######.....",
      ".....######.....",
      "......####......",
      "..###..##..###..",
      ".##############.",
      ".##############.",
      ".##############.",
      ".##############.",
      "..###..##..###..",
      ".......##.......",
      "......####......",
      ".....######.....",
      "................",
  };
  static const PixelArt kHeart16 = {
      "................",
      "................",
      "..####....####..",
      ".######..######.",
      ".##############.",
      ".##############.",
      ".##############.",
      "..############..",
      "...##########...",
      "....########....",
      ".....######.....",
      "......####......",
      ".......##.......",
      "................",
      "................",
      "................",
  };
  static const PixelArt kSpade22 = {
      "......................",
      "..........##..........",
      ".........####.........",
      "........######........",
      ".......########.......",
      "......##########......",
      ".....############.....",
      "....##############....",
      "...################...",
      "..##################..",
      ".####################.",
      ".####################.",
      ".####################.",
      ".####################.",
      "..##################..",
      "...######.##.######...",
      "....####..##..####....",
      "..........##..........",
      ".........####.........",
      "........######........",
      ".......########.......",
      "......................",
  };
  static const PixelArt kClub22 = {
      "......................",
      ".........####.........",
      "........######........",
      ".......########.......",
      ".......########.......",
      ".......########.......",
      ".......########.......",
      "........######........",
      "...####..####..####...",
      "..######.####.######..",
      ".####################.",
      ".####################.",
      ".####################.",
      ".####################.",
      "..######.####.######..",
      "...####...##...####...",
      "..........##..........",
      "..........##..........",
      ".........####.........",
      "........######........",
      ".......########.......",
      "......................",
  };
  static const PixelArt kHeart22 = {
      "......................",
      "......................",
      "...######....######...",
      "..########..########..",
      ".#########..#########.",
      ".####################.",
      ".####################.",
      ".####################.",
      ".####################.",
      "..##################..",
      "..##################..",
      "...################...",
      "....##############....",
      ".....############.....",
      "......##########......",
      ".......########.......",
      "........######........",
      ".........####.........",
      "..........##..........",
      "......................",
      "......................",
      "......................",
  };
  if (size != 16 && size != 22) return nullptr;
  const bool sixteen = size == 16;
  switch (suit) {
    case Suit::Spades: return sixteen ? &kSpade16 : &kSpade22;
    case Suit::Clubs: return sixteen ? &kClub16 : &kClub22;
    case Suit::Hearts: return sixteen ? &kHeart16 : &kHeart22;
    case Suit::Diamonds: return nullptr;
  }
  return nullptr;
}
// clang-format on

QImage PathSuit(Suit suit, QSize size, const QRectF& box, const QColor& ink, Edges edges) {
  QImage image = NewCanvas(size.width(), size.height());
  FillShape(image, SuitPath(suit, box), ink, edges);
  if (edges == Edges::Hard) MirrorLeftHalf(image);
  return image;
}

}  // namespace

QPainterPath SuitPath(Suit suit, const QRectF& box) {
  QPainterPath unit;
  switch (suit) {
    case Suit::Spades:
      unit = UnitSpade();
      break;
    case Suit::Clubs:
      unit = UnitClub();
      break;
    case Suit::Diamonds:
      unit = UnitDiamond();
      break;
    case Suit::Hearts:
      unit = UnitHeart();
      break;
  }
  QTransform place;
  place.translate(box.left(), box.top());
  place.scale(box.width(), box.height());
  return place.map(unit);
}

QImage DrawSmallSuit(Suit suit, QSize size, const QColor& ink, Edges edges) {
  const int side = size.width();
  if (side == 8 || side == 11) {
    QImage image = NewCanvas(size.width(), size.height());
    PaintPixelArt(image, TinySuit(suit, side), {0, 1}, ink);
    return image;
  }
  // The rank's ink spans rows 1/8 … 8/8 of its height on small cards and
  // 1/11 … 10/11 on large ones; the symbol follows it.
  const double top = side / (side >= 22 ? 11.0 : 8.0);
  const double height = side - 2 * top + (side >= 22 ? 0 : top);
  const double inset = (side - height) / 2.0;
  return PathSuit(suit, size, QRectF(inset, top, height, height), ink, edges);
}

QImage DrawBigSuit(Suit suit, QSize size, const QColor& ink, Edges edges) {
  if (edges == Edges::Hard) {
    if (const PixelArt* art = HandSetBigSuit(suit, size.width())) {
      QImage image = NewCanvas(size.width(), size.height());
      PaintPixelArt(image, *art, {0, 0}, ink);
      return image;
    }
  }
  const double margin = size.width() >= 32 ? 2.0 : 1.0;
  const QRectF box(margin, margin, size.width() - 2 * margin, size.height() - 2 * margin);
  return PathSuit(suit, size, box, ink, edges);
}

}  // namespace cw::artwork
