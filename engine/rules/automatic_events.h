// What happens by itself: the automatic passes after every player move, the
// game-start events, the upkeep of the open flags and the search for moves.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/model/dealer.h"
#include "engine/model/sol_game.h"
#include "engine/rules/action_observer.h"

namespace cw {

// A pass cap far above anything the shipped games need (three passes at
// most); a definition whose repeating events keep changing the table stops
// here instead of looping for ever.
inline constexpr int kMaxAutomaticPasses = 100;

// Runs the automatic events (kinds 0 and 1) until nothing more happens,
// recording into the current player move. A pass that changed nothing ends
// the loop even when a repeating event fired: the next pass would see the
// same table and do the same. Answers whether any action ran.
bool RunAutomaticEvents(SolGame& game, ActionObserver* observer);

// Runs the game-start events (kind 3) once, unrecorded.
bool RunStartEvents(SolGame& game);

// Gives the open flag to each top card and takes it from every other card of
// piles the engine manages; recording writes one journal record per change.
void UpdateOpenFlags(SolGame& game, bool record);

// A legal move: a card move is (card, pile); a tap is (pile, kNoReference).
struct MoveReference {
  std::uint16_t source = 0;
  std::uint16_t destination = 0;
  bool IsTap() const { return destination == kNoReference; }
  bool operator==(const MoveReference&) const = default;
};

// The n-th legal move (from 0) in the fixed order: taps, then top cards, then
// deeper cards of fanned piles; none when fewer exist.
std::optional<MoveReference> FindMove(const SolGame& game, std::uint32_t n);

// Every legal move, in the order FindMove counts them.
std::vector<MoveReference> ListMoves(const SolGame& game);

// Show Next Move: the move at the hint index, starting again from the first
// move when the index has run past the last; the index then points after the
// move answered. None, with the index unchanged, when no legal move exists.
std::optional<MoveReference> NextHint(const SolGame& game, std::uint16_t& hintIndex);

// Deals a new game as the program does: Deal, the game-start events (their
// random draws seeded from the game number), the open flags. Answers false
// when the definition cannot be dealt.
bool StartNewGame(SolGame& game, std::uint32_t& gameNumber, std::string* error = nullptr,
                  DealOrder order = DealOrder::kByNumber);

}  // namespace cw
