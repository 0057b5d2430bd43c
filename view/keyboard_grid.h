// The rows and columns the arrow keys follow in the keyboard play modes,
// derived afresh from the painted cards, and the cursor moving along them.
#pragma once

#include <QPoint>
#include <QRect>
#include <cstdint>
#include <optional>
#include <vector>

#include "view/field_layout.h"
#include "view/hit_map.h"

namespace cw {

// While the player chooses what to move, or where to put it.
enum class GridChoice { kSource, kDestination };

// One thing the cursor can rest on, with the rectangle that places it.
struct GridItem {
  std::uint16_t id = 0;  // record number (card-wise) or pile number (pile-wise)
  QRect box;
};

// Groups items into lines: rows (by top, ordered by left) or columns (by
// left, ordered by top). A band starts at the smallest key left and reaches
// as far as the extent of its first item; of two items at the same place
// along the line only the one nearer the start of the band stays.
std::vector<std::vector<std::uint16_t>> BuildGridLines(const std::vector<GridItem>& items, bool rows);

struct PileBox {
  QRect box;
  std::uint16_t minIndex = 0;  // smallest selectable index; kPileBase for a base alone
};

// The selection the pile-wise record choice looks at.
struct GridSelection {
  std::uint16_t pile = 0xFFFF;
  std::uint16_t index = 0xFFFF;
  bool Exists() const { return pile != 0xFFFF; }
};

class KeyboardGrid {
 public:
  bool Exists() const { return !rows_.empty() && !columns_.empty(); }
  void Clear();

  // Builds from the map's flagged records; pile-wise when `pileWise`.
  void Build(const HitMap& map, const FieldLayout& layout, bool pileWise, const GridSelection& selection);

  // Moves the cursor for an arrow key; false for other keys.
  bool Step(unsigned virtualKey, const HitMap& map, const FieldLayout& layout, const GridSelection& selection);

  std::uint16_t Cursor() const { return cursor_; }
  QPoint Corner() const { return corner_; }
  const std::vector<std::vector<std::uint16_t>>& Rows() const { return rows_; }
  const std::vector<std::vector<std::uint16_t>>& Columns() const { return columns_; }

 private:
  std::optional<std::uint16_t> ChooseRecordInPile(const HitMap& map, std::uint16_t pile,
                                                  const GridSelection& selection) const;
  void SetCursor(const HitMap& map, std::uint16_t record);
  // The item after (forward) or before the current one along rows or
  // columns, wrapping to the next or previous line.
  std::optional<std::uint16_t> Neighbour(std::uint16_t current, bool alongRows, bool forward) const;

  bool pileWise_ = false;
  std::vector<std::vector<std::uint16_t>> rows_;
  std::vector<std::vector<std::uint16_t>> columns_;
  std::vector<std::optional<PileBox>> boxes_;
  std::uint16_t cursor_ = 0;
  QPoint corner_{0, 0};
};

}  // namespace cw
