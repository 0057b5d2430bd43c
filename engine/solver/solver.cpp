#include "engine/solver/solver.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <mutex>
#include <optional>
#include <queue>
#include <span>
#include <thread>

#include "engine/model/card_index.h"
#include "engine/model/runtime_random.h"
#include "engine/rules/moves.h"
#include "engine/rules/player_move.h"
#include "engine/solver/card_kinds.h"
#include "engine/solver/pile_symmetry.h"
#include "engine/solver/position_novelty.h"
#include "engine/solver/position_promise.h"
#include "engine/solver/returning_moves.h"
#include "engine/solver/safe_home_moves.h"
#include "engine/solver/transposition_table.h"
#include "engine/solver/turn_thread.h"

namespace cw {
namespace {

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
        static_cast<PileAttribute>(action.attribute) == PileAttribute::kShuffle) {
      return true;
    }
  }
  return false;
}

// A way to order the positions waiting: by a judgement of them, with a bonus
// for a position that shows something new (see PositionNovelty), or the
// deepest first and then by the judgement.
struct Ordering {
  PromiseWeights weights;
  bool deepestFirst = false;
  int novel = 0;
};

// Most deals are settled within a few thousand positions by the plain
// judgement alone, with short lines; turns among other orders would find some
// of them only much later. So a search first follows the plain judgement
// alone, for this many positions.
constexpr std::uint64_t kFirstTryPositions = 65536;

// The orders that then take turns in the first of two searches, found by node-budgeted
// searches of the deals of the shipped games that a single order left
// undecided: one that heads for the foundations (the cards they take next
// brought up), one that keeps places free and columns in sequence, and one
// that goes deepest first, so that a line the judgement rates poorly on the
// way is still followed to its end. (The plain judgement taking a turn as
// well won fewer of those deals.)
constexpr PromiseWeights kHomeHeading{.home = 16, .free = 1, .aboveNext = 3, .unsequenced = 1,
                                      .buried = 1};
//
// A fourth order is the plain judgement with buried cards counted by rank
// from the Ace up instead of in the order the foundations take them. Where
// the foundations wrap round or start elsewhere, it counts a card lying on
// the second copy of a rank they have passed as buried, so it keeps such
// a card clear, and it won deals of Double FreeCell the other orders circled
// on. Where the two counts agree in every position the first try met, it
// would be the plain judgement again, so it takes no turn (see TakeTurns).
constexpr Ordering kTakingTurns[] = {
    {.weights = kHomeHeading},
    {.weights = {.home = 8, .free = 8, .aboveNext = 1, .unsequenced = 2, .buried = 1}},
    {.weights = {}, .deepestFirst = true},
    {.weights = {.buried = 0, .buriedByRank = 1}},
};

// The orders of a second search that goes on from the same first try beside
// the first: one that prefers new positions and, among them, heads for the
// foundations, and deepest first. On the hardest deals the orders above
// circle plateaus of positions they rate alike, which these leave; but these
// miss many wins the orders above find soon after the first try, so neither
// replaces the other. Each search keeps its own positions met, so that each
// works through its plateaus as it would alone.
constexpr Ordering kSeekingNovelty[] = {
    {.weights = kHomeHeading, .novel = 4096},
    {.weights = {}, .deepestFirst = true},
};

// Past the first try, the two searches take turns of this many positions in
// a row each. On two threads a round then takes the time of one turn, and
// the second search, which wins deals the first circles on, gets as much of
// it as the first; on one thread a proof, which only one of them completes,
// costs at most twice what the first would need alone.
constexpr std::uint64_t kSearchTurn = 8192;

// Which deals a judgement wins within a few thousand positions changes from
// one judgement to the next far more than how many it wins, and most of
// those wins come within a few thousand positions. So past the first try,
// before the second search takes its turns, a search tries afresh many
// times, each for a short while with a judgement of its own: first the plain
// judgement with one of the terms against a position left out, then
// judgements whose weights are drawn at random (FreshTryWeights). Each starts
// from the start with a table of its own, and follows its judgement alone,
// as the first try does. On two threads without a node budget the tries
// take none of the first search's time, and 36 decided more deals in 10
// seconds than 24.
constexpr PromiseWeights kFreshTriesLeavingOut[] = {
    {.buried = 0}, {.aboveNext = 0}, {.unsequenced = 0}};
constexpr std::size_t kFreshTries = 36;
constexpr std::uint64_t kFreshTryPositions = 8192;

// The judgement of fresh try `n`. The draws come from the runtime's own
// generator, seeded with `n`, so that every machine tries the same ones and
// the same input gets the same answer.
PromiseWeights FreshTryWeights(std::size_t n) {
  if (n < std::size(kFreshTriesLeavingOut)) return kFreshTriesLeavingOut[n];
  RuntimeRandom random;
  random.Seed(static_cast<std::uint32_t>(n));
  const auto draw = [&random](int low, int high) { return low + random.Next() % (high - low + 1); };
  return {.home = draw(4, 16),
          .free = draw(0, 8),
          .aboveNext = draw(0, 3),
          .unsequenced = draw(0, 3),
          .buried = draw(0, 3),
          .buriedByRank = draw(0, 3)};
}

class Searcher {
 public:
  // The first try follows `firstTry`, the plain judgement unless told.
  Searcher(const SolGame& game, const SolveLimits& limits, const std::atomic<bool>* cancel,
           const SolveProgress& progress, const PromiseWeights& firstTry = {})
      : work_(game),
        hasher_(game.definition),
        promise_(game.definition),
        novelty_(game.definition, hasher_.PileClasses()),
        safeHome_(game.definition),
        returning_(game.definition, hasher_.PileClasses()),
        table_(limits.maxMemoryBytes == 0 ? ~std::size_t{0} : limits.maxMemoryBytes),
        limits_(limits),
        cancel_(cancel),
        progress_(progress),
        shuffles_(ShufflesInPlay(game.definition)),
        start_(Now()),
        firstOrder_{.weights = firstTry} {
    work_.onJournalAppend = nullptr;
  }

