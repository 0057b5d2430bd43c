#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/database/record_codes.h"
#include "engine/database/resource_source.h"

namespace cw {

inline constexpr std::size_t kCatalogueSize = 20;
inline constexpr auto kCategoryOther = static_cast<std::uint32_t>(Category::kOther);

struct CatalogueEntry {
  std::string name;
  std::uint16_t id = 0;
  std::uint32_t category = 0;
  std::vector<std::uint32_t> extraCategories;
  std::uint32_t skill = 0;     // SOLSKILL + 1
  std::uint32_t duration = 0;  // SOLTIME + 1
};

struct Catalogue {
  std::vector<CatalogueEntry> entries;
  std::vector<std::string> categoryNames;  // index = category code, 0 "All"
  std::vector<std::string> durationNames;  // index = duration, 0 "All"
  std::vector<std::string> letterNames;    // 0 "All", then "A" ... "Z"
};

// Builds the catalogue from the small arrays only, never from a record.
// Missing or short arrays give the entries that can be read.
Catalogue LoadCatalogue(const ResourceSource& resources);

}  // namespace cw
