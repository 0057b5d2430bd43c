#include "engine/model/card_index.h"

#include <algorithm>
#include <vector>

namespace cw {
namespace {

// The rows of all piles in one array, each row with room for every card, so
// that a move of cards changes two rows and no others (see NoteCardsMoved).
struct PlaceTable {
  const SolGame* game = nullptr;
  std::size_t capacity = 0;            // places per row
  std::vector<std::uint32_t> rowSize;  // per pile
  std::vector<std::uint16_t> cards;    // the row of pile p starts at p * capacity

  std::size_t PileCount() const { return rowSize.size(); }
  std::span<std::uint16_t> Row(std::size_t pile) {
    return std::span(cards).subspan(pile * capacity, rowSize[pile]);
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
  const std::size_t pileCount = game.piles.size();
  table.rowSize.resize(pileCount);
  std::size_t capacity = game.cards.size();
  for (std::size_t p = 0; p < pileCount; ++p) {
    table.rowSize[p] = static_cast<std::uint32_t>(std::max<int>(game.piles[p].count, 0));
    capacity = std::max<std::size_t>(capacity, table.rowSize[p]);
  }
  table.capacity = capacity;
  table.cards.assign(pileCount * capacity, kNoReference);
  const std::uint32_t* rowSize = table.rowSize.data();
  std::uint16_t* places = table.cards.data();
  for (std::size_t c = 0; c < game.cards.size(); ++c) {
    const CardState& state = game.cards[c];
    if (state.pile >= pileCount || state.position >= rowSize[state.pile]) continue;
    std::uint16_t& place = places[state.pile * capacity + state.position];
    if (place == kNoReference) place = static_cast<std::uint16_t>(c);
  }
}

// Whether the table's row for the pile has the pile's count of places and
// names, for each place from `first` to `last`, the card lying there.
bool RowHolds(const SolGame& game, std::uint16_t pile, std::size_t first, std::size_t last) {
  // Asked for nearly every pile of every position a search meets: the
  // table is reached once, and the card states through a local pointer.
  PlaceTable& places = table;
  if (places.game != &game || pile >= places.PileCount()) return false;
  if (places.rowSize[pile] != static_cast<std::size_t>(std::max<int>(game.piles[pile].count, 0))) {
    return false;
  }
  const std::uint16_t* const row = places.cards.data() + pile * places.capacity;
  const CardState* const cards = game.cards.data();
  const std::size_t cardCount = game.cards.size();
  // A place no card claimed when the row was built may have been filled since.
  for (std::size_t position = first; position <= last; ++position) {
    const std::uint16_t card = row[position];
    if (card >= cardCount || cards[card].pile != pile || cards[card].position != position) {
      return false;
    }
  }
  return true;
}

}  // namespace

void NoteCardsMoved(const SolGame& game, std::uint16_t source, std::uint16_t first,
                    std::uint16_t count, std::uint16_t destination, std::uint16_t insertion) {
  if (table.game != &game || count == 0) return;
  const std::size_t pileCount = table.PileCount();
  if (source >= pileCount || destination >= pileCount ||
      std::size_t{first} + count > table.rowSize[source]) {
    table.game = nullptr;  // built again when next asked
    return;
  }
  // The destination's size once the cards have left.
  const std::size_t remaining =
      table.rowSize[destination] - (source == destination ? count : 0);
  if (insertion > remaining || remaining + count > table.capacity) {
    table.game = nullptr;
    return;
  }
  thread_local std::vector<std::uint16_t> moving;
  std::uint16_t* const from = table.cards.data() + source * table.capacity;
  moving.assign(from + first, from + first + count);
  std::copy(from + first + count, from + table.rowSize[source], from + first);
  table.rowSize[source] -= count;
  std::uint16_t* const to = table.cards.data() + destination * table.capacity;
  std::copy_backward(to + insertion, to + remaining, to + remaining + count);
  std::copy(moving.begin(), moving.end(), to + insertion);
  table.rowSize[destination] += count;
}

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
