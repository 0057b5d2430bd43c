#include "engine/rules/player_move.h"

#include "engine/rules/legality.h"
#include "engine/rules/moves.h"

namespace cw {

bool PerformPlayerMove(SolGame& game, const MoveReference& move, ActionObserver* observer) {
  return PerformPlayerMove(game, move, observer, observer);
}

bool PerformPlayerMove(SolGame& game, const MoveReference& move, ActionObserver* moveObserver,
                       ActionObserver* automaticObserver) {
  bool made = false;
  if (move.IsTap()) {
    made = move.source < game.piles.size() && CanTap(game, move.source) &&
           TapPile(game, move.source, moveObserver);
  } else {
    if (move.source >= game.cards.size() || move.destination >= game.piles.size()) return false;
    const std::uint16_t from = game.cards[move.source].pile;
    made = from != move.destination && from < game.piles.size() && game.piles[from].shown &&
           CanPickUp(game, move.source) && DropCards(game, move.source, move.destination, moveObserver);
  }
  if (made) RunAutomaticEvents(game, automaticObserver);
  return made;
}

}  // namespace cw
