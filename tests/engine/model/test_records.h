// Hand-built definition records and card notation for the model tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/database/record_layout.h"
#include "engine/model/sol_game.h"

namespace cw::test {

// "QC" -> 24: cards stand suit by suit (S, C, D, H), ranks A to K.
std::uint16_t CardNumber(const std::string& notation);
std::string CardName(std::uint16_t card);

// The cards of a pile from the bottom up, e.g. "QC JH KS"; a face-down card
// in parentheses.
std::string PileListing(const SolGame& game, std::uint16_t pile);

// A standard deck of `decks` × 52 cards, all of deal group 0.
std::vector<CardDef> StandardDeck(int decks = 1);

// A face-up, shown, enabled plain pile dealt `dealCount` cards.
PileDef DealtPile(std::uint16_t dealCount);

// A record holding only what dealing needs: the deck and one pile per count.
DefinitionRecord DealShape(const std::vector<std::uint16_t>& dealCounts, int decks = 1);

// The complete "Seven by Five" game: seven tableau piles, five cells, four
// foundations and a win event; programs are placeholder bytes.
DefinitionRecord SevenByFiveRecord();

}  // namespace cw::test
