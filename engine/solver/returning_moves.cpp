#include "engine/solver/returning_moves.h"

#include "engine/model/definition_index.h"
#include "engine/solver/pile_symmetry.h"

namespace cw {
namespace {

// Whether firing the event could change anything: it has an action, or a
// counter to use up.
bool MayChangeTable(const DefinitionIndex& index, std::uint16_t event) {
  return !index.ActionLinksOf(event).empty() ||
         index.CounterLinkOf(event) != DefinitionIndex::kNoLink;
}

// Whether every event that runs once after a move, rather than over and over
// until a pass changes nothing, does nothing but win the game: the automatic
// passes then end only where another pass would change nothing.
bool AutomaticEventsSettle(const GameDefinition& definition, const DefinitionIndex& index) {
  for (std::size_t e = 0; e < definition.eventKinds.size(); ++e) {
    if (definition.eventKinds[e] != static_cast<std::uint8_t>(EventKind::kAutomatic)) continue;
    const auto event = static_cast<std::uint16_t>(e);
    if (index.CounterLinkOf(event) != DefinitionIndex::kNoLink) return false;
    for (const std::uint32_t link : index.ActionLinksOf(event)) {
      const std::uint16_t action = definition.eventActions[link].action;
      if (action >= definition.actions.size() ||
          definition.actions[action].type != static_cast<std::uint8_t>(ActionType::kGameWon)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

ReturningMoves::ReturningMoves(const GameDefinition& definition,
                               std::span<const std::uint16_t> pileClasses)
    : classes_(pileClasses.begin(), pileClasses.end()) {
  const DefinitionIndex& index = IndexOf(definition);
  settles_ = AutomaticEventsSettle(definition, index);
  quietDrop_.reserve(definition.piles.size());
  for (const PileDef& pile : definition.piles) {
    quietDrop_.push_back(!MayChangeTable(index, pile.dropEvent));
  }
}

bool ReturningMoves::KeepsPosition(const SolGame& game, const MoveReference& move) const {
  if (move.IsTap() || move.source >= game.cards.size() || !Applies(move.destination) ||
      move.destination >= game.piles.size() || move.destination >= classes_.size()) {
    return false;
  }
  const CardState& moving = game.cards[move.source];
  if (moving.position != 0 || moving.pile >= classes_.size() || moving.pile >= game.piles.size() ||
      moving.pile == move.destination) {
    return false;
  }
  const PileState& from = game.piles[moving.pile];
  const PileState& to = game.piles[move.destination];
  return to.count == 0 && classes_[moving.pile] == classes_[move.destination] &&
         SameSettingsApartFromCards(from, to);
}

bool ReturningMoves::TakesBack(const MoveReference& move, const MoveReference& last,
                               std::uint16_t lastFrom) const {
  return !move.IsTap() && !last.IsTap() && move.source == last.source &&
         move.destination == lastFrom && Applies(lastFrom);
}

std::optional<std::uint16_t> ReturningMoves::CardsOnlyMoved(const MoveJournal& journal,
                                                            std::uint32_t first) {
  if (first >= journal.Count() ||
      journal[first].type != static_cast<std::uint32_t>(JournalType::kPlayerMove)) {
    return std::nullopt;
  }
  for (std::uint32_t i = first + 1; i < journal.Count(); ++i) {
    if (journal[i].type != static_cast<std::uint32_t>(JournalType::kOpenChanged)) {
      return std::nullopt;
    }
  }
  return journal[first].index;
}

}  // namespace cw
