#include "engine/model/card_index.h"

#include <algorithm>
#include <vector>

namespace cw {
namespace {

// The rows of all piles one after the other in one array, so that building
// them again is one fill and one pass over the cards.
struct PlaceTable {
  const SolGame* game = nullptr;
  std::vector<std::uint32_t> rowStart;  // per pile, then one past the last row
  std::vector<std::uint16_t> cards;

  std::size_t PileCount() const { return rowStart.empty() ? 0 : rowStart.size() - 1; }
  std::span<std::uint16_t> Row(std::size_t pile) {
    return std::span(cards).subspan(rowStart[pile], rowStart[pile + 1] - rowStart[pile]);
  }
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
  table.rowStart.resize(game.piles.size() + 1);
  std::uint32_t next = 0;
  for (std::size_t p = 0; p < game.piles.size(); ++p) {
    table.rowStart[p] = next;
    next += static_cast<std::uint32_t>(std::max<int>(game.piles[p].count, 0));
  }
  table.rowStart.back() = next;
  table.cards.assign(next, kNoReference);
  const std::uint32_t* rowStart = table.rowStart.data();
  std::uint16_t* places = table.cards.data();
  const std::size_t pileCount = game.piles.size();
  for (std::size_t c = 0; c < game.cards.size(); ++c) {
    const CardState& state = game.cards[c];
    if (state.pile >= pileCount) continue;
    const std::uint32_t start = rowStart[state.pile];
    if (state.position >= rowStart[state.pile + 1] - start) continue;
    std::uint16_t& place = places[start + state.position];
    if (place == kNoReference) place = static_cast<std::uint16_t>(c);
  }
}

// Whether the table's row for the pile has the pile's count of places and
// names, for each place from `first` to `last`, the card lying there.
bool RowHolds(const SolGame& game, std::uint16_t pile, std::size_t first, std::size_t last) {
  if (table.game != &game || pile >= table.PileCount()) return false;
  const std::span<const std::uint16_t> row = table.Row(pile);
  if (row.size() != static_cast<std::size_t>(std::max<int>(game.piles[pile].count, 0))) {
    return false;
  }
  // A place no card claimed when the row was built may have been filled since.
  for (std::size_t position = first; position <= last; ++position) {
    if (!LiesAt(game, row[position], pile, position)) return false;
  }
  return true;
}

}  // namespace

std::optional<std::uint16_t> CardAtPlace(const SolGame& game, std::uint16_t pile,
                                         std::uint16_t position) {
  auto lookup = [&]() -> std::uint16_t {
    if (table.game != &game || pile >= table.PileCount()) return kNoReference;
    const std::span<const std::uint16_t> row = table.Row(pile);
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
  return CardsOfPile(game, pile, 0, game.piles.size() > pile ? game.piles[pile].count - 1 : -1);
}

std::span<const std::uint16_t> CardsOfPile(const SolGame& game, std::uint16_t pile, int first,
                                           int last) {
  if (pile >= game.piles.size()) return {};
  first = std::max(first, 0);
  last = std::min(last, game.piles[pile].count - 1);
  if (first > last) return {};
  if (!RowHolds(game, pile, static_cast<std::size_t>(first), static_cast<std::size_t>(last))) {
    Rebuild(game);
  }
  return table.Row(pile).subspan(static_cast<std::size_t>(first),
                                 static_cast<std::size_t>(last - first + 1));
}

}  // namespace cw
