#include "shell/main_window.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstdio>
#include <string>
#include "chooser/chooser_dialog.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/model/dealer.h"
#include "engine/rules/automatic_events.h"
#include "platform/resources/bitmap_ids.h"
#include "platform/resources/bitmaps.h"
#include "platform/resources/build_variant.h"
#include "platform/resources/menus.h"
#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"
#include "shell/best_times_dialog.h"
#include "shell/help_viewer.h"
#include "shell/options_dialog.h"
#include "shell/preference_options.h"
#include "shell/saved_game.h"
#include "shell/select_deal_dialog.h"
#include "shell/statistics_dialog.h"
#include "shell/widen_name.h"
#include "shell/window_place.h"
#include "uilib/device_pixels.h"
#include "uilib/message_box.h"
#include "view/display_metrics.h"
#include "view/game_field_view.h"

namespace cw {

namespace {

// The handheld's work area: a 240×320 screen less its 26-pixel title bar.
constexpr int kWorkAreaWidth = 240;
constexpr int kWorkAreaHeight = 294;
constexpr int kMenuBarImageCount = 4;

// The work area in Qt's coordinates on a screen of this pixel ratio.
QSize LogicalWorkArea(const ScreenFacts& screen, double ratio) {
  return FromDevice(QRect(0, 0, screen.ScaleX(kWorkAreaWidth), screen.ScaleY(kWorkAreaHeight)), ratio).size();
}

// A path has no spaces for a message box's word wrap to break at, so it would
// run out of a handheld's narrow box: a zero-width space after each separator
// lets it wrap there.
QString WrappablePath(const QString& path) {
  QString shown;
  for (const QChar c : path) {
    shown.append(c);
    if (c == u'/' || c == u'.' || c == u'-' || c == u'_') shown.append(QChar(0x200B));
  }
  return shown;
}

}  // namespace

MainWindow::MainWindow(Registry& registry, const ScreenFacts& screen)
    : registry_(registry), screen_(screen) {
  game_.onJournalAppend = [this] { hintIndex_ = 0; };
}

MainWindow::~MainWindow() {
  if (IsWindow()) DestroyWindow();
}

bool MainWindow::CreateMainWindow(const QString& title) {
  programTitle_ = title;
  QRect area(0, 0, screen_.ScaleX(kWorkAreaWidth), screen_.ScaleY(kWorkAreaHeight));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    // Centred in Qt's coordinates and placed on whole ones, so the window
    // keeps its exact device size on a scaled screen and stays on the screen.
    const double ratio = screen->devicePixelRatio();
    const QRect available = screen->availableGeometry();
    QRect logical = FromDevice(area, ratio);
    if (IsDesktopScreen(available, LogicalWorkArea(screen_, ratio))) {
      // A desktop's window: where the last run left it, or a comfortable first size.
      const auto kept = LoadWindowPlace(registry_, title);
      const auto place = kept ? KeptPlaceOnScreen(*kept, available, logical.size()) : std::nullopt;
      return Create(QString::fromLatin1(kClassName), title,
                    ToDevice(place.value_or(FirstDesktopWindow(available)), ratio));
    }
    logical.moveCenter(available.center());
    logical.moveLeft(std::max(logical.left(), available.left()));
    logical.moveTop(std::max(logical.top(), available.top()));
    area.moveTopLeft(ToDevice(QPointF(logical.topLeft()), ratio));
  }
  return Create(QString::fromLatin1(kClassName), title, area);
}

void MainWindow::BringToFront() {
  QWidget* top = TopLevel();
  if (top == nullptr) return;
  top->showNormal();
  top->raise();
  top->activateWindow();
}

QString MainWindow::GameName() const { return WidenName(game_.definition.name.data()); }

GameRecordsPlace MainWindow::RecordsPlace() const { return {registry_, programTitle_, GameName()}; }

bool MainWindow::CreateMenuBar() {
  menuBar_ = std::make_unique<CMenuBar>();
  const bool softkeys = !IsVgaBuild() && screen_.ScaleFactor() > 1.0;
  return menuBar_->Create(*this, menu_bar_id::kIconBar, menu_bar_id::kSoftKeys,
                          WhiteTransparent(LoadBitmap(bitmap_ids::MenuBarImages(IsVgaBuild()))), kMenuBarImageCount,
                          softkeys);
}

