// The redo property shared by the real games and the hand-built ones.
#pragma once

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/model/sol_game.h"
#include "engine/rules/automatic_events.h"
#include "engine/rules/redo.h"
#include "tests/games/game_test_support.h"

namespace cw::testing {

// What redo must give back: the play state, the journal's records and the
// generator (compared by the numbers it draws next).
struct RedoState {
  PlaySnapshot play;
  std::vector<JournalRecord> journal;
  std::vector<int> nextRandom;
  bool operator==(const RedoState&) const = default;
};

inline RedoState RedoStateOf(const SolGame& game) {
  RuntimeRandom random = game.random;
  std::vector<int> next;
  for (int i = 0; i < 4; ++i) next.push_back(random.Next());
  return {Snapshot(game), game.journal->Records(), next};
}

// Plays up to `maxMoves` random legal moves through the history, then, at a
// few cut points, undoes back to the cut and redoes to the end: each time the
// game must be as playing left it, and one more redo is refused. Taps are
// favoured so that stocks and their events see play.
inline void PlayUndoRedo(SolGame& game, std::mt19937& rng, int maxMoves) {
  MoveHistory history;
  int made = 0;
  for (int tried = 0; made < maxMoves && tried < 4 * maxMoves; ++tried) {
    const std::vector<MoveReference> moves = ListMoves(game);
    if (moves.empty() || game.won != 0) break;
    std::vector<MoveReference> taps;
    for (const MoveReference& m : moves) {
      if (m.IsTap()) taps.push_back(m);
    }
    const MoveReference move =
        !taps.empty() && rng() % 3 == 0 ? taps[rng() % taps.size()] : moves[rng() % moves.size()];
    // A listed tap whose event finds nothing to do is no move, though it may
    // use up its counter, which undo and redo must then take back and repeat.
    const std::uint32_t before = game.journal->Count();
    if (!history.Make(game, move, nullptr)) {
      ASSERT_TRUE(move.IsTap()) << "listed move " << move.source << " -> " << move.destination;
    }
    if (game.journal->Count() != before) ++made;
  }
  const RedoState played = RedoStateOf(game);
  for (const int cut : {1, made / 2, made}) {
    if (cut > made || cut == 0) continue;
    for (int i = 0; i < cut; ++i) ASSERT_TRUE(history.Undo(game));
    for (int i = 0; i < cut; ++i) ASSERT_TRUE(history.Redo(game)) << "redo " << i << " of " << cut;
    EXPECT_EQ(RedoStateOf(game), played) << "after undoing and redoing " << cut << " moves";
    EXPECT_FALSE(history.Redo(game));
  }
}

}  // namespace cw::testing
