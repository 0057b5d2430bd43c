// Moves whose position the search knows without making them, because it is a
// position met already: a move that takes back the move just made, and a move
// of a pile's every card to an empty pile alike to it, which leaves the
// position as it was up to interchangeable piles. In a game with many free
// places most of the moves a position has are of these two sorts, and making
// a move with its automatic events, keying it and taking it back costs far
// more than telling it apart.
//
// Both hold only where a move leaves nothing for the automatic events to do
// once they have run: every event that runs once after a move, rather than
// over and over until nothing changes, does nothing but win the game. (A
// definition whose repeating events still change the table after the
// engine's pass limit is the one exception, and plays on no table anyway.)
// The pile that takes the cards must fire no event on a drop, either.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/model/move_journal.h"
#include "engine/model/sol_game.h"
#include "engine/rules/automatic_events.h"

namespace cw {

class ReturningMoves {
 public:
  // `pileClasses`: for each pile, the smallest pile interchangeable with it.
  ReturningMoves(const GameDefinition& definition, std::span<const std::uint16_t> pileClasses);

  // Whether `move`, from the position of `game`, gives every card of its pile
  // to an empty pile alike to it: the same position again, up to
  // interchangeable piles. The position must have been reached by a move.
  bool KeepsPosition(const SolGame& game, const MoveReference& move) const;

  // Whether `move` takes `last` back, where `last`, which took its cards from
  // pile `lastFrom`, led to the position from one reached by a move and did
  // nothing but move the cards (see CardsOnlyMoved): it then leads back to
  // that position.
  bool TakesBack(const MoveReference& move, const MoveReference& last,
                 std::uint16_t lastFrom) const;

  // The pile the player's move recorded in `journal` from record `first` on
  // took its cards from, where the move did nothing else: no event changed a
  // card, a setting, a route or a counter. None where it did, or was no
  // move of cards.
  static std::optional<std::uint16_t> CardsOnlyMoved(const MoveJournal& journal,
                                                     std::uint32_t first);

 private:
  bool Applies(std::uint16_t destination) const {
    return settles_ && destination < quietDrop_.size() && quietDrop_[destination];
  }

  bool settles_ = false;
  std::vector<bool> quietDrop_;  // per pile: a drop on it fires nothing
  std::vector<std::uint16_t> classes_;
};

}  // namespace cw
