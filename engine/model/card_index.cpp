#include "engine/model/card_index.h"

#include <algorithm>
#include <vector>

namespace cw {
namespace {

struct PlaceTable {
  const SolGame* game = nullptr;
  std::vector<std::vector<std::uint16_t>> byPile;
};

// One per thread, so that searches on their own copies of a game never share
// it, and a const game is never written to.
thread_local PlaceTable table;

bool LiesAt(const SolGame& game, std::uint16_t card, std::size_t pile, std::size_t position) {
  return card < game.cards.size() && game.cards[card].pile == pile &&
         game.cards[card].position == position;
}

void Rebuild(const SolGame& game) {
  table.game = &game;
  table.byPile.resize(game.piles.size());
  for (std::size_t p = 0; p < game.piles.size(); ++p) {
    table.byPile[p].assign(static_cast<std::size_t>(std::max<int>(game.piles[p].count, 0)),
                           kNoReference);
  }
  for (std::size_t c = 0; c < game.cards.size(); ++c) {
    const CardState& state = game.cards[c];
    if (state.pile >= table.byPile.size()) continue;
    std::vector<std::uint16_t>& row = table.byPile[state.pile];
    if (state.position < row.size() && row[state.position] == kNoReference) {
      row[state.position] = static_cast<std::uint16_t>(c);
    }
  }
}

// Whether the table's row for the pile is that of the game's current state.
bool RowHolds(const SolGame& game, std::uint16_t pile) {
  if (table.game != &game || pile >= table.byPile.size()) return false;
  const std::vector<std::uint16_t>& row = table.byPile[pile];
  if (row.size() != static_cast<std::size_t>(std::max<int>(game.piles[pile].count, 0))) {
    return false;
  }
  // A place no card claimed when the row was built may have been filled since.
  for (std::size_t position = 0; position < row.size(); ++position) {
    if (!LiesAt(game, row[position], pile, position)) return false;
  }
  return true;
}

}  // namespace

std::optional<std::uint16_t> CardAtPlace(const SolGame& game, std::uint16_t pile,
                                         std::uint16_t position) {
  auto lookup = [&]() -> std::uint16_t {
    if (table.game != &game || pile >= table.byPile.size()) return kNoReference;
    const std::vector<std::uint16_t>& row = table.byPile[pile];
    return position < row.size() ? row[position] : kNoReference;
  };
  std::uint16_t card = lookup();
  if (LiesAt(game, card, pile, position)) return card;
  if (pile < game.piles.size() && position < game.piles[pile].count) {
    Rebuild(game);
    card = lookup();
    if (LiesAt(game, card, pile, position)) return card;
  }
  // A card beyond its pile's count (a damaged state) is found only by a scan.
  for (std::size_t c = 0; c < game.cards.size(); ++c) {
    if (LiesAt(game, static_cast<std::uint16_t>(c), pile, position)) {
      return static_cast<std::uint16_t>(c);
    }
  }
  return std::nullopt;
}

std::span<const std::uint16_t> CardsOfPile(const SolGame& game, std::uint16_t pile) {
  if (pile >= game.piles.size()) return {};
  if (!RowHolds(game, pile)) Rebuild(game);
  return table.byPile[pile];
}

}  // namespace cw
