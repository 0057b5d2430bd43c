// Where every card ended up at the last paint, in paint order, so that a pen
// position can be turned back into a pile and a card.
#pragma once

#include <QPoint>
#include <QRect>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/database/record_layout.h"
#include "view/field_layout.h"

namespace cw {

// Index of the record of an empty pile's base.
inline constexpr std::uint16_t kPileBase = kNoReference;

struct HitRecord {
  int left = 0;
  int top = 0;
  int right = 0;   // left + card width
  int bottom = 0;  // top + card height
  std::uint16_t pile = 0;
  std::uint16_t index = 0;  // position in the pile, kPileBase for an empty pile
  std::uint8_t selectable = 0;

  QRect Rect() const { return QRect(left, top, right - left, bottom - top); }
  bool Contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
};

struct Hit {
  std::uint16_t pile = 0;
  std::uint16_t index = 0;
  QRect rect;
};

class HitMap {
 public:
  // While frozen, painting adds no records and the records stay as they are.
  bool frozen = false;

  const std::vector<HitRecord>& Records() const { return records_; }
  std::vector<HitRecord>& Records() { return records_; }
  void Clear() {
    if (!frozen) records_.clear();
  }
  void Add(const HitRecord& record) {
    if (!frozen) records_.push_back(record);
  }

  // The topmost record containing the point; an empty pile of the inert kind
  // is passed over.
  std::optional<Hit> HitTest(const FieldLayout& layout, int x, int y) const;

  // Where the card at `index` of `pile` would lie: the record of the card
  // under it (index − 1), else the pile's bottom card or base, else any
  // record of the pile, else (0, 0).
  QPoint CardPosition(std::uint16_t pile, int index) const;

  // The part of record i's card that later selectable records leave visible,
  // as far as that part stays a rectangle.
  QRect VisibleRect(std::size_t i) const;

  // The record of (pile, index); none when that card was not recorded.
  std::optional<std::size_t> Find(std::uint16_t pile, std::uint16_t index) const;

 private:
  std::vector<HitRecord> records_;
};

// One thing painted in the field, in paint order.
struct PaintedItem {
  std::uint16_t pile = 0;
  std::uint16_t index = 0;     // kPileBase for an empty pile's mark
  QPoint at;                   // top-left corner
  const CardSlot* slot = nullptr;  // the card; null for an empty pile's mark
  bool drawn = true;           // false for an inert empty pile (record only)
  bool recorded = true;        // whether the item gets a hit record
};

// Walks the piles in draw order and gives every card and empty mark that a
// paint of a width × height field draws, with its position. Piles not shown
// give nothing; an unfanned pile gives its two top cards, the top one a
// pixel lower and alone recorded.
template <typename Visit>
void WalkField(const FieldLayout& layout, int width, int height, Visit&& visit) {
  for (std::uint16_t pile : layout.drawOrder) {
    if (!layout.IsPile(pile)) continue;
    const PileView& view = layout.piles[pile];
    if (view.shown == 0) continue;
    const QPoint origin = PileOrigin(layout, pile, width, height);
    const int n = view.Count();
    if (n == 0) {
      visit(PaintedItem{pile, kPileBase, origin, nullptr, view.kind != PileKind::kInert, true});
      continue;
    }
    if (view.fan < 1 || view.fan > 4) {
      if (n >= 2) {
        visit(PaintedItem{pile, static_cast<std::uint16_t>(n - 2), origin, &view.cards[n - 2], true, false});
      }
      const QPoint top = n >= 2 ? origin + QPoint(0, 1) : origin;
      visit(PaintedItem{pile, static_cast<std::uint16_t>(n - 1), top, &view.cards[n - 1], true, true});
      continue;
    }
    const QPoint step = FanStep(layout, pile, width, height);
    for (int i = 0; i < n; ++i) {
      visit(PaintedItem{pile, static_cast<std::uint16_t>(i), origin + step * i, &view.cards[i], true, true});
    }
  }
}

// The records a paint of the field produces; `selectable` gives the flag of
// a card record (an empty base's flag follows its kind).
template <typename Selectable>
void RecordField(const FieldLayout& layout, int width, int height, HitMap& map, Selectable&& selectable) {
  map.Clear();
  WalkField(layout, width, height, [&](const PaintedItem& item) {
    if (!item.recorded) return;
    HitRecord record{item.at.x(), item.at.y(), item.at.x() + layout.cardWidth,
                     item.at.y() + layout.cardHeight, item.pile, item.index, 0};
    if (item.slot == nullptr) {
      record.selectable = layout.piles[item.pile].kind == PileKind::kInert ? 0 : 1;
    } else {
      record.selectable = selectable(*item.slot) ? 1 : 0;
    }
    map.Add(record);
  });
}

}  // namespace cw
