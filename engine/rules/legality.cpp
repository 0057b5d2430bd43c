#include "engine/rules/legality.h"

#include "engine/rules/card_list.h"
#include "engine/rules/rule_cache.h"

namespace cw {
namespace {

constexpr auto kInertWhenEmpty = static_cast<std::uint8_t>(PileKind::kInert);

// A program number that names no program fails like a program that fails.
bool ProgramPasses(const SolGame& game, std::uint16_t program, const CardList& listA,
                   const CardList* listB) {
  if (program >= game.definition.programs.size()) return false;
  return EvaluateRuleRemembered(game.definition.programs[program], listA, listB);
}

bool IsPile(const SolGame& game, std::uint16_t pile) {
  return pile < game.piles.size() && pile < game.definition.piles.size();
}

bool IsCard(const SolGame& game, std::uint16_t card) {
  return card < game.cards.size() && IsPile(game, game.cards[card].pile);
}

// Whether an empty pile may be given cards or its top card is open for them.
bool ReceivesCards(const SolGame& game, std::uint16_t pile) {
  if (game.piles[pile].count <= 0) return game.definition.piles[pile].kind != kInertWhenEmpty;
  const std::optional<std::uint16_t> top = game.TopCard(pile);
  return top && *top < game.cards.size() && game.cards[*top].open == 1;
}

}  // namespace

bool CanPickUp(const SolGame& game, std::uint16_t card) {
  if (!IsCard(game, card) || game.cards[card].movable == 0) return false;
  const CardList moving = BuildMovingList(game, card);
  const CardList remaining = BuildRemainingList(game, card);
  return ProgramPasses(game, game.piles[game.cards[card].pile].pickProgram, moving, &remaining);
}

bool CanDrop(const SolGame& game, std::uint16_t card, std::uint16_t pile) {
  if (!IsCard(game, card) || !IsPile(game, pile)) return false;
  const std::uint16_t source = game.cards[card].pile;
  if (source == pile || !ReceivesCards(game, pile) || !RouteAllows(game, source, pile)) {
    return false;
  }
  const CardList moving = BuildMovingList(game, card);
  const CardList destination = BuildPileList(game, pile);
  return ProgramPasses(game, game.piles[pile].acceptProgram, moving, &destination);
}

bool CanTap(const SolGame& game, std::uint16_t pile) {
  if (!IsPile(game, pile)) return false;
  const PileDef& def = game.definition.piles[pile];
  std::uint16_t event = def.emptyTapEvent;
  if (game.piles[pile].count > 0) {
    const std::optional<std::uint16_t> top = game.TopCard(pile);
    if (!top || *top >= game.cards.size() || game.cards[*top].movable != 1) return false;
    event = def.tapEvent;
  } else if (def.kind == kInertWhenEmpty) {
    return false;
  }
  return ConditionsHold(game, event) && CounterAllows(game, event);
}

bool LinkedConditionHolds(const SolGame& game, const EventCondition& link) {
  const GameDefinition& definition = game.definition;
  if (link.condition >= definition.conditions.size()) return false;
  const ConditionDef& condition = definition.conditions[link.condition];
  if (condition.pileA >= game.piles.size() || game.piles[condition.pileA].enabled == 0) {
    return false;
  }
  const bool hasB = condition.pileB != kNoReference;
  if (hasB && condition.pileB >= game.piles.size()) return false;
  const CardList listA = BuildPileList(game, condition.pileA);
  const CardList listB = hasB ? BuildPileList(game, condition.pileB) : CardList{};
  return ProgramPasses(game, condition.program, listA, hasB ? &listB : nullptr);
}

bool ConditionsHold(const SolGame& game, std::uint16_t event) {
  for (const EventCondition& link : game.definition.eventConditions) {
    if (link.event == event && !LinkedConditionHolds(game, link)) return false;
  }
  return true;
}

bool CounterAllows(const SolGame& game, std::uint16_t event) {
  for (const EventCounter& link : game.definition.eventCounters) {
    if (link.event != event) continue;
    return link.counter < game.counters.size() && game.counters[link.counter].value != 0;
  }
  return true;
}

bool RouteAllows(const SolGame& game, std::uint16_t source, std::uint16_t destination) {
  for (const MovePair& route : game.allowedMoves) {
    const bool sourceMatches = route.source == source || route.source == kNoReference;
    const bool destinationMatches =
        route.destination == destination || route.destination == kNoReference;
    if (sourceMatches && destinationMatches) return true;
  }
  return false;
}

}  // namespace cw