  // Begins a search from the current position of the working copy: the
  // first try's judgement alone first, for kFirstTryPositions, then the orders
  // given to TakeTurns in turn, in the same search. Positions left in the
  // table by an earlier exhaustive search are known dead and stay. Answers
  // the verdict where the position settles it at once.
  std::optional<SolveResult> Begin();
  // Goes on searching until the verdict, which leaves the working copy where
  // the search began; or, answering none, until `pauseAt` positions are
  // expanded in all or the first try is done (FirstTryDone).
  std::optional<SolveResult> Go(std::uint64_t pauseAt);
  // Ends the search undecided, the working copy back where it began.
  SolveResult Abandon() { return Finish(SolveVerdict::kUndecided); }

  bool FirstTryDone() const { return firstTry_ && Nodes() >= kFirstTryPositions; }
  // Ends the first try: the orders given take over. Each starts from the
  // start position, as a search afresh would, but walks through the
  // positions the first try expanded (see Replay) instead of expanding them
  // again, so that every position met still waits in every order.
  void TakeTurns(std::span<const Ordering> orderings);

  // Positions expanded by this search so far.
  std::uint64_t Nodes() const { return nodes_ - nodesBefore_; }
  // Added to the positions this search reports as expanded, for the
  // positions another search beside it expanded.
  void ReportBeside(std::uint64_t nodes) { besideNodes_ = nodes; }
  // For a search that goes on on another thread beside this one's: it
  // reports no progress (the search beside reports for both), ends undecided
  // once `stop` is set, and counts its time on from here, so that processor
  // time, which each thread counts apart, is counted on from where it was.
  void GoOnBeside(const std::atomic<bool>* stop, double elapsed) {
    reports_ = false;
    stop_ = stop;
    start_ = Now() - elapsed;
  }

  SolGame& Work() { return work_; }
  // The working copy, brought back to where the search began.
  const SolGame& AtStart() {
    GoTo(kStart);
    return work_;
  }
  double Elapsed() const { return Now() - start_; }

 private:
  // A position met: the move that led to it from its parent position.
  struct Node {
    std::uint32_t parent;
    std::uint32_t depth;
    MoveReference move;
  };
  // A position waiting to be expanded. The highest priority comes first and,
  // among equals, the newest, so that the search goes deep on a plateau.
  struct Waiting {
    int priority;
    std::uint32_t node;
    bool operator<(const Waiting& other) const {
      return priority != other.priority ? priority < other.priority : node < other.node;
    }
  };
  // One order in which to expand the positions waiting. Every position met
  // waits in every order, and the search takes the next position from each
  // order in turn, passing over those another order expanded already: a
  // position is still expanded once, so a proof costs no more positions,
  // while a win that one judgement leads away from is found through another.
  struct Order {
    Ordering by;
    std::priority_queue<Waiting> waiting;
    std::vector<bool> replayed;  // per node the first try expanded: see Replay

    int Priority(const PromiseTerms& terms, bool novel, std::uint32_t depth) const {
      const int promise = by.weights.Of(terms) + (novel ? by.novel : 0);
      if (!by.deepestFirst) return promise;
      constexpr int kPromiseSpan = 1 << 10;
      constexpr std::uint32_t kDeepest = (1u << 20) - 1;
      return static_cast<int>(std::min(depth, kDeepest)) * 2 * kPromiseSpan +
             std::clamp(promise, -kPromiseSpan, kPromiseSpan - 1);
    }
  };
  // The terms of the judgement of a position met during the first try, and
  // whether it was new then, kept so that the orders taking turns afterwards
  // can rank the positions still waiting without going back to each. The
  // terms count cards and piles, so 16 bits hold them.
  struct KeptTerms {
    std::int16_t home;
    std::int16_t free;
    std::int16_t aboveNext;
    std::int16_t unsequenced;
    std::int16_t buried;
    std::int16_t buriedByRank;
    bool novel;

    static KeptTerms Of(const PromiseTerms& terms, bool novel) {
      auto narrow = [](int value) {
        return static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
      };
      return {narrow(terms.home), narrow(terms.free), narrow(terms.aboveNext),
              narrow(terms.unsequenced), narrow(terms.buried), narrow(terms.buriedByRank),
              novel};
    }
    PromiseTerms Terms() const {
      return {home, free, aboveNext, unsequenced, buried, buriedByRank};
    }
  };
  // The kept terms of a position taken up from the postponed ones: it waits
  // with priority 0 in every order, as it did when taken up.
  static constexpr KeptTerms kTakenUp{-1, 0, 0, 0, 0, 0, false};

  struct Postponed {
    std::uint64_t layout;
    std::uint64_t key;
    Node reached;
  };
  static constexpr std::uint32_t kStart = 0;
  static constexpr std::uint64_t kTurnLength = 1024;

  std::uint64_t Key() {
    const std::uint64_t key = hasher_.Key(work_);
    return shuffles_ ? Mix(key, work_.random.State()) : key;
  }

  // Where every card lies, and nothing else: enough to tell a position that
  // puts the cards back as they lay earlier, even where the automatic events
  // keep their own settings otherwise than at the deal.
  static std::uint64_t LayoutOf(const SolGame& game) {
    std::uint64_t layout = 0x1A7;
    for (const CardState& card : game.cards) layout = Mix(layout, card.pile << 16 | card.position);
    return layout;
  }