void MainWindow::ApplyMenuBarMode() {
  const double scale = screen_.ScaleFactor();
  if (scale == 1.0 || scale == 2.0) {
    menuBar_->SetSoftkeyMode(prefs_.softkeyMenu != 0);
  } else {
    // Icons drawn for 96 and 192 dpi only; other screens get the soft keys.
    prefs_.softkeyMenu = 1;
  }
}

int MainWindow::OnCreate(bool& handled) {
  handled = true;
  // Told on the error output too, for a program without a screen to show it on.
  setAsideNotice_ = registry_.TakeSetAsideNotice();
  if (setAsideNotice_) {
    std::fprintf(stderr, "cardwright: the damaged registry file was set aside as %s\n", qPrintable(*setAsideNotice_));
  }
  if (!CreateMenuBar()) return -1;
  view_ = std::make_unique<GameFieldView>(screen_);
  if (!view_->CreateGameField(*this)) return -1;
  view_->SetGame(&game_);
  view_->SetMoveHistory(&history_);
  view_->SetElapsedSeconds([this] { return clock_.Elapsed(); });

  prefs_ = LoadPreferences(registry_, programTitle_);
  ApplyMenuBarMode();
  view_->SetOptions(FieldOptionsFrom(prefs_));
  if (const AcceleratorTable* accelerators = FindAccelerators(kMainAccelerators)) {
    SetAccelerators(*accelerators);
  }
  if (SolitaireCurrent()) LoadCurrentSolitaire();

  optionsChanged_ = false;
  chooserPending_ = false;
  cursorRedrawPending_ = false;
  clock_.SetElapsed(0);
  clock_.paused = true;
  clock_.resync = true;
  SetTimer(kClockTimer, kClockMilliseconds);

  if (SolitaireCurrent()) {
    if (RestoreSavedGame()) {
      RebuildView();
      clock_.paused = false;
      clock_.resync = true;
    } else {
      StartNewGame(0, false);
    }
    if (KeyboardMode()) {
      view_->ClearKeyboardGrid();
      cursorRedrawPending_ = true;
    }
    ShowTitle();
  } else {
    chooserPending_ = true;
  }
  return 0;
}

bool MainWindow::LoadCurrentSolitaire() {
  game_.FreeGame();
  hintIndex_ = 0;
  std::optional<std::vector<std::uint8_t>> record;
  if (prefs_.curSolId >= 0 && prefs_.curSolId <= 0xFFFF) {
    record = LoadDefinitionRecord(EmbeddedGameResources(), static_cast<std::uint16_t>(prefs_.curSolId));
  }
  if (!record || !ParseDefinition(game_, *record, ToDisplayMetrics(screen_))) {
    // A stored number that names no playable game: the player chooses again.
    prefs_.curSolId = -1;
    return false;
  }
  return true;
}

bool MainWindow::KeyboardMode() const {
  const auto mode = static_cast<PlayMode>(prefs_.playMode);
  return mode == PlayMode::kKeyboardCardWise || mode == PlayMode::kKeyboardPileWise;
}

bool MainWindow::RestoreSavedGame() {
  std::uint32_t elapsed = 0;
  if (!RestoreGame(registry_, programTitle_, game_, elapsed)) return false;
  clock_.SetElapsed(elapsed);
  hintIndex_ = 0;
  restoreUnconfirmed_ = true;
  history_.Clear();
  return true;
}

void MainWindow::SaveSession() {
  // Before the window is created the preferences are not loaded yet.
  if (sessionEnded_ || !IsWindow()) return;
  const SolGame* game = SolitaireCurrent() && !restoreUnconfirmed_ ? &game_ : nullptr;
  SaveGameAndPreferences(registry_, programTitle_, game, clock_.Elapsed(), prefs_);
}

void MainWindow::EndSession() {
  if (sessionEnded_) return;
  restoreUnconfirmed_ = false;
  SaveSession();
  sessionEnded_ = true;
}

void MainWindow::RebuildView() {
  view_->RebuildMirror();
  view_->ResetLayout();
}

