// The main window over a temporary registry on the offscreen platform: the
// deal at start, the notice of a damaged registry, moves through the table,
// the commands, the end-of-game checks and the game clock driven by a clock
// of the test's own.
#include "tests/shell/main_window_fixture.h"

#include <QDir>
#include <QFile>
#include "shell/best_times.h"
#include "tests/shell/dialog_steps.h"

namespace cw {
namespace {

using testing::DialogAnswers;
using testing::MainWindowTest;

TEST_F(MainWindowTest, DealsTheCurrentSolitaireAtStart) {
  StartFreeCell();
  SolGame& game = window->Game();
  EXPECT_EQ(std::string(game.definition.name.data()), "FreeCell");
  ASSERT_TRUE(game.HasPlayState());
  EXPECT_EQ(game.journal->Count(), 0u);
  EXPECT_EQ(window->GetWindowText(), QStringLiteral("FreeCell #%1").arg(window->Prefs().curGameNumber));
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

// A registry file of garbage bytes, opened as the program opens its own:
// the file is set aside and a fresh one started. Answers the new name.
QString OpenDamagedRegistry(const QTemporaryDir& dir, std::unique_ptr<Registry>& registry) {
  const QString file = dir.filePath(QStringLiteral("damaged.sqlite3"));
  QFile garbage(file);
  EXPECT_TRUE(garbage.open(QIODevice::WriteOnly));
  QByteArray bytes;
  for (int i = 0; i < 4096; ++i) bytes.append(static_cast<char>((i * 131 + 7) % 251));
  garbage.write(bytes);
  garbage.close();
  registry = std::make_unique<Registry>(file);
  const QStringList setAside =
      QDir(dir.path()).entryList({QStringLiteral("damaged.sqlite3.damaged-*")}, QDir::Files);
  EXPECT_EQ(setAside.size(), 1) << setAside.join(u' ').toStdString();
  return setAside.isEmpty() ? QString() : dir.filePath(setAside.front());
}

QString Unwrapped(QString text) { return text.remove(QChar(0x200B)); }

TEST_F(MainWindowTest, ADamagedRegistryIsToldOnceBeforeTheGameIsPlayed) {
  const QString setAside = OpenDamagedRegistry(dir, registry);
  ASSERT_FALSE(setAside.isEmpty());
  DialogAnswers answers;
  answers.Queue(IDOK);
  answers.WhileOpen([this] {
    now += 600;
    testing::SaveScreenshot(qobject_cast<DialogFrame*>(QApplication::activeModalWidget()),
                            QStringLiteral("registry-set-aside"));
  });
  StartFreeCell();
  Tick();  // the first tick, unless the timer already ran it
  ASSERT_EQ(answers.Titles(), QStringList{title});
  // The path is shown with places to wrap at (zero-width spaces).
  EXPECT_EQ(Unwrapped(answers.Texts().front()), LoadString(string_id::kRegistrySetAside).arg(setAside));

  EXPECT_FALSE(window->Clock().paused) << "the game runs once the box is answered";
  Tick();
  now += 2;
  Tick();
  EXPECT_EQ(window->Clock().Elapsed(), 2u) << "the time in the box is not counted";
  Tick();
  EXPECT_EQ(answers.Titles().size(), 1) << "told once";
  EXPECT_EQ(window->Prefs().curSolId, freeCell) << "the fresh registry's preferences were read";
}

TEST_F(MainWindowTest, ADamagedRegistryIsToldBeforeTheChooserOpens) {
  const QString setAside = OpenDamagedRegistry(dir, registry);
  // Slow answers: a chooser opening at a tick while the box is open would be
  // the one answered first.
  DialogAnswers answers(std::chrono::milliseconds(200));
  answers.Queue(IDOK);
  window = std::make_unique<MainWindow>(*registry, screen);
  window->SetSecondsClock([this] { return now; });
  ASSERT_TRUE(window->CreateMainWindow(title));
  ASSERT_FALSE(window->SolitaireCurrent());
  window->ShowWindow(true);
  Tick();
  ASSERT_EQ(answers.Titles(), QStringList{title});
  EXPECT_TRUE(Unwrapped(answers.Texts().front()).contains(setAside));
  EXPECT_TRUE(window->Clock().paused) << "no game to time yet";
  Tick();  // the chooser, left without a choice: the program ends
  EXPECT_EQ(answers.Titles(), (QStringList{title, LoadString(string_id::kChooserTitle)}));
  EXPECT_FALSE(window->IsWindow());
}

TEST_F(MainWindowTest, AHealthyRegistryShowsNoBox) {
  DialogAnswers answers;
  StartFreeCell();
  Tick();
  Tick();
  EXPECT_TRUE(answers.Titles().isEmpty());
}

}  // namespace
}  // namespace cw