  // The card layouts the game passed through before the position searched
  // from. A line back to one of them would lead the player back the way they
  // came, so such positions are searched last: only when nothing else is left.
  void NoteEarlierLayouts() {
    earlier_.clear();
    postponed_.clear();
    SolGame earlier = work_;
    while (UndoMove(earlier)) earlier_.push_back(LayoutOf(earlier));
    std::sort(earlier_.begin(), earlier_.end());
    earlier_.erase(std::unique(earlier_.begin(), earlier_.end()), earlier_.end());
    // A game back where it was before: that layout is the start, not behind it.
    const auto here = std::lower_bound(earlier_.begin(), earlier_.end(), LayoutOf(work_));
    if (here != earlier_.end() && *here == LayoutOf(work_)) earlier_.erase(here);
  }
  bool IsEarlierLayout(std::uint64_t layout) const {
    return std::binary_search(earlier_.begin(), earlier_.end(), layout);
  }
  // Notes the first move met into each position with an earlier layout, for
  // later.
  void Postpone(std::uint64_t layout, std::uint64_t key, const Node& reached) {
    for (const Postponed& waiting : postponed_) {
      if (waiting.key == key) return;
    }
    postponed_.push_back({layout, key, reached});
  }
  // Makes the postponed positions the ones waiting; answers false when the
  // table is full.
  bool TakeUpPostponed() {
    for (const Postponed& waiting : postponed_) {
      const auto earlier = std::lower_bound(earlier_.begin(), earlier_.end(), waiting.layout);
      if (earlier != earlier_.end() && *earlier == waiting.layout) earlier_.erase(earlier);
      const TranspositionTable::Insert added = table_.Add(waiting.key);
      if (added == TranspositionTable::Insert::kFull) return false;
      if (added == TranspositionTable::Insert::kPresent) continue;
      nodesMet_.push_back(waiting.reached);
      expanded_.push_back(false);
      if (firstTry_) {
        keptTerms_.push_back(kTakenUp);
        keysMet_.push_back(waiting.key);
        movesMade_.push_back({waiting.reached.parent, waiting.key});
      }
      for (Order& order : orders_) {
        order.waiting.push({0, static_cast<std::uint32_t>(nodesMet_.size() - 1)});
      }
    }
    postponed_.clear();
    return true;
  }

  SolveResult Finish(SolveVerdict verdict, std::vector<MoveReference> moves = {}) {
    GoTo(kStart);
    SolveResult result;
    result.verdict = verdict == SolveVerdict::kUnwinnable && hasher_.FanMattered()
                         ? SolveVerdict::kUndecided
                         : verdict;
    result.moves = std::move(moves);
    result.nodes = Nodes();
    result.seconds = Elapsed();
    return result;
  }

  // An order met a position the first try expanded: the positions its moves
  // lead to wait in that order now, ranked by their kept terms, as if the
  // order had expanded it itself.
  void Replay(Order& order, std::uint32_t node) {
    if (node >= order.replayed.size() || order.replayed[node]) return;
    order.replayed[node] = true;
    for (std::uint32_t i = graphStart_[node]; i < graphStart_[node + 1]; ++i) {
      const std::uint32_t next = graph_[i];
      const KeptTerms& kept = keptTerms_[next];
      const bool takenUp = kept.home == kTakenUp.home;
      order.waiting.push(
          {takenUp ? 0 : order.Priority(kept.Terms(), kept.novel, nodesMet_[next].depth), next});
    }
  }

