#include "tools/cli/cli.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <vector>

#include "engine/database/catalogue.h"
#include "engine/database/record_loader.h"
#include "engine/model/dealer.h"
#include "engine/rules/automatic_events.h"
#include "engine/rules/redo.h"
#include "tools/cli/table_output.h"
#include "tools/cli/record_dump.h"

namespace cw {
namespace {

constexpr const char* kUsage =
    "usage: cardwright-cli games\n"
    "       cardwright-cli deal GAME NUMBER [--json]\n"
    "       cardwright-cli play GAME NUMBER MOVE... [--json]\n"
    "       cardwright-cli moves GAME NUMBER [MOVE...] [--json]\n"
    "       cardwright-cli dump GAME\n"
    "GAME is a catalogue position or a game name; NUMBER a deal number (0 draws one);\n"
    "MOVE is CARD:PILE, tap:PILE, undo or redo (which makes an undone move again).\n";

// A step that failed: the exit status and the line that says why.
struct Failure {
  int status;
  std::string message;
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

template <typename Unsigned>
std::optional<Unsigned> ParseUnsigned(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  Unsigned value{};
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || ec != std::errc{} || ptr != end) return std::nullopt;
  return value;
}

class Session {
 public:
  Session(const ResourceSource& resources, std::ostream& out, std::ostream& err)
      : resources_(resources), out_(out), err_(err) {}

  int Run(std::vector<std::string> args) {
    const auto json = std::find(args.begin(), args.end(), "--json");
    json_ = json != args.end();
    if (json_) args.erase(json);
    if (args.empty()) return Usage();
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "games" && args.empty()) return Games();
    if (command == "dump" && args.size() == 1) return Dump(args[0]);
    if (command == "deal" && args.size() == 2) return Play(args, Output::kTable);
    if (command == "play" && args.size() >= 3) return Play(args, Output::kTableAndState);
    if (command == "moves" && args.size() >= 2) return Play(args, Output::kMoves);
    if (command == "--help" || command == "help") {
      out_ << kUsage;
      return kCliOk;
    }
    return Usage();
  }

 private:
  enum class Output { kTable, kTableAndState, kMoves };

  int Usage() {
    err_ << kUsage;
    return kCliUsage;
  }

  int Fail(int status, const std::string& message) {
    err_ << "cardwright-cli: " << message << '\n';
    return status;
  }

  int Games() {
    const Catalogue catalogue = LoadCatalogue(resources_);
    const auto sizes = resources_.FindResource("SOLSIZE", kResourceSolSize);
    const auto skills = resources_.FindResource("SOLSKILL", kResourceSolSkill);
    const auto times = resources_.FindResource("SOLTIME", kResourceSolTime);
    for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
      const CatalogueEntry& entry = catalogue.entries[i];
      std::uint32_t size = 0;
      if (sizes && sizes->size() >= 2 * (i + 1)) size = (*sizes)[2 * i] | ((*sizes)[2 * i + 1] << 8);
      // The raw catalogue values, which equal the record's own header fields.
      const unsigned skill = skills && skills->size() > i ? (*skills)[i] : entry.skill - 1;
      const unsigned duration = times && times->size() > i ? (*times)[i] : entry.duration - 1;
      out_ << i << '\t' << entry.id << '\t' << entry.name << '\t' << entry.category << '\t' << skill
           << '\t' << duration << '\t' << size << '\n';
    }
    return kCliOk;
  }

