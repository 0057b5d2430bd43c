#include "engine/rules/moves.h"

#include "engine/rules/actions.h"
#include "engine/rules/legality.h"

namespace cw {

namespace {

// A pile with both its definition and its play state.
bool IsPlayPile(const SolGame& game, std::uint16_t pile) {
  return pile < game.piles.size() && pile < game.definition.piles.size();
}

std::uint16_t FlippedFlag(std::uint16_t value) { return value == 0 ? 1 : 0; }

// The action that takes back a performed action: moves go back the way they
// came, attributes get their recorded or flipped value, routes the opposite
// permission. Answers false when the action has nothing to run backwards.
bool ReversalOf(const ActionDef& action, std::uint16_t recordedValue, ActionDef& reversal) {
  reversal = action;
  switch (static_cast<ActionType>(action.type)) {
    case ActionType::kMoveCards:
      reversal.pile = action.destPile;
      reversal.destPile = action.pile;
      reversal.mode = action.destMode;
      reversal.from = action.destIndex;
      if (static_cast<MoveRange>(action.mode) == MoveRange::kBetweenEnds) {
        const int moved = recordedValue - action.to - action.from;
        reversal.to = static_cast<std::uint16_t>(moved > 0 ? moved : 0);
        reversal.destMode = static_cast<std::uint8_t>(MoveInsertion::kUnderTop);
        reversal.destIndex = action.to;
      } else {
        reversal.to = recordedValue;
        reversal.destMode = action.mode;
        reversal.destIndex = action.from;
      }
      return true;
    case ActionType::kPileAttribute:
      switch (static_cast<PileAttribute>(action.attribute)) {
        case PileAttribute::kAcceptProgram:
        case PileAttribute::kValue:
        case PileAttribute::kShuffle:
        case PileAttribute::kPickProgram:
          reversal.value = recordedValue;
          break;
        default:
          reversal.value = FlippedFlag(action.value);
          break;
      }
      return true;
    case ActionType::kCardAttribute:
      reversal.value = FlippedFlag(action.value);
      return true;
    case ActionType::kDenyRoute:
      reversal.type = static_cast<std::uint8_t>(ActionType::kAllowRoute);
      return true;
    case ActionType::kAllowRoute:
      reversal.type = static_cast<std::uint8_t>(ActionType::kDenyRoute);
      return true;
    case ActionType::kGameWon:
    case ActionType::kResetCounter:
      // Restored directly from the recorded value by the caller.
      return false;
  }
  return false;
}

void UndoAction(SolGame& game, const JournalRecord& record, ActionObserver* observer) {
  if (record.index >= game.definition.actions.size()) return;
  const ActionDef& action = game.definition.actions[record.index];
  switch (static_cast<ActionType>(action.type)) {
    case ActionType::kGameWon:
      game.won = static_cast<std::uint8_t>(record.value != 0 ? 1 : 0);
      if (observer != nullptr) observer->TableChanged(WonSet{game.won});
      return;
    case ActionType::kResetCounter:
      if (action.pile >= game.counters.size()) return;
      game.counters[action.pile].value = record.value;
      if (observer != nullptr) observer->TableChanged(CounterSet{action.pile, record.value});
      return;
    default:
      break;
  }
  ActionDef reversal;
  if (!ReversalOf(action, record.value, reversal)) return;
  ExecuteAction(game, reversal, nullptr, observer);
}

}  // namespace

bool DropCards(SolGame& game, std::uint16_t card, std::uint16_t pile, ActionObserver* observer) {
  if (card >= game.cards.size() || !IsPlayPile(game, pile)) return false;
  const CardState moving = game.cards[card];
  if (moving.pile >= game.piles.size()) return false;
  const int sourceCount = game.piles[moving.pile].count;
  if (moving.position >= sourceCount) return false;
  if (game.piles[pile].shown == 0 || !CanDrop(game, card, pile)) return false;

  JournalRecord entry;
  entry.type = static_cast<std::uint32_t>(JournalType::kPlayerMove);
  entry.groupStart = 1;
  entry.index = moving.pile;
  entry.value = moving.position;
  entry.target = pile;
  entry.targetCount = game.piles[pile].count;
  game.AppendJournal(entry);

  ActionDef move;
  move.type = static_cast<std::uint8_t>(ActionType::kMoveCards);
  move.mode = 1;
  move.pile = moving.pile;
  move.from = 0;
  move.to = static_cast<std::uint16_t>(sourceCount - moving.position);
  move.destPile = pile;
  move.destMode = 1;
  move.destIndex = 0;
  std::uint16_t undoValue = 0;
  ExecuteAction(game, move, &undoValue, observer);

  bool groupStarted = true;
  const std::uint16_t dropEvent = game.definition.piles[pile].dropEvent;
  std::uint16_t counter = kNoReference;
  if (ConditionsHold(game, dropEvent) && UseCounter(game, dropEvent, groupStarted, counter, true)) {
    FireEventCompletely(game, dropEvent, counter, groupStarted, observer, true);
  }
  return true;
}

bool TapPile(SolGame& game, std::uint16_t pile, ActionObserver* observer) {
  if (!IsPlayPile(game, pile) || game.piles[pile].shown == 0 || !CanTap(game, pile)) {
    return false;
  }
  const PileDef& definition = game.definition.piles[pile];
  const std::uint16_t event =
      game.piles[pile].count > 0 ? definition.tapEvent : definition.emptyTapEvent;
  bool groupStarted = false;
  std::uint16_t counter = kNoReference;
  if (!UseCounter(game, event, groupStarted, counter, true)) return false;
  return FireEventCompletely(game, event, counter, groupStarted, observer, true);
}

bool UndoStep(SolGame& game, ActionObserver* observer) {
  if (!game.journal || game.journal->Empty()) return false;
  const JournalRecord record = game.journal->Back();
  switch (static_cast<JournalType>(record.type)) {
    case JournalType::kPlayerMove: {
      ActionDef back;
      back.type = static_cast<std::uint8_t>(ActionType::kMoveCards);
      back.mode = 0;
      back.pile = record.target;
      back.from = static_cast<std::uint16_t>(record.targetCount < 0 ? kNoReference
                                                                    : record.targetCount);
      back.to = 0;
      back.destPile = record.index;
      back.destMode = 1;
      back.destIndex = 0;
      ExecuteAction(game, back, nullptr, observer);
      break;
    }
    case JournalType::kAction:
      UndoAction(game, record, observer);
      break;
    case JournalType::kOpenChanged:
      if (record.index < game.cards.size()) {
        CardState& state = game.cards[record.index];
        state.open = state.open == 0 ? 1 : 0;
      }
      break;
    case JournalType::kCounterUsed:
      if (record.index < game.counters.size()) ++game.counters[record.index].value;
      break;
  }
  game.journal->PopBack();
  return record.groupStart != 0;
}

bool UndoMove(SolGame& game, ActionObserver* observer) {
  if (!game.journal || game.journal->Empty()) return false;
  // A journal whose oldest record starts no group (a damaged saved game) is
  // undone to its start rather than past it.
  while (!game.journal->Empty()) {
    if (UndoStep(game, observer)) break;
  }
  return true;
}

}  // namespace cw
