#include "tools/cwdb/database_builder.h"

#include <zlib.h>

#include <limits>

#include "tools/cwdb/assembler.h"
#include "tools/cwdb/source_tokens.h"

namespace cw {
namespace {

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

std::string HeaderDisagreement(const CatalogueListEntry& entry, const DefinitionRecord& record) {
  const auto differs = [](std::string_view field, auto catalogue, auto header) {
    return std::string(field) + " is " + std::to_string(header) + " in the source but " + std::to_string(catalogue) +
           " in the catalogue";
  };
  if (record.name != entry.name) return "name \"" + record.name + "\" differs from the catalogue's \"" + entry.name + "\"";
  if (record.id != entry.id) return differs("id", entry.id, record.id);
  if (record.category != entry.category) return differs("category", entry.category, record.category);
  if (record.skill != entry.skill) return differs("skill", entry.skill, record.skill);
  if (record.duration != entry.duration) return differs("duration", entry.duration, record.duration);
  if (record.extraCategories != entry.extraCategories) return "extraCategories differ from the catalogue's";
  return {};
}

// C++ text of a byte array: a name, then the bytes, 16 to a line. Arrays
// never have size 0 in C++, so an empty one holds a single unused byte.
void WriteArray(std::ostream& out, std::string_view name, const std::vector<std::uint8_t>& bytes) {
  out << "constexpr std::size_t " << name << "Size = " << bytes.size() << ";\n";
  out << "constexpr std::uint8_t " << name << "[] = {";
  if (bytes.empty()) out << "0";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i % 16 == 0) out << "\n   ";
    out << " " << static_cast<unsigned>(bytes[i]) << ",";
  }
  out << "\n};\n\n";
}