  // Seconds on the clock the limits name.
  double Now() const {
    if (limits_.processorTime) {
      timespec now{};
      clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
      return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
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

  // The node budget is the caller's: see Go.
  bool OutOfBudget() {
    if (limits_.maxMemoryBytes != 0) {
      std::size_t bytes = nodesMet_.size() * sizeof(Node) + expanded_.size() / 8 +
                          keptTerms_.size() * sizeof(KeptTerms) +
                          keysMet_.size() * sizeof(std::uint64_t) +
                          movesMade_.size() * sizeof(MoveMade) +
                          (graphStart_.size() + graph_.size()) * sizeof(std::uint32_t);
      for (const Order& order : orders_) {
        bytes += order.waiting.size() * sizeof(Waiting) + order.replayed.size() / 8;
      }
      if (bytes > limits_.maxMemoryBytes) return true;
    }
    if (nodes_ % kClockInterval == 0) {
      if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) return true;
      if (stop_ != nullptr && stop_->load(std::memory_order_relaxed)) return true;
      if (limits_.maxSeconds > 0 && Elapsed() >= limits_.maxSeconds) return true;
    }
    if (reports_ && progress_ && nodes_ % kProgressInterval == 0) progress_(Nodes() + besideNodes_);
    return false;
  }

  // Brings the working copy to the position of `node`: back through the
  // journal to the last position its line shares with the current one, then
  // forward along its line.
  void GoTo(std::uint32_t node) {
    line_.clear();
    std::uint32_t shared = node;
    while (!OnPath(shared)) {
      line_.push_back(shared);
      shared = nodesMet_[shared].parent;
    }
    const std::size_t depth = nodesMet_[shared].depth;
    if (path_.size() > depth + 1) {
      TakeBack(marks_[depth]);
      path_.resize(depth + 1);
      marks_.resize(depth);
    }
    for (auto n = line_.rbegin(); n != line_.rend(); ++n) {
      marks_.push_back(Mark());
      PerformPlayerMove(work_, nodesMet_[*n].move, nullptr);
      path_.push_back(*n);
    }
  }

  bool OnPath(std::uint32_t node) const {
    const std::uint32_t depth = nodesMet_[node].depth;
    return depth < path_.size() && path_[depth] == node;
  }

  // Whether the move puts a card on an empty pile alike to an empty pile the
  // same card was moved to before from this position: the two positions are
  // one up to interchangeable piles, so the table would turn the second away.
  bool MirrorsAnEarlierMove(const MoveReference& move) {
    if (move.IsTap() || move.destination >= work_.piles.size() ||
        work_.piles[move.destination].count != 0) {
      return false;
    }
    const std::vector<std::uint16_t>& classes = hasher_.PileClasses();
    if (move.destination >= classes.size()) return false;
    for (const MoveReference& earlier : emptyTried_) {
      if (earlier.source == move.source && classes[earlier.destination] == classes[move.destination] &&
          SameSettings(work_.piles[earlier.destination], work_.piles[move.destination])) {
        return true;
      }
    }
    emptyTried_.push_back(move);
    return false;
  }

  // The settings of two piles that the position key reads.
  static bool SameSettings(const PileState& a, const PileState& b) {
    return a.count == b.count && SameSettingsApartFromCards(a, b);
  }

  // The pile the move into `node` took its cards from, where that move did
  // nothing else and came from a position reached by a move: a move taking
  // it back leads to the parent position again (see ReturningMoves).
  // Precondition: the working copy stands at `node`.
  std::optional<std::uint16_t> CardsOnlyMovedInto(std::uint32_t node) const {
    if (node == kStart || nodesMet_[node].parent == kStart || !work_.journal) return std::nullopt;
    return ReturningMoves::CardsOnlyMoved(*work_.journal, marks_.back().journalLength);
  }

  std::vector<MoveReference> LineTo(std::uint32_t node) const {
    std::vector<MoveReference> moves;
    for (std::uint32_t n = node; n != kStart; n = nodesMet_[n].parent) {
      moves.push_back(nodesMet_[n].move);
    }
    std::reverse(moves.begin(), moves.end());
    return moves;
  }

  SolGame work_;
  PositionHasher hasher_;
  PositionPromise promise_;
  PositionNovelty novelty_;
  SafeHomeMoves safeHome_;
  ReturningMoves returning_;
  TranspositionTable table_;
  SolveLimits limits_;
  const std::atomic<bool>* cancel_;
  const std::atomic<bool>* stop_ = nullptr;
  const SolveProgress& progress_;
  bool reports_ = true;
  bool shuffles_;
  double start_;
  Ordering firstOrder_;  // the first try's
  std::uint64_t nodes_ = 0;
  std::uint64_t nodesBefore_ = 0;  // nodes_ when this search began
  std::uint64_t besideNodes_ = 0;
  std::vector<Node> nodesMet_;
  std::vector<bool> expanded_;  // per node met
  std::vector<Order> orders_;
  bool firstTry_ = true;            // only the first try's judgement orders the search so far
  bool noteNovelty_ = true;         // whether an order, now or later, asks what is new
  std::vector<KeptTerms> keptTerms_;  // per node met during the first try
  // Whether buried cards counted by rank differed from the count in the
  // foundations' order in a position the first try met.
  bool ranksBuryOtherwise_ = false;
  // During the first try: per node met its key, and each move made from a
  // node expanded to a position met, new or not, by the key it led to.
  struct MoveMade {
    std::uint32_t from;
    std::uint64_t key;
  };
  std::vector<std::uint64_t> keysMet_;
  std::vector<MoveMade> movesMade_;
  // Afterwards, the same moves between nodes: from node n they lead to
  // graph_[graphStart_[n]] .. graph_[graphStart_[n + 1] - 1].
  std::vector<std::uint32_t> graphStart_;
  std::vector<std::uint32_t> graph_;
  std::uint64_t turn_ = 0;  // positions taken from the orders so far: says whose turn it is
  std::vector<std::uint32_t> path_;  // the nodes from the start to the working copy's position
  std::vector<Undo> marks_;          // marks_[i]: the position of path_[i]
  std::vector<std::uint32_t> line_;  // scratch
  std::vector<MoveReference> emptyTried_;  // scratch: moves onto empty piles from this node
  std::vector<std::uint64_t> earlier_;     // sorted layouts of the game's earlier positions
  std::vector<Postponed> postponed_;       // earlier layouts met, not yet waiting
};

void Searcher::TakeTurns(std::span<const Ordering> orderings) {
  firstTry_ = false;
  const auto met = static_cast<std::uint32_t>(nodesMet_.size());
  std::vector<std::pair<std::uint64_t, std::uint32_t>> byKey(met);
  for (std::uint32_t n = 0; n < met; ++n) byKey[n] = {keysMet_[n], n};
  keysMet_ = {};
  std::sort(byKey.begin(), byKey.end());
  // Each move the first try made, to the node it led to; a move to a
  // position an earlier search of this searcher met is left out: that
  // position is dead.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> moves;
  moves.reserve(movesMade_.size());
  for (const MoveMade& made : movesMade_) {
    const auto found = std::lower_bound(byKey.begin(), byKey.end(),
                                        std::pair<std::uint64_t, std::uint32_t>{made.key, 0});
    if (found != byKey.end() && found->first == made.key) {
      moves.push_back({made.from, found->second});
    }
  }
  movesMade_ = {};
  graphStart_.assign(met + 1, 0);
  for (const auto& move : moves) ++graphStart_[move.first + 1];
  for (std::uint32_t n = 0; n < met; ++n) graphStart_[n + 1] += graphStart_[n];
  graph_.resize(moves.size());
  std::vector<std::uint32_t> next(graphStart_.begin(), graphStart_.end() - 1);
  for (const auto& move : moves) graph_[next[move.first]++] = move.second;

  orders_.clear();
  for (const Ordering& by : orderings) {
    if (by.weights.buriedByRank != 0 && !ranksBuryOtherwise_) continue;
    orders_.push_back({by, {}, std::vector<bool>(met, false)});
    orders_.back().waiting.push({0, kStart});
  }
  turn_ = 0;
  noteNovelty_ = std::any_of(orderings.begin(), orderings.end(),
                             [](const Ordering& by) { return by.novel != 0; });
}

std::optional<SolveResult> Searcher::Begin() {
  nodesBefore_ = nodes_;
  besideNodes_ = 0;
  nodesMet_.assign(1, Node{kStart, 0, {}});
  expanded_.assign(1, false);
  orders_.assign(1, Order{firstOrder_, {}, {}});
  firstTry_ = true;
  noteNovelty_ = true;
  keptTerms_.assign(1, KeptTerms{});
  ranksBuryOtherwise_ = false;
  keysMet_.clear();
  movesMade_.clear();
  graphStart_.clear();
  graph_.clear();
  turn_ = 0;
  path_.assign(1, kStart);
  marks_.clear();
  if (work_.won != 0) return Finish(SolveVerdict::kWinnable);
  // Nothing dealt: there is no position to decide.
  if (!work_.HasPlayState()) return Finish(SolveVerdict::kUndecided);
  keysMet_.push_back(Key());
  switch (table_.Add(keysMet_.back())) {
    case TranspositionTable::Insert::kPresent:
      return Finish(SolveVerdict::kUnwinnable);
    case TranspositionTable::Insert::kFull:
      return Finish(SolveVerdict::kUndecided);
    case TranspositionTable::Insert::kAdded:
      break;
  }
  NoteEarlierLayouts();
  for (Order& order : orders_) order.waiting.push({0, kStart});
  return std::nullopt;
}

std::optional<SolveResult> Searcher::Go(std::uint64_t pauseAt) {
  while (true) {
    // Each order gives kTurnLength positions in a row: a search that jumped
    // to another part of the tree at every position would spend its time
    // going there through the journal.
    // Every position waiting waits in every order (or is reached by it
    // through Replay), so an order without one not yet expanded means none
    // is left.
    Order& current = orders_[turn_ / kTurnLength % orders_.size()];
    std::priority_queue<Waiting>& waiting = current.waiting;
    ++turn_;
    while (!waiting.empty() && expanded_[waiting.top().node]) {
      const std::uint32_t passed = waiting.top().node;
      waiting.pop();
      Replay(current, passed);
    }
    if (waiting.empty()) {
      if (postponed_.empty()) break;
      if (!TakeUpPostponed()) return Finish(SolveVerdict::kUndecided);
      continue;
    }
    if (OutOfBudget()) return Finish(SolveVerdict::kUndecided);
    if (FirstTryDone()) return std::nullopt;
    if (Nodes() >= pauseAt) {
      --turn_;  // the same order's turn again when the search goes on
      return std::nullopt;
    }
    const std::uint32_t node = waiting.top().node;
    waiting.pop();
    expanded_[node] = true;
    GoTo(node);
    ++nodes_;
    emptyTried_.clear();
    // A move that sends a card home safely is never worse than the others,
    // so it is the position's only successor.
    const std::vector<MoveReference> legal = ListMoves(work_);
    const std::optional<MoveReference> safe =
        limits_.safeHomeMoves ? safeHome_.Find(work_, legal) : std::nullopt;
    const std::optional<std::uint16_t> cameFrom = CardsOnlyMovedInto(node);
    for (const MoveReference& move : safe ? std::span(&*safe, 1) : std::span(legal)) {
      if (MirrorsAnEarlierMove(move)) continue;
      // Moves back to a position met are passed over unmade. The first try
      // still notes a move back to the parent, for the orders that replay
      // it; a move to the same position again would lead them nowhere.
      if (node != kStart && returning_.KeepsPosition(work_, move)) continue;
      if (cameFrom && returning_.TakesBack(move, nodesMet_[node].move, *cameFrom)) {
        if (firstTry_) movesMade_.push_back({node, keysMet_[nodesMet_[node].parent]});
        continue;
      }
      const Undo mark = Mark();
      if (!PerformPlayerMove(work_, move, nullptr)) continue;
      if (work_.won != 0) {
        TakeBack(mark);
        std::vector<MoveReference> line = LineTo(node);
        line.push_back(move);
        return Finish(SolveVerdict::kWinnable, std::move(line));
      }
      const std::uint64_t key = Key();
      if (!earlier_.empty()) {
        const std::uint64_t layout = LayoutOf(work_);
        if (IsEarlierLayout(layout)) {
          Postpone(layout, key, {node, nodesMet_[node].depth + 1, move});
          TakeBack(mark);
          continue;
        }
      }
      const TranspositionTable::Insert added = table_.Add(key);
      if (firstTry_ && added != TranspositionTable::Insert::kFull) {
        movesMade_.push_back({node, key});
        if (added == TranspositionTable::Insert::kAdded) keysMet_.push_back(key);
      }
      if (added == TranspositionTable::Insert::kAdded) {
        const Node reached{node, nodesMet_[node].depth + 1, move};
        nodesMet_.push_back(reached);
        expanded_.push_back(false);
        const PromiseTerms terms = promise_.Terms(work_);
        const bool novel = noteNovelty_ && novelty_.Note(work_, terms.home);
        if (firstTry_) {
          keptTerms_.push_back(KeptTerms::Of(terms, novel));
          ranksBuryOtherwise_ = ranksBuryOtherwise_ || terms.buriedByRank != terms.buried;
        }
        const auto index = static_cast<std::uint32_t>(nodesMet_.size() - 1);
        for (Order& order : orders_) {
          order.waiting.push({order.Priority(terms, novel, reached.depth), index});
        }
      }
      TakeBack(mark);
      if (added == TranspositionTable::Insert::kFull) return Finish(SolveVerdict::kUndecided);
    }
  }
  return Finish(SolveVerdict::kUnwinnable);
}

// The turns taken beside the first search, on a thread of their own or, on
// one thread, each after the first search's: the fresh tries (kFreshTries),
// one after another, then the second search.
class TurnsBeside {
 public:
  // `start` is the position searched from.
  TurnsBeside(const SolGame& start, const SolveLimits& limits, const std::atomic<bool>* cancel,
              const std::atomic<bool>* stop)
      : start_(start), limits_(limits), cancel_(cancel), stop_(stop) {}

