// The main window over a temporary registry on the offscreen platform: the
// deal at start, moves through the table, the commands, the end-of-game
// checks and the game clock driven by a clock of the test's own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <memory>
#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/rules/automatic_events.h"
#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"
#include "shell/best_times.h"
#include "shell/main_window.h"
#include "shell/statistics.h"
#include "uilib/ce_dialog.h"
#include "uilib/dialog_frame.h"
#include "view/game_field_view.h"

namespace cw {
namespace {

int CataloguePosition(const std::string& name) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
    if (catalogue.entries[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

// Answers the dialogs the window opens, in order, each with a command, and
// notes their titles.
class DialogAnswers {
 public:
  DialogAnswers() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Answer(); });
    timer_.start();
  }
  void Queue(unsigned command) { commands_.push_back(command); }
  const QStringList& Titles() const { return titles_; }

 private:
  void Answer() {
    auto* frame = qobject_cast<DialogFrame*>(QApplication::activeModalWidget());
    if (frame == nullptr || !frame->isVisible() || frame == answered_) return;
    CeDialog* dialog = nullptr;
    for (QWidget* widget : frame->findChildren<QWidget*>()) {
      if ((dialog = dynamic_cast<CeDialog*>(CeMsgWnd::FromWidget(widget))) != nullptr) break;
    }
    if (dialog == nullptr) return;
    answered_ = frame;
    titles_.append(frame->Title());
    const unsigned command = commands_.empty() ? IDCANCEL : commands_.front();
    if (!commands_.empty()) commands_.pop_front();
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(command, kCommandFromMenu));
  }

  QTimer timer_;
  std::deque<unsigned> commands_;
  QStringList titles_;
  QPointer<DialogFrame> answered_;
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    registry = std::make_unique<Registry>(dir.filePath(QStringLiteral("registry.sqlite3")));
    title = LoadString(string_id::kProgramTitle);
    freeCell = CataloguePosition("FreeCell");
    ASSERT_GE(freeCell, 0);
  }
  void TearDown() override {
    if (window && window->IsWindow()) window->DestroyWindow();
    window.reset();
  }
  // Stores the preferences a previous run left, then starts the window.
  void Start(Preferences stored) {
    SavePreferences(*registry, title, stored);
    window = std::make_unique<MainWindow>(*registry, screen);
    window->SetSecondsClock([this] { return now; });
    ASSERT_TRUE(window->CreateMainWindow(title));
    window->View()->SetFramePause(std::chrono::milliseconds(0));
    window->View()->SetFlashPause(std::chrono::milliseconds(0));
    window->ShowWindow(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window->TopLevel()));
  }
  void StartFreeCell(std::uint8_t timed = 0) {
    Preferences stored;
    stored.curSolId = freeCell;
    stored.timedGame = timed;
    stored.animation = 0;
    Start(stored);
  }
  GameStatistics Stats() {
    return ReadStatistics({*registry, title, QStringLiteral("FreeCell")});
  }
  void Command(int id) { window->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), kCommandFromMenu)); }
  // The next tick only takes the time, as after any pause.
  void Resync() {
    window->SendMessage(WM_ENTERMENULOOP);
    window->SendMessage(WM_EXITMENULOOP);
  }
  void Tick() { window->SendMessage(WM_TIMER, MainWindow::kClockTimer); }

  // The pen on the table, in device pixels.
  void Pen(QEvent::Type type, QPoint device) {
    QWidget* widget = window->View()->Widget();
    const double ratio = widget->devicePixelRatioF();
    const QPointF at((device.x() + 0.5) / ratio, (device.y() + 0.5) / ratio);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
  }
  QPoint CardCentre(std::uint16_t card) {
    const CardState& state = window->Game().cards[card];
    const auto record = window->View()->Hits().Find(state.pile, state.position);
    EXPECT_TRUE(record);
    return record ? window->View()->Hits().VisibleRect(*record).center() : QPoint();
  }
  QPoint PileCentre(std::uint16_t pile) {
    const int count = window->View()->Layout().piles[pile].Count();
    const auto record = window->View()->Hits().Find(
        pile, count == 0 ? kPileBase : static_cast<std::uint16_t>(count - 1));
    EXPECT_TRUE(record);
    return record ? window->View()->Hits().VisibleRect(*record).center() : QPoint();
  }
  // Drags the card of the first legal move onto its pile, as the player would.
  MoveReference DragFirstMove() {
    const std::optional<MoveReference> move = FindMove(window->Game(), 0);
    EXPECT_TRUE(move && !move->IsTap());
    if (!move) return {};
    const QPoint from = CardCentre(move->source);
    const QPoint to = PileCentre(move->destination);
    Pen(QEvent::MouseButtonPress, from);
    Pen(QEvent::MouseMove, from + QPoint(6, 6));
    Pen(QEvent::MouseMove, to);
    Pen(QEvent::MouseButtonRelease, to);
    return *move;
  }

  QTemporaryDir dir;
  std::unique_ptr<Registry> registry;
  QString title;
  int freeCell = -1;
  ScreenFacts screen;
  std::int64_t now = 1'000'000;
  std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, DealsTheCurrentSolitaireAtStart) {
  StartFreeCell();
  SolGame& game = window->Game();
  EXPECT_EQ(std::string(game.definition.name.data()), "FreeCell");
  ASSERT_TRUE(game.HasPlayState());
  EXPECT_EQ(game.journal->Count(), 0u);
  EXPECT_EQ(window->GetWindowText(), QStringLiteral("FreeCell"));
  EXPECT_NE(window->Prefs().curGameNumber, 0u);
  EXPECT_EQ(window->View()->Layout().piles.size(), game.piles.size());
  ASSERT_NE(window->Bar(), nullptr);
  EXPECT_FALSE(window->Bar()->IsSoftkeyMode()) << "icon bar unless the player chose soft keys";
}

