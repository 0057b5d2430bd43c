// The catalogue list file: the games in catalogue order (a game's line number
// among the entries is its record index), each with its source file, the
// catalogue values the chooser shows and its display name. A game whose
// source does not exist yet keeps its place in the catalogue with an empty
// record.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/cwdb/source_tokens.h"

namespace cw {

struct CatalogueListEntry {
  std::string file;  // relative to the list's directory
  std::uint16_t id = 0;
  std::uint8_t skill = 0;
  std::uint8_t duration = 0;
  std::uint16_t category = 0;
  std::vector<std::uint8_t> extraCategories;
  std::string name;
  int line = 0;
};

struct CatalogueList {
  std::filesystem::path directory;
  std::vector<CatalogueListEntry> entries;
};

struct CatalogueListResult {
  std::optional<CatalogueList> list;
  std::optional<SourceError> error;
};

// Each entry is one line: FILE ID SKILL DURATION CATEGORY EXTRA "NAME", where
// EXTRA is `-` or a comma-free list of category codes joined by `+`.
CatalogueListResult ParseCatalogueList(std::string_view text, const std::string& file);
CatalogueListResult ReadCatalogueList(const std::filesystem::path& path);

}  // namespace cw
