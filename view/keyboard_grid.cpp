#include "view/keyboard_grid.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "uilib/messages.h"

namespace cw {

namespace {

int Key(const QRect& box, bool rows) { return rows ? box.top() : box.left(); }
int Extent(const QRect& box, bool rows) { return rows ? box.height() : box.width(); }
int Along(const QRect& box, bool rows) { return rows ? box.left() : box.top(); }

int Distance(QPoint a, QPoint b) { return std::abs(a.x() - b.x()) + std::abs(a.y() - b.y()); }

}  // namespace

std::vector<std::vector<std::uint16_t>> BuildGridLines(const std::vector<GridItem>& items, bool rows) {
  std::vector<std::vector<std::uint16_t>> lines;
  long long t = 0;
  for (;;) {
    const GridItem* first = nullptr;
    for (const GridItem& item : items) {
      const int key = Key(item.box, rows);
      if (key >= t && (first == nullptr || key < Key(first->box, rows))) first = &item;
    }
    if (first == nullptr) break;
    const int m = Key(first->box, rows);
    const int e = Extent(first->box, rows);
    std::vector<const GridItem*> band;
    for (const GridItem& item : items) {
      const int key = Key(item.box, rows);
      if (key >= m && key <= m + e) band.push_back(&item);
    }
    // Ordered along the line; at one place the item nearer the band's start
    // stays (stable, so on a tie the earlier item).
    std::stable_sort(band.begin(), band.end(), [&](const GridItem* a, const GridItem* b) {
      if (Along(a->box, rows) != Along(b->box, rows)) return Along(a->box, rows) < Along(b->box, rows);
      return Key(a->box, rows) < Key(b->box, rows);
    });
    std::vector<std::uint16_t> line;
    for (std::size_t i = 0; i < band.size(); ++i) {
      if (i > 0 && Along(band[i]->box, rows) == Along(band[i - 1]->box, rows)) continue;
      line.push_back(band[i]->id);
    }
    lines.push_back(std::move(line));
    t = static_cast<long long>(m) + e + 1;
  }
  return lines;
}

void KeyboardGrid::Clear() {
  rows_.clear();
  columns_.clear();
  boxes_.clear();
}

void KeyboardGrid::Build(const HitMap& map, const FieldLayout& layout, bool pileWise,
                         const GridSelection& selection) {
  Clear();
  pileWise_ = pileWise;
  const std::vector<HitRecord>& records = map.Records();
  std::vector<GridItem> items;
  if (!pileWise) {
    for (std::size_t i = 0; i < records.size(); ++i) {
      if (records[i].selectable != 0) items.push_back({static_cast<std::uint16_t>(i), map.VisibleRect(i)});
    }
  } else {
    boxes_.assign(layout.piles.size(), std::nullopt);
    for (const HitRecord& record : records) {
      if (record.selectable == 0 || record.pile >= boxes_.size()) continue;
      std::optional<PileBox>& box = boxes_[record.pile];
      if (!box) box = PileBox{QRect(), kPileBase};
      if (box->minIndex == kPileBase || (record.index != kPileBase && record.index < box->minIndex)) {
        box->minIndex = record.index;
      }
    }
    for (const HitRecord& record : records) {
      if (record.pile < boxes_.size() && boxes_[record.pile]) {
        boxes_[record.pile]->box = boxes_[record.pile]->box.united(record.Rect());
      }
    }
    for (std::size_t p = 0; p < boxes_.size(); ++p) {
      if (boxes_[p]) items.push_back({static_cast<std::uint16_t>(p), boxes_[p]->box});
    }
  }
  if (items.empty()) return;
  rows_ = BuildGridLines(items, true);
  columns_ = BuildGridLines(items, false);

  // The cursor goes to the item nearest to where it last was.
  std::optional<std::uint16_t> best;
  int bestDistance = INT_MAX;
  const auto corner = [&](std::uint16_t id) {
    return pileWise ? boxes_[id]->box.topLeft() : map.VisibleRect(id).topLeft();
  };
  for (const auto* lines : {&rows_, &columns_}) {
    for (const auto& line : *lines) {
      for (std::uint16_t id : line) {
        const int d = Distance(corner(id), corner_);
        if (d < bestDistance) {
          bestDistance = d;
          best = id;
        }
      }
    }
  }
  std::optional<std::uint16_t> record = best;
  if (pileWise && best) record = ChooseRecordInPile(map, *best, selection);
  if (!record) {
    Clear();
    return;
  }
  SetCursor(map, *record);
}

std::optional<std::uint16_t> KeyboardGrid::ChooseRecordInPile(const HitMap& map, std::uint16_t pile,
                                                              const GridSelection& selection) const {
  const std::vector<HitRecord>& records = map.Records();
  if (selection.Exists()) {
    std::optional<std::uint16_t> top;
    for (std::size_t i = 0; i < records.size(); ++i) {
      if (records[i].pile != pile) continue;
      if (pile == selection.pile && records[i].index == selection.index) return static_cast<std::uint16_t>(i);
      if (pile != selection.pile) top = static_cast<std::uint16_t>(i);  // the last record is the top card
    }
    return top;
  }
  const std::uint16_t minIndex = pile < boxes_.size() && boxes_[pile] ? boxes_[pile]->minIndex : 0;
  std::optional<std::uint16_t> best;
  int bestDistance = INT_MAX;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i].pile != pile) continue;
    if (minIndex != kPileBase && records[i].index != kPileBase && records[i].index < minIndex) continue;
    const int d = Distance(map.VisibleRect(i).topLeft(), corner_);
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<std::uint16_t>(i);
    }
  }
  return best;
}

