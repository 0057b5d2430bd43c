#include "engine/rules/card_list.h"

#include "engine/model/card_index.h"

namespace cw {
namespace {

CardListEntry EntryOf(const SolGame& game, std::size_t card) {
  if (game.cards[card].faceUp == 0) return {kFaceDownSuit, kFaceDownRank};
  if (card >= game.definition.cards.size()) return {kFaceDownSuit, kFaceDownRank};
  const CardDef& def = game.definition.cards[card];
  return {def.suit, def.rank};
}

// The cards of `pile` whose positions lie in [lowest, highest], topmost
// first, followed by the end entry. A place no card claims (a damaged play
// state) reads as the end entry, so such a list still ends.
void BuildPositionRange(const SolGame& game, std::uint16_t pile, int lowest, int highest,
                        CardList& list) {
  if (pile >= game.piles.size() || lowest > highest) {
    list.assign(1, CardListEntry{});
    return;
  }
  const std::span<const std::uint16_t> byPosition = CardsOfPile(game, pile, lowest, highest);
  list.resize(byPosition.size() + 1);
  auto entry = list.begin();
  for (auto card = byPosition.rbegin(); card != byPosition.rend(); ++card, ++entry) {
    *entry = *card != kNoReference ? EntryOf(game, *card) : CardListEntry{};
  }
  *entry = CardListEntry{};
}

}  // namespace

void BuildPileList(const SolGame& game, std::uint16_t pile, CardList& list) {
  if (pile >= game.piles.size()) return BuildPositionRange(game, pile, 0, -1, list);
  BuildPositionRange(game, pile, 0, game.piles[pile].count - 1, list);
}

void BuildMovingList(const SolGame& game, std::uint16_t card, CardList& list) {
  if (card >= game.cards.size() || game.cards[card].pile >= game.piles.size()) {
    return BuildPositionRange(game, kNoReference, 0, -1, list);
  }
  const CardState& state = game.cards[card];
  BuildPositionRange(game, state.pile, state.position, game.piles[state.pile].count - 1, list);
}

void BuildRemainingList(const SolGame& game, std::uint16_t card, CardList& list) {
  if (card >= game.cards.size()) return BuildPositionRange(game, kNoReference, 0, -1, list);
  const CardState& state = game.cards[card];
  BuildPositionRange(game, state.pile, 0, state.position - 1, list);
}

CardList BuildPileList(const SolGame& game, std::uint16_t pile) {
  CardList list;
  BuildPileList(game, pile, list);
  return list;
}

CardList BuildMovingList(const SolGame& game, std::uint16_t card) {
  CardList list;
  BuildMovingList(game, card, list);
  return list;
}

CardList BuildRemainingList(const SolGame& game, std::uint16_t card) {
  CardList list;
  BuildRemainingList(game, card, list);
  return list;
}

}  // namespace cw