  // The second search, which takes the turns once the fresh tries are done.
  void BeginSecond(Searcher& second) {
    second_ = &second;
    secondFrom_ = second.Nodes();
  }
  // Whether the fresh tries are done and the second search is yet to come.
  bool AwaitsSecond() const { return !fresh_ && tried_ >= kFreshTries && second_ == nullptr; }
  // The time the turns beside have taken so far, on the clock the limits name.
  double Elapsed() const { return second_ != nullptr ? second_->Elapsed() : elapsed_; }

  // Takes a turn of at most `positions` positions, on the thread that is to
  // take every turn; `firstNodes` are the positions the first search has
  // expanded. Answers a verdict that settles the position.
  // Before the second search has begun (BeginSecond), a turn past the fresh
  // tries does nothing.
  std::optional<SolveResult> Take(std::uint64_t positions, std::uint64_t firstNodes) {
    if (!fresh_ && tried_ < kFreshTries) {
      fresh_.emplace(start_, limits_, cancel_, silent_, FreshTryWeights(tried_++));
      if (std::optional<SolveResult> settled = fresh_->Begin()) {
        fresh_.reset();
        if (settled->verdict != SolveVerdict::kUndecided) return settled;
        return std::nullopt;
      }
      // Its time counts on from the turns taken beside so far, on the same thread.
      fresh_->GoOnBeside(stop_, Elapsed());
    }
    if (fresh_) {
      std::optional<SolveResult> settled =
          fresh_->Go(std::min(fresh_->Nodes() + positions, kFreshTryPositions));
      if (settled && settled->verdict != SolveVerdict::kUndecided) return settled;
      if (settled || fresh_->Nodes() >= kFreshTryPositions) {
        freshNodes_ += fresh_->Nodes();
        elapsed_ = fresh_->Elapsed();
        fresh_.reset();
      }
      return std::nullopt;
    }
    if (second_ == nullptr) return std::nullopt;
    second_->ReportBeside(firstNodes - secondFrom_ + freshNodes_);
    return second_->Go(second_->Nodes() + positions);
  }

