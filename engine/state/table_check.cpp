#include "engine/state/table_check.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "engine/database/record_codes.h"
#include "engine/rules/moves.h"

namespace cw {
namespace {

bool IsFlag(std::uint32_t value) { return value <= 1; }
std::uint8_t AsFlag(std::uint16_t value) { return value != 0 ? 1 : 0; }

std::string Numbered(const char* what, std::size_t number) {
  return std::string(what) + " " + std::to_string(number);
}

// A program number a pile can hold: one of the definition's programs, or the
// one the definition gave the pile (which may name none).
bool IsPileProgram(const GameDefinition& definition, std::uint16_t program, std::uint16_t dealt) {
  return program < definition.programs.size() || program == dealt;
}

TableCheck CheckSizes(const SolGame& game) {
  const GameDefinition& definition = game.definition;
  if (game.cards.size() != definition.cards.size()) {
    return TableCheck::Failed("the table has " + std::to_string(game.cards.size()) +
                              " cards, the definition " + std::to_string(definition.cards.size()));
  }
  if (game.piles.size() != definition.piles.size()) {
    return TableCheck::Failed("the table has " + std::to_string(game.piles.size()) +
                              " piles, the definition " + std::to_string(definition.piles.size()));
  }
  if (game.counters.size() != definition.counters.size()) {
    return TableCheck::Failed("the table has " + std::to_string(game.counters.size()) +
                              " counters, the definition " +
                              std::to_string(definition.counters.size()));
  }
  if (!IsFlag(game.won)) return TableCheck::Failed("a won flag of " + std::to_string(game.won));
  return TableCheck::Passed();
}

TableCheck CheckPile(const GameDefinition& definition, std::size_t p, const PileState& pile) {
  const PileDef& def = definition.piles[p];
  const std::string name = Numbered("pile", p);
  if (pile.count < 0) return TableCheck::Failed(name + " has a negative count");
  if (!IsFlag(pile.shown) || !IsFlag(pile.enabled)) {
    return TableCheck::Failed(name + " has a shown or enabled flag other than 0 or 1");
  }
  const bool baseMark = def.kind == static_cast<std::uint8_t>(PileKind::kBase);
  if (pile.fan != def.fan || pile.manualOpen != def.manualOpen ||
      pile.baseSuit != (baseMark ? def.baseSuit : 0u)) {
    return TableCheck::Failed(name + " has a fan, manual-open flag or base suit no deal gave it");
  }
  if (pile.baseRank > 0xFFFF) return TableCheck::Failed(name + " has a value beyond 16 bits");
  if (!IsPileProgram(definition, pile.acceptProgram, def.acceptProgram) ||
      !IsPileProgram(definition, pile.pickProgram, def.pickProgram)) {
    return TableCheck::Failed(name + " names a program the definition does not have");
  }
  return TableCheck::Passed();
}

TableCheck CheckCardPlaces(const SolGame& game, OffTableCards offTable) {
  const std::size_t pileCount = game.piles.size();
  std::vector<std::vector<bool>> taken(pileCount);
  for (std::size_t p = 0; p < pileCount; ++p) {
    // A count beyond the deck leaves places no card can fill; capping it keeps
    // the table of places as small as the deck.
    const std::size_t count = static_cast<std::size_t>(game.piles[p].count);
    taken[p].assign(std::min(count, game.cards.size() + 1), false);
  }
  for (std::size_t c = 0; c < game.cards.size(); ++c) {
    const CardState& card = game.cards[c];
    const std::string name = Numbered("card", c);
    if (!IsFlag(card.faceUp) || !IsFlag(card.movable) || !IsFlag(card.open)) {
      return TableCheck::Failed(name + " has a flag other than 0 or 1");
    }
    if (card.pile == kNoReference && offTable == OffTableCards::kAllowed) continue;
    if (card.pile >= pileCount) return TableCheck::Failed(name + " lies in no pile");
    std::vector<bool>& places = taken[card.pile];
    if (card.position >= places.size()) {
      return TableCheck::Failed(name + " lies past the top of pile " + std::to_string(card.pile));
    }
    if (places[card.position]) {
      return TableCheck::Failed("two cards lie at position " + std::to_string(card.position) +
                                " of pile " + std::to_string(card.pile));
    }
    places[card.position] = true;
  }
  for (std::size_t p = 0; p < pileCount; ++p) {
    for (std::size_t position = 0; position < taken[p].size(); ++position) {
      if (!taken[p][position]) {
        return TableCheck::Failed("pile " + std::to_string(p) + " has no card at position " +
                                  std::to_string(position));
      }
    }
  }
  return TableCheck::Passed();
}

TableCheck CheckRoutesAndCounters(const SolGame& game) {
  const std::size_t pileCount = game.piles.size();
  for (const MovePair& route : game.allowedMoves) {
    if ((route.source != kNoReference && route.source >= pileCount) ||
        (route.destination != kNoReference && route.destination >= pileCount)) {
      return TableCheck::Failed("a route names a pile the table does not have");
    }
  }
  for (std::size_t k = 0; k < game.counters.size(); ++k) {
    const CounterState& counter = game.counters[k];
    const CounterDef& def = game.definition.counters[k];
    if (counter.exhaustedEvent != def.exhaustedEvent || counter.value > def.initialValue) {
      return TableCheck::Failed(Numbered("counter", k) + " holds more than it started with or " +
                                "another exhausted event");
    }
  }
  return TableCheck::Passed();
}

std::int16_t CountOf(const SolGame& game, std::uint16_t pile) { return game.piles[pile].count; }

// What a journal record needs of the table to be the newest change made to
// it, and what undoing it must leave; checked around each undo step.
class RecordCheck {
 public:
  RecordCheck(const SolGame& game, const JournalRecord& record) : record_(record) {
    const GameDefinition& definition = game.definition;
    const std::size_t pileCount = game.piles.size();
    switch (static_cast<JournalType>(record.type)) {
      case JournalType::kPlayerMove:
        // A card is never dropped on its own pile. The source held `value`
        // cards after the pick-up; the destination held `targetCount` and
        // gained at least one.
        valid_ = record.index < pileCount && record.target < pileCount &&
                 record.index != record.target && record.targetCount >= 0 &&
                 CountOf(game, record.index) == record.value &&
                 CountOf(game, record.target) > record.targetCount;
        expectTarget_ = record.targetCount;
        break;
      case JournalType::kAction:
        valid_ = record.index < definition.actions.size() &&
                 CheckAction(game, definition.actions[record.index]);
        break;
      case JournalType::kOpenChanged:
        valid_ = record.index < game.cards.size();
        break;
      case JournalType::kCounterUsed:
        valid_ = record.index < game.counters.size() &&
                 game.counters[record.index].value < definition.counters[record.index].initialValue;
        break;
      default:
        valid_ = false;
        break;
    }
  }

