#pragma once

#include <cstdint>
#include <span>
#include <variant>

#include "engine/database/record_codes.h"

namespace cw {

// What one performed action, or the taking back of one, did to the table, in
// resolved terms: the cards and places it touched and the values that now
// hold. Applied in order to a copy of the table they give the engine's table.

// `count` cards from position `first` of `source` went, in their order, to
// `destination`, where the first of them now lies at `position` (counted
// without the run when it stays on its pile).
struct CardsMoved {
  std::uint16_t source = 0;
  std::uint16_t first = 0;
  std::uint16_t count = 0;
  std::uint16_t destination = 0;
  std::uint16_t position = 0;
  bool operator==(const CardsMoved&) const = default;
};

// Cards `first` .. `first + count - 1` of `pile` now have the CardAttribute
// `attribute` set to `value` (0 or 1).
struct CardsFlagged {
  std::uint16_t pile = 0;
  std::uint16_t first = 0;
  std::uint16_t count = 0;
  CardAttribute attribute = CardAttribute::kFaceUp;
  std::uint8_t value = 0;
  bool operator==(const CardsFlagged&) const = default;
};

// The PileAttribute `attribute` of `pile` (shown, enabled, a program or the
// pile value) now holds `value`.
struct PileAttributeSet {
  std::uint16_t pile = 0;
  PileAttribute attribute = PileAttribute::kShown;
  std::uint16_t value = 0;
  bool operator==(const PileAttributeSet&) const = default;
};

// The cards of `pile`, bottom first, are now `cards` (reversed or
// shuffled). The span is valid only while the observer is being told.
struct PileReordered {
  std::uint16_t pile = 0;
  std::span<const std::uint16_t> cards;
};

// The allowed routes between piles changed.
struct RoutesChanged {
  bool operator==(const RoutesChanged&) const = default;
};

struct CounterSet {
  std::uint16_t counter = 0;
  std::uint16_t value = 0;
  bool operator==(const CounterSet&) const = default;
};

struct WonSet {
  std::uint8_t won = 0;
  bool operator==(const WonSet&) const = default;
};

using TableChange = std::variant<CardsMoved, CardsFlagged, PileAttributeSet, PileReordered,
                                 RoutesChanged, CounterSet, WonSet>;

// Hears every change the engine makes through actions, in the order made:
// the player's own card move, each action an event performs, and each action
// undo takes back. The rules' own bookkeeping (the uses of an event's
// counter, the open flags kept in step with the top cards) is not reported.
// Without an observer nothing is gathered for it.
class ActionObserver {
 public:
  virtual ~ActionObserver() = default;
  virtual void TableChanged(const TableChange& change) = 0;
};

}  // namespace cw
