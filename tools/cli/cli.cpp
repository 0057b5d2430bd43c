#include "tools/cli/cli.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iomanip>
#include <optional>
#include <thread>
#include <vector>

#include "engine/database/catalogue.h"
#include "engine/database/record_loader.h"
#include "engine/model/dealer.h"
#include "engine/rules/automatic_events.h"
#include "engine/rules/moves.h"
#include "engine/rules/player_move.h"
#include "engine/rules/redo.h"
#include "engine/solver/solver.h"
#include "tools/cli/table_output.h"
#include "tools/cli/record_dump.h"
#include "tools/cli/survey.h"

namespace cw {
namespace {

constexpr const char* kUsage =
    "usage: cardwright-cli games\n"
    "       cardwright-cli deal GAME NUMBER [--json]\n"
    "       cardwright-cli play GAME NUMBER MOVE... [--json]\n"
    "       cardwright-cli moves GAME NUMBER [MOVE...] [--json]\n"
    "       cardwright-cli dump GAME\n"
    "       cardwright-cli solve GAME NUMBER [MOVE...] [--nodes N] [--seconds S] [--cpu] [--json]\n"
    "       cardwright-cli survey GAME FIRST LAST [--nodes N] [--seconds S] [--cpu] [--jobs J]\n"
    "GAME is a catalogue position or a game name; NUMBER a deal number (0 draws one);\n"
    "with --shuffled, deal, play, moves, solve and survey deal a deck shuffled uniformly\n"
    "from NUMBER instead of the program's deal of that number.\n"
    "MOVE is CARD:PILE, tap:PILE, undo or redo (which makes an undone move again).\n"
    "solve prints winnable, unwinnable or undecided, then the winning moves;\n"
    "survey prints NUMBER, verdict, moves, nodes and milliseconds per deal, then a summary.\n"
    "The solver stops at N positions or S seconds (default: 10 s per deal); with --cpu,\n"
    "S and the milliseconds are each searching thread's processor time. A deal is searched\n"
    "on two threads where the cores allow; survey searches J deals at once (default: one\n"
    "for every two cores).\n";

// A deal is searched for this long unless the command line says otherwise.
constexpr double kDefaultSolveSeconds = 10;

const char* VerdictName(SolveVerdict verdict) {
  switch (verdict) {
    case SolveVerdict::kWinnable:
      return "winnable";
    case SolveVerdict::kUnwinnable:
      return "unwinnable";
    case SolveVerdict::kUndecided:
      break;
  }
  return "undecided";
}

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
    const auto shuffled = std::find(args.begin(), args.end(), "--shuffled");
    if (shuffled != args.end()) {
      dealOrder_ = DealOrder::kShuffled;
      args.erase(shuffled);
    }
    if (args.empty()) return Usage();
    if (auto failure = TakeSolverOptions(args)) return Fail(failure->status, failure->message);
    const std::string command = args[0];
    if (solverOptions_ && command != "solve" && command != "survey") return Usage();
    if (dealOrder_ == DealOrder::kShuffled && (command == "games" || command == "dump")) {
      return Usage();
    }
    args.erase(args.begin());
    if (command == "games" && args.empty()) return Games();
    if (command == "dump" && args.size() == 1) return Dump(args[0]);
    if (command == "deal" && args.size() == 2) return Play(args, Output::kTable);
    if (command == "play" && args.size() >= 3) return Play(args, Output::kTableAndState);
    if (command == "moves" && args.size() >= 2) return Play(args, Output::kMoves);
    if (command == "solve" && args.size() >= 2) return Play(args, Output::kSolve);
    if (command == "survey" && args.size() == 3 && !json_) return Survey(args);
    if (command == "--help" || command == "help") {
      out_ << kUsage;
      return kCliOk;
    }
    return Usage();
  }

 private:
  enum class Output { kTable, kTableAndState, kMoves, kSolve };

