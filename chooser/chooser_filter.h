// What the game chooser lists: the catalogue narrowed by category, skill,
// duration, initial letter and favourites, and the editing of the favourites
// list. Pure functions over the catalogue and the preferences.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/database/catalogue.h"
#include "shell/preferences.h"

namespace cw {

// The item data of the single row listed when no game passes the filters.
inline constexpr int kEmptyListRow = static_cast<int>(kCatalogueSize);

// The ranges of the filter values; 0 is "All" for each.
inline constexpr std::uint32_t kMaxCategoryFilter = kCategoryOther;
inline constexpr std::uint32_t kMaxSkillFilter = 3;
inline constexpr std::uint32_t kMaxDurationFilter = 4;
inline constexpr std::uint32_t kMaxLetterFilter = 26;  // 1 "A" ... 26 "Z"

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

// The filters stored in the preferences. A stored value outside its range
// reads as "All": no game could pass it and no filter list could show it.
ChooserFilters FiltersFromPreferences(const Preferences& preferences);
// Writes all five filters back, favourites-only included.
void StoreFilters(const ChooserFilters& filters, Preferences& preferences);

// Whether `id` is a favourite. The search stops at the first kNoFavourite.
bool IsFavourite(std::span<const std::uint16_t> favourites, std::uint16_t id);
// Appends `id` unless it is a favourite already. Entries after a
// kNoFavourite, which no search reaches, are dropped.
void AddFavourite(std::vector<std::uint16_t>& favourites, std::uint16_t id);
// Removes every occurrence of `id`, keeping the order of the others; the
// list left empty is the single entry kNoFavourite.
void RemoveFavourite(std::vector<std::uint16_t>& favourites, std::uint16_t id);

bool PassesFilters(const CatalogueEntry& entry, const ChooserFilters& filters,
                   std::span<const std::uint16_t> favourites);

// The item data of the rows of the games list: the catalogue positions of
// the games that pass, in catalogue order, or the single kEmptyListRow.
std::vector<int> ListedGames(const Catalogue& catalogue, const ChooserFilters& filters,
                             std::span<const std::uint16_t> favourites);

}  // namespace cw