void MainWindow::StartNewGame(std::uint32_t gameNumber, bool redraw) {
  std::uint32_t number = gameNumber;
  if (number == 0 && prefs_.winnableDealsOnly != 0) number = WinnableDealNumber();
  if (!cw::StartNewGame(game_, number)) return;
  prefs_.curGameNumber = number;
  hintIndex_ = 0;
  history_.Clear();
  ShowTitle();
  RebuildView();
  if (KeyboardMode()) view_->ClearKeyboardGrid();
  clock_.Restart();
  if (redraw) view_->RefreshField();
  if (!optionsChanged_) SendMessage(WM_CHECKSTATE);
}

void MainWindow::RecordLoss(std::uint32_t seconds) {
  if (SolitaireCurrent()) RecordGame(RecordsPlace(), false, seconds);
}

template <typename Run>
auto MainWindow::WithClockPaused(Run run) {
  struct Resume {
    GameClock& clock;
    bool paused;
    ~Resume() { clock.paused = paused; }
  } resume{clock_, clock_.paused};
  // A box opened during a drag would get no click while the table holds the pointer.
  if (view_) view_->CancelPointer();
  clock_.resync = true;
  clock_.paused = true;
  return run();
}

void MainWindow::ShowTitle() {
  SetWindowText(LoadString(string_id::kTitleWithDeal).arg(GameName()).arg(prefs_.curGameNumber));
}

void MainWindow::ShowTableAfterJump() {
  RebuildView();
  if (KeyboardMode()) view_->ClearKeyboardGrid();
  view_->RefreshField();
  if (KeyboardMode()) {
    view_->BuildKeyboardGrid(GridChoice::kSource);
    view_->RefreshField();
  }
}

bool MainWindow::Redo() {
  if (!game_.HasPlayState() || !history_.Redo(game_)) return false;
  ShowTableAfterJump();
  SendMessage(WM_CHECKSTATE);
  return true;
}

bool MainWindow::Undo() {
  if (game_.HasPlayState() && game_.journal->Count() > 0) {
    history_.Undo(game_);
    ShowTableAfterJump();
    SaveSession();
    return true;
  }
  WithClockPaused([this] {
    return MessageBox(this, LoadString(string_id::kNoUndoText), LoadString(string_id::kNoUndoTitle), MB_OK);
  });
  return false;
}

void MainWindow::OnCommand(unsigned id, unsigned, bool& handled) {
  handled = true;
  switch (static_cast<int>(id)) {
    case command::kHelp: ShowRules(); break;
    case command::kUndo: Undo(); break;
    case command::kRedo: Redo(); break;
    case command::kSelectDeal: SelectDeal(); break;
    case command::kExit: Exit(); break;
    case command::kShowNextMove: ShowNextMove(); break;
    case command::kShowWinningMove: ShowWinningMove(); break;
    case command::kCanThisGameBeWon: TellWhetherWinnable(); break;
    case command::kNewGame:
      RecordLoss(clock_.Elapsed());
      StartNewGame(0, true);
      break;
    case command::kRestartGame:
      RecordLoss(clock_.Elapsed());
      StartNewGame(prefs_.curGameNumber, true);
      break;
    case command::kOptions: ShowOptions(); break;
    case command::kShowBestTimes: ShowBestTimes(); break;
    case command::kAbout: ShowAbout(); break;
    case command::kSelectSolitaire: SelectSolitaire(); break;
    case command::kShowStatistics: ShowStatistics(); break;
    default: handled = false; break;
  }
}

void MainWindow::ShowNextMove() {
  if (!game_.HasPlayState()) return;
  if (const std::optional<MoveReference> move = NextHint(game_, hintIndex_)) {
    view_->FlashMove(move->source, move->destination);
  }
}

void MainWindow::ShowWinningMove() {
  const std::optional<MoveReference> move = WithClockPaused([this] { return solver_.WinningMove(this, game_); });
  if (move) view_->FlashMove(move->source, move->destination);
}

void MainWindow::TellWhetherWinnable() {
  WithClockPaused([this] {
    solver_.TellWhetherWinnable(this, game_);
    return 0;
  });
}

std::uint32_t MainWindow::WinnableDealNumber() {
  if (!game_.HasDefinition()) return 0;
  // The search starts from a random number, as an ordinary deal would.
  const auto ticks = static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch());
  const std::uint32_t first = ChooseGameNumber(game_.random, ticks);
  return WithClockPaused([&] { return solver_.WinnableDeal(this, game_, first); }).value_or(0);
}

