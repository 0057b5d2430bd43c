#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/model/sol_game.h"

namespace cw {

namespace {

// Design units are fractions of the card size: a fifteenth (small cards) or
// an eighteenth (large cards) of its width, a twenty-first or a
// twenty-fourth of its height.
struct DesignUnitScale {
  int cardExtent;
  int divisor;
};

std::int16_t ConvertCoordinate(std::int16_t value, std::uint8_t anchor, DesignUnitScale scale) {
  const int v = value;
  int pixels = v;
  switch (static_cast<AnchorMode>(anchor)) {
    case AnchorMode::kNear:
      pixels = v * scale.cardExtent / scale.divisor;
      break;
    case AnchorMode::kCentre:
      pixels = (v - 80) * scale.cardExtent / scale.divisor + 80;
      break;
    case AnchorMode::kFar:
      pixels = (v - 160) * scale.cardExtent / scale.divisor + 160;
      break;
    case AnchorMode::kProportional:
    default:
      break;
  }
  return static_cast<std::int16_t>(std::clamp(pixels, int{std::numeric_limits<std::int16_t>::min()},
                                               int{std::numeric_limits<std::int16_t>::max()}));
}

// Screens between 96 and 192 dpi are too fine for small cards: such games
// get large cards, placed with the small-card divisors, and fans a little
// shorter so that they still clear the piles below them.
bool SwitchesToLargeCards(std::uint16_t layoutVariant, const DisplayMetrics& display) {
  const double scaleFactor = display.logPixelsY / 96.0;
  return layoutVariant == 0 && scaleFactor > 1.0 && scaleFactor < 2.0;
}

void ConvertPileCoordinates(GameDefinition& definition, const DisplayMetrics& display) {
  const bool smallCardDivisors = definition.layoutVariant != 1;
  if (SwitchesToLargeCards(definition.layoutVariant, display)) {
    definition.layoutVariant = 1;
    for (PileDef& pile : definition.piles) {
      if (pile.fanLimit != 0) {
        pile.fanLimit = static_cast<std::uint16_t>(std::max(0, pile.fanLimit - 3));
      }
    }
  }
  const CardMetrics metrics = ComputeCardMetrics(definition.layoutVariant, display);
  const DesignUnitScale horizontal{metrics.cardWidth, smallCardDivisors ? 15 : 18};
  const DesignUnitScale vertical{metrics.cardHeight, smallCardDivisors ? 21 : 24};
  for (PileDef& pile : definition.piles) {
    pile.x = ConvertCoordinate(pile.x, pile.xAnchor, horizontal);
    pile.y = ConvertCoordinate(pile.y, pile.yAnchor, vertical);
  }
}

std::vector<std::vector<std::uint8_t>> TerminatedPrograms(
    const std::vector<std::vector<std::uint8_t>>& programs) {
  std::vector<std::vector<std::uint8_t>> copies;
  copies.reserve(programs.size());
  for (const auto& program : programs) {
    auto& copy = copies.emplace_back();
    copy.reserve(program.size() + 1);
    copy.assign(program.begin(), program.end());
    copy.push_back(0);  // the evaluator stops at this byte
  }
  return copies;
}

}  // namespace

void ParseDefinition(SolGame& game, const DefinitionRecord& record, const DisplayMetrics& display) {
  GameDefinition definition;

  // The name field keeps 31 characters and its terminator; a name stops at
  // its first zero byte.
  const std::size_t nameLength =
      std::min({record.name.size(), std::strlen(record.name.c_str()), definition.name.size() - 1});
  std::copy_n(record.name.begin(), nameLength, definition.name.begin());

  definition.rulesText = record.rulesText;
  definition.id = record.id;
  definition.category = record.category;
  definition.skill = record.skill;
  definition.duration = record.duration;
  definition.layoutVariant = record.layoutVariant;
  definition.cards = record.cards;
  definition.piles = record.piles;
  definition.actions = record.actions;
  definition.movePairs = record.movePairs;
  definition.dealPlacements = record.dealPlacements;
  definition.dealFlips = record.dealFlips;
  definition.dealFixed = record.dealFixed;
  definition.dealOpen = record.dealOpen;
  definition.eventKinds = record.eventKinds;
  definition.eventActions = record.eventActions;
  definition.programs = TerminatedPrograms(record.programs);
  definition.conditions = record.conditions;
  definition.eventConditions = record.eventConditions;
  definition.counters = record.counters;
  definition.eventCounters = record.eventCounters;
  definition.extraCategories.assign(record.extraCategories.begin(), record.extraCategories.end());

  if (!definition.piles.empty()) ConvertPileCoordinates(definition, display);
  IndexDefinition(definition);

  game.definition = std::move(definition);
}

bool ParseDefinition(SolGame& game, std::span<const std::uint8_t> bytes,
                     const DisplayMetrics& display, std::string* error) {
  DecodeResult decoded = DecodeRecord(bytes);
  if (!decoded.record) {
    game.definition = GameDefinition{};
    if (error) *error = decoded.error;
    return false;
  }
  ParseDefinition(game, *decoded.record, display);
  return true;
}

}  // namespace cw
