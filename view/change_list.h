// What the engine reported during one player move, kept until the view shows
// it: the changes that alter what the table shows, and how each one is
// applied to the view's copy of the table.
#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "engine/rules/action_observer.h"
#include "view/field_layout.h"

namespace cw {

// The new order of a pile's cards, bottom first, kept past the report.
struct PileOrder {
  std::uint16_t pile = 0;
  std::vector<std::uint16_t> cards;
  bool operator==(const PileOrder&) const = default;
};

// Moves; face-up flags (CardsFlagged); shown flags and pile values
// (PileAttributeSet); reversed or shuffled piles.
using ViewChange = std::variant<CardsMoved, CardsFlagged, PileAttributeSet, PileOrder>;
using ChangeList = std::vector<ViewChange>;

// Keeps the reported changes that alter what the table shows. Changes of the
// rules alone (routes, counters, programs, movable and open flags) are heard
// but not kept.
class ChangeRecorder : public ActionObserver {
 public:
  // `piles` gives each pile's kind, which decides whether its value shows.
  explicit ChangeRecorder(const std::vector<PileView>& piles) : piles_(piles) {}
  void TableChanged(const TableChange& change) override;

  ChangeList& Changes() { return changes_; }
  // Whether the engine reported any change at all, shown or not.
  bool Heard() const { return heard_; }

 private:
  const std::vector<PileView>& piles_;
  ChangeList changes_;
  bool heard_ = false;
};

// Whether a move's cards lie on its source and its place on the destination.
bool MoveFits(const std::vector<PileView>& piles, const CardsMoved& move);

// Applies one change to the view's copy at once (a move without sliding).
// Answers false, changing nothing, when the change does not fit the copy.
bool ApplyChange(std::vector<PileView>& piles, const ViewChange& change);

}  // namespace cw
