#include "engine/solver/position_promise.h"

#include <algorithm>
#include <utility>

#include "engine/model/card_index.h"
#include "engine/solver/card_kinds.h"

namespace cw {
namespace {

constexpr std::uint8_t kBaseMarkKind = 2;
constexpr std::uint8_t kInertWhenEmptyKind = 1;
constexpr int kUnreached = 1 << 20;

}  // namespace

PositionPromise::PositionPromise(const GameDefinition& definition) {
  CardKinds found = KindsOfCards(definition);
  kinds_ = std::move(found.kinds);
  kindOf_ = std::move(found.kindOf);
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

PromiseTerms PositionPromise::Terms(const SolGame& game) {
  const GameDefinition& definition = game.definition;
  const std::size_t pileCount = std::min(game.piles.size(), definition.piles.size());
  shallowest_.assign(kinds_.size(), kUnreached);
  int home = 0;
  int free = 0;
  int unsequenced = 0;
  int buried = 0;
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
    for (std::size_t position = 0; position < cards.size(); ++position) {
      const std::uint16_t card = cards[position];
      if (card >= definition.cards.size()) continue;
      const int rank = definition.cards[card].rank;
      if (rank > lowest) ++buried;
      lowest = std::min(lowest, rank);
      if (position > 0 && cards[position - 1] < definition.cards.size() &&
          !Fits(game, program, kindOf_[cards[position - 1]], kindOf_[card])) {
        ++unsequenced;
      }
      int& above = shallowest_[kindOf_[card]];
      above = std::min(above, static_cast<int>(cards.size() - 1 - position));
    }
  }
  int aboveNext = 0;
  for (std::size_t p = 0; p < pileCount; ++p) {
    if (definition.piles[p].kind != kBaseMarkKind || game.piles[p].shown == 0) continue;
    int nearest = kUnreached;
    for (const std::uint16_t kind : NextKinds(game, static_cast<std::uint16_t>(p))) {
      nearest = std::min(nearest, shallowest_[kind]);
    }
    if (nearest != kUnreached) aboveNext += nearest;
  }
  return {home, free, aboveNext, unsequenced, buried};
}

}  // namespace cw
