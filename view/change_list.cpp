#include "view/change_list.h"

#include <algorithm>
#include <type_traits>

namespace cw {

namespace {

bool IsPile(const std::vector<PileView>& piles, std::uint16_t pile) { return pile < piles.size(); }

bool ValueShows(const std::vector<PileView>& piles, std::uint16_t pile) {
  return IsPile(piles, pile) &&
         (piles[pile].kind == PileKind::kBase || piles[pile].kind == PileKind::kArrow);
}

bool MoveCards(std::vector<PileView>& piles, const CardsMoved& move) {
  if (!MoveFits(piles, move)) return false;
  std::vector<CardSlot>& from = piles[move.source].cards;
  const auto first = from.begin() + move.first;
  std::vector<CardSlot> run(first, first + move.count);
  from.erase(first, first + move.count);
  std::vector<CardSlot>& to = piles[move.destination].cards;
  to.insert(to.begin() + move.position, run.begin(), run.end());
  return true;
}

bool TurnCards(std::vector<PileView>& piles, const CardsFlagged& flagged) {
  if (!IsPile(piles, flagged.pile) || flagged.attribute != CardAttribute::kFaceUp) return false;
  std::vector<CardSlot>& cards = piles[flagged.pile].cards;
  if (flagged.first + flagged.count > cards.size()) return false;
  for (int i = flagged.first; i < flagged.first + flagged.count; ++i) {
    cards[static_cast<std::size_t>(i)].faceUp = flagged.value != 0 ? 1 : 0;
  }
  return true;
}

bool SetPileAttribute(std::vector<PileView>& piles, const PileAttributeSet& set) {
  if (!IsPile(piles, set.pile)) return false;
  PileView& pile = piles[set.pile];
  switch (set.attribute) {
    case PileAttribute::kShown:
      pile.shown = set.value != 0 ? 1 : 0;
      return true;
    case PileAttribute::kValue:
      MarksFromValue(pile.kind, set.value, pile.dealtSuit, pile.mark);
      return true;
    default:
      return false;
  }
}

// Each card of the new order takes the slot that holds it; the pile must
// hold exactly those cards.
bool ReorderCards(std::vector<PileView>& piles, const PileOrder& order) {
  if (!IsPile(piles, order.pile)) return false;
  std::vector<CardSlot>& cards = piles[order.pile].cards;
  if (order.cards.size() != cards.size()) return false;
  std::vector<CardSlot> reordered;
  reordered.reserve(cards.size());
  std::vector<bool> taken(cards.size(), false);
  for (const std::uint16_t card : order.cards) {
    std::size_t at = 0;
    while (at < cards.size() && (taken[at] || cards[at].card != card)) ++at;
    if (at == cards.size()) return false;
    taken[at] = true;
    reordered.push_back(cards[at]);
  }
  cards = std::move(reordered);
  return true;
}

}  // namespace

void ChangeRecorder::TableChanged(const TableChange& change) {
  heard_ = true;
  if (const auto* move = std::get_if<CardsMoved>(&change)) {
    changes_.emplace_back(*move);
  } else if (const auto* flagged = std::get_if<CardsFlagged>(&change)) {
    if (flagged->attribute == CardAttribute::kFaceUp) changes_.emplace_back(*flagged);
  } else if (const auto* set = std::get_if<PileAttributeSet>(&change)) {
    const bool shows = set->attribute == PileAttribute::kShown ||
                       (set->attribute == PileAttribute::kValue && ValueShows(piles_, set->pile));
    if (shows) changes_.emplace_back(*set);
  } else if (const auto* reordered = std::get_if<PileReordered>(&change)) {
    changes_.emplace_back(
        PileOrder{reordered->pile, {reordered->cards.begin(), reordered->cards.end()}});
  }
}

bool MoveFits(const std::vector<PileView>& piles, const CardsMoved& move) {
  if (!IsPile(piles, move.source) || !IsPile(piles, move.destination) || move.count == 0) {
    return false;
  }
  const int sourceCount = piles[move.source].Count();
  if (move.first + move.count > sourceCount) return false;
  const int destinationCount =
      piles[move.destination].Count() - (move.destination == move.source ? move.count : 0);
  return move.position <= destinationCount;
}

bool ApplyChange(std::vector<PileView>& piles, const ViewChange& change) {
  return std::visit(
      [&](const auto& fact) {
        using Fact = std::decay_t<decltype(fact)>;
        if constexpr (std::is_same_v<Fact, CardsMoved>) return MoveCards(piles, fact);
        if constexpr (std::is_same_v<Fact, CardsFlagged>) return TurnCards(piles, fact);
        if constexpr (std::is_same_v<Fact, PileAttributeSet>) return SetPileAttribute(piles, fact);
        if constexpr (std::is_same_v<Fact, PileOrder>) return ReorderCards(piles, fact);
      },
      change);
}

}  // namespace cw