TEST_F(MainWindowTest, SoftKeysWhenThePlayerChoseThem) {
  Preferences stored;
  stored.curSolId = freeCell;
  stored.softkeyMenu = 1;
  Start(stored);
  EXPECT_TRUE(window->Bar()->IsSoftkeyMode());
}

TEST_F(MainWindowTest, AStoredGameNumberOutsideTheCatalogueLeavesNoSolitaireCurrent) {
  Preferences stored;
  stored.curSolId = 4711;
  SavePreferences(*registry, title, stored);
  window = std::make_unique<MainWindow>(*registry, screen);
  ASSERT_TRUE(window->CreateMainWindow(title));
  EXPECT_FALSE(window->SolitaireCurrent());
  EXPECT_FALSE(window->Game().HasPlayState());
}

TEST_F(MainWindowTest, AMoveThroughTheTableThenUndoRestartAndNewGame) {
  StartFreeCell();
  SolGame& game = window->Game();
  const std::vector<CardState> dealt = game.cards;
  const std::uint32_t number = window->Prefs().curGameNumber;

  const std::optional<MoveReference> first = FindMove(game, 0);
  ASSERT_TRUE(first);
  const std::uint16_t sourcePile = game.cards[first->source].pile;
  DragFirstMove();
  // The card left its pile; automatic moves may have taken it further.
  EXPECT_NE(game.cards[first->source].pile, sourcePile);
  EXPECT_GT(game.journal->Count(), 0u);
  EXPECT_NE(game.cards, dealt);

  Command(command::kUndo);
  EXPECT_EQ(game.cards, dealt) << "undo takes the whole move back";
  EXPECT_EQ(game.journal->Count(), 0u);

  DragFirstMove();
  Command(command::kRestartGame);
  EXPECT_EQ(window->Prefs().curGameNumber, number);
  EXPECT_EQ(game.cards, dealt) << "the same deal again";
  EXPECT_EQ(Stats().played, 1u) << "the abandoned game counts as lost";
  EXPECT_EQ(Stats().won, 0u);

  Command(command::kNewGame);
  EXPECT_NE(window->Prefs().curGameNumber, number);
  EXPECT_NE(game.cards, dealt);
  EXPECT_EQ(Stats().played, 2u) << "even when no card was moved";
}

