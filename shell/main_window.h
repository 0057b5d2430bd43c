// The program's one top-level window: the menu bar, the table, the one game,
// the preferences and the game clock; it turns the menu's commands into
// actions and decides after every move whether the game is won, lost or out
// of time.
#pragma once
#include <QWidget>  // complete for the window library's inline accessors
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include "engine/model/sol_game.h"
#include "engine/rules/redo.h"
#include "platform/registry/registry.h"
#include "platform/screen/screen_facts.h"
#include "shell/game_clock.h"
#include "shell/preferences.h"
#include "shell/solver_commands.h"
#include "shell/statistics.h"
#include "uilib/ce_wnd.h"
#include "uilib/menu_bar.h"

namespace cw {

class GameFieldView;

class MainWindow : public CeWnd {
 public:
  static constexpr char kClassName[] = "TW_TarrowQuilloMainWindow";
  static constexpr unsigned kClockTimer = 1;
  static constexpr int kClockMilliseconds = 50;

  MainWindow(Registry& registry, const ScreenFacts& screen);
  ~MainWindow() override;

  // Creates the window at the handheld's size (the work area of a 240×320
  // screen, scaled); false when creation was refused.
  bool CreateMainWindow(const QString& title);

  // The seconds clock of the game clock; the system time by default.
  void SetSecondsClock(GameClock::SecondsSource clock) { clock_.SetSource(std::move(clock)); }
  // Runs once the window is gone: the program ends.
  void SetOnQuit(std::function<void()> quit) { onQuit_ = std::move(quit); }
  // A later start of the program asked this one to come forward.
  void BringToFront();

  SolGame& Game() { return game_; }
  GameFieldView* View() const { return view_.get(); }
  CMenuBar* Bar() const { return menuBar_.get(); }
  const Preferences& Prefs() const { return prefs_; }
  const GameClock& Clock() const { return clock_; }
  std::uint16_t HintIndex() const { return hintIndex_; }
  SolverCommands& Solver() { return solver_; }
  bool SolitaireCurrent() const { return prefs_.curSolId != -1; }

  // Undo of the last move; false (after telling the player) when the journal is empty.
  bool Undo();
  // Makes the last undone move again; false, changing nothing, when there is
  // nothing to redo.
  bool Redo();
  // Deals the numbered deal of the current solitaire; the game left counts
  // as lost, as with New Game.
  void PlayDeal(std::uint32_t gameNumber);

  // Writes the game in progress and the preferences in one transaction, as
  // after every finished move; nothing once the session has ended.
  void SaveSession();
  // Saves as the window's close does and takes no later save, for an end the
  // window is not asked about (a signal, the session manager's logout).
  void EndSession();

 protected:
  void OnClose(bool& handled) override;
  int OnCreate(bool& handled) override;
  void OnCommand(unsigned id, unsigned code, bool& handled) override;
  void OnDestroy(bool& handled) override;
  void OnKeyDown(unsigned virtualKey, bool& handled) override;
  void OnSize(int width, int height, bool& handled) override;
  void OnTimer(unsigned id, bool& handled) override;
  LRESULT OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  bool KeyboardMode() const;
  // A timed game whose limit has been reached; a limit of no minutes is no limit.
  bool TimeIsUp() const {
    return prefs_.timedGame != 0 && prefs_.timeLimit > 0 && prefs_.timeLimit <= clock_.Elapsed() / 60;
  }
  QString GameName() const;
  GameRecordsPlace RecordsPlace() const;

  bool CreateMenuBar();
  void ApplyMenuBarMode();
  // Loads the current solitaire's definition; on failure no solitaire is current.
  bool LoadCurrentSolitaire();
  // Resumes the current solitaire's saved game; false when there is none to resume.
  bool RestoreSavedGame();
  void StartNewGame(std::uint32_t gameNumber, bool redraw);
  // The title: the game's name and the deal's number.
  void ShowTitle();
  // The table again from the engine after undo or redo.
  void ShowTableAfterJump();
  void RebuildView();
  void RecordLoss(std::uint32_t seconds);
  // Runs a modal dialog with the clock paused; afterwards the clock runs or
  // rests as it did before, and the dialog's time is not counted.
  template <typename Run>
  auto WithClockPaused(Run run);

  // Tells the player once that a damaged registry file was set aside.
  void TellRegistrySetAside();
  void CheckState();
  void GameWon();
  void ShowNextMove();
  void ShowWinningMove();
  void TellWhetherWinnable();
  // With "Winnable deals only": a number the solver proved winnable, 0 (a
  // random deal) when none was found.
  std::uint32_t WinnableDealNumber();
  void SelectSolitaire();
  void SelectDeal();
  void Exit();
  void ShowRules();
  void ShowOptions();
  void ShowBestTimes();
  void ShowStatistics();
  void ShowAbout();

  Registry& registry_;
  ScreenFacts screen_;
  QString programTitle_;
  std::unique_ptr<CMenuBar> menuBar_;
  std::unique_ptr<GameFieldView> view_;
  SolGame game_;
  MoveHistory history_;
  Preferences prefs_;
  GameClock clock_;
  SolverCommands solver_;
  std::function<void()> onQuit_;
  std::uint16_t hintIndex_ = 0;
  // The new name of a damaged registry file, told at the first tick.
  std::optional<QString> setAsideNotice_;
  bool optionsChanged_ = false;
  bool cursorRedrawPending_ = false;
  bool chooserPending_ = false;
  // A resumed game keeps its slot marked until the table has been shown once,
  // so that a game whose showing ends the program is not resumed again.
  bool restoreUnconfirmed_ = false;
  bool sessionEnded_ = false;
};

}  // namespace cw
