#include "engine/solver/solver.h"

#include <algorithm>
#include <chrono>

#include "engine/model/card_index.h"
#include "engine/rules/moves.h"
#include "engine/rules/player_move.h"
#include "engine/solver/pile_symmetry.h"
#include "engine/solver/transposition_table.h"

namespace cw {
namespace {

constexpr std::uint8_t kBaseMarkKind = 2;
constexpr std::uint8_t kInertWhenEmptyKind = 1;
constexpr std::uint64_t kProgressInterval = 1024;
constexpr std::uint64_t kClockInterval = 64;

std::uint64_t Mix(std::uint64_t hash, std::uint64_t value) {
  hash ^= value + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2);
  hash *= 0xBF58476D1CE4E5B9ull;
  return hash ^ (hash >> 31);
}

// Whether some event played after the start shuffles a pile: the generator's
// state then belongs to the position.
bool ShufflesInPlay(const GameDefinition& definition) {
  for (const EventAction& link : definition.eventActions) {
    if (link.event >= definition.eventKinds.size() || link.action >= definition.actions.size()) {
      continue;
    }
    if (definition.eventKinds[link.event] == static_cast<std::uint8_t>(EventKind::kGameStart)) {
      continue;
    }
    const ActionDef& action = definition.actions[link.action];
    if (action.type == static_cast<std::uint8_t>(ActionType::kPileAttribute) &&
        action.attribute == kPileShuffle) {
      return true;
    }
  }
  return false;
}

// How promising a position looks, in any game: cards home on base-marked
// piles, free places, and few cards lying above a lower card of their pile.
int Promise(const SolGame& game) {
  const GameDefinition& definition = game.definition;
  const std::size_t pileCount = std::min(game.piles.size(), definition.piles.size());
  int home = 0;
  int free = 0;
  int buried = 0;
  for (std::size_t p = 0; p < pileCount; ++p) {
    const PileDef& pile = definition.piles[p];
    if (game.piles[p].shown == 0) continue;
    if (pile.kind == kBaseMarkKind) {
      home += game.piles[p].count;
      continue;
    }
    const std::span<const std::uint16_t> cards = CardsOfPile(game, static_cast<std::uint16_t>(p));
    if (cards.empty()) {
      if (pile.kind != kInertWhenEmptyKind) ++free;
      continue;
    }
    int lowest = 99;
    for (const std::uint16_t card : cards) {
      if (card >= definition.cards.size()) continue;
      const int rank = definition.cards[card].rank;
      if (rank > lowest) ++buried;
      lowest = std::min(lowest, rank);
    }
  }
  return 6 * home + 2 * free - buried;
}

class Searcher {
 public:
  Searcher(const SolGame& game, const SolveLimits& limits, const std::atomic<bool>* cancel,
           const SolveProgress& progress)
      : work_(game),
        hasher_(game.definition),
        table_(limits.maxMemoryBytes == 0 ? ~std::size_t{0} : limits.maxMemoryBytes),
        limits_(limits),
        cancel_(cancel),
        progress_(progress),
        shuffles_(ShufflesInPlay(game.definition)),
        start_(std::chrono::steady_clock::now()) {
    work_.onJournalAppend = nullptr;
  }

  // Searches from the current position of the working copy. Positions left
  // in the table by an earlier exhaustive search are known dead and stay.
  SolveResult Run();

  SolGame& Work() { return work_; }
  double Elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }
  std::uint64_t Nodes() const { return nodes_; }

 private:
  struct Child {
    int promise;
    std::size_t order;
    MoveReference move;
  };
  struct Frame {
    std::vector<MoveReference> moves;
    std::size_t next = 0;
  };
  enum class Step { kWon, kMade, kRefused };

  std::uint64_t Key() {
    std::uint64_t key = hasher_.Key(work_);
    if (shuffles_) {
      RuntimeRandom probe = work_.random;
      key = Mix(key, static_cast<std::uint64_t>(probe.Next()) << 16 | probe.Next());
    }
    return key;
  }

  std::uint32_t JournalLength() const { return work_.journal ? work_.journal->Count() : 0; }

  struct Undo {
    std::uint32_t journalLength;
    RuntimeRandom random;
  };
  Undo Mark() const { return {JournalLength(), work_.random}; }
  void TakeBack(const Undo& mark) {
    while (JournalLength() > mark.journalLength) UndoStep(work_);
    work_.random = mark.random;
  }