TEST_F(MainWindowTest, UndoWithNothingToUndoTellsThePlayer) {
  StartFreeCell();
  DialogAnswers answers;
  const std::vector<CardState> dealt = window->Game().cards;
  EXPECT_FALSE(window->Undo());
  ASSERT_EQ(answers.Titles(), QStringList{QStringLiteral("No Undo")});
  EXPECT_EQ(window->Game().cards, dealt);
}

TEST_F(MainWindowTest, ShowNextMoveWalksThroughTheLegalMoves) {
  StartFreeCell();
  ASSERT_TRUE(FindMove(window->Game(), 1));
  EXPECT_EQ(window->HintIndex(), 0u);
  Command(command::kShowNextMove);
  EXPECT_EQ(window->HintIndex(), 1u);
  Command(command::kShowNextMove);
  EXPECT_EQ(window->HintIndex(), 2u);
  DragFirstMove();
  EXPECT_EQ(window->HintIndex(), 0u) << "a move starts the walk again";
}

// No card may be picked up or tapped: FreeCell has no legal move left.
void FreezeTable(SolGame& game) {
  for (CardState& card : game.cards) card.movable = 0;
  ASSERT_FALSE(FindMove(game, 0));
}

TEST_F(MainWindowTest, NoLegalMoveShowsTheLostBox) {
  StartFreeCell();
  const std::uint32_t number = window->Prefs().curGameNumber;
  const std::vector<CardState> dealt = window->Game().cards;
  FreezeTable(window->Game());
  DialogAnswers answers;
  answers.Queue(command::kRestartGame);
  window->SendMessage(WM_CHECKSTATE);
  EXPECT_EQ(answers.Titles(), QStringList{QStringLiteral("Sorry…")});
  EXPECT_EQ(window->Prefs().curGameNumber, number);
  EXPECT_EQ(window->Game().cards, dealt);
  EXPECT_EQ(Stats().played, 1u);

  // Undo with nothing to undo: the "No Undo" box, then a lost game and a new deal.
  FreezeTable(window->Game());
  answers.Queue(command::kUndo);
  answers.Queue(IDOK);
  window->SendMessage(WM_CHECKSTATE);
  EXPECT_EQ(answers.Titles(), (QStringList{QStringLiteral("Sorry…"), QStringLiteral("Sorry…"),
                                           QStringLiteral("No Undo")}));
  EXPECT_NE(window->Prefs().curGameNumber, number);
  EXPECT_EQ(Stats().played, 2u);
}

TEST_F(MainWindowTest, AWonGameIsCountedAndANewOneDealt) {
  StartFreeCell();
  const std::uint32_t number = window->Prefs().curGameNumber;
  Resync();
  Tick();
  now += 42;
  Tick();
  window->Game().won = 1;
  now += 3;  // between two ticks
  DialogAnswers answers;  // the name entry is offered: an empty table has room
  window->SendMessage(WM_CHECKSTATE);
  EXPECT_EQ(answers.Titles().size(), 1);
  const GameStatistics stats = Stats();
  EXPECT_EQ(stats.played, 1u);
  EXPECT_EQ(stats.won, 1u);
  EXPECT_EQ(stats.totalSeconds, 45u);
  EXPECT_EQ(window->Game().won, 0);
  EXPECT_NE(window->Prefs().curGameNumber, number);
  EXPECT_EQ(window->Clock().Elapsed(), 0u);
}

