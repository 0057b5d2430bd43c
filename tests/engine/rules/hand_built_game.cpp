#include "tests/engine/rules/hand_built_game.h"

#include "engine/rules/automatic_events.h"
#include "engine/state/table_check.h"

namespace cw::testing {

PileDef OpenPile(std::uint16_t dealCount) {
  PileDef pile;
  pile.xAnchor = 1;
  pile.yAnchor = 1;
  pile.fan = static_cast<std::uint8_t>(FanDirection::kDown);
  pile.dealFaceUp = 1;
  pile.shown = 1;
  pile.dealCount = dealCount;
  pile.pickProgram = 0;
  pile.acceptProgram = 0;
  pile.enabled = 1;
  return pile;
}

ActionDef MoveAction(std::uint8_t mode, std::uint16_t pile, std::uint16_t from, std::uint16_t to,
                     std::uint16_t destPile, std::uint8_t destMode, std::uint16_t destIndex) {
  ActionDef action;
  action.type = static_cast<std::uint8_t>(ActionType::kMoveCards);
  action.mode = mode;
  action.pile = pile;
  action.from = from;
  action.to = to;
  action.destPile = destPile;
  action.destMode = destMode;
  action.destIndex = destIndex;
  return action;
}

ActionDef PileAttributeAction(std::uint16_t pile, PileAttribute attribute, std::uint16_t value) {
  ActionDef action;
  action.type = static_cast<std::uint8_t>(ActionType::kPileAttribute);
  action.pile = pile;
  action.attribute = static_cast<std::uint8_t>(attribute);
  action.value = value;
  return action;
}

ActionDef CardAttributeAction(std::uint8_t mode, std::uint16_t pile, std::uint16_t from,
                              std::uint16_t to, CardAttribute attribute, std::uint16_t value) {
  ActionDef action;
  action.type = static_cast<std::uint8_t>(ActionType::kCardAttribute);
  action.mode = mode;
  action.pile = pile;
  action.from = from;
  action.to = to;
  action.attribute = static_cast<std::uint8_t>(attribute);
  action.value = value;
  return action;
}

ActionDef RouteAction(ActionType type, std::uint16_t source, std::uint16_t destination) {
  ActionDef action;
  action.type = static_cast<std::uint8_t>(type);
  action.pile = source;
  action.destPile = destination;
  return action;
}

ActionDef SimpleAction(ActionType type, std::uint16_t pile) {
  ActionDef action;
  action.type = static_cast<std::uint8_t>(type);
  action.pile = pile;
  return action;
}

HandBuiltGame::HandBuiltGame() {
  GameDefinition& definition = game.definition;
  for (std::uint8_t suit = 1; suit <= 4; ++suit) {
    for (std::uint8_t rank = 1; rank <= 13; ++rank) definition.cards.push_back({0, suit, rank});
  }
  passProgram = AddProgram(kPassProgram);
  failProgram = AddProgram(kFailProgram);
  AddEvent(EventKind::kAutomatic);
  AddCondition(0, failProgram, 0);
  definition.movePairs.push_back({kNoReference, kNoReference});
}

std::uint16_t HandBuiltGame::AddProgram(const std::vector<std::uint8_t>& program) {
  game.definition.programs.push_back(program);
  return static_cast<std::uint16_t>(game.definition.programs.size() - 1);
}

std::uint16_t HandBuiltGame::AddPile(const PileDef& pile) {
  game.definition.piles.push_back(pile);
  return static_cast<std::uint16_t>(game.definition.piles.size() - 1);
}

std::uint16_t HandBuiltGame::AddEvent(EventKind kind) {
  game.definition.eventKinds.push_back(static_cast<std::uint8_t>(kind));
  return static_cast<std::uint16_t>(game.definition.eventKinds.size() - 1);
}

std::uint16_t HandBuiltGame::AddAction(std::uint16_t event, const ActionDef& action) {
  game.definition.actions.push_back(action);
  const auto index = static_cast<std::uint16_t>(game.definition.actions.size() - 1);
  game.definition.eventActions.push_back({event, index});
  return index;
}

void HandBuiltGame::AddCondition(std::uint16_t event, std::uint16_t program, std::uint16_t pileA,
                                 std::uint16_t pileB) {
  game.definition.conditions.push_back({program, pileA, pileB});
  game.definition.eventConditions.push_back(
      {event, static_cast<std::uint16_t>(game.definition.conditions.size() - 1)});
}

std::uint16_t HandBuiltGame::AddCounter(std::uint16_t event, std::uint16_t initialValue,
                                        std::uint16_t exhaustedEvent) {
  game.definition.counters.push_back({initialValue, exhaustedEvent});
  const auto index = static_cast<std::uint16_t>(game.definition.counters.size() - 1);
  game.definition.eventCounters.push_back({event, index});
  return index;
}

SolGame& HandBuiltGame::Deal() {
  const GameDefinition& definition = game.definition;
  game.FreePlayState();
  game.piles.assign(definition.piles.size(), PileState{});
  game.cards.assign(definition.cards.size(), CardState{});
  std::size_t next = 0;
  for (std::size_t p = 0; p < definition.piles.size(); ++p) {
    const PileDef& pileDef = definition.piles[p];
    PileState& pile = game.piles[p];
    pile.x = pileDef.x;
    pile.y = pileDef.y;
    pile.fan = pileDef.fan;
    pile.shown = pileDef.shown;
    pile.acceptProgram = pileDef.acceptProgram;
    pile.pickProgram = pileDef.pickProgram;
    pile.manualOpen = pileDef.manualOpen;
    pile.enabled = pileDef.enabled;
    if (pileDef.kind == static_cast<std::uint8_t>(PileKind::kBase)) {
      pile.baseRank = pileDef.baseRank;
      pile.baseSuit = pileDef.baseSuit;
    } else {
      pile.baseRank = pileDef.PileValue();
    }
    for (std::uint16_t j = 0; j < pileDef.dealCount && next < game.cards.size(); ++j, ++next) {
      CardState& card = game.cards[next];
      card.faceUp = pileDef.dealFaceUp;
      card.movable = 1;
      card.pile = static_cast<std::uint16_t>(p);
      card.position = j;
      ++pile.count;
    }
  }
  // Cards no pile asked for stay out of play on a pile that does not exist.
  for (; next < game.cards.size(); ++next) game.cards[next].pile = kNoReference;
  game.allowedMoves = definition.movePairs;
  for (const CounterDef& counter : definition.counters) {
    game.counters.push_back({counter.initialValue, counter.exhaustedEvent});
  }
  game.won = 0;
  UpdateOpenFlags(game, false);
  game.journal.emplace();
  return game;
}

bool PilesAreConsistent(const SolGame& game) {
  return static_cast<bool>(CheckTable(game, OffTableCards::kAllowed));
}

std::vector<std::uint16_t> PileContents(const SolGame& game, std::uint16_t pile) {
  std::vector<std::uint16_t> contents;
  if (pile >= game.piles.size()) return contents;
  for (std::int16_t position = 0; position < game.piles[pile].count; ++position) {
    const auto card = game.CardAt(pile, static_cast<std::uint16_t>(position));
    contents.push_back(card ? *card : kNoReference);
  }
  return contents;
}

}  // namespace cw::testing
