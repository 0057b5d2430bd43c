// What the game chooser starts from and leaves behind: the filters, the
// favourites and the current game, kept for it by its owner between runs.
#pragma once

#include <cstdint>
#include <vector>

namespace cw {

// Ends a favourites list; the list without favourites is this single entry.
inline constexpr std::uint16_t kNoFavourite = 0xFFFF;

// The five filters of the games list; 0 is "All" for each of the four values.
struct ChooserFilters {
  std::uint32_t category = 0;
  std::uint32_t skill = 0;
  std::uint32_t duration = 0;
  std::uint32_t letter = 0;
  bool favouritesOnly = false;

  bool AnySet() const {
    return category != 0 || skill != 0 || duration != 0 || letter != 0 || favouritesOnly;
  }
  bool operator==(const ChooserFilters&) const = default;
};

struct ChooserOptions {
  // As last left; a value outside its range reads as "All" when the chooser opens.
  ChooserFilters filters;
  // Favourite game ids in the order they were added.
  std::vector<std::uint16_t> favourites{kNoFavourite};
  // The catalogue position of the current game, -1 for none.
  std::int32_t currentGame = -1;

  bool operator==(const ChooserOptions&) const = default;
};

}  // namespace cw
