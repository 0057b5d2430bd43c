#include "engine/rules/redo.h"

#include "engine/rules/moves.h"
#include "engine/rules/player_move.h"

namespace cw {

namespace {

std::uint32_t JournalCount(const SolGame& game) { return game.journal ? game.journal->Count() : 0; }

}  // namespace

bool MoveHistory::TableIs(const SolGame& game, const Step& step) {
  return game.journal && JournalCount(game) == step.journalCount && game.cards == step.cards;
}

bool MoveHistory::Make(SolGame& game, const MoveReference& move, ActionObserver* moveObserver,
                       ActionObserver* automaticObserver) {
  const RuntimeRandom before = game.random;
  const std::uint32_t countBefore = JournalCount(game);
  const bool made = PerformPlayerMove(game, move, moveObserver, automaticObserver);
  // A tap whose event then finds nothing to do has still used up its
  // counter, which undo gives back: the history keeps it as a move too, so
  // that it stays in step with the journal.
  if (made || JournalCount(game) != countBefore) {
    undone_.clear();
    made_.push_back({move, before, game.cards, JournalCount(game)});
  }
  return made;
}

bool MoveHistory::Undo(SolGame& game, ActionObserver* observer) {
  // A move made some other way (or before a resume) is not the one the
  // history holds: it is undone all the same, and redo starts afresh.
  const bool known = !made_.empty() && TableIs(game, made_.back());
  if (!UndoMove(game, observer)) return false;
  if (!known) {
    Clear();
    return true;
  }
  Step step = std::move(made_.back());
  made_.pop_back();
  step.cards = game.cards;
  step.journalCount = JournalCount(game);
  undone_.push_back(std::move(step));
  return true;
}

bool MoveHistory::CanRedo(const SolGame& game) const {
  return !undone_.empty() && TableIs(game, undone_.back());
}

bool MoveHistory::Redo(SolGame& game, ActionObserver* observer) {
  if (!CanRedo(game)) return false;
  Step step = std::move(undone_.back());
  undone_.pop_back();
  const RuntimeRandom current = game.random;
  const std::uint32_t countBefore = JournalCount(game);
  game.random = step.randomBefore;
  if (!PerformPlayerMove(game, step.move, observer, observer) && JournalCount(game) == countBefore) {
    // Cannot happen for a move that was made on this very table; should it,
    // the table and the generator stay as they were.
    game.random = current;
    undone_.clear();
    return false;
  }
  step.cards = game.cards;
  step.journalCount = JournalCount(game);
  made_.push_back(std::move(step));
  return true;
}

void MoveHistory::Clear() {
  made_.clear();
  undone_.clear();
}

}  // namespace cw
