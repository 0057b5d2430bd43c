#include "tools/cwdb/cwdb_commands.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "engine/database/record_loader.h"
#include "tools/cwdb/assembler.h"
#include "tools/cwdb/catalogue_list.h"
#include "tools/cwdb/database_builder.h"
#include "tools/cwdb/disassembler.h"
#include "tools/cwdb/reference_check.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

constexpr int kOk = 0;
constexpr int kProblem = 1;
constexpr int kUsage = 2;

constexpr std::string_view kUsageText =
    "usage:\n"
    "  cwdb asm FILE.cwg -o FILE.rec\n"
    "  cwdb disasm FILE.rec [-o FILE.cwg]\n"
    "  cwdb build --catalogue LIST --out-cpp FILE.cpp [--out-db FILE.db]\n"
    "  cwdb check [--catalogue LIST] [--expect COUNTS] [FILE.cwg|FILE.rec ...]\n"
    "  cwdb dump --catalogue LIST GAME\n";

// Options of the form `--name value` or `-o value`, and plain arguments.
struct Arguments {
  std::map<std::string, std::string> options;
  std::vector<std::string> plain;
};

std::optional<Arguments> ParseArguments(std::span<const std::string> args, std::span<const std::string_view> known,
                                        std::ostream& err) {
  Arguments parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() > 1 && arg.front() == '-') {
      if (std::find(known.begin(), known.end(), arg) == known.end()) {
        err << "cwdb: unknown option " << arg << "\n" << kUsageText;
        return std::nullopt;
      }
      if (i + 1 >= args.size()) {
        err << "cwdb: option " << arg << " needs a value\n";
        return std::nullopt;
      }
      parsed.options[arg] = args[++i];
    } else {
      parsed.plain.push_back(arg);
    }
  }
  return parsed;
}

std::optional<std::vector<std::uint8_t>> ReadBinaryFile(const fs::path& path) {
  const auto text = ReadTextFile(path);
  if (!text) return std::nullopt;
  return std::vector<std::uint8_t>(text->begin(), text->end());
}

bool WriteFile(const fs::path& path, std::string_view bytes, std::ostream& err) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    err << path.string() << ": cannot write the file\n";
    return false;
  }
  return true;
}

bool WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes, std::ostream& err) {
  return WriteFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), err);
}

int Assemble(std::span<const std::string> args, std::ostream&, std::ostream& err) {
  static constexpr std::string_view kKnown[] = {"-o"};
  const auto parsed = ParseArguments(args, kKnown, err);
  if (!parsed || parsed->plain.size() != 1 || !parsed->options.contains("-o")) {
    if (parsed) err << kUsageText;
    return kUsage;
  }
  const AssembleResult result = AssembleFile(parsed->plain.front());
  if (result.error) {
    err << result.error->ToString() << "\n";
    return kProblem;
  }
  return WriteBytes(parsed->options.at("-o"), result.bytes, err) ? kOk : kProblem;
}

// Decodes a record file, or assembles a source; none after reporting why.
std::optional<DefinitionRecord> LoadRecordFile(const fs::path& path, std::ostream& err) {
  if (path.extension() == ".cwg") {
    AssembleResult result = AssembleFile(path);
    if (result.error) {
      err << result.error->ToString() << "\n";
      return std::nullopt;
    }
    return std::move(result.record);
  }
  const auto bytes = ReadBinaryFile(path);
  if (!bytes) {
    err << path.string() << ": cannot read the file\n";
    return std::nullopt;
  }
  DecodeResult decoded = DecodeRecord(*bytes);
  if (!decoded.record) {
    err << path.string() << ": not a valid record: " << decoded.error << "\n";
    return std::nullopt;
  }
  return std::move(decoded.record);
}