std::string CppString(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u >= 0x7F) {
      // Octal-free, and split so a following hex digit is not swallowed.
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
      out += "\" \"";
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

CatalogueGames AssembleCatalogue(const CatalogueList& list) {
  CatalogueGames result;
  for (const CatalogueListEntry& entry : list.entries) {
    CatalogueGame game;
    game.entry = entry;
    game.source = list.directory / entry.file;
    std::error_code error;
    if (std::filesystem::exists(game.source, error)) {
      AssembleResult assembled = AssembleFile(game.source);
      if (assembled.error) {
        result.errors.push_back(assembled.error->ToString());
      } else {
        const std::string disagreement = HeaderDisagreement(entry, *assembled.record);
        if (!disagreement.empty()) result.errors.push_back(game.source.string() + ": " + disagreement);
        game.record = std::move(assembled.record);
        game.bytes = std::move(assembled.bytes);
      }
    }
    result.games.push_back(std::move(game));
  }
  return result;
}

std::optional<GameDatabase> BuildDatabase(const std::vector<CatalogueGame>& games, std::string* error) {
  GameDatabase database;
  std::vector<std::uint8_t> records;
  for (const CatalogueGame& game : games) {
    if (game.bytes.size() > std::numeric_limits<std::uint16_t>::max()) {
      if (error) *error = game.entry.name + ": the record is " + std::to_string(game.bytes.size()) +
                          " bytes long; at most 65535 fit its size entry";
      return std::nullopt;
    }
    records.insert(records.end(), game.bytes.begin(), game.bytes.end());
    PutU16(database.solSize, static_cast<std::uint16_t>(game.bytes.size()));
    PutU16(database.solId, game.entry.id);
    PutU16(database.solCat, game.entry.category);
    database.solSkill.push_back(game.entry.skill);
    database.solTime.push_back(game.entry.duration);
    for (std::uint8_t code : game.entry.extraCategories) {
      PutU16(database.solACat, game.entry.id);
      PutU16(database.solACat, code);
    }
    database.names.push_back(game.entry.name);
  }
  uLongf compressedSize = compressBound(static_cast<uLong>(records.size()));
  database.solDb.resize(compressedSize);
  const int status = compress2(database.solDb.data(), &compressedSize, records.data(),
                               static_cast<uLong>(records.size()), 9);
  if (status != Z_OK) {
    if (error) *error = "zlib compression failed (" + std::to_string(status) + ")";
    return std::nullopt;
  }
  database.solDb.resize(compressedSize);
  return database;
}

std::optional<std::span<const std::uint8_t>> GameDatabaseResources::FindResource(std::string_view type,
                                                                                 int id) const {
  const std::vector<std::uint8_t>* data = nullptr;
  if (type == "SOLDB" && id == kResourceSolDbFirst) data = &database_.solDb;
  if (type == "SOLSIZE" && id == kResourceSolSize) data = &database_.solSize;
  if (type == "SOLID" && id == kResourceSolId) data = &database_.solId;
  if (type == "SOLCAT" && id == kResourceSolCat) data = &database_.solCat;
  if (type == "SOLSKILL" && id == kResourceSolSkill) data = &database_.solSkill;
  if (type == "SOLTIME" && id == kResourceSolTime) data = &database_.solTime;
  if (type == "SOLACAT" && id == kResourceSolACat) data = &database_.solACat;
  if (data == nullptr) return std::nullopt;
  return std::span<const std::uint8_t>(*data);
}

std::optional<std::string> GameDatabaseResources::LoadString(int id) const {
  const int index = id - kGameNameStringFirst;
  if (index < 0 || static_cast<std::size_t>(index) >= database_.names.size()) return std::nullopt;
  return database_.names[static_cast<std::size_t>(index)];
}

void WriteDatabaseCpp(const GameDatabase& database, std::ostream& out) {
  out << "// Generated by cwdb from resources/games; do not edit.\n"
         "#include <array>\n#include <cstddef>\n#include <cstdint>\n#include <optional>\n#include <span>\n"
         "#include <string>\n#include <string_view>\n\n"
         "#include \"engine/database/embedded_resources.h\"\n\n"
         "namespace cw {\nnamespace {\n\n";
  WriteArray(out, "kSolDb", database.solDb);
  WriteArray(out, "kSolSize", database.solSize);
  WriteArray(out, "kSolId", database.solId);
  WriteArray(out, "kSolCat", database.solCat);
  WriteArray(out, "kSolSkill", database.solSkill);
  WriteArray(out, "kSolTime", database.solTime);
  WriteArray(out, "kSolACat", database.solACat);
  out << "constexpr std::array<std::string_view, " << database.names.size() << "> kGameNames = {\n";
  for (const std::string& name : database.names) out << "    " << CppString(name) << ",\n";
  out << "};\n\n"
         "struct Resource {\n"
         "  std::string_view type;\n"
         "  int id;\n"
         "  const std::uint8_t* data;\n"
         "  std::size_t size;\n"
         "};\n\n"
         "constexpr std::array<Resource, 7> kResources = {{\n"
         "    {\"SOLDB\", kResourceSolDbFirst, kSolDb, kSolDbSize},\n"
         "    {\"SOLSIZE\", kResourceSolSize, kSolSize, kSolSizeSize},\n"
         "    {\"SOLID\", kResourceSolId, kSolId, kSolIdSize},\n"
         "    {\"SOLCAT\", kResourceSolCat, kSolCat, kSolCatSize},\n"
         "    {\"SOLSKILL\", kResourceSolSkill, kSolSkill, kSolSkillSize},\n"
         "    {\"SOLTIME\", kResourceSolTime, kSolTime, kSolTimeSize},\n"
         "    {\"SOLACAT\", kResourceSolACat, kSolACat, kSolACatSize},\n"
         "}};\n\n"
         "class EmbeddedResources final : public ResourceSource {\n"
         " public:\n"
         "  std::optional<std::span<const std::uint8_t>> FindResource(std::string_view type,\n"
         "                                                            int id) const override {\n"
         "    for (const Resource& resource : kResources) {\n"
         "      if (resource.type == type && resource.id == id) {\n"
         "        return std::span<const std::uint8_t>(resource.data, resource.size);\n"
         "      }\n"
         "    }\n"
         "    return std::nullopt;\n"
         "  }\n\n"
         "  std::optional<std::string> LoadString(int id) const override {\n"
         "    const int index = id - kGameNameStringFirst;\n"
         "    if (index < 0 || static_cast<std::size_t>(index) >= kGameNames.size()) return std::nullopt;\n"
         "    return std::string(kGameNames[static_cast<std::size_t>(index)]);\n"
         "  }\n"
         "};\n\n"
         "}  // namespace\n\n"
         "const ResourceSource& EmbeddedGameResources() {\n"
         "  static const EmbeddedResources resources;\n"
         "  return resources;\n"
         "}\n\n"
         "}  // namespace cw\n";
}

}  // namespace cw
