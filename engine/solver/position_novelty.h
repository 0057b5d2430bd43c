// Whether a position shows the search something new: a kind of card lying on
// a kind of card, or at the bottom of a kind of pile, where no position met
// before with as many cards home had it. Positions that only move the same
// cards among the same places look alike to this, so an order that prefers
// new positions leaves a plateau of such positions for other parts of the
// tree (the novelty measure of best-first width search, with the cards home
// as the goals counted).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/model/sol_game.h"

namespace cw {

class PositionNovelty {
 public:
  // `pileClasses` gives, per pile, the smallest pile interchangeable with it:
  // a card at the bottom of one of them is at the bottom of all.
  PositionNovelty(const GameDefinition& definition, std::span<const std::uint16_t> pileClasses);

  // Records what the position shows, counted among positions with `home`
  // cards home, and answers whether any of it was new there.
  bool Note(const SolGame& game, int home);

 private:
  std::vector<std::uint16_t> kindOf_;  // per card
  std::size_t kinds_ = 0;
  std::vector<std::uint16_t> bottomOf_;  // per pile: the place "bottom of its class", past the kinds
  std::size_t places_ = 0;               // what a card can lie on: a kind, or the bottom of a class
  std::vector<std::vector<bool>> seen_;  // per number of cards home: per (kind, place)
};

}  // namespace cw
