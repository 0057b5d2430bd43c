#include "engine/solver/pile_symmetry.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "engine/rules/card_list.h"
#include "engine/rules/instruction_set.h"
#include "engine/rules/rule_evaluator.h"
#include "engine/solver/card_kinds.h"

namespace cw {
namespace {

using Signature = std::vector<std::uint32_t>;

// The pile numbers p and q swapped; every other number as it is.
struct Swap {
  std::uint16_t p;
  std::uint16_t q;
  std::uint16_t operator()(std::uint16_t pile) const {
    if (pile == p) return q;
    if (pile == q) return p;
    return pile;
  }
};

// Whether a program can never pass: it reads no card list (a byte that only
// looks like a list instruction, a PUSH value, counts as one), so its one
// answer is the answer for every list. A condition with such a program fails
// whatever pile it names, and so does not tell piles apart. (One that always
// passes still does: a condition holds only while its pile is enabled.)
bool NeverPasses(const std::vector<std::uint8_t>& program) {
  const bool readsCards = std::any_of(program.begin(), program.end(), [](std::uint8_t byte) {
    switch (static_cast<Opcode>(byte)) {
      case Opcode::kRank:
      case Opcode::kSuit:
      case Opcode::kNext:
      case Opcode::kReset:
      case Opcode::kOther:
        return true;
      default:
        return false;
    }
  });
  return !readsCards && !EvaluateRule(program, CardList{CardListEntry{}}, nullptr);
}

// Whether an action changes its own pile and nothing else, so that it
// commutes with such actions on other piles. A shuffle draws from the
// random generator and so does not.
bool ChangesOnlyItsPile(const ActionDef& action) {
  return static_cast<ActionType>(action.type) == ActionType::kPileAttribute &&
         static_cast<PileAttribute>(action.attribute) != PileAttribute::kShuffle;
}

// Whether the action's pile field names a pile (a counter's reset names a
// counter there).
bool NamesPile(const ActionDef& action) {
  switch (static_cast<ActionType>(action.type)) {
    case ActionType::kMoveCards:
    case ActionType::kPileAttribute:
    case ActionType::kCardAttribute:
    case ActionType::kDenyRoute:
    case ActionType::kAllowRoute:
      return true;
    case ActionType::kGameWon:
    case ActionType::kResetCounter:
      return false;
  }
  return false;
}

// Whether the action reads its destPile field: the other actions leave it
// unused, whatever pile number it happens to hold.
bool NamesDestination(const ActionDef& action) {
  switch (static_cast<ActionType>(action.type)) {
    case ActionType::kMoveCards:
    case ActionType::kDenyRoute:
    case ActionType::kAllowRoute:
      return true;
    case ActionType::kPileAttribute:
    case ActionType::kCardAttribute:
    case ActionType::kGameWon:
    case ActionType::kResetCounter:
      return false;
  }
  return false;
}

// What the signatures need to know of the programs.
struct ProgramFacts {
  // Per program number, the first number of a program with the same bytes.
  std::vector<std::uint32_t> first;
  // Per program number, NeverPasses.
  std::vector<bool> neverPasses;

