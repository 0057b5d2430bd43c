// Checks shared by the games whose cards go home by themselves (FreeCell,
// Baker's Game, ForeCell): laying out positions, the safe rule and the pick-up
// limits stated independently of the records, and a random player that checks
// them after every move.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/rules/automatic_events.h"
#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"

namespace cw::testing::home_moves {

// The pile map the three games share.
inline constexpr std::uint16_t kColumns = 8;
inline constexpr std::uint16_t kFirstCell = 8;
inline constexpr std::uint16_t kFirstFoundation = 12;
inline constexpr std::uint16_t kHoldingPile = 16;

inline int SuitOf(std::uint16_t card) { return card / 13 + 1; }
inline int RankOf(std::uint16_t card) { return card % 13 + 1; }
inline int ColourOf(int suit) { return (suit - 1) / 2; }

// A position to lay out: foundation i holds suit foundationSuit[i] from the
// Ace up to foundationRank[i]; the listed piles hold the listed cards (bottom
// up); every other card goes onto `parking`, under any listed cards of its
// own and with the higher ranks on top, so no run and no Ace shows there.
struct Layout {
  std::array<int, 4> foundationSuit{1, 2, 3, 4};
  std::array<int, 4> foundationRank{0, 0, 0, 0};
  std::vector<std::pair<std::uint16_t, std::vector<std::uint16_t>>> piles;
  std::uint16_t parking = 7;
};

inline void LayOut(SolGame& game, const Layout& layout) {
  std::vector<std::uint16_t> all(game.cards.size());
  for (std::size_t c = 0; c < all.size(); ++c) all[c] = static_cast<std::uint16_t>(c);
  ArrangePile(game, layout.parking, all);
  std::vector<bool> placed(all.size(), false);
  for (std::size_t f = 0; f < 4; ++f) {
    std::vector<std::uint16_t> suit;
    for (int rank = 1; rank <= layout.foundationRank[f]; ++rank) {
      suit.push_back(CardNumber(layout.foundationSuit[f], rank));
      placed[suit.back()] = true;
    }
    ArrangePile(game, static_cast<std::uint16_t>(kFirstFoundation + f), suit);
  }
  for (const auto& [pile, cards] : layout.piles) {
    for (std::uint16_t card : cards) placed[card] = true;
  }
  std::vector<std::uint16_t> leftovers;
  for (std::uint16_t card : all) {
    if (!placed[card]) leftovers.push_back(card);
  }
  std::stable_sort(leftovers.begin(), leftovers.end(),
                   [](std::uint16_t a, std::uint16_t b) { return RankOf(a) < RankOf(b); });
  ArrangePile(game, layout.parking, leftovers);
  for (const auto& [pile, cards] : layout.piles) ArrangePile(game, pile, cards);
}

// Deals `number` of the named game; throws when the game does not load.
inline SolGame Dealt(const std::string& name, std::uint32_t number) {
  auto game = DealGame(name, number);
  if (!game) throw std::runtime_error(name + " does not load");
  return *std::move(game);
}

// Deal 1 of the named game with the position laid out, before any automatic
// move.
inline SolGame Arranged(const std::string& name, const Layout& layout) {
  SolGame game = Dealt(name, 1);
  LayOut(game, layout);
  return game;
}

// How far the suit has come home (0 when its Ace is not on a foundation).
inline int HomeRank(const SolGame& game, int suit) {
  for (std::uint16_t f = kFirstFoundation; f < kFirstFoundation + 4; ++f) {
    const auto cards = PileCards(game, f);
    if (!cards.empty() && SuitOf(cards.front()) == suit) return static_cast<int>(cards.size());
  }
  return 0;
}

// Whether the card is the next of its suit's foundation and, by the safe rule,
// no longer needed in play: in a same-suit game every such card is; with
// alternating colours both suits of the other colour must have reached its
// rank - 1. Aces are always due home.
inline bool DueHome(const SolGame& game, std::uint16_t card, bool alternatingColours) {
  const int suit = SuitOf(card);
  const int rank = RankOf(card);
  if (HomeRank(game, suit) != rank - 1) return false;
  if (!alternatingColours || rank == 1) return true;
  for (int other = 1; other <= 4; ++other) {
    if (ColourOf(other) != ColourOf(suit) && HomeRank(game, other) < rank - 1) return false;
  }
  return true;
}

inline int EmptyCells(const SolGame& game) {
  int empty = 0;
  for (std::uint16_t cell = kFirstCell; cell < kFirstCell + 4; ++cell) empty += game.piles[cell].count == 0;
  return empty;
}

// Whether the cards from `card` to the top of its pile form a run descending
// in alternating colours (or in suit).
inline bool IsRunFrom(const SolGame& game, std::uint16_t card, bool alternatingColours) {
  const auto cards = PileCards(game, game.cards[card].pile);
  for (std::size_t p = game.cards[card].position; p + 1 < cards.size(); ++p) {
    const std::uint16_t below = cards[p];
    const std::uint16_t above = cards[p + 1];
    if (RankOf(above) != RankOf(below) - 1) return false;
    const bool suitsFit = alternatingColours ? ColourOf(SuitOf(above)) != ColourOf(SuitOf(below))
                                             : SuitOf(above) == SuitOf(below);
    if (!suitsFit) return false;
  }
  return true;
}

inline int CardsFrom(const SolGame& game, std::uint16_t card) {
  return game.piles[game.cards[card].pile].count - game.cards[card].position;
}

// What the rules say a game's automatic moves and pick-up limits must be.
struct RuleFacts {
  bool alternatingColours = true;
  bool runsLimitedByCells = false;  // FreeCell; otherwise one card at a time
};

// The position after the automatic moves: no card in transit, every
// foundation one suit from its Ace, no card that is due home left on top of
// a column or cell, and every pick-up answer as the rules give it.
inline ::testing::AssertionResult SettledAsTheRulesSay(const SolGame& game, const RuleFacts& facts) {
  if (game.piles[kHoldingPile].count != 0) return ::testing::AssertionFailure() << "a card is left in transit";
  for (std::uint16_t f = kFirstFoundation; f < kFirstFoundation + 4; ++f) {
    const auto cards = PileCards(game, f);
    for (std::size_t i = 0; i < cards.size(); ++i) {
      if (SuitOf(cards[i]) != SuitOf(cards.front()) || RankOf(cards[i]) != static_cast<int>(i) + 1) {
        return ::testing::AssertionFailure() << "foundation " << f << " is out of order";
      }
    }
  }
  for (std::uint16_t pile = 0; pile < kFirstFoundation; ++pile) {
    const auto top = game.TopCard(pile);
    if (top && DueHome(game, *top, facts.alternatingColours)) {
      return ::testing::AssertionFailure() << "card " << *top << " on pile " << pile << " should have gone home";
    }
  }
  const int limit = facts.runsLimitedByCells ? EmptyCells(game) + 1 : 1;
  for (std::uint16_t card = 0; card < game.cards.size(); ++card) {
    const std::uint16_t pile = game.cards[card].pile;
    bool expected = false;
    if (pile < kColumns) {
      expected = CardsFrom(game, card) <= limit && IsRunFrom(game, card, facts.alternatingColours);
    } else if (pile < kFirstFoundation) {
      expected = true;
    }
    if (CanPickUp(game, card) != expected) {
      return ::testing::AssertionFailure() << "pick-up of card " << card << " on pile " << pile << " answers "
                                           << !expected << " with " << EmptyCells(game) << " empty cells";
    }
  }
  return ::testing::AssertionSuccess();
}

// Every card that reached a foundation by itself during the last move was
// safe to send: the suits of the other colour stand at least at its rank - 1
// now, and foundations only grow within a move, so a card that fails this
// went home too early. `played` is the player's own card.
inline ::testing::AssertionResult OnlySafeCardsWentHome(const SolGame& game, const PlaySnapshot& before,
                                                       std::uint16_t played, const RuleFacts& facts) {
  if (!facts.alternatingColours) return ::testing::AssertionSuccess();
  for (std::uint16_t card = 0; card < game.cards.size(); ++card) {
    const std::uint16_t pile = game.cards[card].pile;
    const bool home = pile >= kFirstFoundation && pile < kFirstFoundation + 4;
    const std::uint16_t earlier = before.cards[card].pile;
    if (!home || card == played || (earlier >= kFirstFoundation && earlier < kFirstFoundation + 4)) continue;
    for (int other = 1; other <= 4; ++other) {
      if (ColourOf(other) != ColourOf(SuitOf(card)) && HomeRank(game, other) < RankOf(card) - 1) {
        return ::testing::AssertionFailure() << "card " << card << " went home before it was safe";
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// Plays random legal moves (moves home first), checking after each that the
// table is consistent and settled as the rules say, that only safe cards went
// home by themselves, that running the automatic events again moves no card,
// and that undo restores the exact earlier state. Answers the number of moves
// made.
inline int PlayRandomlyAndCheck(SolGame& game, int maxMoves, std::mt19937& rng, const RuleFacts& facts) {
  int moves = 0;
  while (moves < maxMoves && !game.won) {
    const auto legal = LegalMoves(game);
    if (legal.empty()) break;
    MoveReference pick = legal[rng() % legal.size()];
    if (rng() % 2 == 0) {
      for (const auto& move : legal) {
        if (move.destination >= kFirstFoundation && move.destination < kFirstFoundation + 4) pick = move;
      }
    }
    const PlaySnapshot before = Snapshot(game);
    if (!Play(game, pick)) {
      ADD_FAILURE() << "a listed move was refused: " << pick.source << ":" << pick.destination;
      break;
    }
    const PlaySnapshot after = Snapshot(game);
    EXPECT_TRUE(TableIsConsistent(game));
    EXPECT_TRUE(SettledAsTheRulesSay(game, facts)) << "after " << pick.source << ":" << pick.destination;
    EXPECT_TRUE(OnlySafeCardsWentHome(game, before, pick.source, facts));
    RunAutomaticEvents(game, nullptr);
    EXPECT_EQ(game.cards, after.cards) << "the automatic moves had not settled";
    while (game.journal->Count() > after.journalCount) UndoStep(game);
    UndoMove(game);
    EXPECT_EQ(Snapshot(game), before) << "undo of " << pick.source << ":" << pick.destination;
    if (::testing::Test::HasFailure()) break;
    Play(game, pick);
    ++moves;
  }
  return moves;
}

}  // namespace cw::testing::home_moves
