// The main window with the solver's budgets counted in positions, so that
// each answer is the same on any machine, and a way to put a position of the
// test's own on its table.
#pragma once

#include <QStringList>
#include <chrono>
#include <string>

#include "engine/rules/player_move.h"
#include "engine/solver/solver.h"
#include "tests/shell/main_window_fixture.h"

namespace cw::testing {

// FreeCell deal 5 is proved winnable within kNodes positions.
inline constexpr std::uint64_t kNodes = 3'000;
inline constexpr std::uint32_t kQuickDeal = 5;

inline SolveLimits NodeLimits(std::uint64_t nodes) { return {nodes, 0, std::size_t{64} << 20}; }

inline SolveResult SolveCopy(const SolGame& game, std::uint64_t nodes = kNodes) {
  SolGame copy = game;
  copy.onJournalAppend = nullptr;
  return Solve(copy, NodeLimits(nodes));
}

inline SolveVerdict Verdict(const SolGame& game, std::uint64_t nodes = kNodes) {
  return SolveCopy(game, nodes).verdict;
}

class SolverWindowTest : public MainWindowTest {
 protected:
  // Starts the window with the solver's budgets set before the first deal.
  void StartWith(Preferences stored, const SolverBudgets& budgets) {
    SavePreferences(*registry, title, stored);
    window = std::make_unique<MainWindow>(*registry, screen);
    window->SetSecondsClock([this] { return now; });
    window->Solver().Budgets() = budgets;
    ASSERT_TRUE(window->CreateMainWindow(title));
    window->View()->SetFramePause(std::chrono::milliseconds(0));
    window->View()->SetFlashPause(std::chrono::milliseconds(0));
    window->ShowWindow(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window->TopLevel()));
  }
  static SolverBudgets NodeBudgets(std::uint64_t nodes = kNodes) {
    SolverBudgets budgets;
    budgets.position = NodeLimits(nodes);
    budgets.perDeal = NodeLimits(nodes);
    budgets.dealAttempts = 3;
    budgets.grace = std::chrono::seconds(60);  // no progress box unless a test asks for it
    return budgets;
  }
  void StartGame(const std::string& name, bool winnableOnly = false,
                 SolverBudgets budgets = NodeBudgets()) {
    Preferences stored;
    stored.curSolId = CataloguePosition(name);
    stored.timedGame = 0;
    stored.animation = 0;
    stored.winnableDealsOnly = winnableOnly ? 1 : 0;
    StartWith(stored, budgets);
  }
  // The window's game becomes `game`, as if the player had played there.
  void Install(SolGame game) {
    SolGame& current = window->Game();
    std::function<void()> hook = std::move(current.onJournalAppend);
    current = std::move(game);
    current.onJournalAppend = std::move(hook);
    window->View()->RebuildMirror();
    window->View()->ResetLayout();
  }
  // Deal `number` of the window's game with `moves` played.
  void InstallDeal(std::uint32_t number, const std::vector<MoveReference>& moves = {}) {
    SolGame game;
    game.definition = window->Game().definition;
    ASSERT_TRUE(StartNewGame(game, number));
    for (const MoveReference& move : moves) ASSERT_TRUE(PerformPlayerMove(game, move, nullptr));
    Install(std::move(game));
  }
  void InstallQuickDeal() { InstallDeal(kQuickDeal); }
  // The answer "Can This Game Be Won?" gives, as the box shows it.
  QString CanItBeWon() {
    DialogAnswers answers;
    Command(command::kCanThisGameBeWon);
    EXPECT_EQ(answers.Titles(), QStringList{QStringLiteral("Can This Game Be Won?")});
    return answers.Texts().value(0);
  }
};

}  // namespace cw::testing
