// A small table set up by hand for the card list and legality tests: the 52
// cards of one deck in the standard order (card = 13 x (suit - 1) + rank - 1)
// and piles that cards are laid on one by one.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/model/sol_game.h"
#include "tests/engine/rules/program_text.h"

namespace cw::test {

inline std::uint16_t CardNumber(std::uint8_t suit, std::uint8_t rank) {
  return static_cast<std::uint16_t>(13 * (suit - 1) + rank - 1);
}

class TableBuilder {
 public:
  explicit TableBuilder(std::uint16_t pileCount) {
    for (std::uint8_t suit = 1; suit <= 4; ++suit) {
      for (std::uint8_t rank = 1; rank <= 13; ++rank) {
        game.definition.cards.push_back({0, suit, rank});
      }
    }
    // Every card starts in a pile of its own beyond the table, so it lies in
    // none of the piles under test.
    game.cards.resize(game.definition.cards.size());
    for (auto& card : game.cards) card.pile = kNoReference;
    game.definition.piles.resize(pileCount);
    game.piles.resize(pileCount);
    for (auto& pile : game.piles) pile.enabled = 1;
    game.allowedMoves.push_back({kNoReference, kNoReference});
  }

  // Lays the card face up on top of the pile; only the top card is open.
  TableBuilder& Lay(std::uint16_t pile, std::uint16_t card, bool faceUp = true) {
    if (auto top = game.TopCard(pile)) game.cards[*top].open = 0;
    CardState& state = game.cards[card];
    state.pile = pile;
    state.position = static_cast<std::uint16_t>(game.piles[pile].count++);
    state.faceUp = faceUp ? 1 : 0;
    state.movable = 1;
    state.open = 1;
    return *this;
  }

  std::uint16_t AddProgram(std::string_view text) {
    game.definition.programs.push_back(ProgramFromText(text));
    return static_cast<std::uint16_t>(game.definition.programs.size() - 1);
  }

  SolGame game;
};

}  // namespace cw::test
