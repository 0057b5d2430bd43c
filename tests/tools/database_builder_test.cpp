// The database builder: the catalogue list, the arrays it lays out, the
// compressed block the loader reads back, and the database embedded in the
// program.
#include "tools/cwdb/database_builder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "tools/cwdb/assembler.h"
#include "tools/cwdb/disassembler.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint16_t> U16s(std::span<const std::uint8_t> bytes) {
  std::vector<std::uint16_t> values;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    values.push_back(static_cast<std::uint16_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  return values;
}

std::string GameSource(std::string_view name, int id, int skill, int duration, std::string_view extra) {
  return "name \"" + std::string(name) + "\"\nid " + std::to_string(id) + "\ncategory 6\nskill " +
         std::to_string(skill) + "\nduration " + std::to_string(duration) + "\n" + std::string(extra) +
         "deck 1\npile p { }\nevent e automatic { when c }\nprogram never { PUSH 1 }\ncondition c never p\n";
}

// A catalogue of three games in a temporary folder; the middle one has no
// source yet.
class BuiltCatalogue : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("cwdb_builder_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    Write("catalogue.txt",
          "# a comment line\n"
          "first.cwg   50 1 2 FreeCell Spider+3  \"First\"\n"
          "missing.cwg 60 2 3 0        -         \"Not Yet\"\n"
          "third.cwg   70 2 1 6        -         \"Third\"\n");
    Write("first.cwg", GameSource("First", 50, 1, 2, "extraCategories Spider 3\n"));
    Write("third.cwg", GameSource("Third", 70, 2, 1, "rules \"A longer text to make the record longer.\"\n"));
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& file, const std::string& text) { std::ofstream(dir_ / file) << text; }

  CatalogueGames Assemble() {
    const CatalogueListResult list = ReadCatalogueList(dir_ / "catalogue.txt");
    EXPECT_FALSE(list.error.has_value()) << list.error->ToString();
    return list.list ? AssembleCatalogue(*list.list) : CatalogueGames{};
  }

  fs::path dir_;
};

TEST_F(BuiltCatalogue, ArraysFollowTheCatalogue) {
  const CatalogueGames games = Assemble();
  ASSERT_TRUE(games.errors.empty()) << games.errors.front();
  ASSERT_EQ(games.games.size(), 3u);
  EXPECT_FALSE(games.games[1].record.has_value());
  std::string error;
  const auto database = BuildDatabase(games.games, &error);
  ASSERT_TRUE(database.has_value()) << error;
  EXPECT_EQ(U16s(database->solSize),
            (std::vector<std::uint16_t>{static_cast<std::uint16_t>(games.games[0].bytes.size()), 0,
                                        static_cast<std::uint16_t>(games.games[2].bytes.size())}));
  EXPECT_EQ(U16s(database->solId), (std::vector<std::uint16_t>{50, 60, 70}));
  EXPECT_EQ(U16s(database->solCat), (std::vector<std::uint16_t>{6, 0, 6}));
  EXPECT_EQ(database->solSkill, (std::vector<std::uint8_t>{1, 2, 2}));
  EXPECT_EQ(database->solTime, (std::vector<std::uint8_t>{2, 3, 1}));
  EXPECT_EQ(U16s(database->solACat), (std::vector<std::uint16_t>{50, 8, 50, 3}));
  EXPECT_EQ(database->names, (std::vector<std::string>{"First", "Not Yet", "Third"}));

  // The block is one zlib stream of the present records in catalogue order.
  std::vector<std::uint8_t> expected = games.games[0].bytes;
  expected.insert(expected.end(), games.games[2].bytes.begin(), games.games[2].bytes.end());
  std::vector<std::uint8_t> inflated(expected.size());
  uLongf size = static_cast<uLongf>(inflated.size());
  ASSERT_EQ(uncompress(inflated.data(), &size, database->solDb.data(), static_cast<uLong>(database->solDb.size())),
            Z_OK);
  EXPECT_EQ(inflated, expected);
}

TEST_F(BuiltCatalogue, LoaderReadsPresentRecordsAndRefusesAbsentOnes) {
  const CatalogueGames games = Assemble();
  auto database = BuildDatabase(games.games, nullptr);
  ASSERT_TRUE(database.has_value());
  const GameDatabaseResources resources(std::move(*database));
  EXPECT_EQ(LoadDefinitionRecord(resources, 0), games.games[0].bytes);
  EXPECT_EQ(LoadDefinitionRecord(resources, 2), games.games[2].bytes);
  EXPECT_FALSE(LoadDefinitionRecord(resources, 1).has_value());  // size 0: not authored yet
  EXPECT_FALSE(LoadDefinitionRecord(resources, 3).has_value());
  EXPECT_EQ(resources.LoadString(kGameNameStringFirst + 1), "Not Yet");
  EXPECT_FALSE(resources.LoadString(kGameNameStringFirst + 3).has_value());

  const Catalogue catalogue = LoadCatalogue(resources);
  ASSERT_GE(catalogue.entries.size(), 3u);
  EXPECT_EQ(catalogue.entries[0].extraCategories, (std::vector<std::uint32_t>{8, 3}));
  EXPECT_EQ(catalogue.entries[1].category, kCategoryOther);
}

