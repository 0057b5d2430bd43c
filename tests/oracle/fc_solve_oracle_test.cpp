// Freecell Solver as an outside oracle: for the games it can model, its
// solutions of our deals must replay through our engine, one card at a time,
// to a win. The solver's sequence moves are broken into single-card moves
// through the empty cells and columns, as a player would make them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <iostream>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/rules/legality.h"
#include "tests/games/game_test_support.h"

namespace cw::testing {
namespace {

struct OracleGame {
  std::string name;
  std::string solverOptions;
  std::vector<std::uint16_t> columns;
  std::vector<std::uint16_t> cells;
  std::vector<std::uint16_t> foundations;
  bool emptyColumnTakesAnyCard;
  // The solver holds at most eight cells; a solution that uses eight of ten
  // empty cells is still a solution.
  std::size_t solverCells = 8;
};

std::vector<std::uint16_t> Range(std::uint16_t first, std::uint16_t count) {
  std::vector<std::uint16_t> piles;
  for (std::uint16_t i = 0; i < count; ++i) piles.push_back(static_cast<std::uint16_t>(first + i));
  return piles;
}

const std::vector<OracleGame>& Games() {
  static const std::vector<OracleGame> games = {
      {"FreeCell", "-g freecell", Range(0, 8), Range(8, 4), Range(12, 4), true},
      {"Baker's Game", "-g bakers_game", Range(0, 8), Range(8, 4), Range(12, 4), true},
      {"Seven by Five", "--stacks-num 7 --freecells-num 5", Range(0, 7), Range(7, 5), Range(12, 4), true},
      {"Eight Off", "-g eight_off", Range(4, 8), Range(12, 8), Range(0, 4), false},
      {"Sea Towers", "-g seahaven", Range(0, 10), Range(10, 4), Range(14, 4), false},
      {"KingCell",
       "--stacks-num 8 --freecells-num 4 --sequences-are-built-by rank --empty-stacks-filled-by kings",
       Range(0, 8), Range(8, 4), Range(12, 4), false},
      {"ForeCell", "-g forecell", Range(0, 8), Range(8, 4), Range(12, 4), false},
      {"Four by Ten", "--stacks-num 4 --freecells-num 8", Range(0, 4), Range(4, 10), Range(14, 4), true},
  };
  return games;
}

std::string SolverCard(const SolGame& game, std::uint16_t card) {
  static constexpr std::array<const char*, 14> kRanks = {"?", "A", "2", "3", "4", "5", "6",
                                                         "7", "8", "9", "T", "J", "Q", "K"};
  static constexpr std::array<char, 5> kSuits = {'?', 'S', 'C', 'D', 'H'};
  const CardDef& def = game.definition.cards[card];
  return std::string(kRanks[def.rank]) + kSuits[def.suit];
}

// The solver's view of the table, kept in step with its own moves so that
// each of its moves can be turned into the cards it moves.
struct SolverTable {
  std::vector<std::vector<std::uint16_t>> stacks;
  std::vector<std::optional<std::uint16_t>> freecells;
};

SolverTable TableOf(const SolGame& game, const OracleGame& setup) {
  SolverTable table;
  for (std::uint16_t column : setup.columns) table.stacks.push_back(PileCards(game, column));
  for (std::uint16_t cell : setup.cells) {
    if (table.freecells.size() == setup.solverCells) break;
    const auto cards = PileCards(game, cell);
    table.freecells.push_back(cards.empty() ? std::nullopt : std::optional(cards.back()));
  }
  return table;
}

std::string BoardText(const SolGame& game, const SolverTable& table) {
  std::ostringstream board;
  board << "Foundations: H-0 C-0 D-0 S-0\nFreecells:";
  for (const auto& cell : table.freecells) board << ' ' << (cell ? SolverCard(game, *cell) : "-");
  board << '\n';
  for (const auto& stack : table.stacks) {
    board << ':';
    for (std::uint16_t card : stack) board << ' ' << SolverCard(game, card);
    board << '\n';
  }
  return board.str();
}

struct Solution {
  bool solved = false;
  std::vector<std::string> moves;
};

Solution Solve(const std::string& board, const std::string& options) {
  const std::string path = ::testing::TempDir() + "cardwright_oracle_" + std::to_string(getpid()) + ".txt";
  std::ofstream(path) << board;
  const std::string command = "FREECELL_SOLVER_QUIET=1 fc-solve -m -p -t -mi 60000 " + options + " " + path;
  Solution solution;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return solution;
  std::array<char, 512> line{};
  while (fgets(line.data(), static_cast<int>(line.size()), pipe)) {
    std::string text(line.data());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (text.rfind("Move ", 0) == 0) solution.moves.push_back(text);
    if (text.find("This game is solveable") != std::string::npos) solution.solved = true;
  }
  pclose(pipe);
  return solution;
}

class Replayer {
 public:
  Replayer(SolGame& game, const OracleGame& setup) : game_(game), setup_(setup), table_(TableOf(game, setup)) {}

