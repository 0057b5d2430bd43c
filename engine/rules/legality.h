#pragma once

#include <cstdint>
#include <vector>

#include "engine/model/sol_game.h"
#include "engine/rules/rule_cache.h"

namespace cw {

// Whether the player may pick up the card together with every card above it.
bool CanPickUp(const SolGame& game, std::uint16_t card);
// Whether the cards from `card` to the top of its pile may go onto `pile`.
bool CanDrop(const SolGame& game, std::uint16_t card, std::uint16_t pile);

// Hashed lists of whole piles, each built when first asked for and kept until
// forgotten: the owner forgets a pile whenever its cards may have changed.
// The storage is handed from one instance to the next on a thread.
class PileLists {
 public:
  explicit PileLists(const SolGame& game);
  ~PileLists();
  PileLists(const PileLists&) = delete;
  PileLists& operator=(const PileLists&) = delete;

  // Precondition: pile < game.piles.size().
  const HashedCardList& Of(std::uint16_t pile);
  void Forget(std::uint16_t pile);
  void ForgetAll();
  // The index of the game's definition (IndexOf), found once.
  const DefinitionIndex& Index() const { return index_; }

  struct Storage {
    std::vector<HashedCardList> lists;
    std::vector<std::uint8_t> built;
  };

 private:
  const SolGame& game_;
  const DefinitionIndex& index_;
  Storage storage_;
};

// CanPickUp and CanDrop for many moves of one position, which must not change
// while this lives: each pile's list and the moving list of the card last
// asked about are built and hashed once.
class PositionMoveTests {
 public:
  explicit PositionMoveTests(const SolGame& game);

  bool CanPickUp(std::uint16_t card);
  // The piles, in order, on which CanDrop allows the card; valid until the
  // next call.
  const std::vector<std::uint16_t>& Drops(std::uint16_t card);

 private:
  // A pile that may take cards, with what the questions about cards dropped
  // on it share: its program and its list (ListBQuestionPart).
  struct Receiver {
    std::uint16_t pile;
    std::uint64_t questionPart;
  };

  const HashedCardList& MovingList(std::uint16_t card);
  // Finds the receivers: a card is asked about every pile, so they are
  // found once for the position.
  void FindReceivers();

  const SolGame& game_;
  PileLists piles_;
  std::uint16_t movingCard_ = kNoReference;
  HashedCardList moving_;
  HashedCardList remaining_;
  bool receiversFound_ = false;
  std::vector<Receiver> receivers_;
  bool everyRouteOpen_ = false;  // a route from any pile to any pile is allowed
  std::vector<std::uint16_t> drops_;
};

// Whether tapping the pile would fire its event.
bool CanTap(const SolGame& game, std::uint16_t pile);
// Whether every condition linked to the event passes.
bool ConditionsHold(const SolGame& game, std::uint16_t event);
// The same with the piles' lists taken from `lists`.
bool ConditionsHold(const SolGame& game, std::uint16_t event, PileLists& lists);
// Whether the condition of one event-condition link passes.
bool LinkedConditionHolds(const SolGame& game, const EventCondition& link);
// The same with the piles' lists taken from `lists`.
bool LinkedConditionHolds(const SolGame& game, const EventCondition& link, PileLists& lists);
// False when the event's counter is used up (the query form of UseCounter).
bool CounterAllows(const SolGame& game, std::uint16_t event);
// Whether some route of the allowed list lets `source` give to `destination`.
bool RouteAllows(const SolGame& game, std::uint16_t source, std::uint16_t destination);

}  // namespace cw
