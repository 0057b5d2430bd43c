// The table as cardwright-cli prints it: one line per pile, or one JSON object.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "engine/model/sol_game.h"
#include "engine/rules/automatic_events.h"

namespace cw {

// "QH", "10S"; "?" for a card outside the ordinary deck.
std::string CardName(const CardDef& card);

// "CARD:PILE" or "tap:PILE".
std::string MoveName(const MoveReference& move);

// "pile P: " and the cards from the bottom up, a face-down card in parentheses.
void PrintTable(const SolGame& game, std::ostream& out);

struct TableReport {
  std::string game;
  std::uint32_t gameNumber = 0;
  bool includeMoves = true;
};

// One JSON object: the piles with their cards, the won flag, the journal
// length and the legal moves.
void PrintTableJson(const SolGame& game, const TableReport& report, std::ostream& out);

}  // namespace cw
