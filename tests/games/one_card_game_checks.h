// Helpers of the tests of the one-card games (KingCell, Inverted FreeCell,
// Challenge FreeCell, Four by Ten, Sea Towers): cards by name, positions laid
// out from scratch, and the checks these games share.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/model/sol_game.h"
#include "tests/games/game_test_support.h"

namespace cw::testing {

// Card number of a first-deck card named like "AS", "10H", "QD".
std::uint16_t Card(std::string_view name);

// Card numbers of several such names, e.g. Cards({"AS", "2S"}).
std::vector<std::uint16_t> Cards(std::initializer_list<std::string_view> names);

int RankOf(const SolGame& game, std::uint16_t card);

using PileContents = std::vector<std::pair<std::uint16_t, std::vector<std::uint16_t>>>;

// One named card on each pile from `firstPile` on, in order.
PileContents OneCardEach(std::uint16_t firstPile, std::initializer_list<std::string_view> names);

// Clears the table onto `dump` in card order, then gives each listed pile its
// cards (bottom up). The dump keeps the unlisted cards, the highest-numbered
// one on top; every other pile ends up empty.
void LayOut(SolGame& game, std::uint16_t dump, const PileContents& piles);

// Puts every card home: foundation first + i takes suit suits[i], from
// `firstRank` to the other end of the suit in steps of `step` (1 or -1).
void AllCardsHome(SolGame& game, std::uint16_t firstFoundation, const std::vector<int>& suits, int firstRank, int step);

// Every card lies once, face up, with `counts[p]` cards on pile p; the game
// is neither won nor has any journal record.
void ExpectFaceUpDeal(const SolGame& game, const std::vector<int>& counts);

// The first deal from `number` on whose top card of some listed pile has the
// given rank; fails the test when none is found within 500 numbers.
std::uint32_t DealWithRankOnTop(const std::string& gameName, const std::vector<std::uint16_t>& piles, int rank,
                                std::uint32_t number = 1);

// Foundations building up in suit from the Ace, one card at a time, that keep
// their cards: checked on `foundation` and `foundation + 1` with cards laid out
// on five other piles.
void ExpectAscendingFoundations(SolGame& game, std::uint16_t foundation, const std::array<std::uint16_t, 5>& piles,
                                std::uint16_t dump);

// An empty cell takes one card, an occupied one none, and no group.
void ExpectOneCardCells(SolGame& game, const std::vector<std::uint16_t>& cells, std::uint16_t column,
                        std::uint16_t dump);

// Eight Off and Eight On (foundations 0-3, columns 4-11, cells 12-19): won
// when the last King goes home from `kingPile`, lost with odd ranks alone on
// the columns and cells.
void ExpectEightPileWinAndLoss(const std::string& gameName, std::uint16_t kingPile);

// Random play-outs of up to `maxMoves` moves over two deals: every listed move
// is accepted, undo restores the exact state, the table stays consistent.
void ExpectSoundPlayOuts(const std::string& gameName, const std::vector<std::uint16_t>& foundations,
                         std::uint32_t seed, int maxMoves = 120);

}  // namespace cw::testing