  bool OutOfBudget() {
    if (limits_.maxNodes != 0 && nodes_ >= limits_.maxNodes) return true;
    if (nodes_ % kClockInterval == 0) {
      if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) return true;
      if (limits_.maxSeconds > 0 && Elapsed() >= limits_.maxSeconds) return true;
    }
    if (progress_ && nodes_ % kProgressInterval == 0) progress_(nodes_);
    return false;
  }

  // The legal moves that lead to positions not yet in the table, most
  // promising first; a move that wins at once comes alone.
  std::vector<MoveReference> OrderedMoves() {
    std::vector<Child> children;
    const std::vector<MoveReference> legal = ListMoves(work_);
    for (std::size_t i = 0; i < legal.size(); ++i) {
      const Undo mark = Mark();
      if (!PerformPlayerMove(work_, legal[i], nullptr)) continue;
      const bool won = work_.won != 0;
      const bool fresh = won || !table_.Contains(Key());
      const int promise = fresh ? Promise(work_) : 0;
      TakeBack(mark);
      if (won) return {legal[i]};
      if (fresh) children.push_back({promise, i, legal[i]});
    }
    std::sort(children.begin(), children.end(), [](const Child& a, const Child& b) {
      return a.promise != b.promise ? a.promise > b.promise : a.order < b.order;
    });
    std::vector<MoveReference> moves;
    moves.reserve(children.size());
    for (const Child& child : children) moves.push_back(child.move);
    return moves;
  }

  SolGame work_;
  PositionHasher hasher_;
  TranspositionTable table_;
  SolveLimits limits_;
  const std::atomic<bool>* cancel_;
  const SolveProgress& progress_;
  bool shuffles_;
  std::chrono::steady_clock::time_point start_;
  std::uint64_t nodes_ = 0;
};

SolveResult Searcher::Run() {
  SolveResult result;
  const std::uint64_t nodesBefore = nodes_;
  auto finish = [&](SolveVerdict verdict) {
    result.verdict = verdict;
    result.nodes = nodes_ - nodesBefore;
    result.seconds = Elapsed();
    return result;
  };
  if (work_.won != 0) return finish(SolveVerdict::kWinnable);
  // Nothing dealt: there is no position to decide.
  if (!work_.HasPlayState()) return finish(SolveVerdict::kUndecided);
  if (table_.Add(Key()) == TranspositionTable::Insert::kPresent) {
    return finish(SolveVerdict::kUnwinnable);
  }

  std::vector<Frame> stack;
  std::vector<Undo> marks;
  ++nodes_;
  stack.push_back({OrderedMoves(), 0});
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.next == frame.moves.size()) {
      stack.pop_back();
      if (!marks.empty()) {
        TakeBack(marks.back());
        marks.pop_back();
        result.moves.pop_back();
      }
      continue;
    }
    const MoveReference move = frame.moves[frame.next++];
    const Undo mark = Mark();
    if (!PerformPlayerMove(work_, move, nullptr)) continue;
    result.moves.push_back(move);
    if (work_.won != 0) return finish(SolveVerdict::kWinnable);
    const TranspositionTable::Insert added = table_.Add(Key());
    if (added != TranspositionTable::Insert::kAdded) {
      TakeBack(mark);
      result.moves.pop_back();
      if (added == TranspositionTable::Insert::kFull) break;
      continue;
    }
    if (OutOfBudget()) break;
    ++nodes_;
    marks.push_back(mark);
    stack.push_back({OrderedMoves(), 0});
  }
  if (stack.empty()) return finish(SolveVerdict::kUnwinnable);
  // A budget ran out: put the working copy back where the search began.
  while (!marks.empty()) {
    TakeBack(marks.back());
    marks.pop_back();
  }
  result.moves.clear();
  return finish(SolveVerdict::kUndecided);
}

}  // namespace

PositionHasher::PositionHasher(const GameDefinition& definition)
    : classes_(InterchangeablePileClasses(definition)) {}