  bool ValidBefore() const { return valid_; }

  bool ValidAfter(const SolGame& game) const {
    if (expectTarget_ && CountOf(game, record_.target) != *expectTarget_) return false;
    if (movedFrom_ && CountOf(game, *movedFrom_) != *expectSource_) return false;
    if (movedTo_ && CountOf(game, *movedTo_) != *expectDestination_) return false;
    return true;
  }

 private:
  bool CheckAction(const SolGame& game, const ActionDef& action) {
    const std::size_t pileCount = game.piles.size();
    const std::uint16_t recorded = record_.value;
    switch (static_cast<ActionType>(action.type)) {
      case ActionType::kMoveCards: {
        if (action.pile >= pileCount || action.destPile >= pileCount) return false;
        int moved = 0;
        switch (static_cast<MoveRange>(action.mode)) {
          case MoveRange::kBetweenEnds:
            moved = recorded - action.to - action.from;
            break;
          case MoveRange::kUnderTop:
          case MoveRange::kAboveBottom:
            moved = recorded;
            break;
          default:
            return false;  // moves no card, so it is never recorded
        }
        if (moved <= 0) return false;
        if (action.pile == action.destPile) return true;
        if (CountOf(game, action.destPile) < moved) return false;
        movedFrom_ = action.pile;
        movedTo_ = action.destPile;
        expectSource_ = static_cast<std::int16_t>(CountOf(game, action.pile) + moved);
        expectDestination_ = static_cast<std::int16_t>(CountOf(game, action.destPile) - moved);
        // A move between the ends took everything but its margins from a pile
        // of `recorded` cards.
        return static_cast<MoveRange>(action.mode) != MoveRange::kBetweenEnds ||
               *expectSource_ == recorded;
      }
      case ActionType::kPileAttribute: {
        if (action.pile >= pileCount) return false;
        const PileState& pile = game.piles[action.pile];
        switch (static_cast<PileAttribute>(action.attribute)) {
          case PileAttribute::kShown:
            return pile.shown == AsFlag(action.value);
          case PileAttribute::kEnabled:
            return pile.enabled == AsFlag(action.value);
          case PileAttribute::kReverse:
            return true;
          case PileAttribute::kAcceptProgram:
            return pile.acceptProgram == action.value;
          case PileAttribute::kPickProgram:
            return pile.pickProgram == action.value;
          case PileAttribute::kValue:
            return pile.baseRank == action.value;
          case PileAttribute::kShuffle:
            return pile.count > 0;
          default:
            return false;  // changes nothing, so it is never recorded
        }
      }
      case ActionType::kCardAttribute: {
        const auto attribute = static_cast<CardAttribute>(action.attribute);
        return action.pile < pileCount &&
               (attribute == CardAttribute::kFaceUp || attribute == CardAttribute::kMovable ||
                attribute == CardAttribute::kOpen);
      }
      case ActionType::kDenyRoute:
      case ActionType::kAllowRoute:
        return true;
      case ActionType::kGameWon:
        return game.won == 1 && IsFlag(recorded);
      case ActionType::kResetCounter:
        return action.pile < game.counters.size() &&
               game.counters[action.pile].value ==
                   game.definition.counters[action.pile].initialValue &&
               recorded <= game.definition.counters[action.pile].initialValue;
    }
    return false;
  }

