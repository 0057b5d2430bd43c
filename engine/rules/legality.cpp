#include "engine/rules/legality.h"

#include <algorithm>

#include "engine/rules/card_list.h"
#include "engine/rules/rule_cache.h"
#include "engine/rules/rule_evaluator.h"

namespace cw {
namespace {

constexpr auto kInertWhenEmpty = static_cast<std::uint8_t>(PileKind::kInert);

// A program number that names no program fails like a program that fails.
bool ProgramPasses(const SolGame& game, const DefinitionIndex& index, std::uint16_t program,
                   const HashedCardList& listA, const HashedCardList* listB) {
  const std::vector<std::vector<std::uint8_t>>& programs = game.definition.programs;
  if (program >= programs.size()) return false;
  const HashedProgram keyed{programs[program], index.ProgramHashes()[program]};
  return EvaluateRuleRemembered(keyed, listA, listB);
}

// The two lists of a query, kept per thread so that the thousands of queries
// of a move search allocate nothing.
struct QueryLists {
  HashedCardList a;
  HashedCardList b;
};
QueryLists& Scratch() {
  thread_local QueryLists lists;
  return lists;
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

// The last answer of each condition number on this thread, with the hashes
// of the program and lists it was given: the automatic passes after every
// move ask about the same piles again and again, and most of them have not
// changed. The hashes alone identify the question (as in the rule answer
// table), so a memo made for another game's condition of that number is
// never taken for this one's.
struct ConditionMemo {
  std::uint64_t program = 0;
  std::uint64_t listA = 0;
  std::uint64_t listB = 0;
  bool passes = false;
  bool known = false;

  bool SameQuestion(const ConditionMemo& asked) const {
    return known && program == asked.program && listA == asked.listA && listB == asked.listB;
  }
};

ConditionMemo& ConditionMemoOf(std::uint16_t condition) {
  thread_local std::vector<ConditionMemo> memos;
  if (condition >= memos.size()) memos.resize(std::size_t{condition} + 1);
  return memos[condition];
}

}  // namespace

bool CanPickUp(const SolGame& game, std::uint16_t card) {
  if (!IsCard(game, card) || game.cards[card].movable == 0) return false;
  QueryLists& lists = Scratch();
  BuildMovingList(game, card, lists.a.entries);
  lists.a.Rehash();
  BuildRemainingList(game, card, lists.b.entries);
  lists.b.Rehash();
  return ProgramPasses(game, IndexOf(game.definition), game.piles[game.cards[card].pile].pickProgram,
                       lists.a, &lists.b);
}

bool CanDrop(const SolGame& game, std::uint16_t card, std::uint16_t pile) {
  if (!IsCard(game, card) || !IsPile(game, pile)) return false;
  const std::uint16_t source = game.cards[card].pile;
  if (source == pile || !ReceivesCards(game, pile) || !RouteAllows(game, source, pile)) {
    return false;
  }
  QueryLists& lists = Scratch();
  BuildMovingList(game, card, lists.a.entries);
  lists.a.Rehash();
  BuildPileList(game, pile, lists.b.entries);
  lists.b.Rehash();
  return ProgramPasses(game, IndexOf(game.definition), game.piles[pile].acceptProgram, lists.a,
                       &lists.b);
}

namespace {

std::vector<PileLists::Storage>& SpareStorage() {
  thread_local std::vector<PileLists::Storage> spare;
  return spare;
}

}  // namespace

PileLists::PileLists(const SolGame& game) : game_(game), index_(IndexOf(game.definition)) {
  std::vector<Storage>& spare = SpareStorage();
  if (!spare.empty()) {
    storage_ = std::move(spare.back());
    spare.pop_back();
  }
  storage_.lists.resize(game.piles.size());
  storage_.built.assign(game.piles.size(), 0);
}

PileLists::~PileLists() { SpareStorage().push_back(std::move(storage_)); }

const HashedCardList& PileLists::Of(std::uint16_t pile) {
  HashedCardList& list = storage_.lists[pile];
  if (storage_.built[pile] == 0) {
    BuildPileList(game_, pile, list.entries);
    list.Rehash();
    storage_.built[pile] = 1;
  }
  return list;
}

void PileLists::Forget(std::uint16_t pile) {
  if (pile < storage_.built.size()) storage_.built[pile] = 0;
}

void PileLists::ForgetAll() { std::fill(storage_.built.begin(), storage_.built.end(), 0); }

PositionMoveTests::PositionMoveTests(const SolGame& game) : game_(game), piles_(game) {}

void PositionMoveTests::FindReceivers() {
  receiversFound_ = true;
  const std::size_t pileCount = std::min(game_.piles.size(), game_.definition.piles.size());
  const std::size_t programCount = game_.definition.programs.size();
  for (std::size_t p = 0; p < pileCount; ++p) {
    const auto pile = static_cast<std::uint16_t>(p);
    const std::uint16_t program = game_.piles[p].acceptProgram;
    // A program number that names no program fails like a program that fails.
    if (program >= programCount || !ReceivesCards(game_, pile)) continue;
    receivers_.push_back(
        {pile, ListBQuestionPart(piles_.Index().ProgramHashes()[program], piles_.Of(pile))});
  }
  everyRouteOpen_ = std::any_of(
      game_.allowedMoves.begin(), game_.allowedMoves.end(), [](const MovePair& route) {
        return route.source == kNoReference && route.destination == kNoReference;
      });
}

const HashedCardList& PositionMoveTests::MovingList(std::uint16_t card) {
  if (movingCard_ != card) {
    BuildMovingList(game_, card, moving_.entries);
    moving_.Rehash();
    movingCard_ = card;
  }
  return moving_;
}

bool PositionMoveTests::CanPickUp(std::uint16_t card) {
  if (!IsCard(game_, card) || game_.cards[card].movable == 0) return false;
  const CardState& state = game_.cards[card];
  const std::uint16_t program = game_.piles[state.pile].pickProgram;
  if (program >= game_.definition.programs.size()) return false;
  // The moving and remaining lists are the pile's list cut at the card's
  // place, so the pile's hash and the place name the question: the lists
  // are built only when the answer is not remembered.
  const std::uint64_t programHash = piles_.Index().ProgramHashes()[program];
  const std::uint64_t question =
      SplitPileQuestion(programHash, piles_.Of(state.pile), state.position);
  return AnswerRemembered(question, [&] {
    BuildRemainingList(game_, card, remaining_.entries);
    return EvaluateRule(game_.definition.programs[program], MovingList(card).entries,
                        &remaining_.entries);
  });
}

const std::vector<std::uint16_t>& PositionMoveTests::Drops(std::uint16_t card) {
  drops_.clear();
  if (!IsCard(game_, card)) return drops_;
  if (!receiversFound_) FindReceivers();
  const std::uint16_t source = game_.cards[card].pile;
  for (const Receiver& receiver : receivers_) {
    const std::uint16_t pile = receiver.pile;
    if (pile == source || (!everyRouteOpen_ && !RouteAllows(game_, source, pile))) continue;
    const HashedCardList& moving = MovingList(card);
    const bool passes = AnswerRemembered(ListsQuestion(receiver.questionPart, moving), [&] {
      return EvaluateRule(game_.definition.programs[game_.piles[pile].acceptProgram],
                          moving.entries, &piles_.Of(pile).entries);
    });
    if (passes) drops_.push_back(pile);
  }
  return drops_;
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

bool LinkedConditionHolds(const SolGame& game, const EventCondition& link, PileLists& lists) {
  const GameDefinition& definition = game.definition;
  if (link.condition >= definition.conditions.size()) return false;
  const ConditionDef& condition = definition.conditions[link.condition];
  if (condition.pileA >= game.piles.size() || game.piles[condition.pileA].enabled == 0) {
    return false;
  }
  const bool hasB = condition.pileB != kNoReference;
  if (hasB && condition.pileB >= game.piles.size()) return false;
  if (condition.program >= definition.programs.size()) return false;

  const HashedCardList& listA = lists.Of(condition.pileA);
  const HashedCardList* listB = hasB ? &lists.Of(condition.pileB) : nullptr;
  const ConditionMemo asked{lists.Index().ProgramHashes()[condition.program], listA.hash,
                            listB != nullptr ? listB->hash : 0, false, true};
  ConditionMemo& memo = ConditionMemoOf(link.condition);
  if (memo.SameQuestion(asked)) return memo.passes;
  memo = asked;
  memo.passes = ProgramPasses(game, lists.Index(), condition.program, listA, listB);
  return memo.passes;
}

bool LinkedConditionHolds(const SolGame& game, const EventCondition& link) {
  PileLists lists(game);
  return LinkedConditionHolds(game, link, lists);
}

bool ConditionsHold(const SolGame& game, std::uint16_t event, PileLists& lists) {
  const std::vector<EventCondition>& links = game.definition.eventConditions;
  for (const std::uint32_t link : lists.Index().ConditionLinksOf(event)) {
    if (!LinkedConditionHolds(game, links[link], lists)) return false;
  }
  return true;
}

bool ConditionsHold(const SolGame& game, std::uint16_t event) {
  if (IndexOf(game.definition).ConditionLinksOf(event).empty()) return true;
  PileLists lists(game);
  return ConditionsHold(game, event, lists);
}

bool CounterAllows(const SolGame& game, std::uint16_t event) {
  const std::uint32_t link = IndexOf(game.definition).CounterLinkOf(event);
  if (link == DefinitionIndex::kNoLink) return true;
  const std::uint16_t counter = game.definition.eventCounters[link].counter;
  return counter < game.counters.size() && game.counters[counter].value != 0;
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