  explicit ProgramFacts(const GameDefinition& definition) {
    for (std::size_t i = 0; i < definition.programs.size(); ++i) {
      const auto same = std::find(definition.programs.begin(), definition.programs.begin() + i,
                                  definition.programs[i]);
      first.push_back(static_cast<std::uint32_t>(same - definition.programs.begin()));
      neverPasses.push_back(NeverPasses(definition.programs[i]));
    }
  }
};

// Everything an event does, with the piles renamed by `swap`.
Signature EventSignature(const GameDefinition& definition, const ProgramFacts& programs,
                         std::uint16_t event, Swap swap) {
  Signature signature;
  if (event < definition.eventKinds.size()) signature.push_back(definition.eventKinds[event]);
  using ActionFields = std::array<std::uint32_t, 10>;
  std::vector<ActionFields> actions;
  // Where the current run of actions that each change only their own pile,
  // all piles different, began: such a run does the same in any order.
  std::size_t runStart = 0;
  std::vector<std::uint16_t> runPiles;
  auto endRun = [&] {
    std::sort(actions.begin() + static_cast<std::ptrdiff_t>(runStart), actions.end());
    runStart = actions.size();
    runPiles.clear();
  };
  for (const EventAction& link : definition.eventActions) {
    if (link.event != event) continue;
    if (link.action >= definition.actions.size()) {
      endRun();
      actions.push_back({0xFFFFFFFF});
      endRun();
      continue;
    }
    ActionDef action = definition.actions[link.action];
    if (NamesPile(action)) action.pile = swap(action.pile);
    action.destPile = NamesDestination(action) ? swap(action.destPile) : 0;
    const bool commutes = ChangesOnlyItsPile(action);
    if (!commutes || std::find(runPiles.begin(), runPiles.end(), action.pile) != runPiles.end()) {
      endRun();
    }
    actions.push_back({action.type, action.mode, action.pile, action.from, action.to,
                       action.destPile, action.destMode, action.attribute, action.destIndex,
                       action.value});
    if (commutes) {
      runPiles.push_back(action.pile);
    } else {
      endRun();
    }
  }
  endRun();
  for (const ActionFields& fields : actions) {
    signature.insert(signature.end(), fields.begin(), fields.end());
  }
  // All conditions must hold, so their order is no part of the event.
  signature.push_back(0xFFFFFFFE);
  std::vector<std::array<std::uint32_t, 3>> conditions;
  for (const EventCondition& link : definition.eventConditions) {
    if (link.event != event) continue;
    if (link.condition >= definition.conditions.size()) {
      conditions.push_back({0xFFFFFFFF, 0, 0});
      continue;
    }
    const ConditionDef& condition = definition.conditions[link.condition];
    const bool known = condition.program < programs.first.size();
    const std::uint32_t program = known ? programs.first[condition.program] : 0xFFFFFFFF;
    if (known && programs.neverPasses[condition.program]) {
      conditions.push_back({program, kNoReference, kNoReference});
    } else {
      conditions.push_back({program, swap(condition.pileA), swap(condition.pileB)});
    }
  }
  std::sort(conditions.begin(), conditions.end());
  for (const auto& condition : conditions) {
    signature.insert(signature.end(), condition.begin(), condition.end());
  }
  signature.push_back(0xFFFFFFFD);
  for (const EventCounter& link : definition.eventCounters) {
    if (link.event == event) signature.push_back(link.counter);
  }
  return signature;
}

bool RoutesName(const GameDefinition& definition, std::uint16_t pile) {
  for (const MovePair& route : definition.movePairs) {
    if (route.source == pile || route.destination == pile) return true;
  }
  for (const ActionDef& action : definition.actions) {
    const auto type = static_cast<ActionType>(action.type);
    if ((type == ActionType::kDenyRoute || type == ActionType::kAllowRoute) &&
        (action.pile == pile || action.destPile == pile)) {
      return true;
    }
  }
  return false;
}

// Per event, whether it can fire after the game has started: every event but
// the game-start ones, which the deal alone fires, unless a pile's tap or drop
// or a counter running out names one of them.
std::vector<bool> EventsFiredInPlay(const GameDefinition& definition) {
  std::vector<bool> fired(definition.eventKinds.size());
  for (std::size_t e = 0; e < fired.size(); ++e) {
    fired[e] = definition.eventKinds[e] != static_cast<std::uint8_t>(EventKind::kGameStart);
  }
  auto mark = [&](std::uint16_t event) {
    if (event < fired.size()) fired[event] = true;
  };
  for (const PileDef& pile : definition.piles) {
    mark(pile.tapEvent);
    mark(pile.emptyTapEvent);
    mark(pile.dropEvent);
  }
  for (const CounterDef& counter : definition.counters) mark(counter.exhaustedEvent);
  return fired;
}

// Whether the pile can hold one card at most, as far as its definition
// shows: it is dealt one at most, no action moves cards onto it or changes
// its settings, and its accept program takes no card onto a card. (A run
// dropped on it is not tried: the position key watches for that, see
// PositionHasher::FanMattered.)
bool HoldsOneCardAtMost(const GameDefinition& definition, std::uint16_t pile) {
  const PileDef& def = definition.piles[pile];
  if (def.dealCount > 1 || def.acceptProgram >= definition.programs.size()) return false;
  for (const ActionDef& action : definition.actions) {
    if (NamesDestination(action) && action.destPile == pile) return false;
    if (static_cast<ActionType>(action.type) == ActionType::kPileAttribute && action.pile == pile) {
      return false;
    }
  }
  const std::vector<CardListEntry> kinds = KindsOfCards(definition).kinds;
  const std::vector<std::uint8_t>& accept = definition.programs[def.acceptProgram];
  for (const CardListEntry& below : kinds) {
    const CardList onto{below, CardListEntry{}};
    for (const CardListEntry& above : kinds) {
      if (EvaluateRule(accept, CardList{above, CardListEntry{}}, &onto)) return false;
    }
  }
  return true;
}

// The fields of a pile's definition that play reads (the rest lay it out or
// deal it). Of the fan, play reads only whether the pile is squared, and
// that only to lift cards lying under the top one, so it does not tell apart
// piles that hold one card at most.
// `holdsOne` remembers HoldsOneCardAtMost per pile (-1: not asked yet).
bool PlayAlike(const GameDefinition& definition, std::uint16_t p, std::uint16_t q,
               std::vector<std::int8_t>& holdsOne) {
  const PileDef& a = definition.piles[p];
  const PileDef& b = definition.piles[q];
  if (a.kind != b.kind || a.shown != b.shown || a.pickProgram != b.pickProgram ||
      a.acceptProgram != b.acceptProgram || a.manualOpen != b.manualOpen ||
      a.enabled != b.enabled || a.baseRank != b.baseRank || a.baseSuit != b.baseSuit) {
    return false;
  }
  if ((a.fan == 0) == (b.fan == 0)) return true;
  for (const std::uint16_t pile : {p, q}) {
    if (holdsOne[pile] < 0) holdsOne[pile] = HoldsOneCardAtMost(definition, pile) ? 1 : 0;
    if (holdsOne[pile] == 0) return false;
  }
  return true;
}

bool Interchangeable(const GameDefinition& definition, const ProgramFacts& programs,
                     const std::vector<bool>& playEvents, std::vector<std::int8_t>& holdsOne,
                     std::uint16_t p, std::uint16_t q) {
  const PileDef& a = definition.piles[p];
  const PileDef& b = definition.piles[q];
  if (!PlayAlike(definition, p, q, holdsOne) || RoutesName(definition, p) ||
      RoutesName(definition, q)) {
    return false;
  }
  const Swap identity{p, p};
  const Swap swap{p, q};
  // The piles' own events must be each other's image.
  const std::uint16_t eventsA[] = {a.tapEvent, a.emptyTapEvent, a.dropEvent};
  const std::uint16_t eventsB[] = {b.tapEvent, b.emptyTapEvent, b.dropEvent};
  for (int i = 0; i < 3; ++i) {
    if (EventSignature(definition, programs, eventsA[i], swap) !=
        EventSignature(definition, programs, eventsB[i], identity)) {
      return false;
    }
  }
  // A counter's exhausted event must map onto itself.
  for (const CounterDef& counter : definition.counters) {
    if (EventSignature(definition, programs, counter.exhaustedEvent, identity) !=
        EventSignature(definition, programs, counter.exhaustedEvent, swap)) {
      return false;
    }
  }
  // The events that can fire in play must be the same collection after the
  // swap.
  std::vector<Signature> before;
  std::vector<Signature> after;
  for (std::size_t e = 0; e < definition.eventKinds.size(); ++e) {
    const auto event = static_cast<std::uint16_t>(e);
    if (!playEvents[e]) continue;
    before.push_back(EventSignature(definition, programs, event, identity));
    after.push_back(EventSignature(definition, programs, event, swap));
  }
  std::sort(before.begin(), before.end());
  std::sort(after.begin(), after.end());
  return before == after;
}

}  // namespace

namespace {

std::vector<std::uint16_t> FindClasses(const GameDefinition& definition) {
  const ProgramFacts programs(definition);
  const std::vector<bool> playEvents = EventsFiredInPlay(definition);
  const std::size_t count = definition.piles.size();
  std::vector<std::uint16_t> classes(count);
  std::vector<std::int8_t> holdsOne(count, -1);
  for (std::size_t p = 0; p < count; ++p) {
    classes[p] = static_cast<std::uint16_t>(p);
    // Interchangeability is an equivalence: swaps compose, so comparing with
    // the first pile of each class already found is enough.
    for (std::size_t first = 0; first < p; ++first) {
      if (classes[first] == first &&
          Interchangeable(definition, programs, playEvents, holdsOne,
                          static_cast<std::uint16_t>(first), static_cast<std::uint16_t>(p))) {
        classes[p] = static_cast<std::uint16_t>(first);
        break;
      }
    }
  }
  return classes;
}

// The tables the classes are found from, kept with the classes last found on
// this thread: every search builds its position key from them, and a survey
// searches one game's deals one after another.
struct KeptClasses {
  std::vector<CardDef> cards;
  std::vector<PileDef> piles;
  std::vector<ActionDef> actions;
  std::vector<MovePair> movePairs;
  std::vector<std::uint8_t> eventKinds;
  std::vector<EventAction> eventActions;
  std::vector<ConditionDef> conditions;
  std::vector<EventCondition> eventConditions;
  std::vector<CounterDef> counters;
  std::vector<EventCounter> eventCounters;
  std::vector<std::vector<std::uint8_t>> programs;
  std::vector<std::uint16_t> classes;
  bool found = false;

