// The resource ids of the bitmaps, per display variant (`vga`: the VGA set,
// otherwise the QVGA set). Suits are 0..3 (spades, clubs, diamonds, hearts),
// ranks 0..12 (ace to king), backs 0..3; `large` picks the large-card
// glyphs. resources/bitmaps/bitmaps.tsv lists every id with its size.
#pragma once

namespace cw::bitmap_ids {

constexpr int CardBack(bool vga, bool large, int back) {
  return (large ? 143 : 133) - (vga ? 1 : 0) + 2 * back;
}
constexpr int RankGlyph(bool vga, bool large, int rank) {
  return (large ? 2001 : 2101) + (vga ? 200 : 0) + rank;
}
constexpr int BigSuit(bool vga, bool large, int suit) {
  return (large ? 2050 : 2150) + (vga ? 200 : 0) + suit;
}
constexpr int SmallSuit(bool vga, bool large, int suit) {
  return (large ? 2054 : 2154) + (vga ? 200 : 0) + suit;
}

// The grey marks of empty piles.
constexpr int GreyRank(bool vga, bool large, int rank) {
  return (large ? (vga ? 320 : 300) : (vga ? 360 : 340)) + rank;
}
constexpr int GreyBigSuit(bool vga, bool large, int suit) {
  return (large ? (vga ? 390 : 380) : (vga ? 410 : 400)) + suit;
}
constexpr int GreySmallSuit(bool vga, bool large, int suit) {
  return (large ? (vga ? 394 : 384) : (vga ? 414 : 404)) + suit;
}
// The arrow of an empty pile: value 0 black, 1 red.
constexpr int EmptyArrow(bool vga, int value) { return (vga ? 153 : 154) + 2 * value; }

inline constexpr int kApplicationIcon = 101;
// The four images of the main window's icon bar: Undo, Show Next Move, Help,
// Menu.
constexpr int MenuBarImages(bool vga) { return vga ? 501 : 500; }

// Chooser pictures. Category 1..10 (11 "Other" has none), skill 1..3,
// duration 1..4.
constexpr int Category(bool vga, int category) { return (vga ? 270 : 250) + category - 1; }
constexpr int Skill(bool vga, int skill) { return (vga ? 280 : 260) + skill - 1; }
constexpr int Duration(bool vga, int duration) { return (vga ? 283 : 263) + duration - 1; }
enum class FilterButton { kCategory = 0, kSkill = 1, kDuration = 2 };
constexpr int FilterButtonPicture(bool vga, FilterButton button) {
  return (vga ? 287 : 267) + static_cast<int>(button);
}
constexpr int ClearFilters(bool vga) { return vga ? 291 : 290; }
constexpr int FavouriteStar(bool vga) { return vga ? 293 : 292; }
constexpr int LeftArrow(bool vga) { return vga ? 295 : 294; }
constexpr int RightArrow(bool vga) { return vga ? 297 : 296; }

}  // namespace cw::bitmap_ids
