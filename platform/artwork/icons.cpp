#include "platform/artwork/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/artwork/canvas.h"
#include "platform/artwork/card_backs.h"
#include "platform/artwork/rank_glyphs.h"
#include "platform/artwork/suit_symbols.h"

namespace cw::artwork {

namespace {

const QColor kNavy{0x1C, 0x3C, 0x90};
const QColor kOutline{0x20, 0x20, 0x28};
const QColor kGold{0xF0, 0xB8, 0x18};
const QColor kGoldEdge{0x8C, 0x5C, 0x00};

// A painter in the small set's pixel units: one unit is one pixel on the small
// set and two on the large one. Rectangles on whole units stay on the grid.
class IconPainter {
 public:
  IconPainter(QImage& image, BitmapSet set) : painter_(&image) {
    const int scale = set == BitmapSet::Qvga ? 1 : 2;
    painter_.scale(scale, scale);
    painter_.setRenderHint(QPainter::Antialiasing, set == BitmapSet::Vga);
    painter_.setPen(Qt::NoPen);
  }

  QPainter& raw() { return painter_; }

  void Fill(const QRectF& rect, const QColor& colour) { painter_.fillRect(rect, colour); }

  // A box with a one-unit border.
  void Box(const QRectF& rect, const QColor& border, const QColor& inside) {
    Fill(rect, border);
    Fill(rect.adjusted(1, 1, -1, -1), inside);
  }

  void Shape(const QPainterPath& path, const QColor& colour) {
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(colour);
    painter_.drawPath(path);
  }

  void Polygon(const QPolygonF& polygon, const QColor& colour) {
    QPainterPath path;
    path.addPolygon(polygon);
    path.closeSubpath();
    Shape(path, colour);
  }

  void Ellipse(const QRectF& rect, const QColor& colour) {
    QPainterPath path;
    path.addEllipse(rect);
    Shape(path, colour);
  }

  // Lines whose end points sit on pixel centres (x.5) cover whole pixels.
  void Line(const QPainterPath& path, double width, const QColor& colour) {
    painter_.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawPath(path);
    painter_.setPen(Qt::NoPen);
  }

