// What the engine did to the table during one operation, as the view
// replays it on its own copy: the executed actions converted into
// ViewChanges, and the operations that apply one change to the mirror.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/rules/action_observer.h"
#include "view/field_layout.h"

namespace cw {

enum class ChangeKind : std::uint32_t {
  kMoveCards = 0,
  kFaceRange = 1,
  kPileShown = 2,
  kReversePile = 3,
  kPileMarks = 4,
  kShufflePile = 5,
};

struct ViewChange {
  ChangeKind kind = ChangeKind::kMoveCards;
  std::uint16_t pile = 0;
  std::uint16_t parameter = 0;  // shown flag, shuffle seed
  std::uint32_t mode = 0;       // range mode; the first mark of kPileMarks
  std::uint16_t a = 0;
  std::uint16_t b = 0;
  std::uint16_t target = 0;     // target pile; the face value of kFaceRange
  std::uint32_t targetMode = 0;
  std::uint16_t c = 0;

  // kPileMarks keeps its second mark in a and b together.
  int FirstMark() const { return static_cast<int>(mode); }
  int SecondMark() const {
    return static_cast<int>(static_cast<std::uint32_t>(a) | (static_cast<std::uint32_t>(b) << 16));
  }
  bool operator==(const ViewChange&) const = default;
};

using ChangeList = std::vector<ViewChange>;

// Collects the actions the engine reports into a ChangeList. Actions that do
// not change what the table shows (routes, counters, flags of the rules)
// add nothing.
class ChangeRecorder : public ActionObserver {
 public:
  // `piles` gives each pile's kind, which decides how a pile value shows.
  explicit ChangeRecorder(const std::vector<PileView>& piles) : piles_(piles) {}
  void ActionPerformed(const ActionDef& performed) override;

  ChangeList& Changes() { return changes_; }
  bool Empty() const { return changes_.empty(); }

 private:
  const std::vector<PileView>& piles_;
  ChangeList changes_;
};

// The run of positions (first, count) a move or face change takes from a
// pile of `count` cards; count 0 when it takes nothing. The same positions
// the engine takes for the action.
struct SlotRange {
  int first = 0;
  int count = 0;
};
SlotRange ChangeRange(std::uint32_t mode, int a, int b, int count);

// Where a move change inserts its cards into a pile that holds
// `targetCount` cards once the moved run is out: counted from the top for
// target mode 1, from the bottom for mode 2, else at the run's own start.
int ChangeTargetIndex(const ViewChange& change, int rangeFirst, int targetCount);

// The mirror operations. Each answers false, changing nothing, when the
// change does not fit the mirror.
bool MoveSlots(std::vector<PileView>& piles, int source, int start, int n, int target, int targetIndex);
bool SetFaceRange(std::vector<PileView>& piles, const ViewChange& change);
bool ReverseSlots(std::vector<PileView>& piles, int pile);
bool ShuffleSlots(std::vector<PileView>& piles, int pile, std::uint32_t seed);

}  // namespace cw