int Disassemble(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  static constexpr std::string_view kKnown[] = {"-o"};
  const auto parsed = ParseArguments(args, kKnown, err);
  if (!parsed || parsed->plain.size() != 1) {
    if (parsed) err << kUsageText;
    return kUsage;
  }
  const auto bytes = ReadBinaryFile(parsed->plain.front());
  if (!bytes) {
    err << parsed->plain.front() << ": cannot read the file\n";
    return kProblem;
  }
  const DecodeResult decoded = DecodeRecord(*bytes);
  if (!decoded.record) {
    err << parsed->plain.front() << ": not a valid record: " << decoded.error << "\n";
    return kProblem;
  }
  const std::string text = DisassembleRecord(*decoded.record);
  if (parsed->options.contains("-o")) return WriteFile(parsed->options.at("-o"), text, err) ? kOk : kProblem;
  out << text;
  return kOk;
}

// Reports one record: counts, size, dangling references, deal problems,
// notes on unusual shapes and, when expected counts are given for its name,
// every count that differs. Answers whether the record passed (notes do not
// fail it).
bool CheckRecord(const std::string& label, const DefinitionRecord& record, const ExpectedCounts* expected,
                 std::ostream& out, std::ostream& err) {
  const auto bytes = EncodeRecord(record);
  const TableCounts counts = CountTables(record);
  out << label << ": \"" << record.name << "\" " << (bytes ? bytes->size() : 0) << " bytes: " << DescribeCounts(counts)
      << "\n";
  bool passed = true;
  for (const std::string& problem : FindDanglingReferences(record)) {
    err << label << ": dangling reference: " << problem << "\n";
    passed = false;
  }
  for (const std::string& problem : FindDealProblems(record)) {
    err << label << ": cannot be dealt: " << problem << "\n";
    passed = false;
  }
  for (const std::string& note : FindAuthoringNotes(record)) out << label << ": note: " << note << "\n";
  if (expected != nullptr) {
    const auto found = expected->find(record.name);
    if (found != expected->end()) {
      for (const std::string& problem : CompareCounts(counts, found->second)) {
        err << label << ": " << problem << "\n";
        passed = false;
      }
    }
  }
  return passed;
}

std::optional<CatalogueList> LoadCatalogue(const std::string& path, std::ostream& err) {
  CatalogueListResult list = ReadCatalogueList(path);
  if (list.error) {
    err << list.error->ToString() << "\n";
    return std::nullopt;
  }
  return std::move(list.list);
}

int Check(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  static constexpr std::string_view kKnown[] = {"--catalogue", "--expect"};
  const auto parsed = ParseArguments(args, kKnown, err);
  if (!parsed) return kUsage;
  if (parsed->plain.empty() && !parsed->options.contains("--catalogue")) {
    err << kUsageText;
    return kUsage;
  }
  std::optional<ExpectedCounts> expected;
  if (parsed->options.contains("--expect")) {
    ExpectedCountsResult read = ReadExpectedCounts(parsed->options.at("--expect"));
    if (read.error) {
      err << read.error->ToString() << "\n";
      return kProblem;
    }
    expected = std::move(read.counts);
  }
  const ExpectedCounts* expectedCounts = expected ? &*expected : nullptr;
  bool passed = true;
  if (parsed->options.contains("--catalogue")) {
    const auto list = LoadCatalogue(parsed->options.at("--catalogue"), err);
    if (!list) return kProblem;
    const CatalogueGames games = AssembleCatalogue(*list);
    for (const std::string& error : games.errors) err << error << "\n";
    passed = games.errors.empty();
    for (std::size_t i = 0; i < games.games.size(); ++i) {
      const CatalogueGame& game = games.games[i];
      const std::string label = std::to_string(i) + " " + game.entry.file;
      if (game.record) {
        passed = CheckRecord(label, *game.record, expectedCounts, out, err) && passed;
      } else {
        out << label << ": \"" << game.entry.name << "\" absent\n";
      }
    }
  }
  for (const std::string& file : parsed->plain) {
    const auto record = LoadRecordFile(file, err);
    passed = record && CheckRecord(file, *record, expectedCounts, out, err) && passed;
  }
  return passed ? kOk : kProblem;
}

