#include "engine/solver/position_promise.h"

#include <algorithm>
#include <optional>
#include <span>
#include <utility>

#include "engine/model/card_index.h"
#include "engine/solver/card_kinds.h"

namespace cw {
namespace {

constexpr std::uint8_t kBaseMarkKind = 2;
constexpr std::uint8_t kInertWhenEmptyKind = 1;
constexpr int kUnreached = 1 << 20;
constexpr int kRanks = 13;
// The home step of a kind whose rank its foundations have passed.
constexpr int kComesRoundAgain = -1;

// The rank after `rank` up or down, King and Ace joined.
int NextRank(int rank, bool down) { return (rank - 1 + (down ? kRanks - 1 : 1)) % kRanks + 1; }

}  // namespace

PositionPromise::PositionPromise(const GameDefinition& definition) {
  CardKinds found = KindsOfCards(definition);
  kinds_ = std::move(found.kinds);
  kindOf_ = std::move(found.kindOf);
  for (const CardListEntry& kind : kinds_) {
    suitCount_ = std::max<std::size_t>(suitCount_, kind.suit + 1u);
  }
}

const std::vector<std::uint16_t>& PositionPromise::NextKinds(const SolGame& game,
                                                             std::uint16_t pile) {
  BuildPileList(game, pile, pileList_.entries);
  pileList_.Rehash();
  const std::uint16_t program = game.piles[pile].acceptProgram;
  const std::uint64_t key = (pileList_.hash ^ (std::uint64_t{program} << 48)) * 0x9E3779B97F4A7C15ull +
                            pileList_.entries.size();
  const auto [place, added] = nextKinds_.try_emplace(key);
  if (added && program < game.definition.programs.size()) {
    for (std::size_t k = 0; k < kinds_.size(); ++k) {
      oneCard_.entries = {kinds_[k], CardListEntry{}};
      oneCard_.Rehash();
      if (EvaluateRuleRemembered(game.definition.programs[program], oneCard_, &pileList_)) {
        place->second.push_back(static_cast<std::uint16_t>(k));
      }
    }
  }
  return place->second;
}

bool PositionPromise::Fits(const SolGame& game, std::uint16_t program, std::uint16_t below,
                           std::uint16_t above) {
  if (program >= game.definition.programs.size()) return false;
  if (fits_.size() <= program) fits_.resize(program + 1u);
  std::vector<std::int8_t>& answers = fits_[program];
  if (answers.empty()) answers.assign(kinds_.size() * kinds_.size(), -1);
  std::int8_t& answer = answers[below * kinds_.size() + above];
  if (answer < 0) {
    oneCard_.entries = {kinds_[above], CardListEntry{}};
    oneCard_.Rehash();
    otherCard_.entries = {kinds_[below], CardListEntry{}};
    otherCard_.Rehash();
    answer = EvaluateRuleRemembered(game.definition.programs[program], oneCard_, &otherCard_) ? 1 : 0;
  }
  return answer == 1;
}

int PositionPromise::RankOrder::Of(int rank) const {
  // A rank outside the deck's thirteen keeps its place after them.
  if (rank < 1 || rank > kRanks) return rank + kRanks;
  return ((down ? base - rank : rank - base) + kRanks) % kRanks;
}

PositionPromise::RankOrder PositionPromise::HomeRankOrder(const SolGame& game) {
  const GameDefinition& definition = game.definition;
  const std::size_t pileCount = std::min(game.piles.size(), definition.piles.size());
  std::optional<RankOrder> found;
  for (std::size_t p = 0; p < pileCount; ++p) {
    if (definition.piles[p].kind != kBaseMarkKind) continue;
    const auto pile = static_cast<std::uint16_t>(p);
    const std::span<const std::uint16_t> cards = CardsOfPile(game, pile);
    if (cards.empty() || cards[0] >= definition.cards.size()) continue;
    const int bottom = definition.cards[cards[0]].rank;
    std::optional<int> next;
    if (cards.size() >= 2 && cards[1] < definition.cards.size()) {
      next = definition.cards[cards[1]].rank;
    } else if (cards.size() == 1) {
      const std::vector<std::uint16_t>& kinds = NextKinds(game, pile);
      if (!kinds.empty()) next = static_cast<int>(kinds_[kinds.front()].rank);
    }
    // A pile that builds neither way from its bottom card (a base-marked
    // cell holding its one card) shows no order.
    if (next != NextRank(bottom, false) && next != NextRank(bottom, true)) continue;
    const RankOrder order{bottom, next == NextRank(bottom, true)};
    // Piles that start apart or build apart give no one order.
    if (found && (found->base != order.base || found->down != order.down)) return {};
    found = order;
  }
  return found.value_or(RankOrder{});
}

void PositionPromise::FindHomeSteps(const SolGame& game) {
  const GameDefinition& definition = game.definition;
  const std::size_t pileCount = std::min(game.piles.size(), definition.piles.size());
  const RankOrder order = HomeRankOrder(game);
  nextOfSuit_.assign(suitCount_, kUnreached);
  homeNext_.clear();
  for (std::size_t p = 0; p < pileCount; ++p) {
    if (definition.piles[p].kind != kBaseMarkKind || game.piles[p].shown == 0) continue;
    const std::vector<std::uint16_t>& next = NextKinds(game, static_cast<std::uint16_t>(p));
    homeNext_.push_back(&next);
    // An empty pile may yet take any rank it takes now, again.
    const bool holdsCards = game.piles[p].count > 0;
    for (const std::uint16_t kind : next) {
      int& nearest = nextOfSuit_[kinds_[kind].suit];
      nearest = std::min(nearest, holdsCards ? order.Of(static_cast<int>(kinds_[kind].rank)) : 0);
    }
  }
  homeSteps_.resize(kinds_.size());
  for (std::size_t k = 0; k < kinds_.size(); ++k) {
    const int step = order.Of(static_cast<int>(kinds_[k].rank));
    const int next = nextOfSuit_[kinds_[k].suit];
    // Every foundation of the suit has passed the rank: a card of it still
    // in play goes home only when they come round to it again, so it buries
    // nothing lying on it. Nor is it counted as buried itself: counted as
    // going home last, it left more deals of Double FreeCell undecided.
    homeSteps_[k] = next != kUnreached && step < next ? kComesRoundAgain : step;
  }
}

PromiseTerms PositionPromise::Terms(const SolGame& game) {
  const GameDefinition& definition = game.definition;
  const std::size_t pileCount = std::min(game.piles.size(), definition.piles.size());
  FindHomeSteps(game);
  shallowest_.assign(kinds_.size(), kUnreached);
  int home = 0;
  int free = 0;
  int unsequenced = 0;
  int buried = 0;
  int buriedByRank = 0;
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
    const std::uint16_t program = game.piles[p].acceptProgram;
    int lowest = kUnreached;
    int lowestRank = kUnreached;
    for (std::size_t position = 0; position < cards.size(); ++position) {
      const std::uint16_t card = cards[position];
      if (card >= definition.cards.size()) continue;
      const int step = homeSteps_[kindOf_[card]];
      if (step != kComesRoundAgain) {
        if (step > lowest) ++buried;
        lowest = std::min(lowest, step);
      }
      const int rank = definition.cards[card].rank;
      if (rank > lowestRank) ++buriedByRank;
      lowestRank = std::min(lowestRank, rank);
      if (position > 0 && cards[position - 1] < definition.cards.size() &&
          !Fits(game, program, kindOf_[cards[position - 1]], kindOf_[card])) {
        ++unsequenced;
      }
      int& above = shallowest_[kindOf_[card]];
      above = std::min(above, static_cast<int>(cards.size() - 1 - position));
    }
  }
  int aboveNext = 0;
  for (const std::vector<std::uint16_t>* next : homeNext_) {
    int nearest = kUnreached;
    for (const std::uint16_t kind : *next) nearest = std::min(nearest, shallowest_[kind]);
    if (nearest != kUnreached) aboveNext += nearest;
  }
  return {home, free, aboveNext, unsequenced, buried, buriedByRank};
}

}  // namespace cw
