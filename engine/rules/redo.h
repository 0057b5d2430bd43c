// The moves a player may make again after taking them back. The journal
// records what a move changed, not which move it was (a tap leaves no trace of
// its pile), so the history keeps the moves themselves beside the game, with
// the generator state each was first made with: a move whose events shuffle
// shuffles the same way when it is made again.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/model/runtime_random.h"
#include "engine/model/sol_game.h"
#include "engine/rules/action_observer.h"
#include "engine/rules/automatic_events.h"

namespace cw {

class MoveHistory {
 public:
  // PerformPlayerMove, remembered; a move made ends what could be redone.
  // A move that is refused yet journals something (a tap that uses up its
  // counter and then finds nothing to do) is remembered too, as undo takes
  // it back like any move.
  // The move's own changes and the automatic ones go to the two observers.
  bool Make(SolGame& game, const MoveReference& move, ActionObserver* moveObserver,
            ActionObserver* automaticObserver);
  bool Make(SolGame& game, const MoveReference& move, ActionObserver* observer) {
    return Make(game, move, observer, observer);
  }

  // UndoMove; the move taken back can be redone when the history knows it
  // (it was made through Make since the deal). Answers false when the journal
  // is empty.
  bool Undo(SolGame& game, ActionObserver* observer = nullptr);

  // Whether Redo would act on this table: something was undone and the table
  // is still the one that undo left.
  bool CanRedo(const SolGame& game) const;

  // Makes the newest undone move again. Answers false, changing nothing,
  // when CanRedo is false.
  bool Redo(SolGame& game, ActionObserver* observer = nullptr);

  // Forgets every move: a new deal or a resumed game starts without any.
  void Clear();

 private:
  struct Step {
    MoveReference move;
    RuntimeRandom randomBefore;
    // The table on the side of the move that must be current for the step
    // to apply: after the move while it is made, before it once undone.
    std::vector<CardState> cards;
    std::uint32_t journalCount = 0;
  };
  static bool TableIs(const SolGame& game, const Step& step);

  std::vector<Step> made_;
  std::vector<Step> undone_;  // the newest undone last
};

}  // namespace cw
