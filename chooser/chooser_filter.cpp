#include "chooser/chooser_filter.h"

#include <algorithm>

namespace cw {

namespace {

std::uint32_t InRangeOrAll(std::uint32_t value, std::uint32_t max) { return value <= max ? value : 0; }

// The favourites before the first kNoFavourite.
std::span<const std::uint16_t> Reachable(std::span<const std::uint16_t> favourites) {
  const auto end = std::find(favourites.begin(), favourites.end(), kNoFavourite);
  return favourites.first(static_cast<std::size_t>(end - favourites.begin()));
}

bool InCategory(const CatalogueEntry& entry, std::uint32_t category) {
  return entry.category == category || std::find(entry.extraCategories.begin(), entry.extraCategories.end(),
                                                 category) != entry.extraCategories.end();
}

bool StartsWithLetter(const std::string& name, std::uint32_t letter) {
  if (name.empty()) return false;
  const auto first = static_cast<unsigned char>(name.front());
  return first == 64 + letter || first == 96 + letter;
}

}  // namespace

ChooserFilters FiltersInRange(const ChooserFilters& kept) {
  ChooserFilters filters;
  filters.category = InRangeOrAll(kept.category, kMaxCategoryFilter);
  filters.skill = InRangeOrAll(kept.skill, kMaxSkillFilter);
  filters.duration = InRangeOrAll(kept.duration, kMaxDurationFilter);
  filters.letter = InRangeOrAll(kept.letter, kMaxLetterFilter);
  filters.favouritesOnly = kept.favouritesOnly;
  return filters;
}

bool IsFavourite(std::span<const std::uint16_t> favourites, std::uint16_t id) {
  const auto reachable = Reachable(favourites);
  return id != kNoFavourite && std::find(reachable.begin(), reachable.end(), id) != reachable.end();
}

void AddFavourite(std::vector<std::uint16_t>& favourites, std::uint16_t id) {
  if (id == kNoFavourite || IsFavourite(favourites, id)) return;
  favourites.resize(Reachable(favourites).size());
  favourites.push_back(id);
}

void RemoveFavourite(std::vector<std::uint16_t>& favourites, std::uint16_t id) {
  favourites.resize(Reachable(favourites).size());
  std::erase(favourites, id);
  if (favourites.empty()) favourites.push_back(kNoFavourite);
}

bool PassesFilters(const CatalogueEntry& entry, const ChooserFilters& filters,
                   std::span<const std::uint16_t> favourites) {
  if (filters.favouritesOnly && !IsFavourite(favourites, entry.id)) return false;
  if (filters.category != 0 && !InCategory(entry, filters.category)) return false;
  if (filters.skill != 0 && filters.skill != entry.skill) return false;
  if (filters.duration != 0 && filters.duration != entry.duration) return false;
  if (filters.letter != 0 && !StartsWithLetter(entry.name, filters.letter)) return false;
  return true;
}

std::vector<int> ListedGames(const Catalogue& catalogue, const ChooserFilters& filters,
                             std::span<const std::uint16_t> favourites) {
  std::vector<int> rows;
  const std::size_t count = std::min(catalogue.entries.size(), kCatalogueSize);
  for (std::size_t position = 0; position < count; ++position) {
    if (PassesFilters(catalogue.entries[position], filters, favourites)) {
      rows.push_back(static_cast<int>(position));
    }
  }
  if (rows.empty()) rows.push_back(kEmptyListRow);
  return rows;
}

}  // namespace cw
