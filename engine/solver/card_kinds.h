// The kinds of a game's cards: the rule programs see a card only as its suit
// and rank, so two cards of one kind (the twins of a two-deck game) play alike.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/model/sol_game.h"
#include "engine/rules/card_list.h"

namespace cw {

struct CardKinds {
  std::vector<CardListEntry> kinds;   // each distinct (suit, rank), in the order first dealt
  std::vector<std::uint16_t> kindOf;  // per card, an index into kinds
};

CardKinds KindsOfCards(const GameDefinition& definition);

}  // namespace cw