  // The positions expanded beside the first search so far.
  std::uint64_t Nodes() const {
    return (second_ != nullptr ? second_->Nodes() - secondFrom_ : 0) + freshNodes_ +
           (fresh_ ? fresh_->Nodes() : 0);
  }

 private:
  Searcher* second_ = nullptr;
  SolGame start_;
  SolveLimits limits_;
  const std::atomic<bool>* cancel_;
  const std::atomic<bool>* stop_;
  std::uint64_t secondFrom_ = 0;
  double elapsed_ = 0;    // the time the fresh tries ended so far took
  SolveProgress silent_;  // the first search reports for all
  std::size_t tried_ = 0;
  std::optional<Searcher> fresh_;  // the fresh try under way
  std::uint64_t freshNodes_ = 0;   // positions the fresh tries ended so far expanded
};

// The search callers get: one Searcher for the first try and, past it, the
// first search going on with the orders of kTakingTurns, taking turns with
// those beside it (TurnsBeside) until one settles the position. The node
// budget counts the positions all of them expanded, the first try's once;
// each keeps half the memory budget. The turns beside may be taken on a
// thread of their own (SolveLimits::secondThread).
class TwoSearches {
 public:
  TwoSearches(const SolGame& game, const SolveLimits& limits, const std::atomic<bool>* cancel,
              const SolveProgress& progress)
      : budget_(limits.maxNodes == 0 ? kNoBudget : limits.maxNodes),
        secondThread_(limits.secondThread),
        limits_(HalfTheMemory(limits)),
        cancel_(cancel),
        first_(game, limits_, cancel, progress) {}

  // Searches from the current position of Work(), which it leaves there.
  // Positions left in the tables by an earlier exhaustive search are known
  // dead and stay.
  SolveResult Run() { return secondThread_ && budget_ == kNoBudget ? RunApart() : RunInTurns(); }

  SolGame& Work() { return first_.Work(); }

 private:
  static SolveLimits HalfTheMemory(SolveLimits limits) {
    // Zero stands for no limit.
    if (limits.maxMemoryBytes != 0) {
      limits.maxMemoryBytes = std::max<std::size_t>(limits.maxMemoryBytes / 2, 1);
    }
    return limits;
  }

  static constexpr std::uint64_t kNoBudget = ~std::uint64_t{0};

  // Past the first try, the first search and the turns beside it take turns
  // of kSearchTurn positions each, so that the positions each expands, and
  // so the answer, come out the same on one thread or two.
  SolveResult RunInTurns();
  // Without a node budget nothing has to come out the same from run to run,
  // so on two threads the turns beside go on from the start, and neither
  // thread waits for the other: in the rounds of RunInTurns the thread whose
  // search costs less per position waits for the other's, and the thread
  // beside would wait out the first try. The first try's answer still comes
  // first, so a deal it settles gets its short line every time.
  SolveResult RunApart();