TEST_F(MainWindowTest, TheTimeLimitEndsTheGameWithExactlyTheLimit) {
  StartFreeCell(/*timed=*/1);
  ASSERT_EQ(window->Prefs().timeLimit, 3u);
  const std::uint32_t number = window->Prefs().curGameNumber;
  DialogAnswers answers;
  answers.Queue(command::kRestartGame);
  window->SendMessage(WM_ACTIVATE, WA_ACTIVE);
  Resync();
  Tick();
  now += 179;
  Tick();
  EXPECT_EQ(window->Clock().Elapsed(), 179u);
  EXPECT_TRUE(answers.Titles().isEmpty());

  // A menu open pauses the clock; its time is never counted.
  window->SendMessage(WM_ENTERMENULOOP);
  now += 500;
  Tick();
  window->SendMessage(WM_EXITMENULOOP);
  Tick();
  EXPECT_EQ(window->Clock().Elapsed(), 179u);

  now += 30;
  Tick();
  EXPECT_EQ(answers.Titles(), QStringList{QStringLiteral("Sorry…")});
  EXPECT_EQ(Stats().played, 1u);
  EXPECT_EQ(Stats().totalSeconds, 180u) << "the limit, not the time measured";
  EXPECT_EQ(window->Prefs().curGameNumber, number);
  EXPECT_EQ(window->Clock().Elapsed(), 0u);
}

TEST_F(MainWindowTest, ClosingSavesThePreferences) {
  StartFreeCell();
  const std::uint32_t number = window->Prefs().curGameNumber;
  window->TopLevel()->close();
  EXPECT_FALSE(window->IsWindow());
  EXPECT_EQ(LoadPreferences(*registry, title).curGameNumber, number);
}

TEST_F(MainWindowTest, TheMenuCommandsOpenTheirDialogsWithTheClockPaused) {
  StartFreeCell();
  DialogAnswers answers;
  for (const int id : {command::kHelp, command::kShowStatistics, command::kShowBestTimes, command::kAbout,
                       command::kOptions}) {
    Command(id);
    EXPECT_FALSE(window->Clock().paused) << "running again once the dialog closed";
    EXPECT_TRUE(window->Clock().resync) << "the dialog's time is not counted";
  }
  EXPECT_EQ(answers.Titles(), (QStringList{QStringLiteral("Game Rules"), QStringLiteral("Statistics"),
                                           QStringLiteral("Best Times"), QStringLiteral("About"),
                                           QStringLiteral("Options")}));
  window->TopLevel()->activateWindow();
  QTest::keyClick(window->Widget(), Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(answers.Titles().size(), 6);
  EXPECT_EQ(answers.Titles().value(5), QStringLiteral("About")) << "Ctrl+A";
}

TEST_F(MainWindowTest, TheGameInProgressIsResumedAtTheNextStart) {
  StartFreeCell();
  const std::uint32_t number = window->Prefs().curGameNumber;
  const std::vector<CardState> dealt = window->Game().cards;
  DragFirstMove();
  Resync();
  Tick();
  now += 20;
  Tick();
  const std::vector<CardState> played = window->Game().cards;
  const std::uint32_t records = window->Game().journal->Count();
  window->TopLevel()->close();
  ASSERT_FALSE(window->IsWindow());

  now += 3600;  // the time the program was not running is not counted
  window = std::make_unique<MainWindow>(*registry, screen);
  window->SetSecondsClock([this] { return now; });
  ASSERT_TRUE(window->CreateMainWindow(title));
  EXPECT_EQ(window->Game().cards, played);
  EXPECT_EQ(window->Game().journal->Count(), records);
  EXPECT_EQ(window->Prefs().curGameNumber, number);
  EXPECT_EQ(window->Clock().Elapsed(), 20u);
  EXPECT_NE(window->Prefs().lastPlayed, (std::array<std::uint32_t, kSavedGameSlotCount>{}))
      << "the slot's stamp survives the preferences saved after it";
  EXPECT_TRUE(window->Undo());
  EXPECT_EQ(window->Game().cards, dealt) << "the undo history came back with the game";
}

}  // namespace
}  // namespace cw