void MainWindow::TellRegistrySetAside() {
  const QString text = LoadString(string_id::kRegistrySetAside).arg(WrappablePath(*setAsideNotice_));
  setAsideNotice_.reset();
  // No tick while the box is open: the chooser waiting for the first tick
  // opens only once the box is answered.
  KillTimer(kClockTimer);
  WithClockPaused([&] { return MessageBox(this, text, programTitle_, MB_OK); });
  if (IsWindow()) SetTimer(kClockTimer, kClockMilliseconds);
}

void MainWindow::CheckState() {
  if (!game_.HasPlayState()) return;
  if (game_.won != 0) {
    GameWon();
  } else {
    if (KeyboardMode()) {
      view_->BuildKeyboardGrid(GridChoice::kSource);
      view_->RefreshField();
    }
    if (!FindMove(game_, 0)) {
      const unsigned choice = WithClockPaused([this] {
        return RunChoiceBox(this, string_id::kLostTitle, string_id::kLostText, menu_bar_id::kLostGame,
                            {command::kNewGame, command::kRestartGame, command::kUndo});
      });
      if (choice == command::kUndo) {
        if (!Undo()) {
          RecordLoss(clock_.Elapsed());
          StartNewGame(0, true);
        }
      } else {
        RecordLoss(clock_.Elapsed());
        StartNewGame(choice == command::kRestartGame ? prefs_.curGameNumber : 0, true);
      }
    } else if (TimeIsUp()) {
      RecordLoss(prefs_.timeLimit * 60);
      const unsigned choice = WithClockPaused([this] {
        return RunChoiceBox(this, string_id::kTimeUpTitle, string_id::kTimeUpText, menu_bar_id::kTimeUp,
                            {command::kNewGame, command::kRestartGame});
      });
      StartNewGame(choice == command::kRestartGame ? prefs_.curGameNumber : 0, true);
    }
  }
  hintIndex_ = 0;
  // Every finished move, undo and deal ends here.
  SaveSession();
}

void MainWindow::GameWon() {
  clock_.CatchUp();
  const std::uint32_t seconds = clock_.Elapsed();
  const GameRecordsPlace place = RecordsPlace();
  RecordGame(place, true, seconds);
  WithClockPaused([&] { return OfferBestTime(this, place, screen_, seconds, prefs_); });
  StartNewGame(0, true);
}

void MainWindow::SelectSolitaire() {
  restoreUnconfirmed_ = false;
  SaveSession();
  ChooserOptions choice = ChooserOptionsFrom(prefs_);
  ChooserDialog chooser(EmbeddedGameResources(), choice);
  const std::optional<int> chosen = WithClockPaused([&] { return chooser.Run(this); });
  StoreChooserOptions(choice, prefs_);
  if (chosen && LoadCurrentSolitaire()) {
    if (RestoreSavedGame()) {
      RebuildView();
      clock_.paused = false;
      clock_.resync = true;
      if (KeyboardMode()) {
        view_->RefreshField();
        view_->BuildKeyboardGrid(GridChoice::kSource);
      }
    } else {
      StartNewGame(0, true);
    }
    ShowTitle();
    view_->RefreshField();
  }
  // The chooser's filters and favourites, kept even when nothing was chosen.
  SaveSession();
  if (!SolitaireCurrent()) {
    // Left without a choice when nothing was current: the program ends.
    bool handled = false;
    OnClose(handled);
    DestroyWindow();
  }
}

void MainWindow::PlayDeal(std::uint32_t gameNumber) {
  if (!SolitaireCurrent() || gameNumber == 0) return;
  RecordLoss(clock_.Elapsed());
  StartNewGame(gameNumber, true);
}

void MainWindow::SelectDeal() {
  if (!SolitaireCurrent()) return;
  SelectDealDialog dialog(prefs_.curGameNumber);
  if (const std::optional<std::uint32_t> number = WithClockPaused([&] { return dialog.Run(this); })) {
    PlayDeal(*number);
  }
}

void MainWindow::Exit() {
  bool handled = false;
  OnClose(handled);
  DestroyWindow();
}

void MainWindow::ShowRules() {
  if (!SolitaireCurrent()) return;
  HtmlTextDialog rules(string_id::kGameRules, RulesHtml(game_.definition.rulesText));
  WithClockPaused([&] { return rules.DoModal(this); });
}

