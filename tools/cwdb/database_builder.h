// Builds the definition database and the catalogue arrays from the catalogue
// list and the game sources, and writes them as C++ for the program to embed.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "engine/database/record_layout.h"
#include "engine/database/resource_source.h"
#include "tools/cwdb/catalogue_list.h"

namespace cw {

// One catalogue entry with its assembled record; `bytes` is empty when the
// game's source does not exist yet.
struct CatalogueGame {
  CatalogueListEntry entry;
  std::filesystem::path source;
  std::optional<DefinitionRecord> record;
  std::vector<std::uint8_t> bytes;
};

struct CatalogueGames {
  std::vector<CatalogueGame> games;
  std::vector<std::string> errors;  // assembly errors and header/catalogue disagreements
};

// Assembles every listed game whose source exists and checks that its header
// (id, category, skill, duration, extra categories) and name agree with the
// catalogue line.
CatalogueGames AssembleCatalogue(const CatalogueList& list);

// The resources of one database block, every array in its stored
// little-endian form.
struct GameDatabase {
  std::vector<std::uint8_t> solDb;  // one zlib stream of the records in catalogue order
  std::vector<std::uint8_t> solSize;
  std::vector<std::uint8_t> solId;
  std::vector<std::uint8_t> solCat;
  std::vector<std::uint8_t> solSkill;
  std::vector<std::uint8_t> solTime;
  std::vector<std::uint8_t> solACat;
  std::vector<std::string> names;  // string-table entries from kGameNameStringFirst
};

// Compresses the records (zlib, level 9) and lays out the arrays; an absent
// record gets size 0. None, with the reason, when a record is too large for
// its 16-bit size or compression fails.
std::optional<GameDatabase> BuildDatabase(const std::vector<CatalogueGame>& games, std::string* error);

// Serves a built database the way the program's resources do.
class GameDatabaseResources final : public ResourceSource {
 public:
  explicit GameDatabaseResources(GameDatabase database) : database_(std::move(database)) {}
  std::optional<std::span<const std::uint8_t>> FindResource(std::string_view type, int id) const override;
  std::optional<std::string> LoadString(int id) const override;

 private:
  GameDatabase database_;
};

// C++ source defining EmbeddedGameResources() over the database.
void WriteDatabaseCpp(const GameDatabase& database, std::ostream& out);

}  // namespace cw