  std::uint64_t budget_;
  bool secondThread_;
  SolveLimits limits_;
  const std::atomic<bool>* cancel_;
  Searcher first_;
};

SolveResult TwoSearches::RunInTurns() {
  if (std::optional<SolveResult> settled = first_.Begin()) return *settled;
  if (std::optional<SolveResult> settled = first_.Go(budget_)) return *settled;
  if (!first_.FirstTryDone()) return first_.Abandon();
  // The second search starts where the first try ended, with all it met;
  // the fresh tries beside it, from where the first began.
  Searcher second(first_);
  first_.TakeTurns(kTakingTurns);
  second.TakeTurns(kSeekingNovelty);
  std::atomic<bool> stopBeside{false};
  TurnsBeside beside(first_.AtStart(), limits_, cancel_, &stopBeside);
  beside.BeginSecond(second);
  // The time reported is the longer of the two threads': with processor
  // time, each thread counts its own.
  const auto settle = [&](SolveResult result, std::uint64_t besideNodes) {
    result.nodes = first_.Nodes() + besideNodes;
    result.seconds = std::max(result.seconds, first_.Elapsed());
    return result;
  };
  std::optional<SolveResult> besideSettled;
  std::optional<TurnThread> thread;
  if (secondThread_) {
    thread.emplace();
    // Started on its own thread, which counts its own processor time.
    thread->Start([&, elapsed = first_.Elapsed()] { second.GoOnBeside(&stopBeside, elapsed); });
    thread->Wait();
  }
  // In each round the first search takes its turn and then the turn beside
  // it, or both at once on two threads. The first's verdict in a round
  // counts before the other's, so that two threads answer as one does.
  while (true) {
    const std::uint64_t besideBefore = beside.Nodes();
    const std::uint64_t left = budget_ - (first_.Nodes() + besideBefore);
    const std::uint64_t firstTurn = std::min(kSearchTurn, left);
    const std::uint64_t besideTurn = std::min(kSearchTurn, left - firstTurn);
    if (firstTurn == 0) return settle(first_.Abandon(), besideBefore);
    const auto turnBeside = [&beside, &besideSettled, besideTurn](std::uint64_t firstNodes) {
      besideSettled = beside.Take(besideTurn, firstNodes);
    };
    if (thread && besideTurn != 0) {
      thread->Start([&turnBeside, firstNodes = first_.Nodes()] { turnBeside(firstNodes); });
    }
    first_.ReportBeside(besideBefore);
    if (std::optional<SolveResult> settled = first_.Go(first_.Nodes() + firstTurn)) {
      if (thread) {
        stopBeside = true;
        thread->Wait();
      }
      return settle(*std::move(settled), besideBefore);
    }
    if (besideTurn == 0) return settle(first_.Abandon(), besideBefore);
    if (thread) {
      thread->Wait();
    } else {
      turnBeside(first_.Nodes());
    }
    if (besideSettled) {
      // The first search's working copy goes back to where it began.
      first_.Abandon();
      return settle(*std::move(besideSettled), beside.Nodes());
    }
  }
}

SolveResult TwoSearches::RunApart() {
  // Each thread looks this often (in positions it expands) whether the other
  // has settled the position, and the thread beside tells the first how
  // many it has expanded, for the progress reported.
  constexpr std::uint64_t kLookBeside = 1024;
  if (std::optional<SolveResult> settled = first_.Begin()) return *settled;
  std::atomic<bool> stopBeside{false};
  TurnsBeside beside(first_.AtStart(), limits_, cancel_, &stopBeside);
  std::atomic<std::uint64_t> besideNodes{0};
  std::atomic<bool> besideEnded{false};
  std::optional<SolveResult> besideResult;  // written before besideEnded is set
  // The second search, handed to the thread beside at the end of the first try.
  std::optional<Searcher> second;
  std::mutex handing;
  std::condition_variable handed;
  bool secondReady = false;
  bool closing = false;

  TurnThread thread;
  // Stops the thread beside. It runs on every way out of here, an exception
  // included, before the thread ends: the thread waits for its job to end,
  // and the job for the second search or for this.
  const auto stop = [&] {
    stopBeside = true;
    {
      const std::lock_guard lock(handing);
      closing = true;
    }
    handed.notify_all();
  };
  struct StopOnLeaving {
    const decltype(stop)& stopping;
    ~StopOnLeaving() { stopping(); }
  } stopOnLeaving{stop};
  thread.Start([&] {
    while (!stopBeside.load(std::memory_order_relaxed)) {
      if (beside.AwaitsSecond()) {
        std::unique_lock lock(handing);
        handed.wait(lock, [&] { return secondReady || closing; });
        if (closing) break;
        lock.unlock();
        second->GoOnBeside(&stopBeside, beside.Elapsed());
        beside.BeginSecond(*second);
      }
      std::optional<SolveResult> settled = beside.Take(kLookBeside, 0);
      besideNodes = beside.Nodes();
      if (settled) {
        besideResult = std::move(settled);
        besideEnded = true;
        break;
      }
    }
  });
  const auto besideSettled = [&] {
    return besideEnded.load() && besideResult->verdict != SolveVerdict::kUndecided;
  };
  // Stops the thread beside; its answer where it settled the position and
  // the caller has not cancelled the search since, else `result`.
  const auto finish = [&](SolveResult result) {
    stop();
    thread.Wait();
    const bool cancelled = cancel_ != nullptr && cancel_->load();
    if (!cancelled && result.verdict == SolveVerdict::kUndecided && besideSettled()) {
      result = *std::move(besideResult);
    }
    result.nodes = first_.Nodes() + beside.Nodes();
    result.seconds = std::max(result.seconds, first_.Elapsed());
    return result;
  };
  while (true) {
    first_.ReportBeside(besideNodes);
    if (std::optional<SolveResult> settled = first_.Go(first_.Nodes() + kLookBeside)) {
      return finish(*std::move(settled));
    }
    // An answer beside counts only once the first try has ended.
    if (!second && !first_.FirstTryDone()) continue;
    if (besideSettled()) return finish(first_.Abandon());
    if (!second) {
      second.emplace(first_);
      first_.TakeTurns(kTakingTurns);
      second->TakeTurns(kSeekingNovelty);
      {
        const std::lock_guard lock(handing);
        secondReady = true;
      }
      handed.notify_all();
    }
  }
}

}  // namespace

