// The lists a rule program reads: (suit, rank) entries from the top of a pile
// downwards, ended by a (0, 0) entry. A face-down card reads as suit 6,
// rank 15, so a program can neither read it nor take it for the end.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/model/sol_game.h"

namespace cw {

struct CardListEntry {
  std::uint32_t suit = 0;
  std::uint32_t rank = 0;
  bool operator==(const CardListEntry&) const = default;
};

inline constexpr std::uint32_t kFaceDownSuit = 6;
inline constexpr std::uint32_t kFaceDownRank = 15;

// Always ends with the (0, 0) entry.
using CardList = std::vector<CardListEntry>;

// Every card of the pile, top card first.
CardList BuildPileList(const SolGame& game, std::uint16_t pile);
// The cards of the card's pile from the top card down to the card itself.
CardList BuildMovingList(const SolGame& game, std::uint16_t card);
// The cards of the card's pile below it, down to the bottom card.
CardList BuildRemainingList(const SolGame& game, std::uint16_t card);

// The same lists written into `list`, whose storage is reused.
void BuildPileList(const SolGame& game, std::uint16_t pile, CardList& list);
void BuildMovingList(const SolGame& game, std::uint16_t card, CardList& list);
void BuildRemainingList(const SolGame& game, std::uint16_t card, CardList& list);

}  // namespace cw
