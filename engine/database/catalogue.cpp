#include "engine/database/catalogue.h"

#include <algorithm>
#include <array>

namespace cw {

namespace {

std::uint32_t CategoryCode(std::uint16_t raw) { return raw == 0 ? kCategoryOther : raw; }

std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t element) {
  return static_cast<std::uint16_t>(bytes[2 * element] | (bytes[2 * element + 1] << 8));
}

std::span<const std::uint8_t> Resource(const ResourceSource& resources, std::string_view type, int id) {
  return resources.FindResource(type, id).value_or(std::span<const std::uint8_t>{});
}

void AddExtraCategories(std::vector<CatalogueEntry>& entries, std::span<const std::uint8_t> pairs) {
  for (std::size_t pair = 0; pair < pairs.size() / 4; ++pair) {
    const std::uint16_t gameId = ReadU16(pairs, 2 * pair);
    const std::uint16_t code = ReadU16(pairs, 2 * pair + 1);
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [gameId](const CatalogueEntry& e) { return e.id == gameId; });
    if (entry != entries.end()) entry->extraCategories.push_back(CategoryCode(code));
  }
}

}  // namespace

Catalogue LoadCatalogue(const ResourceSource& resources) {
  const auto ids = Resource(resources, "SOLID", kResourceSolId);
  const auto categories = Resource(resources, "SOLCAT", kResourceSolCat);
  const auto skills = Resource(resources, "SOLSKILL", kResourceSolSkill);
  const auto durations = Resource(resources, "SOLTIME", kResourceSolTime);

  const std::size_t count =
      std::min({kCatalogueSize, ids.size() / 2, categories.size() / 2, skills.size(), durations.size()});

  Catalogue catalogue;
  catalogue.entries.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    CatalogueEntry& entry = catalogue.entries.emplace_back();
    entry.name = resources.LoadString(kGameNameStringFirst + static_cast<int>(i)).value_or("");
    entry.id = ReadU16(ids, i);
    entry.category = CategoryCode(ReadU16(categories, i));
    entry.skill = skills[i] + 1u;
    entry.duration = durations[i] + 1u;
  }
  AddExtraCategories(catalogue.entries, Resource(resources, "SOLACAT", kResourceSolACat));

  catalogue.categoryNames = {"All",       "Addition", "Canfield", "Castle",  "Fan",   "40Thieves",
                             "FreeCell",  "Klondike", "Spider",   "Terrace", "Yukon", "Other"};
  catalogue.durationNames = {"All", "<3m", "3-5m", "5-10m", ">10m"};
  catalogue.letterNames.emplace_back("All");
  for (char letter = 'A'; letter <= 'Z'; ++letter) catalogue.letterNames.emplace_back(1, letter);
  return catalogue;
}

}  // namespace cw
