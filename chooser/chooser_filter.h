// What the game chooser lists: the catalogue narrowed by category, skill,
// duration, initial letter and favourites, and the editing of the favourites
// list. Pure functions over the catalogue, the filters and the favourites.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "chooser/chooser_options.h"
#include "engine/database/catalogue.h"

namespace cw {

// The item data of the single row listed when no game passes the filters.
inline constexpr int kEmptyListRow = static_cast<int>(kCatalogueSize);

// The ranges of the filter values; 0 is "All" for each.
inline constexpr std::uint32_t kMaxCategoryFilter = kCategoryOther;
inline constexpr std::uint32_t kMaxSkillFilter = 3;
inline constexpr std::uint32_t kMaxDurationFilter = 4;
inline constexpr std::uint32_t kMaxLetterFilter = 26;  // 1 "A" ... 26 "Z"

// The filters as kept between runs, each value outside its range read as
// "All": no game could pass it and no filter list could show it.
ChooserFilters FiltersInRange(const ChooserFilters& kept);

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