  // Performs one solver move; false, with the reason in `failure`, when our
  // engine refuses a step of it.
  bool Apply(const std::string& move) {
    static const std::regex kPattern(
        R"(Move (a card|(\d+) cards) from (stack|freecell) (\d+) to (the foundations|stack (\d+)|freecell (\d+)))");
    std::smatch m;
    if (!std::regex_search(move, m, kPattern)) return Fail("unreadable solver move: " + move);
    const std::size_t count = m[2].matched ? std::stoul(m[2]) : 1;
    const std::size_t from = std::stoul(m[4]);
    std::vector<std::uint16_t> cards;  // base card first
    if (m[3] == "stack") {
      auto& stack = table_.stacks.at(from);
      if (stack.size() < count) return Fail("solver moves more cards than its stack holds");
      cards.assign(stack.end() - static_cast<std::ptrdiff_t>(count), stack.end());
      stack.resize(stack.size() - count);
    } else {
      auto& cell = table_.freecells.at(from);
      if (!cell) return Fail("solver moves from an empty freecell");
      cards = {*cell};
      cell.reset();
    }
    if (m[6].matched) {
      auto& stack = table_.stacks.at(std::stoul(m[6]));
      stack.insert(stack.end(), cards.begin(), cards.end());
      return MoveRun(cards, setup_.columns.at(std::stoul(m[6])));
    }
    if (m[7].matched) {
      table_.freecells.at(std::stoul(m[7])) = cards.front();
      const auto cell = EmptyCells();
      if (IsHome(cards.front())) return true;
      if (cell.empty()) return Fail("no empty cell for " + SolverCard(game_, cards.front()));
      return Single(cards.front(), cell.front());
    }
    return ToFoundation(cards.front());
  }

  const std::string& failure() const { return failure_; }

 private:
  bool Fail(const std::string& why) {
    failure_ = why;
    return false;
  }

  bool IsHome(std::uint16_t card) const {
    const std::uint16_t pile = game_.cards[card].pile;
    return std::find(setup_.foundations.begin(), setup_.foundations.end(), pile) != setup_.foundations.end();
  }

  std::vector<std::uint16_t> EmptyCells() const {
    std::vector<std::uint16_t> empty;
    for (std::uint16_t cell : setup_.cells) {
      if (game_.piles[cell].count == 0) empty.push_back(cell);
    }
    return empty;
  }

  std::vector<std::uint16_t> EmptyColumns(std::uint16_t except) const {
    std::vector<std::uint16_t> empty;
    if (!setup_.emptyColumnTakesAnyCard) return empty;
    for (std::uint16_t column : setup_.columns) {
      if (column != except && game_.piles[column].count == 0) empty.push_back(column);
    }
    return empty;
  }

  // Cards the automatic moves have already sent home need no move.
  bool Single(std::uint16_t card, std::uint16_t pile) {
    if (IsHome(card)) return true;
    if (Play(game_, {card, pile})) return true;
    return Fail("refused " + SolverCard(game_, card) + " onto pile " + std::to_string(pile));
  }

