// How promising a position looks, in any game, for the order in which the
// search expands positions.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "engine/model/sol_game.h"
#include "engine/rules/rule_cache.h"

namespace cw {

// What the judgement of a position reads off it, each counted in cards or
// piles: higher is better for the first two, worse for the others.
struct PromiseTerms {
  int home = 0;         // cards on base-marked piles
  int free = 0;         // empty piles that take cards
  int aboveNext = 0;    // cards lying above the cards the base-marked piles take next
  int unsequenced = 0;  // cards on a card their pile would not let them go onto
  int buried = 0;       // cards lying above a card of their pile that goes home sooner
  int buriedByRank = 0;  // cards lying above a card of their pile of lower rank
};

// How much each term counts: different weights lead a search different ways.
struct PromiseWeights {
  int home = 8;
  int free = 3;
  int aboveNext = 1;
  int unsequenced = 1;
  int buried = 1;
  int buriedByRank = 0;

  int Of(const PromiseTerms& terms) const {
    return home * terms.home + free * terms.free - aboveNext * terms.aboveNext -
           unsequenced * terms.unsequenced - buried * terms.buried -
           buriedByRank * terms.buriedByRank;
  }
};

class PositionPromise {
 public:
  explicit PositionPromise(const GameDefinition& definition);

  // Higher is better: cards home on base-marked piles and free places count
  // for a position; cards lying above the cards the base-marked piles take
  // next, cards lying on a card their pile would not let them go onto, and
  // cards lying above a card of their pile that goes home sooner (by
  // HomeRankOrder), count against it.
  int Of(const SolGame& game) { return PromiseWeights{}.Of(Terms(game)); }
  PromiseTerms Terms(const SolGame& game);

 private:
  // The kinds of card (index into kinds_) that the pile takes next, asked of
  // its accept program once per program and pile contents.
  const std::vector<std::uint16_t>& NextKinds(const SolGame& game, std::uint16_t pile);

  // The ranks in the order the base-marked piles take them: from the rank
  // at the bottom of those holding cards, up or down as they build,
  // wrapping; the plain order from the Ace up until they show one.
  struct RankOrder {
    int base = 1;
    bool down = false;
    // How many ranks go home before this one.
    int Of(int rank) const;
  };
  RankOrder HomeRankOrder(const SolGame& game);
  // Per kind, how many ranks of its suit go home before it, or
  // kComesRoundAgain for a rank its foundations have passed (homeSteps_);
  // and the kinds each shown base-marked pile takes next (homeNext_).
  void FindHomeSteps(const SolGame& game);

  // Whether the accept program takes a card of kind `above` onto one of kind
  // `below`, asked once per program and pair.
  bool Fits(const SolGame& game, std::uint16_t program, std::uint16_t below, std::uint16_t above);

  std::vector<CardListEntry> kinds_;  // each distinct (suit, rank) of the deck
  std::vector<std::uint16_t> kindOf_;  // per card
  std::unordered_map<std::uint64_t, std::vector<std::uint16_t>> nextKinds_;
  std::vector<std::vector<std::int8_t>> fits_;  // per program: per pair of kinds, or -1
  std::size_t suitCount_ = 0;
  std::vector<int> shallowest_;  // scratch, per kind: fewest cards above one of its cards
  std::vector<int> homeSteps_;   // scratch, per kind
  std::vector<int> nextOfSuit_;  // scratch, per suit: the soonest step its foundations take
  std::vector<const std::vector<std::uint16_t>*> homeNext_;  // scratch
  HashedCardList pileList_;      // scratch
  HashedCardList oneCard_;       // scratch
  HashedCardList otherCard_;     // scratch
};

}  // namespace cw