  JournalRecord record_;
  bool valid_ = false;
  std::optional<std::int16_t> expectTarget_;
  std::optional<std::uint16_t> movedFrom_;
  std::optional<std::uint16_t> movedTo_;
  std::optional<std::int16_t> expectSource_;
  std::optional<std::int16_t> expectDestination_;
};

}  // namespace

TableCheck CheckTable(const SolGame& game, OffTableCards offTable) {
  if (TableCheck sizes = CheckSizes(game); !sizes) return sizes;
  for (std::size_t p = 0; p < game.piles.size(); ++p) {
    if (TableCheck pile = CheckPile(game.definition, p, game.piles[p]); !pile) return pile;
  }
  if (TableCheck places = CheckCardPlaces(game, offTable); !places) return places;
  return CheckRoutesAndCounters(game);
}

TableCheck CheckJournal(const SolGame& game) {
  if (!game.HasPlayState()) return TableCheck::Failed("the game has no journal");
  const MoveJournal& journal = *game.journal;
  if (!journal.Empty() && journal[0].groupStart != 1) {
    return TableCheck::Failed("the first journal record starts no move");
  }
  for (std::uint32_t i = 0; i < journal.Count(); ++i) {
    if (!IsFlag(journal[i].groupStart)) {
      return TableCheck::Failed(Numbered("journal record", i) + " has a group flag above 1");
    }
  }
  SolGame copy = game;
  copy.onJournalAppend = nullptr;
  while (!copy.journal->Empty()) {
    const std::uint32_t newest = copy.journal->Count() - 1;
    const RecordCheck check(copy, copy.journal->Back());
    if (!check.ValidBefore()) {
      return TableCheck::Failed(Numbered("journal record", newest) + " does not fit the table");
    }
    UndoStep(copy);
    if (!check.ValidAfter(copy)) {
      return TableCheck::Failed("undoing journal record " + std::to_string(newest) +
                                " leaves other counts than it recorded");
    }
  }
  if (TableCheck dealt = CheckTable(copy); !dealt) {
    return TableCheck::Failed("the table the journal undoes back to: " + dealt.Problem());
  }
  return TableCheck::Passed();
}

}  // namespace cw