  bool ToFoundation(std::uint16_t card) {
    if (IsHome(card)) return true;
    for (std::uint16_t foundation : setup_.foundations) {
      if (CanDrop(game_, card, foundation)) return Single(card, foundation);
    }
    return Fail("no foundation takes " + SolverCard(game_, card));
  }

  // Moves a run (base first) to `pile` one card at a time: the cards above
  // the base wait in empty cells, and longer runs are split through an empty
  // column, as a player moves a run by hand.
  bool MoveRun(std::vector<std::uint16_t> run, std::uint16_t pile) {
    std::erase_if(run, [&](std::uint16_t card) { return IsHome(card); });
    if (run.empty()) return true;
    if (run.size() == 1) return Single(run.front(), pile);
    const auto cells = EmptyCells();
    if (run.size() <= cells.size() + 1) {
      for (std::size_t i = run.size() - 1; i >= 1; --i) {
        if (!Single(run[i], cells[run.size() - 1 - i])) return false;
      }
      if (!Single(run.front(), pile)) return false;
      for (std::size_t i = 1; i < run.size(); ++i) {
        if (!Single(run[i], pile)) return false;
      }
      return true;
    }
    const auto columns = EmptyColumns(pile);
    if (columns.empty()) return Fail("no room to move a run of " + std::to_string(run.size()));
    const std::size_t upper = run.size() / 2;
    const std::vector<std::uint16_t> top(run.end() - static_cast<std::ptrdiff_t>(upper), run.end());
    const std::vector<std::uint16_t> bottom(run.begin(), run.end() - static_cast<std::ptrdiff_t>(upper));
    return MoveRun(top, columns.front()) && MoveRun(bottom, pile) && MoveRun(top, pile);
  }

  SolGame& game_;
  const OracleGame& setup_;
  SolverTable table_;
  std::string failure_;
};

struct Tally {
  int tried = 0;
  int solved = 0;
  int won = 0;
};

class FcSolveOracle : public ::testing::TestWithParam<OracleGame> {};

TEST_P(FcSolveOracle, SolverSolutionsReplayToAWin) {
  if (std::system("command -v fc-solve > /dev/null 2>&1") != 0) GTEST_SKIP() << "fc-solve is not installed";
  const OracleGame& setup = GetParam();
  ASSERT_TRUE(LoadGame(setup.name)) << setup.name << " is not in the database";
  Tally tally;
  for (std::uint32_t number = 1; number <= 40; ++number) {
    auto game = DealGame(setup.name, number * 7919u);
    ASSERT_TRUE(game);
    ++tally.tried;
    const Solution solution = Solve(BoardText(*game, TableOf(*game, setup)), setup.solverOptions);
    if (!solution.solved) continue;
    ++tally.solved;
    Replayer replayer(*game, setup);
    bool replayed = true;
    for (const auto& move : solution.moves) {
      if (!replayer.Apply(move)) {
        replayed = false;
        ADD_FAILURE() << setup.name << " deal " << number * 7919u << ": " << move << ": " << replayer.failure();
        break;
      }
    }
    if (replayed && game->won) {
      ++tally.won;
    } else if (replayed) {
      ADD_FAILURE() << setup.name << " deal " << number * 7919u << ": the solution replayed but the game is not won";
    }
  }
  std::cout << setup.name << ": " << tally.tried << " deals tried, " << tally.solved << " solved by fc-solve, "
            << tally.won << " replayed to a win\n";
  RecordProperty("tried", tally.tried);
  RecordProperty("solved", tally.solved);
  RecordProperty("won", tally.won);
  EXPECT_EQ(tally.won, tally.solved);
  EXPECT_GT(tally.solved, 0);
}

INSTANTIATE_TEST_SUITE_P(Games, FcSolveOracle, ::testing::ValuesIn(Games()),
                         [](const ::testing::TestParamInfo<OracleGame>& param) {
                           std::string name;
                           for (char c : param.param.name) {
                             if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                           }
                           return name;
                         });

}  // namespace
}  // namespace cw::testing
