#include "engine/rules/foundation_drop.h"

#include "engine/rules/legality.h"

namespace cw {

namespace {

constexpr std::uint8_t kBaseMarkPile = 2;

}  // namespace

bool IsFoundation(const SolGame& game, std::uint16_t pile) {
  return pile < game.piles.size() && pile < game.definition.piles.size() &&
         game.piles[pile].shown != 0 && game.definition.piles[pile].kind == kBaseMarkPile;
}

std::optional<std::uint16_t> FirstFoundationDrop(const SolGame& game, std::uint16_t card) {
  if (card >= game.cards.size()) return std::nullopt;
  const std::uint16_t from = game.cards[card].pile;
  // A card at home stays there: it would only hop to the next empty foundation.
  if (from >= game.piles.size() || game.piles[from].shown == 0 || IsFoundation(game, from) ||
      !CanPickUp(game, card)) {
    return std::nullopt;
  }
  for (std::size_t pile = 0; pile < game.piles.size(); ++pile) {
    const auto candidate = static_cast<std::uint16_t>(pile);
    if (candidate != from && IsFoundation(game, candidate) && CanDrop(game, card, candidate)) {
      return candidate;
    }
  }
  return std::nullopt;
}

}  // namespace cw
