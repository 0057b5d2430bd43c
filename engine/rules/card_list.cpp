#include "engine/rules/card_list.h"

namespace cw {
namespace {

CardListEntry EntryOf(const SolGame& game, std::size_t card) {
  if (game.cards[card].faceUp == 0) return {kFaceDownSuit, kFaceDownRank};
  if (card >= game.definition.cards.size()) return {kFaceDownSuit, kFaceDownRank};
  const CardDef& def = game.definition.cards[card];
  return {def.suit, def.rank};
}

// The cards of `pile` whose positions lie in [lowest, highest], topmost
// first, followed by the end entry. One pass over the card states; a card
// whose position lies outside the pile's count is left out, so damaged play
// states still give a list that ends.
CardList BuildPositionRange(const SolGame& game, std::uint16_t pile, int lowest, int highest) {
  CardList list;
  if (pile >= game.piles.size() || lowest > highest) {
    list.emplace_back();
    return list;
  }
  const int count = game.piles[pile].count;
  if (lowest < 0) lowest = 0;
  if (highest > count - 1) highest = count - 1;
  const std::size_t length = highest >= lowest ? static_cast<std::size_t>(highest - lowest + 1) : 0;
  list.resize(length + 1);
  for (std::size_t card = 0; card < game.cards.size(); ++card) {
    const CardState& state = game.cards[card];
    const int position = state.position;
    if (state.pile != pile || position < lowest || position > highest) continue;
    list[static_cast<std::size_t>(highest - position)] = EntryOf(game, card);
  }
  return list;
}

}  // namespace

CardList BuildPileList(const SolGame& game, std::uint16_t pile) {
  if (pile >= game.piles.size()) return CardList(1);
  return BuildPositionRange(game, pile, 0, game.piles[pile].count - 1);
}

CardList BuildMovingList(const SolGame& game, std::uint16_t card) {
  if (card >= game.cards.size()) return CardList(1);
  const CardState& state = game.cards[card];
  if (state.pile >= game.piles.size()) return CardList(1);
  return BuildPositionRange(game, state.pile, state.position, game.piles[state.pile].count - 1);
}

CardList BuildRemainingList(const SolGame& game, std::uint16_t card) {
  if (card >= game.cards.size()) return CardList(1);
  const CardState& state = game.cards[card];
  return BuildPositionRange(game, state.pile, 0, state.position - 1);
}

}  // namespace cw
