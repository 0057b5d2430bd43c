#include "tools/artgen/contact_sheet.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "platform/resources/bitmap_ids.h"

namespace cw::artwork {

namespace {

const QColor kSheetGround{0xB4, 0xB4, 0xB4};
const QColor kTableGreen{0x00, 0x80, 0x00};
const QColor kLightFrame{0x99, 0x99, 0x99};
const QColor kDarkFrame{0x00, 0x00, 0x00};
constexpr int kSheetWidth = 1240;
constexpr int kMargin = 12;

QImage Find(const BitmapsById& bitmaps, int id) {
  const auto it = bitmaps.find(id);
  return it == bitmaps.end() ? QImage() : it->second;
}

// Light on the left and top, dark on the right and bottom, as cards are framed.
void TwoColourFrame(QPainter& painter, const QRect& card, const QColor& first,
                    const QColor& second) {
  const int left = card.left();
  const int top = card.top();
  const int right = card.left() + card.width() - 1;
  const int bottom = card.top() + card.height() - 1;
  painter.setPen(first);
  painter.drawLine(left, bottom, left, top);
  painter.drawLine(left, top, right, top);
  painter.setPen(second);
  painter.drawLine(right, top, right, bottom);
  painter.drawLine(right, bottom, left, bottom);
}

void DrawKeyed(QPainter& painter, QPoint at, const QImage& image) {
  QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < keyed.height(); ++y) {
    for (int x = 0; x < keyed.width(); ++x) {
      if ((keyed.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF) keyed.setPixel(x, y, 0);
    }
  }
  painter.drawImage(at, keyed);
}

struct CardIds {
  int rank, bigSuit, smallSuit, greyRank, greyBigSuit, greySmallSuit, back, arrow;
  QSize card;
};

// The first id of each range (rank 0, suit 0, back 0, arrow 0).
CardIds IdsFor(BitmapSet set, bool large) {
  namespace ids = bitmap_ids;
  const bool vga = set == BitmapSet::Vga;
  const int s = vga ? 2 : 1;
  return {ids::RankGlyph(vga, large, 0),
          ids::BigSuit(vga, large, 0),
          ids::SmallSuit(vga, large, 0),
          ids::GreyRank(vga, large, 0),
          ids::GreyBigSuit(vga, large, 0),
          ids::GreySmallSuit(vga, large, 0),
          ids::CardBack(vga, large, 0),
          ids::EmptyArrow(vga, 0),
          large ? QSize(26 * s, 35 * s) : QSize(20 * s, 27 * s)};
}

// Faces, backs and empty marks of one card size; returns the width used.
int DrawTableSample(QPainter& painter, QPoint origin, const BitmapsById& bitmaps, BitmapSet set,
                    bool large) {
  const CardIds ids = IdsFor(set, large);
  const int s = set == BitmapSet::Qvga ? 1 : 2;
  const int w = ids.card.width();
  const int h = ids.card.height();
  const int gap = 4 * s;
  int x = origin.x();
  const int y = origin.y();
  const struct {
    int suit, rank;
  } faces[] = {{0, 0}, {3, 9}, {2, 11}, {1, 12}, {3, 6}, {0, 10}, {2, 1}, {1, 7}};
  for (const auto& face : faces) {
    const QRect card(x, y, w, h);
    painter.fillRect(card, Qt::white);
    TwoColourFrame(painter, card, kLightFrame, kDarkFrame);
    painter.drawImage(QPoint(x + s, y + s), Find(bitmaps, ids.rank + face.rank));
    painter.drawImage(QPoint(x + s + w / 2, y + s), Find(bitmaps, ids.smallSuit + face.suit));
    painter.drawImage(QPoint(x + 2 * s, y + 3 * s + h - w), Find(bitmaps, ids.bigSuit + face.suit));
    x += w + gap;
  }
  // A fanned column: each card shows its top strip over the next.
  const int step = (large ? 12 : 9) * s;
  for (int i = 0; i < 4; ++i) {
    const QRect card(x, y + i * step, w, h);
    painter.fillRect(card, Qt::white);
    TwoColourFrame(painter, card, kLightFrame, kDarkFrame);
    painter.drawImage(card.topLeft() + QPoint(s, s), Find(bitmaps, ids.rank + 12 - i));
    painter.drawImage(card.topLeft() + QPoint(s + w / 2, s), Find(bitmaps, ids.smallSuit + i % 4));
    painter.drawImage(card.topLeft() + QPoint(2 * s, 3 * s + h - w),
                      Find(bitmaps, ids.bigSuit + i % 4));
  }
  x += w + gap;
  for (int b = 0; b < 4; ++b) {
    const QRect card(x, y, w, h);
    painter.fillRect(card, Qt::white);
    painter.drawImage(card.topLeft(), Find(bitmaps, ids.back + 2 * b));
    TwoColourFrame(painter, card, kLightFrame, kDarkFrame);
    x += w + gap;
  }
  // Empty marks: base ace of hearts, base suit only, arrows.
  auto emptyFrame = [&](QRect card) {
    painter.setPen(kLightFrame);
    painter.drawRect(card.adjusted(0, 0, -1, -1));
  };
  QRect card(x, y, w, h);
  emptyFrame(card);
  DrawKeyed(painter, card.topLeft() + QPoint(s, s), Find(bitmaps, ids.greyRank));
  DrawKeyed(painter, card.topLeft() + QPoint(s + w / 2, s), Find(bitmaps, ids.greySmallSuit + 3));
  DrawKeyed(painter, card.topLeft() + QPoint(2 * s, 3 * s + h - w),
            Find(bitmaps, ids.greyBigSuit + 3));
  x += w + gap;
  card.moveLeft(x);
  emptyFrame(card);
  DrawKeyed(painter, card.topLeft() + QPoint(2 * s, 3 * s), Find(bitmaps, ids.greyBigSuit));
  x += w + gap;
  for (int v = 0; v < 2; ++v) {
    card.moveLeft(x);
    emptyFrame(card);
    DrawKeyed(painter, card.topLeft() + QPoint((w - 7 * s) / 2, (h - 11 * s) / 2),
              Find(bitmaps, ids.arrow + 2 * v));
    x += w + gap;
  }
  return x - origin.x();
}

struct Cell {
  int id;
  QImage image;
};

// Lays the cells out in rows; returns the height used. With painter null it
// only measures.
int DrawCells(QPainter* painter, int top, const std::vector<Cell>& cells, const QFont& font) {
  const QFontMetrics metrics(font);
  const int labelHeight = metrics.height();
  int x = kMargin;
  int y = top;
  int rowHeight = 0;
  for (const Cell& cell : cells) {
    const QString label = QString::number(cell.id);
    const int cellWidth = std::max(cell.image.width(), metrics.horizontalAdvance(label)) + 10;
    if (x + cellWidth > kSheetWidth - kMargin) {
      x = kMargin;
      y += rowHeight + 8;
      rowHeight = 0;
    }
    if (painter) {
      painter->drawImage(QPoint(x, y), cell.image);
      painter->setPen(Qt::black);
      painter->drawText(QPoint(x, y + cell.image.height() + metrics.ascent() + 1), label);
    }
    rowHeight = std::max(rowHeight, cell.image.height() + labelHeight + 2);
    x += cellWidth;
  }
  return y + rowHeight - top;
}

}  // namespace

QImage BuildContactSheet(const std::vector<BitmapEntry>& entries, const BitmapsById& qvga,
                         const BitmapsById& vga) {
  QFont font("DejaVu Sans");
  font.setPixelSize(10);
  QFont heading("DejaVu Sans");
  heading.setPixelSize(14);
  heading.setBold(true);

  struct Section {
    BitmapSet set;
    const BitmapsById* bitmaps;
    std::vector<Cell> cells;
  };
  std::vector<Section> sections = {{BitmapSet::Qvga, &qvga, {}}, {BitmapSet::Vga, &vga, {}}};
  for (Section& section : sections) {
    for (const BitmapEntry& entry : entries) {
      const QImage image = Find(*section.bitmaps, entry.id);
      if (!image.isNull()) section.cells.push_back({entry.id, image});
    }
  }

  auto sampleHeight = [](BitmapSet set) {
    const int s = set == BitmapSet::Qvga ? 1 : 2;
    return (35 + 3 * 12) * s + (27 + 3 * 9) * s + 3 * 8;
  };
  int height = kMargin;
  for (const Section& section : sections) {
    height += 24 + DrawCells(nullptr, 0, section.cells, font) + 12 + sampleHeight(section.set) + 16;
  }

  QImage sheet(kSheetWidth, height, QImage::Format_RGB32);
  sheet.fill(kSheetGround);
  QPainter painter(&sheet);
  int y = kMargin;
  for (const Section& section : sections) {
    painter.setFont(heading);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(kMargin, y + 14),
                     section.set == BitmapSet::Qvga ? "QVGA set (1x)" : "VGA set (2x)");
    y += 24;
    painter.setFont(font);
    y += DrawCells(&painter, y, section.cells, font) + 12;
    const int s = section.set == BitmapSet::Qvga ? 1 : 2;
    const int bandHeight = sampleHeight(section.set);
    painter.fillRect(QRect(0, y, kSheetWidth, bandHeight), kTableGreen);
    DrawTableSample(painter, QPoint(kMargin, y + 8), *section.bitmaps, section.set, true);
    DrawTableSample(painter, QPoint(kMargin, y + 16 + (35 + 3 * 12) * s), *section.bitmaps,
                    section.set, false);
    y += bandHeight + 16;
  }
  return sheet;
}

}  // namespace cw::artwork