// The database of a catalogue, after reporting every error; none when any.
std::optional<GameDatabase> BuildFromCatalogue(const std::string& path, std::ostream& err) {
  const auto list = LoadCatalogue(path, err);
  if (!list) return std::nullopt;
  const CatalogueGames games = AssembleCatalogue(*list);
  bool failed = !games.errors.empty();
  for (const std::string& error : games.errors) err << error << "\n";
  for (const CatalogueGame& game : games.games) {
    if (!game.record) continue;
    for (const std::string& problem : FindDanglingReferences(*game.record)) {
      err << game.source.string() << ": dangling reference: " << problem << "\n";
      failed = true;
    }
  }
  if (failed) return std::nullopt;
  std::string error;
  auto database = BuildDatabase(games.games, &error);
  if (!database) err << path << ": " << error << "\n";
  return database;
}

int Build(std::span<const std::string> args, std::ostream&, std::ostream& err) {
  static constexpr std::string_view kKnown[] = {"--catalogue", "--out-cpp", "--out-db"};
  const auto parsed = ParseArguments(args, kKnown, err);
  if (!parsed || !parsed->plain.empty() || !parsed->options.contains("--catalogue") ||
      !parsed->options.contains("--out-cpp")) {
    if (parsed) err << kUsageText;
    return kUsage;
  }
  const auto database = BuildFromCatalogue(parsed->options.at("--catalogue"), err);
  if (!database) return kProblem;
  std::ostringstream cpp;
  WriteDatabaseCpp(*database, cpp);
  if (!WriteFile(parsed->options.at("--out-cpp"), cpp.str(), err)) return kProblem;
  if (parsed->options.contains("--out-db") && !WriteBytes(parsed->options.at("--out-db"), database->solDb, err)) {
    return kProblem;
  }
  return kOk;
}

int Dump(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
  static constexpr std::string_view kKnown[] = {"--catalogue"};
  const auto parsed = ParseArguments(args, kKnown, err);
  if (!parsed || parsed->plain.size() != 1 || !parsed->options.contains("--catalogue")) {
    if (parsed) err << kUsageText;
    return kUsage;
  }
  auto database = BuildFromCatalogue(parsed->options.at("--catalogue"), err);
  if (!database) return kProblem;
  const std::string& game = parsed->plain.front();
  std::optional<std::size_t> index;
  for (std::size_t i = 0; i < database->names.size(); ++i) {
    if (database->names[i] == game || std::to_string(i) == game) index = i;
  }
  if (!index) {
    err << "cwdb: no game " << game << " in the catalogue\n";
    return kProblem;
  }
  const GameDatabaseResources resources(std::move(*database));
  const auto bytes = LoadDefinitionRecord(resources, static_cast<std::uint16_t>(*index));
  if (!bytes || bytes->empty()) {
    err << "cwdb: game " << game << " has no record in the database\n";
    return kProblem;
  }
  const DecodeResult decoded = DecodeRecord(*bytes);
  if (!decoded.record) {
    err << "cwdb: the record of " << game << " does not decode: " << decoded.error << "\n";
    return kProblem;
  }
  out << DisassembleRecord(*decoded.record);
  return kOk;
}

}  // namespace

int RunCwdb(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
  if (arguments.empty()) {
    err << kUsageText;
    return kUsage;
  }
  const std::string& command = arguments.front();
  const auto rest = arguments.subspan(1);
  if (command == "asm") return Assemble(rest, out, err);
  if (command == "disasm") return Disassemble(rest, out, err);
  if (command == "build") return Build(rest, out, err);
  if (command == "check") return Check(rest, out, err);
  if (command == "dump") return Dump(rest, out, err);
  err << "cwdb: unknown command " << command << "\n" << kUsageText;
  return kUsage;
}

}  // namespace cw
