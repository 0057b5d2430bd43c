// Moves that send a card home which no line of play could do better without:
// the search may take such a move as a position's only successor.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "engine/model/sol_game.h"
#include "engine/rules/automatic_events.h"
#include "engine/rules/rule_cache.h"

namespace cw {

// A card c may be sent home safely from the top of its pile onto a base-marked
// pile F when
//   - every base-marked pile that takes c's kind (suit and rank) next takes
//     no other kind, takes c's kind only once, and is interchangeable with F
//     and holds the same kinds; there are at least as many of them as cards
//     of c's kind not home; and no other base-marked pile could ever take
//     c's kind, from its top on;
//   - no card still in play could be dropped onto c on any pile, and a run
//     with c on top could be picked up and dropped as well without c;
// in a game where, after the deal, nothing but the player moves cards or
// changes any setting (no event fires an action but the win), the win comes
// when the piles its conditions name are empty, and the base-marked piles
// never give a card back. docs/solver.md argues why such a move is never
// worse than any other; in a game that does not meet those terms the rule
// is off. An instance belongs to one thread: what it learns of the programs
// is kept in that thread's storage, for every later search there.
class SafeHomeMoves {
 public:
  explicit SafeHomeMoves(const GameDefinition& definition);

  // Whether the game meets the terms under which the rule holds.
  bool Enabled() const { return enabled_; }

  // The first of `moves`, legal in the position of `game`, that sends a card
  // home safely; none when the rule is off or no move qualifies.
  std::optional<MoveReference> Find(const SolGame& game, std::span<const MoveReference> moves);

 private:
  bool Safe(const SolGame& game, std::uint16_t card, std::uint16_t home);
  bool GameAllows(const GameDefinition& definition);
  // Whether the program passes on the lists of the given kinds, each listed
  // top card first; kNoKind leaves a list empty.
  bool Passes(const std::vector<std::uint8_t>& program, std::initializer_list<std::uint16_t> listA,
              std::initializer_list<std::uint16_t> listB);
  // The kinds the base-marked pile takes next, as a mask over kinds_.
  const std::vector<bool>& NextKinds(const SolGame& game, std::uint16_t pile);
  // The kinds the accept program could take onto kind `below`, then onto
  // those, and so on: every kind a pile of that program could come to take
  // once its top card is of kind `below`.
  const std::vector<bool>& Reachable(const SolGame& game, std::uint16_t program,
                                     std::uint16_t below);
  // Whether the accept program takes one card of kind `above` onto a pile of
  // one card of kind `below`.
  bool Fits(const SolGame& game, std::uint16_t program, std::uint16_t below, std::uint16_t above);
  // Whether the pick program lifts a card of kind `top` together with one of
  // kind `under` under it; whether it lifts a card of the kind alone.
  bool LiftedTogether(const SolGame& game, std::uint16_t program, std::uint16_t top,
                      std::uint16_t under);
  bool LiftedAlone(const SolGame& game, std::uint16_t program, std::uint16_t kind);
  // Whether the accept program takes a card of kind `under` alone onto every
  // pile of one card or none that it takes the two-card run `top` on `under`.
  bool LandsWithoutTop(const SolGame& game, std::uint16_t program, std::uint16_t top,
                       std::uint16_t under);
  // Whether the base-marked pile's accept program takes a run of two cards,
  // kinds `top` on `under`, onto a pile of one card or none.
  bool TakesRunHome(const SolGame& game, std::uint16_t program, std::uint16_t top,
                    std::uint16_t under);
  // Whether the base-marked pile could come to take the kind: by the kinds
  // it takes next, then onto those, and so on, with cards in play only.
  bool CouldComeToTake(const SolGame& game, std::uint16_t pile, std::uint16_t kind);
  // A remembered answer about a pair of kinds, asked of `ask` the first time.
  // Each question names the lists the program is given: kFits one card on
  // one, kLifts two cards on none, kLiftsAlone one on none, kPassesOnOne none
  // on one; kLands and kRunsHome as LandsWithoutTop and TakesRunHome.
  enum class Question : std::uint8_t {
    kFits,
    kLifts,
    kLiftsAlone,
    kPassesOnOne,
    kLands,
    kRunsHome,
    kCount
  };
  template <typename Ask>
  bool PairAnswer(Question question, std::uint16_t program, std::uint16_t first,
                  std::uint16_t second, Ask ask);

  static constexpr std::uint16_t kNoKind = 0xFFFF;

  bool enabled_ = false;
  std::vector<CardListEntry> kinds_;   // each distinct (suit, rank), then a face-down card
  std::vector<std::uint16_t> kindOf_;  // per card
  std::uint16_t faceDownKind_ = 0;
  std::unordered_map<std::uint64_t, std::vector<bool>> nextKinds_;
  std::unordered_map<std::uint64_t, std::vector<bool>> reachable_;
  std::uint64_t kindsHash_ = 0xCBF29CE484222325ull;  // of kinds_, in order
  std::vector<std::uint64_t> programHashes_;         // per program, as the definition's index
  // Per question, per program: its answer per pair of kinds, or -1.
  std::array<std::vector<std::vector<std::int8_t>*>, static_cast<std::size_t>(Question::kCount)>
      answers_;
  std::vector<std::uint16_t> classes_;        // per pile, as InterchangeablePileClasses
  std::vector<bool> inPlay_;                  // scratch, per kind: a card of it is not home
  std::vector<bool> reached_;                 // scratch for CouldComeToTake
  std::vector<std::uint16_t> frontier_;       // scratch for CouldComeToTake
  std::vector<bool> liesOn_;  // scratch, per kind: the card could come to lie on it
  std::vector<bool> lifted_;                  // scratch, per kind: the card could top it in a run
  std::vector<std::uint32_t> programsAsked_;  // scratch: accept and pick programs asked
  CardList homeList_;                         // scratch
  CardList otherList_;                        // scratch
  HashedCardList listA_;                      // scratch
  HashedCardList listB_;                      // scratch
};

}  // namespace cw