void MainWindow::ShowOptions() {
  const OptionsResult result = WithClockPaused(
      [&] { return RunOptions(this, prefs_, menuBar_.get(), registry_, programTitle_, screen_); });
  if (!result.accepted) return;
  view_->SetOptions(FieldOptionsFrom(prefs_));
  optionsChanged_ = result.optionsChanged;
  if (optionsChanged_) {
    optionsChanged_ = false;
    if (KeyboardMode()) view_->ClearSelection();
    view_->RefreshField();
    SendMessage(WM_CHECKSTATE);
  }
}

void MainWindow::ShowBestTimes() {
  if (!SolitaireCurrent()) return;
  BestTimesDialog dialog(RecordsPlace(), screen_);
  WithClockPaused([&] { return dialog.Run(this); });
}

void MainWindow::ShowStatistics() {
  if (!SolitaireCurrent()) return;
  StatisticsDialog dialog(RecordsPlace());
  WithClockPaused([&] { return dialog.Run(this); });
}

void MainWindow::ShowAbout() {
  std::optional<MenuBarLayout> close = LoadMenuBar(menu_bar_id::kHtmlViewer);
  if (!close) return;
  const QString text = QStringLiteral("%1\n\nCardwright %2").arg(programTitle_, QStringLiteral(CARDWRIGHT_VERSION));
  ChoiceBox about(LoadString(string_id::kAbout), text, *close, {});
  WithClockPaused([&] { return about.Run(this); });
}

void MainWindow::OnClose(bool&) {
  EndSession();
  const QWidget* top = TopLevel();
  const QScreen* on = top != nullptr ? top->screen() : nullptr;
  if (on != nullptr && IsDesktopScreen(on->availableGeometry(), LogicalWorkArea(screen_, on->devicePixelRatio()))) {
    SaveWindowPlace(registry_, programTitle_, top->geometry());
  }
}

void MainWindow::OnDestroy(bool&) {
  KillTimer(kClockTimer);
  if (onQuit_) onQuit_();
}

void MainWindow::OnKeyDown(unsigned virtualKey, bool& handled) {
  if (KeyboardMode() && view_ && view_->OnFieldKeyDown(virtualKey)) handled = true;
}

void MainWindow::OnSize(int width, int height, bool& handled) {
  if (view_ && view_->IsWindow()) view_->MoveWindow(QRect(0, 0, width, height));
  handled = true;
}

void MainWindow::OnTimer(unsigned id, bool& handled) {
  if (id != kClockTimer) return;
  handled = true;
  if (setAsideNotice_) {
    TellRegistrySetAside();
    return;
  }
  if (restoreUnconfirmed_) {
    restoreUnconfirmed_ = false;
    SaveSession();
  }
  if (!SolitaireCurrent() && chooserPending_) {
    chooserPending_ = false;
    SendMessage(WM_SELECTSOLITAIRE);
    if (!IsWindow()) return;
  }
  if (clock_.paused) return;
  if (cursorRedrawPending_) {
    cursorRedrawPending_ = false;
    view_->BuildKeyboardGrid(GridChoice::kSource);
    view_->RefreshField();
  }
  if (clock_.Tick()) {
    if (prefs_.showTimer != 0 && !view_->Dragging()) view_->RefreshClock();
    if (TimeIsUp()) SendMessage(WM_CHECKSTATE);
  }
}

LRESULT MainWindow::OnMessage(unsigned msg, WPARAM wParam, LPARAM, bool& handled) {
  switch (msg) {
    case WM_ACTIVATE:
      if (wParam == WA_INACTIVE) {
        clock_.resync = true;
        clock_.paused = true;
      } else if (SolitaireCurrent()) {
        clock_.paused = false;
      }
      return 0;
    case WM_ENTERMENULOOP:
      clock_.resync = true;
      clock_.paused = true;
      return 0;
    case WM_EXITMENULOOP:
      clock_.paused = false;
      return 0;
    case WM_CHECKSTATE:
      handled = true;
      CheckState();
      return 0;
    case WM_SELECTSOLITAIRE:
      handled = true;
      SelectSolitaire();
      return 0;
    default:
      return 0;
  }
}

}  // namespace cw
