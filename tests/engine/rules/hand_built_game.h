// Small games built table by table for the action, move and event tests, with
// a predictable deal: cards 0, 1, 2 ... go in order into the piles that take
// cards, bottom first.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "engine/model/sol_game.h"
#include "engine/rules/action_observer.h"

namespace cw::testing {

// Rule programs, each with its terminating zero.
inline const std::vector<std::uint8_t> kPassProgram = {1, 0, 1, 0};  // PUSH 0
inline const std::vector<std::uint8_t> kFailProgram = {1, 1, 1, 0};  // PUSH 1
// SUIT RANK ADD: passes when list A is empty.
inline const std::vector<std::uint8_t> kListAEmptyProgram = {28, 25, 6, 0};
// SUIT RANK ADD IF PUSH 1 ELSE PUSH 0 ENDIF: passes when list A holds a card.
inline const std::vector<std::uint8_t> kListAHoldsProgram = {28, 25, 6, 22, 1, 1, 1,
                                                             21, 1, 0, 1, 20, 0};
// OTHER SUIT RANK ADD: passes when list B is empty.
inline const std::vector<std::uint8_t> kListBEmptyProgram = {29, 28, 25, 6, 0};

struct PlayState {
  std::vector<CardState> cards;
  std::vector<PileState> piles;
  std::vector<MovePair> allowedMoves;
  std::vector<CounterState> counters;
  std::uint8_t won = 0;
  bool operator==(const PlayState&) const = default;
};

inline PlayState SnapshotOf(const SolGame& game) {
  return {game.cards, game.piles, game.allowedMoves, game.counters, game.won};
}

// Keeps every reported change; a reordered pile's cards are copied out of
// the call into `orders`, which the kept change then points at.
class RecordingObserver : public ActionObserver {
 public:
  void TableChanged(const TableChange& change) override {
    changes.push_back(change);
    if (auto* reordered = std::get_if<PileReordered>(&changes.back())) {
      orders.emplace_back(reordered->cards.begin(), reordered->cards.end());
      reordered->cards = orders.back();
    }
  }
  template <typename Change>
  const Change* At(std::size_t i) const {
    return i < changes.size() ? std::get_if<Change>(&changes[i]) : nullptr;
  }
  std::vector<TableChange> changes;
  std::deque<std::vector<std::uint16_t>> orders;
};

// A pile that shows its cards fanned downwards, lets any card go and takes
// any card.
PileDef OpenPile(std::uint16_t dealCount);

ActionDef MoveAction(std::uint8_t mode, std::uint16_t pile, std::uint16_t from, std::uint16_t to,
                     std::uint16_t destPile, std::uint8_t destMode, std::uint16_t destIndex);
ActionDef PileAttributeAction(std::uint16_t pile, PileAttribute attribute, std::uint16_t value);
ActionDef CardAttributeAction(std::uint8_t mode, std::uint16_t pile, std::uint16_t from,
                              std::uint16_t to, CardAttribute attribute, std::uint16_t value);
ActionDef RouteAction(ActionType type, std::uint16_t source, std::uint16_t destination);
ActionDef SimpleAction(ActionType type, std::uint16_t pile = 0);

class HandBuiltGame {
 public:
  // 52 cards suit by suit; event 0 (never passes), programs 0 = pass and
  // 1 = fail, one route (any, any).
  HandBuiltGame();

  std::uint16_t AddProgram(const std::vector<std::uint8_t>& program);
  std::uint16_t AddPile(const PileDef& pile);
  std::uint16_t AddEvent(EventKind kind);
  std::uint16_t AddAction(std::uint16_t event, const ActionDef& action);
  void AddCondition(std::uint16_t event, std::uint16_t program, std::uint16_t pileA,
                    std::uint16_t pileB = kNoReference);
  std::uint16_t AddCounter(std::uint16_t event, std::uint16_t initialValue,
                           std::uint16_t exhaustedEvent);

  // Builds a fresh play state as the dealer does, cards in order.
  SolGame& Deal();

  SolGame game;
  std::uint16_t passProgram = 0;
  std::uint16_t failProgram = 1;
};

// The engine's table check, with the cards a partial deal leaves off the table.
bool PilesAreConsistent(const SolGame& game);

// Cards of a pile, bottom first.
std::vector<std::uint16_t> PileContents(const SolGame& game, std::uint16_t pile);

}  // namespace cw::testing
