// The solver: a best-first search over the positions of any game, played
// through the engine's own rules (the player-move path, the legal-move search
// and undo), with a bounded transposition table of position keys.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "engine/model/sol_game.h"
#include "engine/rules/automatic_events.h"

namespace cw {

enum class SolveVerdict { kWinnable, kUnwinnable, kUndecided };

// A zero means "no limit". The memory budget bounds the transposition table;
// a search that would outgrow it ends undecided.
struct SolveLimits {
  std::uint64_t maxNodes = 0;
  double maxSeconds = 0;
  std::size_t maxMemoryBytes = std::size_t{256} << 20;
  // Count maxSeconds, and report SolveResult::seconds, in the searching
  // thread's processor time rather than on the wall clock, so that a busy
  // machine does not change a survey's verdicts.
  bool processorTime = false;
  // Take a move that sends a card home safely (see SafeHomeMoves) as the
  // only successor of its position. Off, every legal move is searched.
  bool safeHomeMoves = true;
  // Past its first try a search goes on as two searches taking turns. Let
  // the second take its turns on a thread of its own, while the first takes
  // its own: with a node budget, the same answers as on one thread, sooner
  // where a core is free. Without one, the thread beside starts at once and
  // neither thread waits for the other, so a time budget buys more positions;
  // a deal settled past the first try may then get another line from run to
  // run.
  bool secondThread = false;
};

// Whether the machine has a core to spare for a search's second thread
// (SolveLimits::secondThread).
bool SecondCoreFree();

struct SolveResult {
  SolveVerdict verdict = SolveVerdict::kUndecided;
  std::vector<MoveReference> moves;  // the winning line, for kWinnable
  std::uint64_t nodes = 0;           // positions expanded
  double seconds = 0;
};

using SolveProgress = std::function<void(std::uint64_t nodes)>;

// Searches from the position of `game`, which is not changed: the search
// works on its own copy. `cancel` is polled (a cancelled search ends
// undecided); `progress` is called from the searching thread now and then.
// With a node budget the answer is reproducible; a time budget is not.
SolveResult Solve(const SolGame& game, const SolveLimits& limits,
                  const std::atomic<bool>* cancel = nullptr, const SolveProgress& progress = {});

// The game in progress: winnable from here; or not, and then the fewest
// player moves to undo to reach a winnable position (searched on copies, undo
// by undo, within the same limits overall); or undecided.
struct PositionAssessment {
  SolveVerdict verdict = SolveVerdict::kUndecided;
  std::optional<std::uint32_t> undoToWinnable;
  SolveResult here;
};

PositionAssessment AssessPosition(const SolGame& game, const SolveLimits& limits,
                                  const std::atomic<bool>* cancel = nullptr,
                                  const SolveProgress& progress = {});

// The first deal number from `firstNumber` on (at most `attempts` numbers)
// that the solver proves winnable within `limits` per deal; `game` carries
// the definition. Numbers that are unwinnable or undecided are passed over;
// none when no proof came within the attempts or the search was cancelled.
std::optional<std::uint32_t> FindWinnableDeal(const SolGame& game, std::uint32_t firstNumber,
                                              const SolveLimits& limits, std::uint32_t attempts,
                                              const std::atomic<bool>* cancel = nullptr);

// Whether two games stand at the same position with the same number of moves
// behind them, so that an answer found for one holds for the other: every
// card, pile, counter and route alike, and the random generator that
// shuffles in play.
bool SamePosition(const SolGame& a, const SolGame& b);

// The position key: a hash of the play state that agrees for positions equal
// up to piles the definition treats alike (see PileSymmetry) and up to cards
// of the same suit and rank. Each pile is hashed again only when its cards or
// settings changed since the last key.
class PositionHasher {
 public:
  explicit PositionHasher(const GameDefinition& definition);
  std::uint64_t Key(const SolGame& game);

  // For each pile, the smallest pile interchangeable with it.
  const std::vector<std::uint16_t>& PileClasses() const { return classes_; }

  // Whether a position keyed so far had two cards or more on a pile alike
  // to another only because both were judged to hold one card at most, one
  // squared and one fanned: keys may then join positions that play apart,
  // so no proof may rest on them.
  bool FanMattered() const { return fanMattered_; }

 private:
  std::vector<std::uint16_t> classes_;
  std::vector<bool> fanMixed_;  // per pile: its class has squared and fanned piles
  bool fanMattered_ = false;
  std::vector<std::uint16_t> kinds_;  // per card, its kind (KindsOfCards)
  // The states last keyed, and per pile its hash and its cards in place: a
  // pile none of whose cards or settings changed since keeps its hash.
  std::vector<CardState> keyedCards_;
  std::vector<PileState> keyedPiles_;
  std::vector<std::uint64_t> pileHashes_;
  std::vector<std::uint32_t> placedOnPile_;
  std::vector<bool> changed_;  // scratch, per pile
  // Per class of interchangeable piles: its smallest pile, its piles, and
  // their hashes in sorted order as last keyed.
  struct PileClassHashes {
    std::uint16_t leader = 0;
    std::vector<std::uint16_t> piles;
    std::vector<std::uint64_t> sorted;
  };
  std::vector<PileClassHashes> classHashes_;
};

}  // namespace cw
