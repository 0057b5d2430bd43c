// How big the table is drawn in a field: the record's layout keeps its pixel
// size in a field of a handheld's size or smaller, and grows with a bigger
// field to the largest card size at which it still has a handheld's room.
#pragma once

#include "engine/model/sol_game.h"
#include "platform/screen/screen_facts.h"
#include "view/field_layout.h"

namespace cw {

// The card width for a width × height field, given this build's card width
// for the game: the largest at which the field, shrunk by the card's growth,
// still holds the portrait or the landscape field of the handheld; never
// smaller than the build's own width.
int ChooseCardWidth(int baseCardWidth, int width, int height, const ScreenFacts& screen);

// Card size, greatest steps, scale and draw order of the game's table in a
// width × height field.
void FitLayoutToField(FieldLayout& layout, const SolGame& game, const ScreenFacts& screen, int width,
                      int height);

}  // namespace cw