  // Takes --nodes N, --seconds S, --cpu and --jobs J out of the arguments.
  std::optional<Failure> TakeSolverOptions(std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size();) {
      const std::string name = args[i];
      if (name == "--cpu") {
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
        solverOptions_ = true;
        limits_.processorTime = true;
        continue;
      }
      if (name != "--nodes" && name != "--seconds" && name != "--jobs") {
        ++i;
        continue;
      }
      if (i + 1 >= args.size()) return Failure{kCliUsage, name + " needs a value"};
      const std::string value = args[i + 1];
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                 args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
      solverOptions_ = true;
      if (name == "--seconds") {
        double seconds = 0;
        auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
        if (value.empty() || ec != std::errc{} || ptr != value.data() + value.size() ||
            !(seconds > 0)) {
          return Failure{kCliUsage, "bad number of seconds '" + value + "'"};
        }
        limits_.maxSeconds = seconds;
        continue;
      }
      const auto number = ParseUnsigned<std::uint64_t>(value);
      if (!number || *number == 0) return Failure{kCliUsage, "bad " + name.substr(2) + " '" + value + "'"};
      if (name == "--nodes") {
        limits_.maxNodes = *number;
      } else {
        jobs_ = static_cast<unsigned>(std::min<std::uint64_t>(*number, 1024));
      }
    }
    if (limits_.maxNodes == 0 && limits_.maxSeconds == 0) limits_.maxSeconds = kDefaultSolveSeconds;
    return std::nullopt;
  }

  void PrintSolve(const SolveResult& result) {
    if (json_) {
      out_ << "{\"verdict\":\"" << VerdictName(result.verdict) << "\",\"moves\":[";
      for (std::size_t i = 0; i < result.moves.size(); ++i) {
        out_ << (i ? "," : "") << '"' << MoveName(result.moves[i]) << '"';
      }
      out_ << "],\"nodes\":" << result.nodes
           << ",\"milliseconds\":" << static_cast<std::uint64_t>(result.seconds * 1000) << "}\n";
      return;
    }
    out_ << VerdictName(result.verdict) << '\n';
    for (const MoveReference& move : result.moves) out_ << MoveName(move) << '\n';
  }

  int Survey(const std::vector<std::string>& args) {
    SolGame game;
    std::string name;
    if (auto failure = LoadGame(args[0], game, name)) return Fail(failure->status, failure->message);
    const auto first = ParseUnsigned<std::uint32_t>(args[1]);
    const auto last = ParseUnsigned<std::uint32_t>(args[2]);
    if (!first || *first == 0) return Fail(kCliUsage, "bad game number '" + args[1] + "'");
    if (!last || *last < *first) return Fail(kCliUsage, "bad game number '" + args[2] + "'");
    SolGame probe;
    probe.definition = game.definition;
    std::uint32_t number = *first;
    std::string error;
    if (!StartNewGame(probe, number, &error, dealOrder_)) {
      return Fail(kCliUsage, "'" + name + "' cannot be dealt: " + error);
    }
    // A deal the first try leaves open is searched on two threads where the
    // cores allow it, so by default half as many deals as cores are searched
    // at once.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned jobs = jobs_ != 0 ? jobs_ : std::max(1u, cores / 2);
    limits_.secondThread = std::uint64_t{jobs} * 2 <= cores;
    std::uint64_t counts[3] = {0, 0, 0};
    std::vector<double> milliseconds;
    RunSurvey(game, *first, *last, dealOrder_, limits_, jobs, [&](const SurveyEntry& entry) {
      const double ms = entry.result.seconds * 1000;
      ++counts[static_cast<int>(entry.result.verdict)];
      milliseconds.push_back(ms);
      out_ << entry.number << '\t' << VerdictName(entry.result.verdict) << '\t'
           << entry.result.moves.size() << '\t' << entry.result.nodes << '\t'
           << static_cast<std::uint64_t>(ms) << '\n';
    });
    const std::uint64_t winnable = counts[static_cast<int>(SolveVerdict::kWinnable)];
    const std::uint64_t unwinnable = counts[static_cast<int>(SolveVerdict::kUnwinnable)];
    const std::uint64_t undecided = counts[static_cast<int>(SolveVerdict::kUndecided)];
    const Interval interval = WilsonInterval(winnable, winnable + unwinnable);
    std::sort(milliseconds.begin(), milliseconds.end());
    const double share = winnable + unwinnable == 0 ? 0.0 : 100.0 * static_cast<double>(winnable) / static_cast<double>(winnable + unwinnable);
    out_ << std::fixed << std::setprecision(2) << "# " << name << ": " << milliseconds.size()
         << " deals, winnable " << winnable << ", unwinnable " << unwinnable << ", undecided "
         << undecided << "; winnable share of the decided " << share << "% (95% interval "
         << 100 * interval.low << "% to " << 100 * interval.high << "%); median "
         << milliseconds[milliseconds.size() / 2] << " ms per deal\n";
    return kCliOk;
  }

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
    if (!StartNewGame(game, report.gameNumber, &error, dealOrder_)) {
      return Fail(kCliUsage, "'" + report.game + "' cannot be dealt: " + error);
    }
    if (*number == 0) err_ << "game number " << report.gameNumber << '\n';
    MoveHistory history;
    for (std::size_t i = 2; i < args.size(); ++i) {
      if (auto failure = PerformMove(game, history, args[i])) {
        // For the solver a refused move is bad input like any other.
        return Fail(output == Output::kSolve ? kCliUsage : failure->status, failure->message);
      }
    }
    if (output == Output::kSolve) {
      limits_.secondThread = SecondCoreFree();
      PrintSolve(Solve(game, limits_));
    } else if (json_) {
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
  DealOrder dealOrder_ = DealOrder::kByNumber;
  bool solverOptions_ = false;
  SolveLimits limits_;
  unsigned jobs_ = 0;
};

}  // namespace

int RunCli(const std::vector<std::string>& args, const ResourceSource& resources, std::ostream& out,
           std::ostream& err) {
  return Session(resources, out, err).Run(args);
}

}  // namespace cw