  bool From(const GameDefinition& definition) const {
    return found && cards == definition.cards && piles == definition.piles &&
           actions == definition.actions && movePairs == definition.movePairs &&
           eventKinds == definition.eventKinds && eventActions == definition.eventActions &&
           conditions == definition.conditions &&
           eventConditions == definition.eventConditions && counters == definition.counters &&
           eventCounters == definition.eventCounters && programs == definition.programs;
  }
  void Keep(const GameDefinition& definition, std::vector<std::uint16_t> foundClasses) {
    cards = definition.cards;
    piles = definition.piles;
    actions = definition.actions;
    movePairs = definition.movePairs;
    eventKinds = definition.eventKinds;
    eventActions = definition.eventActions;
    conditions = definition.conditions;
    eventConditions = definition.eventConditions;
    counters = definition.counters;
    eventCounters = definition.eventCounters;
    programs = definition.programs;
    classes = std::move(foundClasses);
    found = true;
  }
};

}  // namespace

std::vector<std::uint16_t> InterchangeablePileClasses(const GameDefinition& definition) {
  thread_local KeptClasses kept;
  if (!kept.From(definition)) kept.Keep(definition, FindClasses(definition));
  return kept.classes;
}

bool SameSettingsApartFromCards(const PileState& a, const PileState& b) {
  return a.shown == b.shown && a.enabled == b.enabled && a.acceptProgram == b.acceptProgram &&
         a.pickProgram == b.pickProgram && a.manualOpen == b.manualOpen &&
         a.baseRank == b.baseRank && a.baseSuit == b.baseSuit;
}

}  // namespace cw
