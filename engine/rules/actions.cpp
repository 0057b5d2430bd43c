#include "engine/rules/actions.h"

#include <algorithm>
#include <span>
#include <utility>
#include <vector>

#include "engine/model/card_index.h"

namespace cw {

namespace {

bool IsPile(const SolGame& game, std::uint16_t pile) { return pile < game.piles.size(); }

// A route end: a pile of the table or "any".
bool IsRouteEnd(const SolGame& game, std::uint16_t pile) {
  return pile == kNoReference || IsPile(game, pile);
}

int PileCount(const SolGame& game, std::uint16_t pile) {
  return std::max<int>(0, game.piles[pile].count);
}

void SetPileCount(SolGame& game, std::uint16_t pile, int count) {
  game.piles[pile].count = static_cast<std::int16_t>(count);
}

std::uint8_t AsFlag(std::uint16_t value) { return value != 0 ? 1 : 0; }

// Positions first..last (inclusive) of one pile; empty when last < first.
struct PositionRange {
  int first = 0;
  int last = -1;
  int Count() const { return last >= first ? last - first + 1 : 0; }
  bool Contains(int position) const { return position >= first && position <= last; }
};

// The positions an action's (mode, from, to) takes from a pile of n cards,
// cut to the cards the pile holds.
PositionRange SourceRange(std::uint8_t mode, int from, int to, int n) {
  PositionRange range;
  switch (static_cast<MoveRange>(mode)) {
    case MoveRange::kBetweenEnds:
      range = {from, n - to - 1};
      break;
    case MoveRange::kUnderTop:
      range = {std::max(0, n - to - from), n - from - 1};
      break;
    case MoveRange::kAboveBottom:
      range = {from, std::min(n - 1, from + to - 1)};
      break;
    default:
      return {};
  }
  range.last = std::min(range.last, n - 1);
  return range;
}

// The cards of a pile, index = position. Slots of a damaged pile that no card
// claims hold kNoReference.
std::vector<std::uint16_t> CardsByPosition(const SolGame& game, std::uint16_t pile) {
  std::vector<std::uint16_t> order(static_cast<std::size_t>(PileCount(game, pile)), kNoReference);
  for (std::size_t card = 0; card < game.cards.size(); ++card) {
    const CardState& state = game.cards[card];
    if (state.pile == pile && state.position < order.size()) {
      order[state.position] = static_cast<std::uint16_t>(card);
    }
  }
  return order;
}

void Report(ActionObserver* observer, const TableChange& change) {
  if (observer != nullptr) observer->TableChanged(change);
}

void PlaceInOrder(SolGame& game, const std::vector<std::uint16_t>& order) {
  for (std::size_t position = 0; position < order.size(); ++position) {
    if (order[position] != kNoReference) {
      game.cards[order[position]].position = static_cast<std::uint16_t>(position);
    }
  }
}

bool MoveCards(SolGame& game, const ActionDef& action, std::uint16_t* undoValue,
               ActionObserver* observer) {
  const std::uint16_t source = action.pile;
  const std::uint16_t destination = action.destPile;
  if (!IsPile(game, source) || !IsPile(game, destination)) return false;

  const int n = PileCount(game, source);
  int from = action.from;
  const int to = action.to;
  // A reversal puts back cards that may have been inserted at a clamped place
  // (the bottom or the top of the pile); keep its range inside the pile.
  const auto rangeMode = static_cast<MoveRange>(action.mode);
  const bool fromAnEnd = rangeMode == MoveRange::kUnderTop || rangeMode == MoveRange::kAboveBottom;
  if (undoValue == nullptr && fromAnEnd && from + to > n) {
    from = std::max(0, n - to);
  }
  const PositionRange range = SourceRange(action.mode, from, to, n);
  const int k = range.Count();

  // The insertion point always lies on the pile (0..m) as it is once the
  // range is out, so positions stay without gaps whatever the action asks for.
  const int m = destination == source ? n - k : PileCount(game, destination);
  int insertion = 0;
  switch (static_cast<MoveInsertion>(action.destMode)) {
    case MoveInsertion::kUnderTop:
      insertion = std::clamp(m - action.destIndex, 0, m);
      break;
    case MoveInsertion::kAboveBottom:
      insertion = std::clamp<int>(action.destIndex, 0, m);
      break;
    default:
      insertion = std::clamp(range.first, 0, m);
      break;
  }

  // One pass over the cards, as this runs for every move and every undo: the
  // range is taken out (each moving card remembering its place within the
  // run), the cards above it close the gap, and the destination's cards at
  // and above the insertion point make room. The list's storage is kept per
  // thread.
  thread_local std::vector<std::pair<std::uint16_t, int>> transit;
  transit.clear();
  CardState* const cards = game.cards.data();
  const std::size_t cardCount = game.cards.size();
  for (std::size_t card = 0; card < cardCount; ++card) {
    CardState& state = cards[card];
    if (state.pile == source) {
      if (range.Contains(state.position)) {
        transit.emplace_back(static_cast<std::uint16_t>(card), state.position - range.first);
        state.pile = kNoReference;
        continue;
      }
      if (state.position > range.last) {
        state.position = static_cast<std::uint16_t>(state.position - k);
      }
    }
    if (state.pile == destination && state.position >= insertion) {
      state.position = static_cast<std::uint16_t>(state.position + k);
    }
  }
  SetPileCount(game, source, n - k);

  if (undoValue != nullptr) {
    *undoValue = static_cast<std::uint16_t>(rangeMode == MoveRange::kBetweenEnds ? n : k);
  }

  for (const auto& [card, place] : transit) {
    game.cards[card].pile = destination;
    game.cards[card].position = static_cast<std::uint16_t>(insertion + place);
  }
  SetPileCount(game, destination, m + k);
  NoteCardsMoved(game, source, static_cast<std::uint16_t>(range.first),
                 static_cast<std::uint16_t>(k), destination, static_cast<std::uint16_t>(insertion));

  if (k == 0) return false;
  Report(observer, CardsMoved{source, static_cast<std::uint16_t>(range.first),
                              static_cast<std::uint16_t>(k), destination,
                              static_cast<std::uint16_t>(insertion)});
  return true;
}

void Shuffle(std::vector<std::uint16_t>& order, std::uint32_t seed, bool forward) {
  const std::size_t n = order.size();
  auto exchange = [&](std::size_t i) { std::swap(order[i], order[((i + 1) * seed) % n]); };
  if (forward) {
    for (std::size_t i = 0; i < n; ++i) exchange(i);
  } else {
    for (std::size_t i = n; i-- > 0;) exchange(i);
  }
}

bool SetPileAttribute(SolGame& game, const ActionDef& action, std::uint16_t* undoValue,
                      ActionObserver* observer) {
  if (!IsPile(game, action.pile)) return false;
  PileState& pile = game.piles[action.pile];
  const bool forward = undoValue != nullptr;
  const std::size_t programCount = game.definition.programs.size();

  auto reportValue = [&](bool changed, std::uint16_t value) {
    if (changed) {
      Report(observer,
             PileAttributeSet{action.pile, static_cast<PileAttribute>(action.attribute), value});
    }
    return changed;
  };
  // Stores a program number; a forward action naming no program of the
  // definition leaves the pile as it is.
  auto setProgram = [&](std::uint16_t& slot) {
    if (forward && action.value >= programCount) return false;
    if (forward) *undoValue = slot;
    const bool changed = slot != action.value;
    slot = action.value;
    return reportValue(changed, slot);
  };
  auto setFlag = [&](std::uint8_t& slot) {
    const std::uint8_t value = AsFlag(action.value);
    const bool changed = slot != value;
    slot = value;
    return reportValue(changed, value);
  };
  auto reorder = [&](const std::vector<std::uint16_t>& order) {
    PlaceInOrder(game, order);
    Report(observer, PileReordered{action.pile, order});
    return true;
  };

  switch (static_cast<PileAttribute>(action.attribute)) {
    case PileAttribute::kShown:
      return setFlag(pile.shown);
    case PileAttribute::kEnabled:
      return setFlag(pile.enabled);
    case PileAttribute::kReverse: {
      std::vector<std::uint16_t> order = CardsByPosition(game, action.pile);
      std::reverse(order.begin(), order.end());
      return reorder(order);
    }
    case PileAttribute::kAcceptProgram:
      return setProgram(pile.acceptProgram);
    case PileAttribute::kPickProgram:
      return setProgram(pile.pickProgram);
    case PileAttribute::kValue: {
      const std::uint16_t previous = pile.PileValue();
      if (forward) *undoValue = previous;
      pile.baseRank = action.value;
      return reportValue(previous != action.value, action.value);
    }
    case PileAttribute::kShuffle: {
      std::vector<std::uint16_t> order = CardsByPosition(game, action.pile);
      if (order.empty()) return false;
      std::uint16_t seed = action.value;
      if (forward) {
        const int first = game.random.Next();
        const int second = game.random.Next();
        seed = static_cast<std::uint16_t>((first + second) & 0xFFFF);
        *undoValue = seed;
      }
      Shuffle(order, seed, forward);
      return reorder(order);
    }
    default:
      return false;
  }
}

bool SetCardAttribute(SolGame& game, const ActionDef& action, ActionObserver* observer) {
  if (!IsPile(game, action.pile)) return false;
  std::uint8_t CardState::*flag = nullptr;
  switch (static_cast<CardAttribute>(action.attribute)) {
    case CardAttribute::kFaceUp:
      flag = &CardState::faceUp;
      break;
    case CardAttribute::kMovable:
      flag = &CardState::movable;
      break;
    case CardAttribute::kOpen:
      flag = &CardState::open;
      break;
    default:
      return false;
  }
  const PositionRange range =
      SourceRange(action.mode, action.from, action.to, PileCount(game, action.pile));
  const std::uint8_t value = AsFlag(action.value);
  bool changed = false;
  for (CardState& state : game.cards) {
    if (state.pile == action.pile && range.Contains(state.position) && state.*flag != value) {
      state.*flag = value;
      changed = true;
    }
  }
  if (changed) {
    Report(observer,
           CardsFlagged{action.pile, static_cast<std::uint16_t>(range.first),
                        static_cast<std::uint16_t>(range.Count()),
                        static_cast<CardAttribute>(action.attribute), value});
  }
  return changed;
}

bool DenyRoute(SolGame& game, std::uint16_t p, std::uint16_t q) {
  std::vector<MovePair>& routes = game.allowedMoves;
  const std::uint16_t pileCount = static_cast<std::uint16_t>(game.piles.size());
  if (p == q || pileCount < 2 || routes.empty()) return false;

  std::vector<MovePair> added;
  auto addFrom = [&](std::uint16_t source, std::uint16_t except) {
    for (std::uint16_t k = 0; k < pileCount; ++k) {
      if (k != source && k != except) added.push_back({source, k});
    }
  };
  auto addTo = [&](std::uint16_t destination, std::uint16_t except) {
    for (std::uint16_t k = 0; k < pileCount; ++k) {
      if (k != destination && k != except) added.push_back({k, destination});
    }
  };

  bool changed = false;
  for (std::size_t i = 0; i < routes.size();) {
    const MovePair route = routes[i];
    const bool anySource = route.source == kNoReference;
    const bool anyDestination = route.destination == kNoReference;
    added.clear();
    if (anySource && anyDestination) {
      if (q == kNoReference) {
        for (std::uint16_t k = 0; k < pileCount; ++k) {
          if (k != p) added.push_back({k, kNoReference});
        }
      } else if (p != kNoReference) {
        for (std::uint16_t k = 0; k < pileCount; ++k) {
          if (k != p) added.push_back({k, kNoReference});
        }
        addFrom(p, q);
      } else {
        for (std::uint16_t k = 0; k < pileCount; ++k) {
          if (k != q) added.push_back({kNoReference, k});
        }
      }
    } else if (route.source == p && anyDestination) {
      if (q != kNoReference) addFrom(p, q);
    } else if (anySource && route.destination == q) {
      if (p != kNoReference) addTo(q, p);
    } else if (!(route.source == p && route.destination == q)) {
      ++i;
      continue;
    }
    routes.erase(routes.begin() + static_cast<std::ptrdiff_t>(i));
    routes.insert(routes.end(), added.begin(), added.end());
    changed = true;
  }
  return changed;
}

bool AllowRoute(SolGame& game, std::uint16_t p, std::uint16_t q) {
  for (const MovePair& route : game.allowedMoves) {
    const bool sourceCovers = route.source == kNoReference || route.source == p;
    const bool destinationCovers = route.destination == kNoReference || route.destination == q;
    if (sourceCovers && destinationCovers) return false;
  }
  game.allowedMoves.push_back({p, q});
  return true;
}

bool ResetCounter(SolGame& game, std::uint16_t counter, std::uint16_t* undoValue,
                  ActionObserver* observer) {
  if (counter >= game.counters.size() || counter >= game.definition.counters.size()) return false;
  if (undoValue != nullptr) *undoValue = game.counters[counter].value;
  game.counters[counter].value = game.definition.counters[counter].initialValue;
  Report(observer, CounterSet{counter, game.counters[counter].value});
  return true;
}

}  // namespace

bool ExecuteAction(SolGame& game, const ActionDef& action, std::uint16_t* undoValue,
                   ActionObserver* observer) {
  switch (static_cast<ActionType>(action.type)) {
    case ActionType::kMoveCards:
      return MoveCards(game, action, undoValue, observer);
    case ActionType::kPileAttribute:
      return SetPileAttribute(game, action, undoValue, observer);
    case ActionType::kCardAttribute:
      return SetCardAttribute(game, action, observer);
    case ActionType::kDenyRoute:
    case ActionType::kAllowRoute: {
      if (!IsRouteEnd(game, action.pile) || !IsRouteEnd(game, action.destPile)) return false;
      const bool changed = static_cast<ActionType>(action.type) == ActionType::kDenyRoute
                               ? DenyRoute(game, action.pile, action.destPile)
                               : AllowRoute(game, action.pile, action.destPile);
      if (changed) Report(observer, RoutesChanged{});
      return changed;
    }
    case ActionType::kGameWon:
      // The previous flag lets undo take a win back exactly.
      if (undoValue != nullptr) *undoValue = game.won;
      game.won = 1;
      Report(observer, WonSet{game.won});
      return true;
    case ActionType::kResetCounter:
      return ResetCounter(game, action.pile, undoValue, observer);
  }
  return false;
}

namespace {

bool IsEvent(const SolGame& game, std::uint16_t event) {
  return event < game.definition.eventKinds.size();
}

void AppendGroupRecord(SolGame& game, JournalRecord record, bool& groupStarted) {
  record.groupStart = groupStarted ? 0 : 1;
  groupStarted = true;
  game.AppendJournal(record);
}

// FireEventActions with the definition's index found by the caller.
bool FireIndexedActions(SolGame& game, const DefinitionIndex& index, std::uint16_t event,
                        bool& groupStarted, std::size_t& cursor, ActionObserver* observer,
                        bool record) {
  const std::vector<EventAction>& links = game.definition.eventActions;
  if (!IsEvent(game, event)) {
    cursor = links.size();
    return false;
  }
  const std::span<const std::uint32_t> ofEvent = index.ActionLinksOf(event);
  for (auto at = std::lower_bound(ofEvent.begin(), ofEvent.end(), cursor); at != ofEvent.end();
       ++at) {
    const EventAction& link = links[*at];
    if (link.action >= game.definition.actions.size()) continue;
    std::uint16_t undoValue = 0;
    if (!ExecuteAction(game, game.definition.actions[link.action], &undoValue, observer)) continue;
    if (record) {
      JournalRecord entry;
      entry.type = static_cast<std::uint32_t>(JournalType::kAction);
      entry.index = link.action;
      entry.value = undoValue;
      AppendGroupRecord(game, entry, groupStarted);
    }
    cursor = *at + std::size_t{1};
    return true;
  }
  cursor = links.size();
  return false;
}

bool FireIndexedExhaustedEvent(SolGame& game, const DefinitionIndex& index, std::uint16_t counter,
                               bool& groupStarted, std::size_t& cursor, ActionObserver* observer,
                               bool record) {
  if (counter >= game.counters.size()) return false;
  const CounterState& state = game.counters[counter];
  if (state.value != 0 || state.exhaustedEvent == 0) return false;
  return FireIndexedActions(game, index, state.exhaustedEvent, groupStarted, cursor, observer,
                            record);
}

}  // namespace

bool FireEventActions(SolGame& game, std::uint16_t event, bool& groupStarted,
                      std::size_t& cursor, ActionObserver* observer, bool record) {
  return FireIndexedActions(game, IndexOf(game.definition), event, groupStarted, cursor, observer,
                            record);
}

bool UseCounter(SolGame& game, std::uint16_t event, bool& groupStarted, std::uint16_t& counter,
                bool record) {
  counter = kNoReference;
  const std::uint32_t linkIndex = IndexOf(game.definition).CounterLinkOf(event);
  if (linkIndex == DefinitionIndex::kNoLink) return true;
  const EventCounter& link = game.definition.eventCounters[linkIndex];
  if (link.counter >= game.counters.size()) return false;
  CounterState& state = game.counters[link.counter];
  if (state.value == 0) return false;
  --state.value;
  counter = link.counter;
  if (record) {
    JournalRecord entry;
    entry.type = static_cast<std::uint32_t>(JournalType::kCounterUsed);
    entry.index = link.counter;
    AppendGroupRecord(game, entry, groupStarted);
  }
  return true;
}

bool FireExhaustedEvent(SolGame& game, std::uint16_t counter, bool& groupStarted,
                        std::size_t& cursor, ActionObserver* observer, bool record) {
  return FireIndexedExhaustedEvent(game, IndexOf(game.definition), counter, groupStarted, cursor,
                                   observer, record);
}

bool FireEventCompletely(SolGame& game, std::uint16_t event, std::uint16_t counter,
                         bool& groupStarted, ActionObserver* observer, bool record) {
  const DefinitionIndex& index = IndexOf(game.definition);
  bool performedAny = false;
  std::size_t cursor = 0;
  while (FireIndexedActions(game, index, event, groupStarted, cursor, observer, record)) {
    performedAny = true;
  }
  cursor = 0;
  while (FireIndexedExhaustedEvent(game, index, counter, groupStarted, cursor, observer, record)) {
    performedAny = true;
  }
  return performedAny;
}

}  // namespace cw
