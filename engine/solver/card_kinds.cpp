#include "engine/solver/card_kinds.h"

#include <algorithm>

namespace cw {

CardKinds KindsOfCards(const GameDefinition& definition) {
  CardKinds found;
  found.kindOf.reserve(definition.cards.size());
  for (const CardDef& card : definition.cards) {
    const CardListEntry entry{card.suit, card.rank};
    const auto kind = std::find(found.kinds.begin(), found.kinds.end(), entry);
    found.kindOf.push_back(static_cast<std::uint16_t>(kind - found.kinds.begin()));
    if (kind == found.kinds.end()) found.kinds.push_back(entry);
  }
  return found;
}

}  // namespace cw