  // Finds the game by catalogue position or by name (letter case ignored).
  std::optional<std::size_t> FindGame(const std::string& text, std::string& name) {
    const Catalogue catalogue = LoadCatalogue(resources_);
    if (auto position = ParseUnsigned<std::size_t>(text); position && *position < catalogue.entries.size()) {
      name = catalogue.entries[*position].name;
      return *position;
    }
    for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
      if (Lower(catalogue.entries[i].name) == Lower(text)) {
        name = catalogue.entries[i].name;
        return i;
      }
    }
    return std::nullopt;
  }

  // Finds the game and inflates its record.
  std::optional<Failure> LoadRecord(const std::string& text, std::string& name, std::vector<std::uint8_t>& record) {
    const auto position = FindGame(text, name);
    if (!position) return Failure{kCliUsage, "unknown game '" + text + "'"};
    auto loaded = LoadDefinitionRecord(resources_, static_cast<std::uint16_t>(*position));
    if (!loaded) return Failure{kCliUsage, "the record of '" + name + "' is not in the database"};
    record = std::move(*loaded);
    return std::nullopt;
  }

  std::optional<Failure> LoadGame(const std::string& text, SolGame& game, std::string& name) {
    std::vector<std::uint8_t> record;
    if (auto failure = LoadRecord(text, name, record)) return failure;
    std::string error;
    if (!ParseDefinition(game, record, DisplayMetrics{}, &error)) {
      return Failure{kCliUsage, "the record of '" + name + "' is damaged: " + error};
    }
    return std::nullopt;
  }

  int Dump(const std::string& text) {
    std::string name;
    std::vector<std::uint8_t> record;
    if (auto failure = LoadRecord(text, name, record)) return Fail(failure->status, failure->message);
    std::string error;
    if (!DumpRecordSource(record, out_, &error)) {
      return Fail(kCliUsage, "the record of '" + name + "' is damaged: " + error);
    }
    return kCliOk;
  }

  std::optional<Failure> PerformMove(SolGame& game, MoveHistory& history, const std::string& move) {
    if (move == "undo") {
      if (!history.Undo(game)) return Failure{kCliRefused, "move 'undo' refused: nothing to undo"};
      return std::nullopt;
    }
    if (move == "redo") {
      if (!history.Redo(game)) return Failure{kCliRefused, "move 'redo' refused: nothing to redo"};
      return std::nullopt;
    }
    const auto colon = move.find(':');
    if (colon == std::string::npos) return Failure{kCliUsage, "malformed move '" + move + "'"};
    const std::string left = move.substr(0, colon);
    const auto pile = ParseUnsigned<std::uint16_t>(std::string_view(move).substr(colon + 1));
    if (!pile) return Failure{kCliUsage, "malformed move '" + move + "'"};
    MoveReference reference{*pile, kNoReference};
    if (Lower(left) != "tap") {
      const auto card = ParseUnsigned<std::uint16_t>(left);
      if (!card) return Failure{kCliUsage, "malformed move '" + move + "'"};
      reference = {*card, *pile};
    }
    if (!history.Make(game, reference, nullptr)) return Failure{kCliRefused, "move '" + move + "' refused"};
    return std::nullopt;
  }

  int Play(const std::vector<std::string>& args, Output output) {
    SolGame game;
    TableReport report;
    if (auto failure = LoadGame(args[0], game, report.game)) return Fail(failure->status, failure->message);
    const auto number = ParseUnsigned<std::uint32_t>(args[1]);
    if (!number) return Fail(kCliUsage, "bad game number '" + args[1] + "'");
    report.gameNumber = *number;
    std::string error;
    if (!StartNewGame(game, report.gameNumber, &error)) {
      return Fail(kCliUsage, "'" + report.game + "' cannot be dealt: " + error);
    }
    if (*number == 0) err_ << "game number " << report.gameNumber << '\n';
    MoveHistory history;
    for (std::size_t i = 2; i < args.size(); ++i) {
      if (auto failure = PerformMove(game, history, args[i])) return Fail(failure->status, failure->message);
    }
    if (json_) {
      PrintTableJson(game, report, out_);
    } else if (output == Output::kMoves) {
      for (const auto& move : ListMoves(game)) out_ << MoveName(move) << '\n';
    } else {
      PrintTable(game, out_);
      if (output == Output::kTableAndState) out_ << (game.won ? "won" : "playing") << '\n';
    }
    return kCliOk;
  }

  const ResourceSource& resources_;
  std::ostream& out_;
  std::ostream& err_;
  bool json_ = false;
};

}  // namespace

int RunCli(const std::vector<std::string>& args, const ResourceSource& resources, std::ostream& out,
           std::ostream& err) {
  return Session(resources, out, err).Run(args);
}

}  // namespace cw
