#include "engine/solver/safe_home_moves.h"

#include <algorithm>
#include <utility>

#include "engine/database/record_codes.h"
#include "engine/model/card_index.h"
#include "engine/model/definition_index.h"
#include "engine/rules/card_list.h"
#include "engine/solver/card_kinds.h"
#include "engine/solver/pile_symmetry.h"

namespace cw {
namespace {

constexpr auto kBase = static_cast<std::uint8_t>(PileKind::kBase);

bool IsBase(const GameDefinition& definition, std::uint16_t pile) {
  return pile < definition.piles.size() && definition.piles[pile].kind == kBase;
}

}  // namespace

SafeHomeMoves::SafeHomeMoves(const GameDefinition& definition) {
  CardKinds found = KindsOfCards(definition);
  kinds_ = std::move(found.kinds);
  kindOf_ = std::move(found.kindOf);
  // A face-down card shows the rules this entry; it counts as a kind of its
  // own wherever the rule asks what a card in play could be.
  faceDownKind_ = static_cast<std::uint16_t>(kinds_.size());
  kinds_.push_back({kFaceDownSuit, kFaceDownRank});
  for (const CardListEntry& kind : kinds_) {
    kindsHash_ = (kindsHash_ ^ (kind.suit << 8 | kind.rank)) * 0x100000001B3ull;
  }
  programHashes_ = IndexOf(definition).ProgramHashes();
  enabled_ = GameAllows(definition);
}

bool SafeHomeMoves::Passes(const std::vector<std::uint8_t>& program,
                           std::initializer_list<std::uint16_t> listA,
                           std::initializer_list<std::uint16_t> listB) {
  auto build = [&](HashedCardList& list, std::initializer_list<std::uint16_t> kinds) {
    list.entries.clear();
    for (const std::uint16_t kind : kinds) {
      if (kind != kNoKind) list.entries.push_back(kinds_[kind]);
    }
    list.entries.push_back(CardListEntry{});
    list.Rehash();
  };
  build(listA_, listA);
  build(listB_, listB);
  return EvaluateRuleRemembered(program, listA_, &listB_);
}

bool SafeHomeMoves::GameAllows(const GameDefinition& definition) {
  const std::size_t programCount = definition.programs.size();
  auto eventKind = [&](std::uint16_t event) {
    return event < definition.eventKinds.size()
               ? static_cast<EventKind>(definition.eventKinds[event])
               : EventKind::kGameStart;
  };
  // After the deal, no event moves a card or changes a setting, a route or a
  // counter: play is the player's moves alone, and the programs of every
  // pile stay as dealt. The events that may fire in play are those that are
  // not game-start events, and any that a pile's tap or drop or a counter
  // running out names.
  std::vector<bool> firesInPlay(definition.eventKinds.size(), false);
  for (std::size_t e = 0; e < firesInPlay.size(); ++e) {
    firesInPlay[e] = eventKind(static_cast<std::uint16_t>(e)) != EventKind::kGameStart;
  }
  auto named = [&](std::uint16_t event) {
    if (event < firesInPlay.size()) firesInPlay[event] = true;
  };
  for (const PileDef& pile : definition.piles) {
    named(pile.tapEvent);
    named(pile.emptyTapEvent);
    named(pile.dropEvent);
  }
  for (const CounterDef& counter : definition.counters) {
    if (counter.exhaustedEvent != 0) named(counter.exhaustedEvent);
  }
  std::vector<std::uint16_t> winEvents;
  for (const EventAction& link : definition.eventActions) {
    if (link.action >= definition.actions.size()) return false;
    const auto type = static_cast<ActionType>(definition.actions[link.action].type);
    if (type == ActionType::kGameWon) {
      const EventKind kind = eventKind(link.event);
      if (kind != EventKind::kAutomatic && kind != EventKind::kRepeating) return false;
      winEvents.push_back(link.event);
      continue;
    }
    if (link.event >= firesInPlay.size() || firesInPlay[link.event]) return false;
  }
  if (winEvents.empty()) return false;
  for (const EventCounter& link : definition.eventCounters) {
    if (std::find(winEvents.begin(), winEvents.end(), link.event) != winEvents.end()) return false;
  }
  // The win: its conditions name piles that are not base-marked and pass
  // when those are empty, and fail while one of them holds a card. So a
  // position with every card home is won, and the cards home are no part of
  // what the win asks.
  const std::uint16_t realKinds = faceDownKind_;
  for (const EventCondition& link : definition.eventConditions) {
    if (std::find(winEvents.begin(), winEvents.end(), link.event) == winEvents.end()) continue;
    if (link.condition >= definition.conditions.size()) return false;
    const ConditionDef& condition = definition.conditions[link.condition];
    const bool hasB = condition.pileB != kNoReference;
    if (condition.program >= programCount || condition.pileA >= definition.piles.size() ||
        IsBase(definition, condition.pileA) ||
        (hasB &&
         (condition.pileB >= definition.piles.size() || IsBase(definition, condition.pileB)))) {
      return false;
    }
    const std::vector<std::uint8_t>& program = definition.programs[condition.program];
    if (!Passes(program, {}, {})) return false;
    for (std::uint16_t kind = 0; kind < realKinds; ++kind) {
      if (PairAnswer(Question::kLiftsAlone, condition.program, kind, 0,
                     [&] { return Passes(program, {kind}, {}); })) {
        return false;
      }
      if (hasB && PairAnswer(Question::kPassesOnOne, condition.program, kind, 0,
                             [&] { return Passes(program, {}, {kind}); })) {
        return false;
      }
    }
  }
  // The base-marked piles never give a card back.
  std::vector<std::uint16_t> picksAsked;
  for (std::size_t p = 0; p < definition.piles.size(); ++p) {
    if (definition.piles[p].kind != kBase) continue;
    const std::uint16_t pick = definition.piles[p].pickProgram;
    if (pick >= programCount ||
        std::find(picksAsked.begin(), picksAsked.end(), pick) != picksAsked.end()) {
      continue;
    }
    picksAsked.push_back(pick);
    const std::vector<std::uint8_t>& program = definition.programs[pick];
    for (std::uint16_t kind = 0; kind < realKinds; ++kind) {
      if (PairAnswer(Question::kLiftsAlone, pick, kind, 0,
                     [&] { return Passes(program, {kind}, {}); })) {
        return false;
      }
      for (std::uint16_t under = 0; under < realKinds; ++under) {
        if (PairAnswer(Question::kFits, pick, under, kind,
                       [&] { return Passes(program, {kind}, {under}); })) {
          return false;
        }
      }
    }
  }
  return true;
}

const std::vector<bool>& SafeHomeMoves::NextKinds(const SolGame& game, std::uint16_t pile) {
  BuildPileList(game, pile, listB_.entries);
  listB_.Rehash();
  const std::uint16_t program = game.piles[pile].acceptProgram;
  const std::uint64_t key = (listB_.hash ^ (std::uint64_t{program} << 48)) * 0x9E3779B97F4A7C15ull +
                            listB_.entries.size();
  const auto [place, added] = nextKinds_.try_emplace(key);
  if (added) {
    place->second.assign(kinds_.size(), false);
    for (std::size_t k = 0; program < game.definition.programs.size() && k < kinds_.size(); ++k) {
      listA_.entries = {kinds_[k], CardListEntry{}};
      listA_.Rehash();
      place->second[k] = EvaluateRuleRemembered(game.definition.programs[program], listA_, &listB_);
    }
  }
  return place->second;
}

template <typename Ask>
bool SafeHomeMoves::PairAnswer(Question question, std::uint16_t program, std::uint16_t first,
                               std::uint16_t second, Ask ask) {
  std::vector<std::vector<std::int8_t>*>& table = answers_[static_cast<std::size_t>(question)];
  if (table.size() <= program) table.resize(program + 1u, nullptr);
  if (table[program] == nullptr) {
    // The answers are the program's, whatever game asks: kept per thread, a
    // search after the first asks nothing again.
    thread_local std::unordered_map<std::uint64_t, std::vector<std::int8_t>> shared;
    const std::uint64_t programHash = programHashes_[program];
    const std::uint64_t key =
        (programHash * 0x9E3779B97F4A7C15ull ^ kindsHash_) + static_cast<std::uint64_t>(question);
    std::vector<std::int8_t>& answers = shared[key];
    if (answers.empty()) answers.assign(kinds_.size() * kinds_.size(), -1);
    table[program] = &answers;
  }
  std::int8_t& answer = (*table[program])[first * kinds_.size() + second];
  if (answer < 0) answer = ask() ? 1 : 0;
  return answer == 1;
}

bool SafeHomeMoves::Fits(const SolGame& game, std::uint16_t program, std::uint16_t below,
                         std::uint16_t above) {
  if (program >= game.definition.programs.size()) return false;
  return PairAnswer(Question::kFits, program, below, above,
                    [&] { return Passes(game.definition.programs[program], {above}, {below}); });
}

bool SafeHomeMoves::LiftedTogether(const SolGame& game, std::uint16_t program, std::uint16_t top,
                                   std::uint16_t under) {
  if (program >= game.definition.programs.size()) return false;
  return PairAnswer(Question::kLifts, program, top, under, [&] {
    return Passes(game.definition.programs[program], {top, under}, {});
  });
}

bool SafeHomeMoves::LiftedAlone(const SolGame& game, std::uint16_t program, std::uint16_t kind) {
  if (program >= game.definition.programs.size()) return false;
  return PairAnswer(Question::kLiftsAlone, program, kind, 0,
                    [&] { return Passes(game.definition.programs[program], {kind}, {}); });
}

bool SafeHomeMoves::LandsWithoutTop(const SolGame& game, std::uint16_t program, std::uint16_t top,
                                    std::uint16_t under) {
  if (program >= game.definition.programs.size()) return true;
  return PairAnswer(Question::kLands, program, top, under, [&] {
    const std::vector<std::uint8_t>& bytes = game.definition.programs[program];
    for (std::uint16_t onto = 0; onto <= kinds_.size(); ++onto) {
      const std::uint16_t target = onto < kinds_.size() ? onto : kNoKind;
      if (Passes(bytes, {top, under}, {target}) && !Passes(bytes, {under}, {target})) return false;
    }
    return true;
  });
}

bool SafeHomeMoves::TakesRunHome(const SolGame& game, std::uint16_t program, std::uint16_t top,
                                 std::uint16_t under) {
  if (program >= game.definition.programs.size()) return false;
  return PairAnswer(Question::kRunsHome, program, top, under, [&] {
    for (std::uint16_t onto = 0; onto <= kinds_.size(); ++onto) {
      const std::uint16_t target = onto < kinds_.size() ? onto : kNoKind;
      if (Passes(game.definition.programs[program], {top, under}, {target})) return true;
    }
    return false;
  });
}

bool SafeHomeMoves::CouldComeToTake(const SolGame& game, std::uint16_t pile, std::uint16_t kind) {
  const std::uint16_t program = game.piles[pile].acceptProgram;
  reached_.assign(kinds_.size(), false);
  frontier_.clear();
  auto reach = [&](std::uint16_t k) {
    if (reached_[k] || (k != kind && !inPlay_[k])) return;
    reached_[k] = true;
    frontier_.push_back(k);
  };
  const std::vector<bool>& next = NextKinds(game, pile);
  for (std::uint16_t k = 0; k < next.size(); ++k) {
    if (next[k]) reach(k);
  }
  while (!frontier_.empty() && !reached_[kind]) {
    const std::uint16_t from = frontier_.back();
    frontier_.pop_back();
    for (std::uint16_t k = 0; k < kinds_.size(); ++k) {
      if (Fits(game, program, from, k)) reach(k);
    }
  }
  return reached_[kind];
}

const std::vector<bool>& SafeHomeMoves::Reachable(const SolGame& game, std::uint16_t program,
                                                  std::uint16_t below) {
  const auto [place, added] = reachable_.try_emplace(std::uint64_t{program} << 16 | below);
  if (added) {
    std::vector<bool>& reached = place->second;
    reached.assign(kinds_.size(), false);
    std::vector<std::uint16_t> frontier{below};
    while (!frontier.empty()) {
      const std::uint16_t from = frontier.back();
      frontier.pop_back();
      for (std::uint16_t kind = 0; kind < kinds_.size(); ++kind) {
        if (!reached[kind] && Fits(game, program, from, kind)) {
          reached[kind] = true;
          frontier.push_back(kind);
        }
      }
    }
  }
  return place->second;
}

bool SafeHomeMoves::Safe(const SolGame& game, std::uint16_t card, std::uint16_t home) {
  const GameDefinition& definition = game.definition;
  const std::uint16_t kind = kindOf_[card];
  // The kinds the destination takes next, and how many cards of them are in
  // play, the card itself included.
  const std::vector<bool>& homeTakes = NextKinds(game, home);
  inPlay_.assign(kinds_.size(), false);
  std::size_t takenInPlay = 0;
  for (std::size_t c = 0; c < game.cards.size() && c < kindOf_.size(); ++c) {
    const CardState& state = game.cards[c];
    if (IsBase(definition, state.pile)) continue;
    if (homeTakes[kindOf_[c]]) ++takenInPlay;
    if (c != card) inPlay_[state.faceUp != 0 ? kindOf_[c] : faceDownKind_] = true;
  }
  // A pile that takes one of those kinds must not take one of them again:
  // else the count of piles below says nothing.
  if (takenInPlay > 1) {
    for (std::uint16_t k = 0; k < kinds_.size(); ++k) {
      if (!homeTakes[k]) continue;
      const std::vector<bool>& after = Reachable(game, game.piles[home].acceptProgram, k);
      for (std::size_t other = 0; other < kinds_.size(); ++other) {
        if (after[other] && homeTakes[other]) return false;
      }
    }
  }
  const std::size_t pileCount = std::min(game.piles.size(), definition.piles.size());
  // The kinds the card could ever lie on: the card under it now, and those a
  // pile would take it onto. Since nothing can be put onto it (asked below),
  // it only ever tops a run with one of those under it.
  liesOn_.assign(kinds_.size(), false);
  const CardState& placed = game.cards[card];
  if (placed.position > 0) {
    const auto below = static_cast<std::uint16_t>(placed.position - 1);
    if (const auto under = game.CardAt(placed.pile, below)) {
      liesOn_[game.cards[*under].faceUp != 0 ? kindOf_[*under] : faceDownKind_] = true;
    }
  }
  programsAsked_.clear();
  for (std::size_t p = 0; p < pileCount; ++p) {
    if (IsBase(definition, static_cast<std::uint16_t>(p))) continue;
    const std::uint16_t accept = game.piles[p].acceptProgram;
    const auto asked = std::find(programsAsked_.begin(), programsAsked_.end(), accept);
    if (asked != programsAsked_.end()) continue;
    programsAsked_.push_back(accept);
    for (std::uint16_t other = 0; other < kinds_.size(); ++other) {
      if (inPlay_[other] && !liesOn_[other]) liesOn_[other] = Fits(game, accept, other, kind);
    }
  }
  // No card in play could ever be dropped onto the card on any other pile.
  // Piles alike in their programs are asked once.
  programsAsked_.clear();
  lifted_.assign(kinds_.size(), false);
  for (std::size_t p = 0; p < pileCount; ++p) {
    if (IsBase(definition, static_cast<std::uint16_t>(p))) continue;
    const PileState& state = game.piles[p];
    const std::uint32_t programs = std::uint32_t{state.acceptProgram} << 16 | state.pickProgram;
    if (std::find(programsAsked_.begin(), programsAsked_.end(), programs) != programsAsked_.end()) {
      continue;
    }
    programsAsked_.push_back(programs);
    for (std::uint16_t other = 0; other < kinds_.size(); ++other) {
      if (!inPlay_[other]) continue;
      if (Fits(game, state.acceptProgram, kind, other)) return false;
      if (liesOn_[other] && LiftedTogether(game, state.pickProgram, kind, other)) {
        // The card could lie on top of a run lifted whole: the run must
        // then lift without it too.
        if (!LiftedAlone(game, state.pickProgram, other)) return false;
        lifted_[other] = true;
      }
    }
  }
  // A run it could top lands without it wherever it lands with it, and goes
  // home whole nowhere.
  for (std::uint16_t other = 0; other < kinds_.size(); ++other) {
    if (!lifted_[other]) continue;
    for (std::size_t p = 0; p < pileCount; ++p) {
      const std::uint16_t accept = game.piles[p].acceptProgram;
      if (IsBase(definition, static_cast<std::uint16_t>(p))) {
        if (TakesRunHome(game, accept, kind, other)) return false;
      } else if (!LandsWithoutTop(game, accept, kind, other)) {
        return false;
      }
    }
  }
  BuildPileList(game, home, homeList_);
  std::size_t takers = 0;  // base-marked piles that take those kinds next
  for (std::size_t p = 0; p < pileCount; ++p) {
    const auto pile = static_cast<std::uint16_t>(p);
    if (!IsBase(definition, pile)) continue;
    const PileState& state = game.piles[p];
    const std::vector<bool>& next = NextKinds(game, pile);
    bool shares = false;
    for (std::size_t k = 0; k < next.size(); ++k) shares = shares || (next[k] && homeTakes[k]);
    if (shares) {
      // Each pile that takes any of those kinds next is one more such
      // destination: it takes the same kinds, is interchangeable with the
      // card's destination and holds the same kinds of card, so which of
      // them a card goes to makes no difference.
      if (pile != home) {
        // Found when first needed: most searches never ask.
        if (classes_.empty()) classes_ = InterchangeablePileClasses(definition);
        BuildPileList(game, pile, otherList_);
        if (next != homeTakes || classes_[pile] != classes_[home] ||
            !SameSettingsApartFromCards(state, game.piles[home]) || otherList_ != homeList_) {
          return false;
        }
      }
      ++takers;
      continue;
    }
    // Nor could any other come to take the card's kind, from its top card on.
    if (CouldComeToTake(game, pile, kind)) return false;
  }
  // Every card in play of the kinds taken finds a destination of its own.
  return takenInPlay <= takers;
}

std::optional<MoveReference> SafeHomeMoves::Find(const SolGame& game,
                                                 std::span<const MoveReference> moves) {
  if (!enabled_) return std::nullopt;
  for (const MoveReference& move : moves) {
    if (move.IsTap() || move.source >= game.cards.size() || move.source >= kindOf_.size() ||
        !IsBase(game.definition, move.destination)) {
      continue;
    }
    const CardState& card = game.cards[move.source];
    if (IsBase(game.definition, card.pile) || game.TopCard(card.pile) != move.source) continue;
    if (Safe(game, move.source, move.destination)) return move;
  }
  return std::nullopt;
}

}  // namespace cw