 private:
  QPainter painter_;
};

QPainterPath Polyline(std::initializer_list<QPointF> points) {
  QPainterPath path;
  bool first = true;
  for (const QPointF& point : points) {
    if (first)
      path.moveTo(point);
    else
      path.lineTo(point);
    first = false;
  }
  return path;
}

QPolygonF Star(QPointF centre, double outer, double inner) {
  QPolygonF star;
  for (int i = 0; i < 10; ++i) {
    const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
    const double radius = i % 2 == 0 ? outer : inner;
    star << QPointF(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
  }
  return star;
}

// A small card: outline and paper, as the category pictures show cards.
void Card(IconPainter& p, const QRectF& rect) { p.Box(rect, kOutline, kPaper); }

// A card of the small set, six pixels wide and ten high, standing on row 12
// at column left and leaning by lean pixels per row as it rises.
void LeaningCard(QImage& image, int left, double lean) {
  for (int row = 0; row < 10; ++row) {
    const int y = 12 - row;
    const int x = left + static_cast<int>(std::lround(lean * row));
    for (int dx = 0; dx < 6; ++dx) {
      const bool edge = row == 0 || row == 9 || dx == 0 || dx == 5;
      image.setPixel(x + dx, y, (edge ? kOutline : kPaper).rgb());
    }
  }
}

}  // namespace

QImage DrawCategoryPicture(int category, QSize size, BitmapSet set) {
  QImage image = NewCanvas(size.width(), size.height());
  IconPainter p(image, set);
  switch (category) {
    case 1: {  // Addition: a plus sign
      const QColor green{0x1E, 0x8C, 0x3A};
      p.Fill(QRectF(7, 1, 2, 12), green);
      p.Fill(QRectF(2, 6, 12, 2), green);
      break;
    }
    case 2: {  // Canfield: a reserve card face down with one face up on it
      p.Box(QRectF(2, 1, 8, 10), kOutline, kNavy);
      Card(p, QRectF(6, 3, 8, 10));
      p.Polygon(QPolygonF({{10, 5}, {12, 8}, {10, 11}, {8, 8}}), kRed);
      break;
    }
    case 3: {  // Castle: a tower with battlements
      const QColor stone{0x5C, 0x66, 0x74};
      p.Fill(QRectF(3, 4, 10, 9), stone);
      for (int x : {3, 7, 11}) p.Fill(QRectF(x, 1, 2, 3), stone);
      p.Fill(QRectF(7, 8, 2, 5), kPaper);
      p.Fill(QRectF(5, 6, 1, 2), kOutline);
      p.Fill(QRectF(10, 6, 1, 2), kOutline);
      break;
    }
    case 4: {  // Fan: three cards spread out
      if (set == BitmapSet::Qvga) {
        // Turned outlines break up on so few pixels; lean the side cards row
        // by row instead, so every edge stays one whole pixel wide.
        LeaningCard(image, 4, -0.4);
        LeaningCard(image, 6, 0.4);
        p.Box(QRectF(5, 0, 6, 13), kOutline, QColor(0xFC, 0xE4, 0xE4));
        break;
      }
      for (int i = 0; i < 3; ++i) {
        QTransform turn;
        turn.translate(8, 12);
        turn.rotate(-30 + 30 * i);
        QPainterPath card;
        card.addRect(QRectF(-3, -11, 6, 10));
        p.Shape(turn.map(card), kOutline);
        QPainterPath face;
        face.addRect(QRectF(-2, -10, 4, 8));
        p.Shape(turn.map(face), i == 2 ? QColor(0xFC, 0xE4, 0xE4) : kPaper);
      }
      break;
    }
    case 5: {  // 40 Thieves: a robber's mask
      QPainterPath mask;
      mask.addRoundedRect(QRectF(1, 4, 14, 6), 2, 2);
      p.Shape(mask, kOutline);
      p.Fill(QRectF(4, 6, 3, 2), kPaper);
      p.Fill(QRectF(9, 6, 3, 2), kPaper);
      break;
    }
    case 6: {  // FreeCell: four cells, one holding a card
      const QColor teal{0x10, 0x70, 0x80};
      p.Box(QRectF(1, 0, 6, 6), teal, kPaper);
      p.Box(QRectF(9, 0, 6, 6), teal, kPaper);
      p.Box(QRectF(1, 7, 6, 6), teal, kPaper);
      p.Box(QRectF(9, 7, 6, 6), teal, kRed);
      break;
    }
    case 7: {  // Klondike: gold nuggets
      p.Ellipse(QRectF(1, 6, 7, 6), kGoldEdge);
      p.Ellipse(QRectF(2, 7, 5, 4), kGold);
      p.Ellipse(QRectF(8, 5, 7, 7), kGoldEdge);
      p.Ellipse(QRectF(9, 6, 5, 5), kGold);
      p.Ellipse(QRectF(5, 1, 6, 5), kGoldEdge);
      p.Ellipse(QRectF(6, 2, 4, 3), kGold);
      break;
    }
    case 8: {  // Spider
      QPainterPath legs;
      for (int i = 0; i < 4; ++i) {
        const double y = 5.5 + i * 1.5;
        legs.addPath(Polyline({{7.5, y}, {4.5, y - 2 + i}, {1.5, y - 3 + 2.5 * i}}));
        legs.addPath(Polyline({{8.5, y}, {11.5, y - 2 + i}, {14.5, y - 3 + 2.5 * i}}));
      }
      p.Line(legs, 1, kOutline);
      p.Ellipse(QRectF(6, 1, 4, 4), kOutline);
      p.Ellipse(QRectF(5, 4, 6, 8), kOutline);
      p.Fill(QRectF(7.5, 6, 1, 3), kRed);
      break;
    }
    case 9: {  // Terrace: steps
      const QColor clay{0xB8, 0x50, 0x28};
      const QColor light{0xEC, 0xA0, 0x70};
      p.Polygon(QPolygonF({{1, 13}, {1, 9}, {5, 9}, {5, 6}, {9, 6}, {9, 3}, {15, 3}, {15, 13}}),
                clay);
      p.Fill(QRectF(1, 9, 4, 1), light);
      p.Fill(QRectF(5, 6, 4, 1), light);
      p.Fill(QRectF(9, 3, 6, 1), light);
      break;
    }
    default: {  // Yukon: snowy peaks
      const QColor rock{0x3E, 0x5E, 0x8E};
      const QColor far{0x8A, 0xA4, 0xC8};
      p.Polygon(QPolygonF({{0, 13}, {4.5, 5}, {9, 13}}), far);
      p.Polygon(QPolygonF({{3, 13}, {9.5, 1}, {16, 13}}), rock);
      p.Polygon(QPolygonF({{9.5, 1}, {12.8, 7}, {10.8, 6}, {9.5, 7.5}, {8.2, 6}, {6.2, 7}}),
                kPaper);
      break;
    }
  }
  return image;
}

QImage DrawSkillPicture(int level, QSize size, BitmapSet set) {
  QImage image = NewCanvas(size.width(), size.height());
  const int markWidth = size.width() / level;
  for (int i = 0; i < level; ++i) {
    if (set == BitmapSet::Qvga) {
      PaintPixelArt(image,
                    {"..####..", ".######.", "########", "########", "########", "########",
                     ".######.", "..####.."},
                    {i * markWidth + 1, 2}, kNavy);
    } else {
      QPainterPath dot;
      dot.addEllipse(QRectF(i * markWidth + 2, 4, 16, 16));
      FillShape(image, dot, kNavy, Edges::Smooth);
    }
  }
  return image;
}

QImage DrawDurationPicture(int duration, QSize size, BitmapSet set) {
  QImage image = NewCanvas(size.width(), size.height());
  IconPainter p(image, set);
  const QColor wood{0x7A, 0x4A, 0x1E};
  const QColor glass{0xDC, 0xEA, 0xF6};
  const QColor sand{0xE0, 0x9C, 0x20};
  QPainterPath bulbs;
  bulbs.addPolygon(QPolygonF({{4, 1}, {12, 1}, {8.6, 6.5}, {12, 12}, {4, 12}, {7.4, 6.5}}));
  bulbs.closeSubpath();
  p.Shape(bulbs, kOutline);
  QPainterPath inside;
  inside.addPolygon(
      QPolygonF({{5.8, 2}, {10.2, 2}, {8.1, 6.5}, {10.2, 11}, {5.8, 11}, {7.9, 6.5}}));
  inside.closeSubpath();
  p.Shape(inside, glass);
  // The longer the game, the more sand is still to run.
  p.raw().save();
  p.raw().setClipPath(inside);
  p.Fill(QRectF(4, 7 - 1.25 * duration, 8, 1.25 * duration), sand);
  p.Fill(QRectF(4, 10, 8, 1), sand);
  p.Fill(QRectF(7.5, 6, 1, 4), sand);
  p.raw().restore();
  p.Fill(QRectF(3, 0, 10, 1), wood);
  p.Fill(QRectF(3, 12, 10, 1), wood);
  return image;
}

QImage DrawCategoryFilterPicture(QSize size, BitmapSet set) {
  QImage image = NewCanvas(size.width(), size.height());
  IconPainter p(image, set);
  Card(p, QRectF(1, 4, 7, 9));
  Card(p, QRectF(4, 2, 7, 9));
  Card(p, QRectF(8, 0, 7, 9));
  p.Polygon(QPolygonF({{11.5, 2}, {13.5, 4.5}, {11.5, 7}, {9.5, 4.5}}), kRed);
  return image;
}

QImage DrawSkillFilterPicture(QSize size, BitmapSet set) {
  QImage image = NewCanvas(size.width(), size.height());
  IconPainter p(image, set);
  p.Fill(QRectF(2, 9, 3, 3), kNavy);
  p.Fill(QRectF(7, 5, 3, 7), kNavy);
  p.Fill(QRectF(12, 1, 3, 11), kNavy);
  p.Fill(QRectF(1, 12, 15, 1), kOutline);
  return image;
}

QImage DrawDurationFilterPicture(QSize size, BitmapSet set) {
  QImage image = NewCanvas(size.width(), size.height());
  IconPainter p(image, set);
  p.Ellipse(QRectF(2, 0, 13, 13), kOutline);
  p.Ellipse(QRectF(3, 1, 11, 11), kPaper);
  p.Line(Polyline({{8.5, 2}, {8.5, 7.5}, {12, 7.5}}), 1, kNavy);
  return image;
}

QImage DrawClearFiltersPicture(QSize size, BitmapSet set) {
  QImage image = NewCanvas(size.width(), size.height());
  if (set == BitmapSet::Qvga) {
    const PixelArt all = {"..###.....##.##", ".##.##....##.##", "##...##...##.##",
                          "##...##...##.##", "##...##...##.##", "#######...##.##",
                          "##...##...##.##", "##...##...##.##", "##...##...##.##"};
    PaintPixelArt(image, all, {(size.width() - PixelArtWidth(all)) / 2, 2}, kNavy);
    return image;
  }
  const double stroke = 3.6;
  const double unit = (18 - stroke) / 10.0;
  double advance = 0;
  const QPainterPath text = StrokeText("All", stroke / unit + 1.2, &advance);
  QTransform place;
  place.translate(std::round((size.width() - advance * unit - stroke) / 2) + stroke / 2,
                  4 + stroke / 2);
  place.scale(unit, unit);
  StrokeShape(image, place.map(text), stroke, kNavy, Edges::Smooth);
  return image;
}

QImage DrawFavouriteStar(QSize size, BitmapSet set) {
  QImage image = NewCanvas(size.width(), size.height());
  if (set == BitmapSet::Qvga) {
    // clang-format off
    const PixelArt star = {
        ".......#.......",
        "......#o#......",
        "......#o#......",
        ".....#ooo#.....",
        "######ooo######",
        ".#ooooooooooo#.",
        "..#ooooooooo#..",
        "...#ooooooo#...",
        "...#ooooooo#...",
        "..#oooo#oooo#..",
        "..#ooo#.#ooo#..",
        ".#oo##...##oo#.",
        ".###.......###.",
    };
    // clang-format on
    PaintPixelArt(image, star, {0, 0}, kGoldEdge);
    PaintPixelArt(image, star, {0, 0}, kGold, 'o');
    return image;
  }
  IconPainter p(image, set);
  p.Polygon(Star({8, 7}, 7, 2.9), kGoldEdge);
  p.Polygon(Star({8, 7.1}, 5.4, 2.2), kGold);
  return image;
}

QImage DrawSideArrow(bool pointsRight, QSize size, BitmapSet set) {
  QImage image = NewCanvas(size.width(), size.height());
  IconPainter p(image, set);
  QPolygonF arrow({{1, 5}, {8, 5}, {8, 1}, {14, 6.5}, {8, 12}, {8, 8}, {1, 8}});
  if (!pointsRight) arrow = QTransform(-1, 0, 0, 1, 16, 0).map(arrow);
  p.Polygon(arrow, QColor(0x1E, 0x8C, 0x3A));
  return image;
}

QImage DrawMenuBarStrip(QSize size, BitmapSet set) {
  QImage image = NewCanvas(size.width(), size.height());
  IconPainter p(image, set);
  // Undo: an arrow bending back to the left.
  QPainterPath bend;
  bend.moveTo(5, 5.5);
  bend.lineTo(9, 5.5);
  bend.cubicTo(12.5, 5.5, 14, 7.5, 14, 9.5);
  bend.cubicTo(14, 11.5, 12.5, 13.5, 9, 13.5);
  bend.lineTo(6, 13.5);
  p.Line(bend, 2, kNavy);
  p.Polygon(QPolygonF({{1, 5.5}, {6, 1}, {6, 10}}), kNavy);
  // Show Next Move: a light bulb.
  p.raw().translate(16, 0);
  p.Ellipse(QRectF(3, 0, 10, 10), kGoldEdge);
  p.Ellipse(QRectF(4, 1, 8, 8), kGold);
  p.Fill(QRectF(6, 9, 4, 1), kGold);
  p.Fill(QRectF(5, 10, 6, 1), kOutline);
  p.Fill(QRectF(6, 11, 4, 3), QColor(0x80, 0x88, 0x90));
  p.Fill(QRectF(6, 12, 4, 1), kOutline);
  p.Fill(QRectF(7, 14, 2, 1), kOutline);
  // Help: a question mark in a blue disc.
  p.raw().translate(16, 0);
  const QColor blue{0x20, 0x60, 0xC0};
  p.Ellipse(QRectF(0, 0, 16, 16), blue);
  if (set == BitmapSet::Qvga) {
    // clang-format off
    const PixelArt mark = {
        ".####.",
        "##..##",
        "....##",
        "...##.",
        "..##..",
        "..##..",
        "......",
        "..##..",
        "..##..",
    };
    // clang-format on
    PaintPixelArt(image, mark, {32 + 5, 3}, kPaper);
  } else {
    QPainterPath hook;
    hook.moveTo(5.5, 6);
    hook.cubicTo(5.5, 4, 6.5, 3.5, 8, 3.5);
    hook.cubicTo(9.5, 3.5, 10.5, 4.3, 10.5, 5.8);
    hook.cubicTo(10.5, 7.5, 8, 7.8, 8, 9.5);
    hook.lineTo(8, 10);
    p.Line(hook, 2, kPaper);
    p.Fill(QRectF(7, 11, 2, 2), kPaper);
  }
  // Menu: three bars.
  p.raw().translate(16, 0);
  for (int y : {3, 7, 11}) p.Fill(QRectF(2, y, 12, 2), kNavy);
  return image;
}

QImage DrawApplicationIcon(QSize size, BitmapSet set) {
  QImage image = NewCanvas(size.width(), size.height());
  const int s = set == BitmapSet::Qvga ? 1 : 2;
  const QImage back = DrawCardBack(0, QSize(20 * s, 26 * s));
  {
    QPainter painter(&image);
    painter.fillRect(QRect(2 * s, 2 * s, 20 * s, 26 * s), kOutline);
    painter.drawImage(QRect(2 * s + 1, 2 * s + 1, 20 * s - 2, 26 * s - 2), back,
                      QRect(1, 1, 20 * s - 2, 26 * s - 2));
    painter.fillRect(QRect(10 * s, 5 * s, 20 * s, 26 * s), kOutline);
    painter.fillRect(QRect(10 * s + 1, 5 * s + 1, 20 * s - 2, 26 * s - 2), kPaper);
  }
  const Edges edges = set == BitmapSet::Qvga ? Edges::Hard : Edges::Smooth;
  FillShape(image, SuitPath(Suit::Spades, QRectF(13 * s, 10 * s, 14 * s, 16 * s)), kInk, edges);
  return image;
}

QImage DrawEmptyPileArrow(bool red, QSize size, BitmapSet set) {
  QImage image = NewCanvas(size.width(), size.height());
  const QColor ink = red ? kRed : kInk;
  if (set == BitmapSet::Qvga) {
    PaintPixelArt(image,
                  {"...#...", "..###..", ".#####.", "#######", "..###..", "..###..", "..###..",
                   "..###..", "..###..", "..###..", "..###.."},
                  {(size.width() - 7) / 2, (size.height() - 11) / 2}, ink);
    return image;
  }
  const double w = size.width();
  const double h = size.height();
  // The shaft is 6 of the VGA arrow's 14 pixels, and as wide a share when bigger.
  const double shaft = 3.0 * std::max(1.0, w / 14.0);
  const double neck = w / 2 + std::max(1.0, w / 14.0);
  QPainterPath arrow;
  arrow.addPolygon(QPolygonF({{w / 2, 0},
                              {w, neck},
                              {w / 2 + shaft, neck},
                              {w / 2 + shaft, h},
                              {w / 2 - shaft, h},
                              {w / 2 - shaft, neck},
                              {0, neck}}));
  arrow.closeSubpath();
  FillShape(image, arrow, ink, Edges::Hard);
  MirrorLeftHalf(image);
  return image;
}

}  // namespace cw::artwork