bool SamePosition(const SolGame& a, const SolGame& b) {
  return a.HasPlayState() && b.HasPlayState() && a.cards == b.cards && a.piles == b.piles &&
         a.counters == b.counters && a.allowedMoves == b.allowedMoves && a.won == b.won &&
         a.random == b.random && a.journal->Count() == b.journal->Count();
}

PositionHasher::PositionHasher(const GameDefinition& definition)
    : classes_(InterchangeablePileClasses(definition)) {
  // The rules see a card only as its suit and rank, so the twins of a game
  // with two decks are one card to the key.
  kinds_ = KindsOfCards(definition).kindOf;
  fanMixed_.assign(classes_.size(), false);
  for (std::size_t p = 0; p < classes_.size(); ++p) {
    for (std::size_t q = 0; q < classes_.size(); ++q) {
      if (classes_[q] == classes_[p] &&
          (definition.piles[p].fan == 0) != (definition.piles[q].fan == 0)) {
        fanMixed_[p] = true;
      }
    }
  }
}

std::uint64_t PositionHasher::Key(const SolGame& game) {
  const std::size_t pileCount = game.piles.size();
  std::uint64_t key = Mix(0x5EED, game.won);
  // A card that changed marks the pile it left and the pile it lies on; a
  // state of another shape is hashed whole.
  const bool sameShape = keyedCards_.size() == game.cards.size() && keyedPiles_.size() == pileCount;
  changed_.assign(pileCount, !sameShape);
  if (sameShape) {
    for (std::size_t c = 0; c < game.cards.size(); ++c) {
      const CardState& before = keyedCards_[c];
      const CardState& now = game.cards[c];
      if (std::bit_cast<std::uint64_t>(before) == std::bit_cast<std::uint64_t>(now)) continue;
      if (before.pile < pileCount) changed_[before.pile] = true;
      if (now.pile < pileCount) changed_[now.pile] = true;
    }
    for (std::size_t p = 0; p < pileCount; ++p) {
      if (std::memcmp(&keyedPiles_[p], &game.piles[p], sizeof(PileState)) != 0) changed_[p] = true;
    }
  } else {
    classHashes_.clear();
    for (std::size_t p = 0; p < pileCount; ++p) {
      const std::uint16_t leader = p < classes_.size() ? classes_[p] : static_cast<std::uint16_t>(p);
      if (leader != p) continue;
      PileClassHashes& pileClass = classHashes_.emplace_back();
      pileClass.leader = leader;
      for (std::size_t q = p; q < pileCount; ++q) {
        if ((q < classes_.size() ? classes_[q] : q) == p) {
          pileClass.piles.push_back(static_cast<std::uint16_t>(q));
        }
      }
    }
  }
  keyedCards_ = game.cards;
  keyedPiles_ = game.piles;
  pileHashes_.resize(pileCount);
  placedOnPile_.resize(pileCount);
  std::size_t placed = 0;
  for (std::size_t p = 0; p < pileCount; ++p) {
    if (!changed_[p]) {
      placed += placedOnPile_[p];
      continue;
    }
    const PileState& pile = game.piles[p];
    // The fan stays as dealt, and piles alike agree on it but where it does
    // not matter.
    if (pile.count > 1 && p < fanMixed_.size() && fanMixed_[p]) fanMattered_ = true;
    std::uint64_t hash = Mix(pile.count, pile.shown | pile.enabled << 8);
    hash = Mix(hash, pile.acceptProgram | pile.pickProgram << 16 |
                         static_cast<std::uint64_t>(pile.manualOpen) << 32);
    hash = Mix(hash, pile.baseRank | static_cast<std::uint64_t>(pile.baseSuit) << 32);
    std::uint32_t placedHere = 0;
    for (const std::uint16_t card : CardsOfPile(game, static_cast<std::uint16_t>(p))) {
      if (card != kNoReference) ++placedHere;
      std::uint64_t value = card < kinds_.size() ? kinds_[card] : card;
      if (card < game.cards.size()) {
        const CardState& state = game.cards[card];
        value |= static_cast<std::uint64_t>(state.faceUp) << 16 |
                 static_cast<std::uint64_t>(state.movable) << 24 |
                 static_cast<std::uint64_t>(state.open) << 32;
      }
      hash = Mix(hash, value);
    }
    pileHashes_[p] = hash;
    placedOnPile_[p] = placedHere;
    placed += placedHere;
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
  // Interchangeable piles count as a set: their hashes are combined in sorted
  // order, under the number of their class.
  for (PileClassHashes& pileClass : classHashes_) {
    const bool classChanged = std::any_of(pileClass.piles.begin(), pileClass.piles.end(),
                                          [&](std::uint16_t pile) { return changed_[pile]; });
    if (classChanged) {
      pileClass.sorted.clear();
      for (const std::uint16_t pile : pileClass.piles) pileClass.sorted.push_back(pileHashes_[pile]);
      std::sort(pileClass.sorted.begin(), pileClass.sorted.end());
    }
    key = Mix(key, pileClass.leader);
    for (const std::uint64_t hash : pileClass.sorted) key = Mix(key, hash);
  }
  for (const CounterState& counter : game.counters) {
    key = Mix(key, counter.value | counter.exhaustedEvent << 16);
  }
  for (const MovePair& route : game.allowedMoves) key = Mix(key, route.source << 16 | route.destination);
  return key;
}

bool SecondCoreFree() { return std::thread::hardware_concurrency() >= 2; }

SolveResult Solve(const SolGame& game, const SolveLimits& limits, const std::atomic<bool>* cancel,
                  const SolveProgress& progress) {
  return TwoSearches(game, limits, cancel, progress).Run();
}

PositionAssessment AssessPosition(const SolGame& game, const SolveLimits& limits,
                                  const std::atomic<bool>* cancel, const SolveProgress& progress) {
  PositionAssessment assessment;
  TwoSearches searcher(game, limits, cancel, progress);
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
