#include "engine/rules/automatic_events.h"

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

#include "engine/model/dealer.h"
#include "engine/rules/actions.h"
#include "engine/rules/legality.h"

namespace cw {

namespace {

bool IsKind(const SolGame& game, std::size_t event, EventKind kind) {
  return game.definition.eventKinds[event] == static_cast<std::uint8_t>(kind);
}

// The answers of conditions while the piles they read stay as they are. A
// condition is a pure function of its piles' cards and its first pile's
// enabled flag, and every change of the play state during play writes a
// journal record naming the piles it changed; so the records written since an
// answer tell which answers still hold.
class ConditionAnswers {
 public:
  ConditionAnswers(const SolGame& game, const DefinitionIndex& index)
      : game_(game), index_(index), lists_(game) {
    // The storage is handed from one run of the passes to the next.
    std::vector<std::vector<std::int8_t>>& spare = SpareAnswers();
    if (!spare.empty()) {
      answers_ = std::move(spare.back());
      spare.pop_back();
    }
    answers_.assign(game.definition.conditions.size(), kUnknown);
  }
  ~ConditionAnswers() { SpareAnswers().push_back(std::move(answers_)); }
  ConditionAnswers(const ConditionAnswers&) = delete;
  ConditionAnswers& operator=(const ConditionAnswers&) = delete;

  bool AllHold(std::span<const std::uint32_t> links) {
    CatchUp();
    for (const std::uint32_t index : links) {
      const EventCondition& link = game_.definition.eventConditions[index];
      if (link.condition >= answers_.size()) return false;
      std::int8_t& answer = answers_[link.condition];
      if (answer == kUnknown) answer = LinkedConditionHolds(game_, link, lists_) ? 1 : 0;
      if (answer == 0) return false;
    }
    return true;
  }

 private:
  static constexpr std::int8_t kUnknown = -1;

  static std::vector<std::vector<std::int8_t>>& SpareAnswers() {
    thread_local std::vector<std::vector<std::int8_t>> spare;
    return spare;
  }

  void CatchUp() {
    const std::uint32_t length = game_.journal ? game_.journal->Count() : 0;
    if (length < journalLength_ || journalLength_ == kNothingSeen) {
      ForgetAll();
    } else {
      for (std::uint32_t i = journalLength_; i < length; ++i) Forget((*game_.journal)[i]);
    }
    journalLength_ = length;
  }

  void Forget(const JournalRecord& record) {
    const GameDefinition& definition = game_.definition;
    switch (static_cast<JournalType>(record.type)) {
      case JournalType::kPlayerMove:
        ForgetPile(record.index);
        ForgetPile(record.target);
        return;
      case JournalType::kAction:
        if (record.index >= definition.actions.size()) break;
        if (ForgetActionPiles(definition.actions[record.index])) return;
        break;
      case JournalType::kOpenChanged:
      case JournalType::kCounterUsed:
        return;  // no condition reads open flags or counters
    }
    ForgetAll();
  }

  // Forgets what a performed action may have changed for a condition: the
  // cards of the piles it moves between, the face of cards, and a pile's
  // enabled flag or card order. Program numbers, base ranks, the shown flag,
  // routes, counters and the won flag are read by no condition. Answers
  // false for an action of a kind it does not know.
  bool ForgetActionPiles(const ActionDef& action) {
    switch (static_cast<ActionType>(action.type)) {
      case ActionType::kMoveCards:
        ForgetPile(action.pile);
        ForgetPile(action.destPile);
        return true;
      case ActionType::kCardAttribute:
        ForgetPile(action.pile);
        return true;
      case ActionType::kPileAttribute:
        switch (static_cast<PileAttribute>(action.attribute)) {
          case PileAttribute::kShown:
          case PileAttribute::kAcceptProgram:
          case PileAttribute::kValue:
          case PileAttribute::kPickProgram:
            return true;
          case PileAttribute::kEnabled:
          case PileAttribute::kReverse:
          case PileAttribute::kShuffle:
            break;
        }
        ForgetPile(action.pile);
        return true;
      case ActionType::kDenyRoute:
      case ActionType::kAllowRoute:
      case ActionType::kGameWon:
      case ActionType::kResetCounter:
        return true;
    }
    return false;
  }

