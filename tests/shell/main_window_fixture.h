// The main window over a temporary registry on the offscreen platform, with
// a seconds clock of the test's own, and an answerer for the modal boxes it
// opens.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/rules/automatic_events.h"
#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"
#include "shell/main_window.h"
#include "shell/statistics.h"
#include "uilib/ce_dialog.h"
#include "uilib/dialog_frame.h"
#include "uilib/message_box.h"
#include "uilib/pen_input.h"
#include "view/game_field_view.h"

namespace cw::testing {

inline int CataloguePosition(const std::string& name) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
    if (catalogue.entries[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

// Answers the dialogs the window opens, in order, each with a command, and
// notes their titles and texts. A dialog is answered at the first look
// after it opened; the looks come every `interval`.
class DialogAnswers {
 public:
  explicit DialogAnswers(std::chrono::milliseconds interval = std::chrono::milliseconds(5)) {
    timer_.setInterval(interval);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Answer(); });
    timer_.start();
  }
  void Queue(unsigned command) { commands_.push_back(command); }
  // Runs while each dialog is still open, just before it is answered.
  void WhileOpen(std::function<void()> step) { whileOpen_ = std::move(step); }
  const QStringList& Titles() const { return titles_; }
  // The text each dialog shows as a message box (empty for other dialogs).
  const QStringList& Texts() const { return texts_; }

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
    texts_.append(dialog->GetDlgItemText(ChoiceBox::kTextControl));
    if (whileOpen_) whileOpen_();
    const unsigned command = commands_.empty() ? IDCANCEL : commands_.front();
    if (!commands_.empty()) commands_.pop_front();
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(command, kCommandFromMenu));
  }

  QTimer timer_;
  std::deque<unsigned> commands_;
  std::function<void()> whileOpen_;
  QStringList titles_;
  QStringList texts_;
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
    OpenWindow();
  }
  // Starts the window on what the registry holds, without pauses in its animations.
  void OpenWindow() {
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
  GameStatistics Stats() { return ReadStatistics({*registry, title, QStringLiteral("FreeCell")}); }
  void Command(int id) { window->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), kCommandFromMenu)); }
  // The next tick only takes the time, as after any pause.
  void Resync() {
    window->SendMessage(WM_ENTERMENULOOP);
    window->SendMessage(WM_EXITMENULOOP);
  }
  void Tick() { window->SendMessage(WM_TIMER, MainWindow::kClockTimer); }

  // The pen on the table, in device pixels.
  void Pen(QEvent::Type type, QPoint device) {
    SendPen(window->View()->Widget(), type, device);
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

}  // namespace cw::testing
