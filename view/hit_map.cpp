#include "view/hit_map.h"

namespace cw {

std::optional<Hit> HitMap::HitTest(const FieldLayout& layout, int x, int y) const {
  if (!layout.HasPiles()) return std::nullopt;
  for (auto it = records_.rbegin(); it != records_.rend(); ++it) {
    if (!it->Contains(x, y)) continue;
    if (layout.IsPile(it->pile)) {
      const PileView& view = layout.piles[it->pile];
      if (view.kind == PileKind::kInert && view.Count() == 0) continue;
    }
    return Hit{it->pile, it->index, it->Rect()};
  }
  return std::nullopt;
}

QPoint HitMap::CardPosition(std::uint16_t pile, int index) const {
  for (const HitRecord& record : records_) {
    if (record.pile == pile && static_cast<int>(record.index) == index - 1) return {record.left, record.top};
  }
  for (const HitRecord& record : records_) {
    if (record.pile == pile && (record.index == 0 || record.index == kPileBase)) {
      return {record.left, record.top};
    }
  }
  for (const HitRecord& record : records_) {
    if (record.pile == pile) return {record.left, record.top};
  }
  return {0, 0};
}

QRect HitMap::VisibleRect(std::size_t i) const {
  if (i >= records_.size()) return {};
  QRect visible = records_[i].Rect();
  for (std::size_t j = i + 1; j < records_.size(); ++j) {
    const HitRecord& later = records_[j];
    if (later.selectable == 0) continue;
    if (!visible.intersects(later.Rect().adjusted(1, 1, -1, -1))) continue;
    const QRect cover = later.Rect();
    // Only a cover that spans the whole width (or height) of what is left
    // shortens it to a rectangle.
    QRect cut = visible;
    if (cover.left() <= visible.left() && cover.right() >= visible.right()) {
      if (cover.top() <= visible.top() && cover.bottom() < visible.bottom()) {
        cut.setTop(cover.bottom() + 1);
      } else if (cover.bottom() >= visible.bottom() && cover.top() > visible.top()) {
        cut.setBottom(cover.top() - 1);
      } else {
        continue;
      }
    } else if (cover.top() <= visible.top() && cover.bottom() >= visible.bottom()) {
      if (cover.left() <= visible.left() && cover.right() < visible.right()) {
        cut.setLeft(cover.right() + 1);
      } else if (cover.right() >= visible.right() && cover.left() > visible.left()) {
        cut.setRight(cover.left() - 1);
      } else {
        continue;
      }
    } else {
      continue;
    }
    visible = cut;
  }
  return visible;
}

std::optional<std::size_t> HitMap::Find(std::uint16_t pile, std::uint16_t index) const {
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (records_[i].pile == pile && records_[i].index == index) return i;
  }
  return std::nullopt;
}

}  // namespace cw