  void ForgetAll() {
    std::fill(answers_.begin(), answers_.end(), kUnknown);
    lists_.ForgetAll();
  }

  void ForgetPile(std::uint16_t pile) {
    if (pile >= index_.PileCount()) {
      // A pile the definition does not describe: no condition table covers it.
      if (pile < game_.piles.size()) ForgetAll();
      return;
    }
    lists_.Forget(pile);
    for (const std::uint32_t condition : index_.ConditionsReading(pile)) {
      answers_[condition] = kUnknown;
    }
  }

  static constexpr std::uint32_t kNothingSeen = 0xFFFFFFFF;
  const SolGame& game_;
  const DefinitionIndex& index_;
  std::vector<std::int8_t> answers_;
  PileLists lists_;
  std::uint32_t journalLength_ = kNothingSeen;
};

// Runs one automatic pass; answers whether a repeating event fired.
bool RunAutomaticPass(SolGame& game, ActionObserver* observer, const DefinitionIndex& index,
                      ConditionAnswers& answers, bool& performed) {
  bool repeat = false;
  bool groupStarted = true;
  const std::size_t eventCount = game.definition.eventKinds.size();
  for (std::size_t e = 1; e < eventCount; ++e) {
    const bool repeating = IsKind(game, e, EventKind::kRepeating);
    if (!repeating && !IsKind(game, e, EventKind::kAutomatic)) continue;
    const auto event = static_cast<std::uint16_t>(e);
    std::uint16_t counter = kNoReference;
    if (!answers.AllHold(index.ConditionLinksOf(event)) ||
        !UseCounter(game, event, groupStarted, counter, true)) {
      continue;
    }
    if (FireEventCompletely(game, event, counter, groupStarted, observer, true)) performed = true;
    if (repeating) repeat = true;
    if (game.won != 0) break;
  }
  return repeat;
}

// The move search: each legal move in the fixed order is handed to `visit`,
// which answers true to stop the search.
template <typename Visit>
void ForEachMove(const SolGame& game, Visit visit) {
  const std::size_t pileCount = std::min(game.piles.size(), game.definition.piles.size());
  PileLists tapLists(game);
  // Most piles share one tap event; its answer holds for the whole search.
  std::optional<std::uint16_t> lastEvent;
  bool lastAllows = false;
  auto tapAllowed = [&](std::uint16_t event) {
    if (event != lastEvent) {
      lastEvent = event;
      lastAllows = ConditionsHold(game, event, tapLists) && CounterAllows(game, event);
    }
    return lastAllows;
  };
  for (std::size_t p = 0; p < pileCount; ++p) {
    const auto pile = static_cast<std::uint16_t>(p);
    const PileDef& definition = game.definition.piles[p];
    std::uint16_t event = definition.emptyTapEvent;
    if (game.piles[p].count > 0) {
      const auto top = game.TopCard(pile);
      if (!top || game.cards[*top].movable == 0) continue;
      event = definition.tapEvent;
    }
    if (tapAllowed(event) && visit(MoveReference{pile, kNoReference})) return;
  }

  PositionMoveTests tests(game);
  auto cardMoves = [&](bool topCards) {
    for (std::size_t c = 0; c < game.cards.size(); ++c) {
      const CardState& state = game.cards[c];
      if (state.pile >= pileCount) continue;
      const PileState& source = game.piles[state.pile];
      const bool isTop = state.position + 1 == source.count;
      if (isTop != topCards || (!topCards && source.fan == 0)) continue;
      const auto card = static_cast<std::uint16_t>(c);
      if (source.shown == 0 || !tests.CanPickUp(card)) continue;
      for (const std::uint16_t destination : tests.Drops(card)) {
        if (visit(MoveReference{card, destination})) return true;
      }
    }
    return false;
  };
  if (cardMoves(true)) return;
  cardMoves(false);
}

}  // namespace

bool RunAutomaticEvents(SolGame& game, ActionObserver* observer) {
  bool performed = false;
  auto journalLength = [&] { return game.journal ? game.journal->Count() : 0; };
  const DefinitionIndex& index = IndexOf(game.definition);
  ConditionAnswers answers(game, index);
  for (int pass = 0; pass < kMaxAutomaticPasses; ++pass) {
    // Every change of the play state during play writes a journal record.
    const std::uint32_t before = journalLength();
    const bool repeat = RunAutomaticPass(game, observer, index, answers, performed);
    if (game.won != 0 || !repeat || journalLength() == before) break;
  }
  UpdateOpenFlags(game, true);
  return performed;
}

bool RunStartEvents(SolGame& game) {
  bool performed = false;
  bool groupStarted = true;
  const std::size_t eventCount = game.definition.eventKinds.size();
  for (std::size_t e = 1; e < eventCount && game.won == 0; ++e) {
    if (!IsKind(game, e, EventKind::kGameStart)) continue;
    const auto event = static_cast<std::uint16_t>(e);
    std::uint16_t counter = kNoReference;
    if (!ConditionsHold(game, event) || !UseCounter(game, event, groupStarted, counter, false)) {
      continue;
    }
    std::size_t cursor = 0;
    while (game.won == 0 && FireEventActions(game, event, groupStarted, cursor, nullptr, false)) {
      performed = true;
    }
  }
  UpdateOpenFlags(game, false);
  return performed;
}

void UpdateOpenFlags(SolGame& game, bool record) {
  // Runs after every move. The tables are read through local pointers: a
  // flag written through a reference could otherwise be any of them, and
  // each would be loaded again for every card.
  CardState* cards = nullptr;
  std::size_t cardCount = 0;
  const PileState* piles = nullptr;
  std::size_t pileCount = 0;
  auto readTables = [&] {
    cards = game.cards.data();
    cardCount = game.cards.size();
    piles = game.piles.data();
    pileCount = game.piles.size();
  };
  readTables();
  for (std::size_t c = 0; c < cardCount; ++c) {
    CardState& state = cards[c];
    if (state.pile >= pileCount) continue;
    const PileState& pile = piles[state.pile];
    if (pile.manualOpen != 0) continue;
    const bool isTop = state.position + 1 == pile.count;
    if (isTop == (state.open != 0)) continue;
    state.open = isTop ? 1 : 0;
    if (record) {
      JournalRecord entry;
      entry.type = static_cast<std::uint32_t>(JournalType::kOpenChanged);
      entry.index = static_cast<std::uint16_t>(c);
      game.AppendJournal(entry);
      readTables();  // in case the journal's listener changed the game
    }
  }
}

std::optional<MoveReference> FindMove(const SolGame& game, std::uint32_t n) {
  std::optional<MoveReference> found;
  std::uint32_t seen = 0;
  ForEachMove(game, [&](const MoveReference& move) {
    if (seen++ != n) return false;
    found = move;
    return true;
  });
  return found;
}

std::vector<MoveReference> ListMoves(const SolGame& game) {
  std::vector<MoveReference> moves;
  ForEachMove(game, [&](const MoveReference& move) {
    moves.push_back(move);
    return false;
  });
  return moves;
}

std::optional<MoveReference> NextHint(const SolGame& game, std::uint16_t& hintIndex) {
  std::optional<MoveReference> move = FindMove(game, hintIndex);
  std::uint16_t answered = hintIndex;
  if (!move && hintIndex != 0) {
    move = FindMove(game, 0);
    answered = 0;
  }
  if (move) hintIndex = static_cast<std::uint16_t>(answered + 1);
  return move;
}

bool StartNewGame(SolGame& game, std::uint32_t& gameNumber, std::string* error, DealOrder order) {
  if (!Deal(game, gameNumber, error, order)) return false;
  // The start events' shuffles follow the number too, so that a number names
  // one table and Restart deals it again.
  game.random.Seed(gameNumber);
  RunStartEvents(game);
  return true;
}

}  // namespace cw
