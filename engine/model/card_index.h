// Finding cards by their place. The play state records the place of each
// card (the saved-game layout), so the card at a place would take a scan of
// every card; the rules ask that many times per move. These lookups answer
// from a table of the cards of each pile by position, kept per thread for the
// game last asked about, kept in step with the moves of cards it is told of,
// and rebuilt whenever an answer it gives is not confirmed by the card
// states. They answer as a scan would for every play state whose places are
// unique; where two cards claim one place (a damaged state), either may be
// answered.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "engine/model/sol_game.h"

namespace cw {

// The card lying at (pile, position), none when no card lies there.
std::optional<std::uint16_t> CardAtPlace(const SolGame& game, std::uint16_t pile,
                                         std::uint16_t position);

// The cards of the pile by position (bottom first), as many as its count;
// kNoReference where no card claims a place. The span stays valid until the
// next lookup on this thread.
std::span<const std::uint16_t> CardsOfPile(const SolGame& game, std::uint16_t pile);

// Keeps this thread's table in step with a move of `count` cards from
// position `first` of pile `source` to position `insertion` of pile
// `destination` (counted once they have left), so that the next lookups need
// not build it again. Lookups check their answers against the card states
// whatever this is told.
void NoteCardsMoved(const SolGame& game, std::uint16_t source, std::uint16_t first,
                    std::uint16_t count, std::uint16_t destination, std::uint16_t insertion);

// The part of CardsOfPile from position `first` to `last`, cut to the pile.
// Only the places asked about are checked against the card states, so a
// pile's top card costs one check however many cards lie under it.
std::span<const std::uint16_t> CardsOfPile(const SolGame& game, std::uint16_t pile, int first,
                                           int last);

}  // namespace cw
