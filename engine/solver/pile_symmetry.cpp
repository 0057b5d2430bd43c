#include "engine/solver/pile_symmetry.h"

#include <algorithm>
#include <array>

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

bool NamesPile(const ActionDef& action) {
  switch (static_cast<ActionType>(action.type)) {
    case ActionType::kMoveCards:
    case ActionType::kPileAttribute:
    case ActionType::kCardAttribute:
    case ActionType::kDenyRoute:
    case ActionType::kAllowRoute:
      return true;
    case ActionType::kGameWon:
    case ActionType::kResetCounter:  // its pile field names a counter
      return false;
  }
  return false;
}

// Everything an event does, with the piles renamed by `swap`.
// `programs` gives each program number the first number of a program with the
// same bytes.
Signature EventSignature(const GameDefinition& definition, const std::vector<std::uint32_t>& programs,
                         std::uint16_t event, Swap swap) {
  Signature signature;
  if (event < definition.eventKinds.size()) signature.push_back(definition.eventKinds[event]);
  for (const EventAction& link : definition.eventActions) {
    if (link.event != event) continue;
    if (link.action >= definition.actions.size()) {
      signature.push_back(0xFFFFFFFF);
      continue;
    }
    ActionDef action = definition.actions[link.action];
    if (NamesPile(action)) {
      action.pile = swap(action.pile);
      action.destPile = swap(action.destPile);
    }
    signature.insert(signature.end(),
                     {action.type, action.mode, action.pile, action.from, action.to,
                      action.destPile, action.destMode, action.attribute, action.destIndex,
                      action.value});
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
    conditions.push_back({programs[condition.program < programs.size() ? condition.program : 0],
                          swap(condition.pileA), swap(condition.pileB)});
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

// The fields of a pile's definition that play reads (the rest lay it out or
// deal it).
bool PlayAlike(const PileDef& a, const PileDef& b) {
  return a.kind == b.kind && a.fan == b.fan && a.shown == b.shown && a.pickProgram == b.pickProgram &&
         a.acceptProgram == b.acceptProgram && a.manualOpen == b.manualOpen &&
         a.enabled == b.enabled && a.baseRank == b.baseRank && a.baseSuit == b.baseSuit;
}

bool Interchangeable(const GameDefinition& definition, const std::vector<std::uint32_t>& programs,
                     std::uint16_t p, std::uint16_t q) {
  const PileDef& a = definition.piles[p];
  const PileDef& b = definition.piles[q];
  if (!PlayAlike(a, b) || RoutesName(definition, p) || RoutesName(definition, q)) return false;
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
  // The events as a whole must be the same collection after the swap.
  std::vector<Signature> before;
  std::vector<Signature> after;
  for (std::size_t e = 0; e < definition.eventKinds.size(); ++e) {
    const auto event = static_cast<std::uint16_t>(e);
    before.push_back(EventSignature(definition, programs, event, identity));
    after.push_back(EventSignature(definition, programs, event, swap));
  }
  // A counter's exhausted event must map onto itself.
  for (const CounterDef& counter : definition.counters) {
    if (counter.exhaustedEvent < before.size() &&
        before[counter.exhaustedEvent] != after[counter.exhaustedEvent]) {
      return false;
    }
  }
  std::sort(before.begin(), before.end());
  std::sort(after.begin(), after.end());
  return before == after;
}

}  // namespace

std::vector<std::uint16_t> InterchangeablePileClasses(const GameDefinition& definition) {
  std::vector<std::uint32_t> programs(definition.programs.size());
  for (std::size_t i = 0; i < programs.size(); ++i) {
    programs[i] = static_cast<std::uint32_t>(i);
    for (std::size_t j = 0; j < i; ++j) {
      if (definition.programs[j] == definition.programs[i]) {
        programs[i] = static_cast<std::uint32_t>(j);
        break;
      }
    }
  }
  const std::size_t count = definition.piles.size();
  std::vector<std::uint16_t> classes(count);
  for (std::size_t p = 0; p < count; ++p) {
    classes[p] = static_cast<std::uint16_t>(p);
    // Interchangeability is an equivalence: swaps compose, so comparing with
    // the first pile of each class already found is enough.
    for (std::size_t first = 0; first < p; ++first) {
      if (classes[first] == first &&
          Interchangeable(definition, programs, static_cast<std::uint16_t>(first),
                          static_cast<std::uint16_t>(p))) {
        classes[p] = static_cast<std::uint16_t>(first);
        break;
      }
    }
  }
  return classes;
}

}  // namespace cw