std::uint64_t PositionHasher::Key(const SolGame& game) {
  const std::size_t pileCount = game.piles.size();
  std::uint64_t key = Mix(0x5EED, game.won);
  std::size_t placed = 0;
  for (std::size_t p = 0; p < pileCount; ++p) {
    for (const std::uint16_t card : CardsOfPile(game, static_cast<std::uint16_t>(p))) {
      if (card != kNoReference) ++placed;
    }
  }
  if (placed != game.cards.size()) {
    // A damaged state: cards outside their piles' places count by where they
    // claim to lie.
    for (std::size_t c = 0; c < game.cards.size(); ++c) {
      const CardState& state = game.cards[c];
      if (state.pile >= pileCount || state.position >= std::max<int>(game.piles[state.pile].count, 0)) {
        key = Mix(key, c << 32 | state.pile << 16 | state.position);
      }
    }
  }
  pileHashes_.resize(pileCount);
  for (std::size_t p = 0; p < pileCount; ++p) {
    const PileState& pile = game.piles[p];
    std::uint64_t hash = Mix(pile.count, pile.shown | pile.enabled << 8 | pile.fan << 16);
    hash = Mix(hash, pile.acceptProgram | pile.pickProgram << 16 |
                         static_cast<std::uint64_t>(pile.manualOpen) << 32);
    hash = Mix(hash, pile.baseRank | static_cast<std::uint64_t>(pile.baseSuit) << 32);
    for (const std::uint16_t card : CardsOfPile(game, static_cast<std::uint16_t>(p))) {
      std::uint64_t value = card;
      if (card < game.cards.size()) {
        const CardState& state = game.cards[card];
        value |= static_cast<std::uint64_t>(state.faceUp) << 16 |
                 static_cast<std::uint64_t>(state.movable) << 24 |
                 static_cast<std::uint64_t>(state.open) << 32;
      }
      hash = Mix(hash, value);
    }
    pileHashes_[p] = hash;
  }
  // Interchangeable piles count as a set: their hashes are combined in sorted
  // order, under the number of their class.
  std::vector<std::uint64_t>& members = members_;
  for (std::size_t p = 0; p < pileCount; ++p) {
    const std::uint16_t leader = p < classes_.size() ? classes_[p] : static_cast<std::uint16_t>(p);
    if (leader != p) continue;
    members.clear();
    for (std::size_t q = p; q < pileCount; ++q) {
      if ((q < classes_.size() ? classes_[q] : q) == p) members.push_back(pileHashes_[q]);
    }
    std::sort(members.begin(), members.end());
    key = Mix(key, p);
    for (const std::uint64_t hash : members) key = Mix(key, hash);
  }
  for (const CounterState& counter : game.counters) {
    key = Mix(key, counter.value | counter.exhaustedEvent << 16);
  }
  for (const MovePair& route : game.allowedMoves) key = Mix(key, route.source << 16 | route.destination);
  return key;
}

SolveResult Solve(const SolGame& game, const SolveLimits& limits, const std::atomic<bool>* cancel,
                  const SolveProgress& progress) {
  Searcher searcher(game, limits, cancel, progress);
  return searcher.Run();
}

PositionAssessment AssessPosition(const SolGame& game, const SolveLimits& limits,
                                  const std::atomic<bool>* cancel, const SolveProgress& progress) {
  PositionAssessment assessment;
  Searcher searcher(game, limits, cancel, progress);
  assessment.here = searcher.Run();
  assessment.verdict = assessment.here.verdict;
  if (assessment.verdict != SolveVerdict::kUnwinnable) return assessment;
  // Every position the exhaustive search met is dead, so each search after
  // an undo skips them: the table carries over from one undo to the next.
  SolGame& work = searcher.Work();
  for (std::uint32_t undone = 1; UndoMove(work); ++undone) {
    const SolveResult earlier = searcher.Run();
    if (earlier.verdict == SolveVerdict::kWinnable) {
      assessment.undoToWinnable = undone;
      break;
    }
    if (earlier.verdict == SolveVerdict::kUndecided) break;
  }
  return assessment;
}

std::optional<std::uint32_t> FindWinnableDeal(const SolGame& game, std::uint32_t firstNumber,
                                              const SolveLimits& limits, std::uint32_t attempts,
                                              const std::atomic<bool>* cancel) {
  SolGame deal;
  deal.definition = game.definition;
  std::uint32_t number = firstNumber;
  for (std::uint32_t attempt = 0; attempt < attempts; ++attempt, ++number) {
    if (cancel != nullptr && cancel->load()) return std::nullopt;
    if (number == 0) ++number;  // 0 would draw a random number
    std::uint32_t dealt = number;
    if (!StartNewGame(deal, dealt)) return std::nullopt;
    if (Solve(deal, limits, cancel).verdict == SolveVerdict::kWinnable) return number;
  }
  return std::nullopt;
}

}  // namespace cw
