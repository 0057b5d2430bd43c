#include "platform/artwork/rank_glyphs.h"

#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>

namespace cw::artwork {

QString RankText(int rank) {
  static const char* const kTexts[kRankCount] = {"A", "2", "3",  "4", "5", "6", "7",
                                                 "8", "9", "10", "J", "Q", "K"};
  return kTexts[rank];
}

namespace {

// The pixel characters of one glyph set, in the order of kPixelChars; any
// other character draws as the last.
constexpr QStringView kPixelChars = u"A2345678910JQK";
using PixelCharSet = std::array<const PixelArt*, 14>;

const PixelArt& PixelCharOf(QChar c, const PixelCharSet& set) {
  const qsizetype at = kPixelChars.indexOf(c);
  return *set[at < 0 ? set.size() - 1 : static_cast<std::size_t>(at)];
}

// Bold characters nine pixels high for the corner of large cards.
// clang-format off
const PixelArt& LargePixelChar(QChar c) {
  static const PixelArt kA = {
      "..###..",
      ".##.##.",
      "##...##",
      "##...##",
      "##...##",
      "#######",
      "##...##",
      "##...##",
      "##...##",
  };
  static const PixelArt k2 = {
      ".####.",
      "##..##",
      "....##",
      "....##",
      "...##.",
      "..##..",
      ".##...",
      "##....",
      "######",
  };
  static const PixelArt k3 = {
      ".####.",
      "##..##",
      "....##",
      "....##",
      "..###.",
      "....##",
      "....##",
      "##..##",
      ".####.",
  };
  static const PixelArt k4 = {
      "....##.",
      "...###.",
      "..####.",
      ".##.##.",
      "##..##.",
      "#######",
      "....##.",
      "....##.",
      "....##.",
  };
  static const PixelArt k5 = {
      "######",
      "##....",
      "##....",
      "#####.",
      "....##",
      "....##",
      "....##",
      "##..##",
      ".####.",
  };
  static const PixelArt k6 = {
      "..###.",
      ".##...",
      "##....",
      "#####.",
      "##..##",
      "##..##",
      "##..##",
      "##..##",
      ".####.",
  };
  static const PixelArt k7 = {
      "######",
      "....##",
      "....##",
      "...##.",
      "...##.",
      "..##..",
      "..##..",
      "..##..",
      "..##..",
  };
  static const PixelArt k8 = {
      ".####.",
      "##..##",
      "##..##",
      "##..##",
      ".####.",
      "##..##",
      "##..##",
      "##..##",
      ".####.",
  };
  static const PixelArt k9 = {
      ".####.",
      "##..##",
      "##..##",
      "##..##",
      ".#####",
      "....##",
      "....##",
      "...##.",
      ".###..",
  };
  static const PixelArt k1 = {
      ".##",
      "###",
      ".##",
      ".##",
      ".##",
      ".##",
      ".##",
      ".##",
      ".##",
  };
  static const PixelArt k0 = {
      ".####.",
      "##..##",
      "##..##",
      "##..##",
      "##..##",
      "##..##",
      "##..##",
      "##..##",
      ".####.",
  };
  static const PixelArt kJ = {
      "..####",
      "....##",
      "....##",
      "....##",
      "....##",
      "....##",
      "##..##",
      "##..##",
      ".####.",
  };
  static const PixelArt kQ = {
      ".#####.",
      "##...##",
      "##...##",
      "##...##",
      "##...##",
      "##...##",
      "##.#.##",
      "##..##.",
      ".###.##",
  };
  static const PixelArt kK = {
      "##...##",
      "##..##.",
      "##.##..",
      "####...",
      "###....",
      "####...",
      "##.##..",
      "##..##.",
      "##...##",
  };
  static const PixelCharSet kSet = {&kA, &k2, &k3, &k4, &k5, &k6, &k7, &k8, &k9, &k1, &k0, &kJ, &kQ, &kK};
  return PixelCharOf(c, kSet);
}
// clang-format on

// Characters seven pixels high for the corner of small cards.
// clang-format off
const PixelArt& SmallPixelChar(QChar c) {
  static const PixelArt kA = {
      ".###.",
      "#...#",
      "#...#",
      "#####",
      "#...#",
      "#...#",
      "#...#",
  };
  static const PixelArt k2 = {
      ".###.",
      "#...#",
      "....#",
      "...#.",
      "..#..",
      ".#...",
      "#####",
  };
  static const PixelArt k3 = {
      "####.",
      "....#",
      "....#",
      ".###.",
      "....#",
      "....#",
      "####.",
  };
  static const PixelArt k4 = {
      "...#.",
      "..##.",
      ".#.#.",
      "#..#.",
      "#####",
      "...#.",
      "...#.",
  };
  static const PixelArt k5 = {
      "#####",
      "#....",
      "####.",
      "....#",
      "....#",
      "#...#",
      ".###.",
  };
  static const PixelArt k6 = {
      "..##.",
      ".#...",
      "#....",
      "####.",
      "#...#",
      "#...#",
      ".###.",
  };
  static const PixelArt k7 = {
      "#####",
      "....#",
      "...#.",
      "..#..",
      ".#...",
      ".#...",
      ".#...",
  };
  static const PixelArt k8 = {
      ".###.",
      "#...#",
      "#...#",
      ".###.",
      "#...#",
      "#...#",
      ".###.",
  };
  static const PixelArt k9 = {
      ".###.",
      "#...#",
      "#...#",
      ".####",
      "....#",
      "...#.",
      ".##..",
  };
  static const PixelArt k1 = {
      ".#",
      "##",
      ".#",
      ".#",
      ".#",
      ".#",
      ".#",
  };
  static const PixelArt k0 = {
      ".###.",
      "#...#",
      "#...#",
      "#...#",
      "#...#",
      "#...#",
      ".###.",
  };
  static const PixelArt kJ = {
      "..###",
      "...#.",
      "...#.",
      "...#.",
      "...#.",
      "#..#.",
      ".##..",
  };
  static const PixelArt kQ = {
      ".###.",
      "#...#",
      "#...#",
      "#...#",
      "#.#.#",
      "#..#.",
      ".##.#",
  };
  static const PixelArt kK = {
      "#...#",
      "#..#.",
      "#.#..",
      "##...",
      "#.#..",
      "#..#.",
      "#...#",
  };
  static const PixelCharSet kSet = {&kA, &k2, &k3, &k4, &k5, &k6, &k7, &k8, &k9, &k1, &k0, &kJ, &kQ, &kK};
  return PixelCharOf(c, kSet);
}
// clang-format on

QImage PixelRankGlyph(const QString& text, CardSize cardSize, QSize size, const QColor& ink) {
  QImage image = NewCanvas(size.width(), size.height());
  const auto& charArt = cardSize == CardSize::Large ? LargePixelChar : SmallPixelChar;
  const int gap = 1;
  int width = -gap;
  for (QChar c : text) width += PixelArtWidth(charArt(c)) + gap;
  const int height = static_cast<int>(charArt(text[0]).size());
  int x = (size.width() - width) / 2;
  const int y = (size.height() - height + 1) / 2;
  for (QChar c : text) {
    PaintPixelArt(image, charArt(c), {x, y}, ink);
    x += PixelArtWidth(charArt(c)) + gap;
  }
  return image;
}

// The stroke font: centre lines of each character in units, cap height 10,
// y growing downwards.
struct StrokeChar {
  double width;
  QPainterPath path;
};

QPainterPath Ellipse(double left, double top, double width, double height) {
  QPainterPath path;
  path.addEllipse(left, top, width, height);
  return path;
}

StrokeChar StrokeCharFor(QChar c) {
  QPainterPath p;
  switch (c.unicode()) {
    case 'A':
      p.moveTo(0, 10);
      p.lineTo(3.2, 0);
      p.lineTo(6.4, 10);
      p.moveTo(1.2, 6.6);
      p.lineTo(5.2, 6.6);
      return {6.4, p};
    case '2':
      p.moveTo(0.3, 2.6);
      p.cubicTo(0.4, 0.9, 1.6, 0, 3, 0);
      p.cubicTo(4.6, 0, 5.7, 1, 5.7, 2.6);
      p.cubicTo(5.7, 4.6, 3.8, 6, 0.2, 10);
      p.lineTo(6, 10);
      return {6, p};
    case '3':
      p.moveTo(0.3, 1.3);
      p.cubicTo(1, 0.4, 2, 0, 3, 0);
      p.cubicTo(4.6, 0, 5.6, 1, 5.6, 2.5);
      p.cubicTo(5.6, 4, 4.4, 4.8, 2.6, 4.8);
      p.cubicTo(4.6, 4.8, 5.9, 5.8, 5.9, 7.4);
      p.cubicTo(5.9, 9, 4.6, 10, 3, 10);
      p.cubicTo(1.8, 10, 0.8, 9.6, 0.1, 8.8);
      return {6, p};
    case '4':
      p.moveTo(4.6, 10);
      p.lineTo(4.6, 0);
      p.lineTo(0, 7);
      p.lineTo(6.2, 7);
      return {6.2, p};
    case '5':
      p.moveTo(5.4, 0);
      p.lineTo(1, 0);
      p.lineTo(0.6, 4.6);
      p.cubicTo(1.3, 4.1, 2.2, 3.9, 3, 3.9);
      p.cubicTo(4.8, 3.9, 5.9, 5.1, 5.9, 6.9);
      p.cubicTo(5.9, 8.8, 4.6, 10, 2.9, 10);
      p.cubicTo(1.8, 10, 0.8, 9.6, 0.1, 8.9);
      return {6, p};
    case '6':
      p.moveTo(5.2, 0.7);
      p.cubicTo(4.6, 0.2, 3.9, 0, 3.2, 0);
      p.cubicTo(1.1, 0, 0.1, 2.4, 0.1, 6.4);
      p.addPath(Ellipse(0.1, 3.8, 5.8, 6.2));
      return {6, p};
    case '7':
      p.moveTo(0, 0);
      p.lineTo(6, 0);
      p.lineTo(2.2, 10);
      return {6, p};
    case '8':
      p.addPath(Ellipse(0.5, 0, 5, 4.7));
      p.addPath(Ellipse(0.1, 4.7, 5.8, 5.3));
      return {6, p};
    case '9':
      p.addPath(Ellipse(0.1, 0, 5.8, 6.2));
      p.moveTo(5.9, 3.6);
      p.cubicTo(5.9, 7.6, 4.9, 10, 2.8, 10);
      p.cubicTo(2.1, 10, 1.4, 9.8, 0.8, 9.3);
      return {6, p};
    case '1':
      p.moveTo(0, 2.2);
      p.lineTo(2.4, 0);
      p.lineTo(2.4, 10);
      return {2.4, p};
    case '0':
      p.addPath(Ellipse(0, 0, 5.6, 10));
      return {5.6, p};
    case 'J':
      p.moveTo(5, 0);
      p.lineTo(5, 7.2);
      p.cubicTo(5, 9.1, 4, 10, 2.6, 10);
      p.cubicTo(1.2, 10, 0.3, 9.1, 0.1, 7.8);
      return {5, p};
    case 'Q':
      p.addPath(Ellipse(0, 0, 6.4, 10));
      p.moveTo(3.6, 7);
      p.lineTo(6.6, 10.4);
      return {6.4, p};
    case 'l':
      p.moveTo(0, 0);
      p.lineTo(0, 10);
      return {0, p};
    default:  // K
      p.moveTo(0.3, 0);
      p.lineTo(0.3, 10);
      p.moveTo(6, 0);
      p.lineTo(0.3, 6.2);
      p.moveTo(2.3, 4);
      p.lineTo(6.2, 10);
      return {6.2, p};
  }
}

}  // namespace

QPainterPath StrokeText(const QString& text, double gap, double* advance) {
  QPainterPath path;
  double x = 0;
  for (QChar c : text) {
    const StrokeChar sc = StrokeCharFor(c);
    path.addPath(QTransform::fromTranslate(x, 0).map(sc.path));
    x += sc.width + gap;
  }
  *advance = text.isEmpty() ? 0 : x - gap;
  return path;
}

namespace {

// Glyph geometry on the large set: the ink spans the same rows as on the small
// set (rows 1 … 9 of 11, rows 1 … 7 of 8), doubled.
QImage StrokeRankGlyph(const QString& text, CardSize cardSize, QSize size, const QColor& ink,
                       Edges edges) {
  QImage image = NewCanvas(size.width(), size.height());
  const double scale = size.height() / (cardSize == CardSize::Large ? 11.0 : 8.0);
  const double inkTop = scale;
  const double inkHeight = (cardSize == CardSize::Large ? 9.0 : 7.0) * scale;
  // The pen grows with the glyph beyond the sizes of the VGA set (22 and 16
  // rows high), so a glyph drawn for a bigger card keeps its weight.
  const double setHeight = cardSize == CardSize::Large ? 22.0 : 16.0;
  const double weight = std::max(1.0, size.height() / setHeight);
  const double stroke = (cardSize == CardSize::Large ? 3.6 : 2.6) * weight;
  const double unit = (inkHeight - stroke) / 10.0;
  // Strokes of neighbouring characters keep 0.8 units of white between them.
  double advance = 0;
  const QPainterPath path = StrokeText(text, stroke / unit + 0.8, &advance);
  const double inkWidth = advance * unit + stroke;
  const double left = std::round((size.width() - inkWidth) / 2.0) + stroke / 2.0;
  QTransform place;
  place.translate(left, inkTop + stroke / 2.0);
  place.scale(unit, unit);
  StrokeShape(image, place.map(path), stroke, ink, edges);
  return image;
}

}  // namespace

QImage DrawRankGlyph(int rank, CardSize cardSize, BitmapSet set, QSize size, const QColor& ink,
                     Edges edges) {
  const QString text = RankText(rank);
  if (set == BitmapSet::Qvga) return PixelRankGlyph(text, cardSize, size, ink);
  return StrokeRankGlyph(text, cardSize, size, ink, edges);
}

}  // namespace cw::artwork
