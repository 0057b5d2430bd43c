// What the player chooses about the game field: how cards are moved, whether
// they slide, the colours and the clock.
#pragma once

#include <cstdint>

namespace cw {

enum class PlayMode : std::uint8_t { kTapping = 0, kDragAndDrop = 1, kKeyboardCardWise = 2, kKeyboardPileWise = 3 };

struct FieldOptions {
  PlayMode playMode = PlayMode::kDragAndDrop;
  bool animation = true;  // moved cards slide to their place
  bool dropMarks = true;  // while dragging, the piles that take the cards are framed
  std::uint32_t bgColor = 0x008000;  // COLORREF 0x00BBGGRR
  std::uint32_t cardBack = 0;
  bool showTimer = true;
  // The clock counts down from timeLimit minutes in a timed game, and up otherwise.
  bool timedGame = true;
  std::uint32_t timeLimit = 3;

  bool operator==(const FieldOptions&) const = default;
};

}  // namespace cw
