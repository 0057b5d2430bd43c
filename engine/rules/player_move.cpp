#include "engine/rules/player_move.h"

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"

namespace cw {

bool PerformPlayerMove(SolGame& game, const MoveReference& move, ActionObserver* observer) {
  bool made = false;
  if (move.IsTap()) {
    made = move.source < game.piles.size() && CanTap(game, move.source) &&
           TapPile(game, move.source, observer);
  } else {
    if (move.source >= game.cards.size() || move.destination >= game.piles.size()) return false;
    const std::uint16_t from = game.cards[move.source].pile;
    made = from != move.destination && from < game.piles.size() && game.piles[from].shown &&
           CanPickUp(game, move.source) && DropCards(game, move.source, move.destination, observer);
  }
  if (made) RunAutomaticEvents(game, observer);
  return made;
}

}  // namespace cw
