#include "engine/model/dealer.h"

#include <chrono>
#include <limits>
#include <numeric>
#include <optional>
#include <random>

namespace cw {

namespace {

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

// The card where the probe for deal step k starts; a pure function of the
// seed so that a game number always names the same deal.
std::uint32_t ProbeStart(std::uint32_t dealSeed, std::uint32_t k, std::uint32_t cardCount) {
  const std::uint32_t s = dealSeed + k;
  const std::uint32_t t = dealSeed + 3 * k;
  const std::uint32_t kResidues = k % 2 + k % 3 + k % 5 + k % 7 + k % 11;
  const std::uint32_t sum = t % 23 + kResidues * (s % 5 + 1) + s % 181 + s % 149 + s % 107 +
                            s % 73 + s % 43 + s % 17 + s % 13 + s % 11 + s % 7 + s % 3 + s % 2 +
                            s % 5;
  return sum % cardCount;
}

// Deal counts must place every card exactly once, and a pile cannot count
// more cards than its 16-bit signed count holds.
bool DealCountsFit(const GameDefinition& definition, std::string* error) {
  std::uint64_t total = 0;
  for (const PileDef& pile : definition.piles) {
    if (pile.dealCount > std::numeric_limits<std::int16_t>::max()) {
      SetError(error, "a pile is dealt more cards than a pile can hold");
      return false;
    }
    total += pile.dealCount;
  }
  if (total != definition.cards.size()) {
    SetError(error, "the deal counts add up to " + std::to_string(total) + " cards, the deck has " +
                        std::to_string(definition.cards.size()));
    return false;
  }
  return true;
}

// Places every card, each where `pick(k, group)` answers for the k-th card
// dealt, which must be a card of the deal group not yet used, or none when
// the group has run out; false then.
template <typename Pick>
bool DealCards(SolGame& game, Pick pick, std::string* error) {
  const GameDefinition& definition = game.definition;
  const auto n = static_cast<std::uint32_t>(definition.cards.size());
  const std::uint32_t pileCount = static_cast<std::uint32_t>(definition.piles.size());
  std::vector<bool> used(n, false);

  std::uint32_t p = 0;
  std::uint32_t j = 0;
  for (std::uint32_t k = 0; k < n; ++k) {
    if (j == definition.piles[p].dealCount) {
      j = 0;
      do {
        ++p;
      } while (p < pileCount && definition.piles[p].dealCount == 0);
      if (p == pileCount) break;
    }
    const PileDef& pile = definition.piles[p];

    const std::optional<std::uint32_t> picked = pick(k, pile.dealGroup, used);
    if (!picked) {
      SetError(error, "deal group " + std::to_string(pile.dealGroup) +
                          " has too few cards for pile " + std::to_string(p));
      return false;
    }
    const std::uint32_t i = *picked;
    used[i] = true;
    CardState& card = game.cards[i];
    card.faceUp = pile.dealFaceUp;
    card.movable = 1;
    card.open = 0;
    card.reserved = 0;
    card.pile = static_cast<std::uint16_t>(p);
    card.position = static_cast<std::uint16_t>(j);
    ++game.piles[p].count;
    ++j;
  }
  return true;
}

// The game number's own order: a probe from a start that is a function of
// the number.
bool DealCardsByNumber(SolGame& game, std::uint32_t gameNumber, std::string* error) {
  const GameDefinition& definition = game.definition;
  const std::uint32_t dealSeed = gameNumber + 1000u;
  const auto n = static_cast<std::uint32_t>(definition.cards.size());
  const std::uint32_t step = DealProbeStep(n);
  const auto pick = [&](std::uint32_t k, std::uint16_t group,
                        const std::vector<bool>& used) -> std::optional<std::uint32_t> {
    std::uint32_t i = ProbeStart(dealSeed, k, n);
    for (std::uint32_t probes = 1; used[i] || definition.cards[i].dealGroup != group; ++probes) {
      if (probes == n) return std::nullopt;
      // step never divides n, so n probes visit every card once.
      i = (i + n - step % n) % n;
    }
    return i;
  };
  return DealCards(game, pick, error);
}

// A uniform draw among the cards of the group still to deal. The generator's
// output is fixed by the standard, so a number shuffles alike everywhere;
// reducing 64 bits modulo a hundred or so cards is as good as unbiased.
bool DealCardsShuffled(SolGame& game, std::uint32_t gameNumber, std::string* error) {
  const GameDefinition& definition = game.definition;
  std::mt19937_64 generator(gameNumber);
  std::vector<std::uint32_t> left;
  const auto pick = [&](std::uint32_t, std::uint16_t group,
                        const std::vector<bool>& used) -> std::optional<std::uint32_t> {
    left.clear();
    for (std::uint32_t c = 0; c < used.size(); ++c) {
      if (!used[c] && definition.cards[c].dealGroup == group) left.push_back(c);
    }
    if (left.empty()) return std::nullopt;
    return left[generator() % left.size()];
  };
  return DealCards(game, pick, error);
}

PileState PileStateFrom(const PileDef& def) {
  PileState state;
  state.x = def.x;
  state.y = def.y;
  state.fan = def.fan;
  state.shown = def.shown;
  state.acceptProgram = def.acceptProgram;
  state.pickProgram = def.pickProgram;
  state.manualOpen = def.manualOpen;
  state.enabled = def.enabled;
  if (def.kind == static_cast<std::uint8_t>(PileKind::kBase)) {
    state.baseRank = def.baseRank;
    state.baseSuit = def.baseSuit;
  } else {
    state.baseRank = def.PileValue();
  }
  return state;
}

void ApplyPlacements(SolGame& game) {
  const GameDefinition& definition = game.definition;
  for (const DealPlacement& placement : definition.dealPlacements) {
    if (placement.pile >= definition.piles.size() || placement.card >= game.cards.size()) continue;
    const std::optional<std::uint16_t> there = game.CardAt(placement.pile, placement.position);
    if (!there || *there == placement.card) continue;
    CardState& displaced = game.cards[*there];
    CardState& placed = game.cards[placement.card];
    displaced.pile = placed.pile;
    displaced.position = placed.position;
    displaced.faceUp = definition.piles[placed.pile].dealFaceUp;
    placed.pile = placement.pile;
    placed.position = placement.position;
    placed.faceUp = definition.piles[placement.pile].dealFaceUp;
  }
}

template <typename Change>
void ForEachNamedCard(SolGame& game, const std::vector<PilePosition>& places, Change change) {
  for (const PilePosition& place : places) {
    if (const std::optional<std::uint16_t> card = game.CardAt(place.pile, place.position)) {
      change(game.cards[*card]);
    }
  }
}

// Piles that leave open flags to the engine have only their top card open.
void SetOpenFlagsSilently(SolGame& game) {
  for (CardState& card : game.cards) {
    const PileState& pile = game.piles[card.pile];
    if (pile.manualOpen != 0) continue;
    card.open = card.position + 1 == pile.count ? 1 : 0;
  }
}

std::uint32_t SteadyClockTicks() {
  const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
}

}  // namespace

std::uint32_t DealProbeStep(std::uint32_t cardCount) {
  for (const std::uint32_t step : {7u, 11u, 13u, 17u}) {
    if (cardCount % step != 0) return step;
  }
  return 1;
}

std::uint32_t ChooseGameNumber(RuntimeRandom& random, std::uint32_t ticks) {
  random.Seed(ticks);
  std::uint32_t number = 0;
  for (int byte = 0; byte < 4; ++byte) {
    number |= (static_cast<std::uint32_t>(random.Next()) & 0xFFu) << (8 * byte);
  }
  return number;
}

bool Deal(SolGame& game, std::uint32_t& gameNumber, std::string* error, DealOrder order) {
  game.FreePlayState();
  const GameDefinition& definition = game.definition;
  if (!DealCountsFit(definition, error)) return false;

  game.cards.assign(definition.cards.size(), CardState{});
  game.piles.assign(definition.piles.size(), PileState{});
  game.allowedMoves = definition.movePairs;
  game.counters.assign(definition.counters.size(), CounterState{});

  if (gameNumber == 0) gameNumber = ChooseGameNumber(game.random, SteadyClockTicks());
  const bool placed = definition.cards.empty() ||
                      (order == DealOrder::kShuffled ? DealCardsShuffled(game, gameNumber, error)
                                                     : DealCardsByNumber(game, gameNumber, error));
  if (!placed) {
    game.FreePlayState();
    return false;
  }

  for (std::size_t p = 0; p < definition.piles.size(); ++p) {
    const std::int16_t dealt = game.piles[p].count;
    game.piles[p] = PileStateFrom(definition.piles[p]);
    game.piles[p].count = dealt;
  }

  ApplyPlacements(game);
  ForEachNamedCard(game, definition.dealFlips,
                   [](CardState& card) { card.faceUp = card.faceUp != 0 ? 0 : 1; });
  ForEachNamedCard(game, definition.dealFixed, [](CardState& card) { card.movable = 0; });
  ForEachNamedCard(game, definition.dealOpen, [](CardState& card) { card.open = 1; });

  for (std::size_t c = 0; c < definition.counters.size(); ++c) {
    game.counters[c] = CounterState{definition.counters[c].initialValue,
                                    definition.counters[c].exhaustedEvent};
  }
  game.won = 0;
  SetOpenFlagsSilently(game);
  game.journal.emplace();
  return true;
}

}  // namespace cw