TEST_F(BuiltCatalogue, SourceThatDisagreesWithTheCatalogueIsAnError) {
  Write("third.cwg", GameSource("Third", 71, 2, 1, ""));
  Write("first.cwg", GameSource("First", 50, 1, 2, ""));
  const CatalogueGames games = Assemble();
  ASSERT_EQ(games.errors.size(), 2u);
  EXPECT_NE(games.errors[0].find("first.cwg: extraCategories differ"), std::string::npos) << games.errors[0];
  EXPECT_NE(games.errors[1].find("third.cwg: id is 71 in the source but 70 in the catalogue"), std::string::npos)
      << games.errors[1];
}

TEST_F(BuiltCatalogue, AssemblyErrorsAreCollected) {
  Write("third.cwg", "name \"Third\"\npile p { fan 900 }\n");
  const CatalogueGames games = Assemble();
  ASSERT_EQ(games.errors.size(), 1u);
  EXPECT_NE(games.errors[0].find("third.cwg:2: 900 is out of range for fan"), std::string::npos) << games.errors[0];
}

TEST(CatalogueListFile, MistakesAreReportedWithTheirLine) {
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"a.cwg 1 2 3 6 - \"A\"\nb.cwg 1 2 3 6\n", "list:2: an entry is: FILE ID SKILL"},
      {"a.cwg 1 2 3 6 - \"A\"\nb.cwg 1 2 3 6 - \"B\"\n", "list:2: id 1 is listed twice"},
      {"a.cwg 1 2 3 6 - \"A\"\nb.cwg 2 2 3 6 - \"A\"\n", "list:2: \"A\" is listed twice"},
      {"a.cwg 70000 2 3 6 - \"A\"\n", "list:1: expected an id (0 to 65535), found '70000'"},
      {"a.cwg 1 2 3 Nowhere - \"A\"\n", "list:1: expected a category code"},
      {"a.cwg 1 2 3 6 8+x \"A\"\n", "list:1: expected a category code (0 to 255), found 'x'"},
      {"a.cwg 1 2 3 6 - \"\"\n", "list:1: a game name has 1 to 31 characters"},
  };
  for (const auto& c : cases) {
    const CatalogueListResult result = ParseCatalogueList(c.text, "list");
    ASSERT_TRUE(result.error.has_value()) << c.text;
    EXPECT_NE(result.error->ToString().find(c.message), std::string::npos) << result.error->ToString();
  }
}

TEST(EmbeddedDatabase, HoldsTheTwentyGamesOfTheCatalogue) {
  const ResourceSource& resources = EmbeddedGameResources();
  const std::vector<std::uint16_t> ids = {562, 31, 79, 121, 136, 137, 156, 165, 166, 176,
                                          202, 206, 242, 746, 299, 322, 324, 326, 422, 437};
  EXPECT_EQ(U16s(*resources.FindResource("SOLID", kResourceSolId)), ids);
  EXPECT_EQ(U16s(*resources.FindResource("SOLCAT", kResourceSolCat)), std::vector<std::uint16_t>(20, 6));
  const auto skill = *resources.FindResource("SOLSKILL", kResourceSolSkill);
  const auto time = *resources.FindResource("SOLTIME", kResourceSolTime);
  EXPECT_EQ(std::vector<std::uint8_t>(skill.begin(), skill.end()),
            (std::vector<std::uint8_t>{2, 2, 2, 1, 1, 2, 2, 2, 1, 2, 2, 1, 1, 2, 2, 2, 2, 2, 2, 2}));
  EXPECT_EQ(std::vector<std::uint8_t>(time.begin(), time.end()),
            (std::vector<std::uint8_t>{2, 3, 2, 3, 2, 3, 1, 1, 2, 2, 2, 1, 3, 1, 3, 1, 1, 1, 2, 1}));
  EXPECT_EQ(U16s(*resources.FindResource("SOLACAT", kResourceSolACat)), (std::vector<std::uint16_t>{562, 8}));
  EXPECT_EQ(U16s(*resources.FindResource("SOLSIZE", kResourceSolSize)).size(), 20u);
  EXPECT_EQ(resources.LoadString(kGameNameStringFirst), "Antares");
  EXPECT_EQ(resources.LoadString(kGameNameStringFirst + 1), "Baker's Game");
  EXPECT_EQ(resources.LoadString(kGameNameStringFirst + 19), "Towers");
  EXPECT_FALSE(resources.LoadString(kGameNameStringFirst + 20).has_value());
  EXPECT_FALSE(resources.FindResource("SOLDB", kResourceSolDbFirst + 1).has_value());

  // Every record decodes, its header agrees with its catalogue entry, and its
  // disassembly assembles to the same bytes.
  for (std::uint16_t index = 0; index < 20; ++index) {
    const auto bytes = LoadDefinitionRecord(resources, index);
    ASSERT_TRUE(bytes.has_value()) << "record " << index;
    const DecodeResult decoded = DecodeRecord(*bytes);
    ASSERT_TRUE(decoded.record.has_value()) << "record " << index << ": " << decoded.error;
    EXPECT_EQ(decoded.record->id, ids[index]);
    EXPECT_EQ(decoded.record->name, resources.LoadString(kGameNameStringFirst + index));
    const AssembleResult again = AssembleSource(DisassembleRecord(*decoded.record), "disassembly", ".");
    ASSERT_FALSE(again.error.has_value()) << again.error->ToString();
    EXPECT_EQ(again.bytes, *bytes) << "record " << index << " changes on its way through its source text";
  }
}

}  // namespace
}  // namespace cw