void KeyboardGrid::SetCursor(const HitMap& map, std::uint16_t record) {
  cursor_ = record;
  corner_ = map.VisibleRect(record).topLeft();
}

std::optional<std::uint16_t> KeyboardGrid::Neighbour(std::uint16_t current, bool alongRows, bool forward) const {
  const auto& lines = alongRows ? rows_ : columns_;
  const auto& crossing = alongRows ? columns_ : rows_;
  if (lines.empty()) return std::nullopt;
  const auto locate = [&](std::uint16_t id) -> std::optional<std::pair<std::size_t, std::size_t>> {
    for (std::size_t l = 0; l < lines.size(); ++l) {
      const auto at = std::find(lines[l].begin(), lines[l].end(), id);
      if (at != lines[l].end()) return std::make_pair(l, static_cast<std::size_t>(at - lines[l].begin()));
    }
    return std::nullopt;
  };
  auto place = locate(current);
  if (!place) {
    // An item the duplicate rule left out of its line moves from the nearest
    // item before it in its crossing line that has one.
    for (const auto& line : crossing) {
      const auto at = std::find(line.begin(), line.end(), current);
      if (at == line.end()) continue;
      for (auto it = at; it != line.begin() && !place;) place = locate(*--it);
      if (!place) {
        for (auto it = at + 1; it != line.end() && !place; ++it) place = locate(*it);
      }
      break;
    }
    if (!place) return lines.front().front();
  }
  auto [l, i] = *place;
  if (forward) {
    if (i + 1 < lines[l].size()) return lines[l][i + 1];
    return lines[(l + 1) % lines.size()].front();
  }
  if (i > 0) return lines[l][i - 1];
  return lines[(l + lines.size() - 1) % lines.size()].back();
}

bool KeyboardGrid::Step(unsigned virtualKey, const HitMap& map, const FieldLayout& layout,
                        const GridSelection& selection) {
  bool alongRows = true;
  bool forward = true;
  switch (virtualKey) {
    case VK_LEFT: alongRows = true; forward = false; break;
    case VK_RIGHT: alongRows = true; forward = true; break;
    case VK_UP: alongRows = false; forward = false; break;
    case VK_DOWN: alongRows = false; forward = true; break;
    default: return false;
  }
  if (!Exists() || cursor_ >= map.Records().size()) return true;
  if (!pileWise_) {
    if (const auto next = Neighbour(cursor_, alongRows, forward)) SetCursor(map, *next);
    return true;
  }
  const HitRecord& record = map.Records()[cursor_];
  if (layout.IsPile(record.pile) && record.index != kPileBase) {
    const PileView& pile = layout.piles[record.pile];
    const bool inLine = alongRows ? (pile.fan == static_cast<int>(FanDirection::kLeft) ||
                                     pile.fan == static_cast<int>(FanDirection::kRight))
                                  : (pile.fan == static_cast<int>(FanDirection::kUp) ||
                                     pile.fan == static_cast<int>(FanDirection::kDown));
    if (inLine && record.pile != selection.pile) {
      const bool reversed = pile.fan == static_cast<int>(FanDirection::kLeft) ||
                            pile.fan == static_cast<int>(FanDirection::kUp);
      const int delta = (forward ? 1 : -1) * (reversed ? -1 : 1);
      const int index = record.index + delta;
      const std::uint16_t minIndex =
          record.pile < boxes_.size() && boxes_[record.pile] ? boxes_[record.pile]->minIndex : 0;
      if (index >= 0 && (minIndex == kPileBase || index >= minIndex) && index < pile.Count()) {
        if (const auto next = map.Find(record.pile, static_cast<std::uint16_t>(index))) {
          SetCursor(map, static_cast<std::uint16_t>(*next));
          return true;
        }
      }
    }
  }
  if (const auto pile = Neighbour(record.pile, alongRows, forward)) {
    if (const auto next = ChooseRecordInPile(map, *pile, selection)) SetCursor(map, *next);
  }
  return true;
}

}  // namespace cw
