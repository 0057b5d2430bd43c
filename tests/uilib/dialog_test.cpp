#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QScrollBar>
#include <QTabWidget>
#include <QScreen>
#include <QTest>

#include "platform/resources/resource_ids.h"
#include "recording_window.h"
#include "uilib/dialog_frame.h"
#include "uilib/message_box.h"
#include "uilib/property_sheet.h"
#include "widget_driver.h"

namespace cw {
namespace {

using testing::RecordingWindow;
using testing::WhenDialogRuns;

// A dialog that records its handlers into a log it may share with others.
class RecordingDialog : public CeDialog {
 public:
  RecordingDialog(std::vector<std::string>& log, const std::string& name, QString title,
                  std::optional<MenuBarLayout> bar)
      : CeDialog(std::move(title), std::move(bar)), log_(log), name_(name) {}

  std::set<unsigned> claimedCommands;
  LRESULT applyResult = 0;

  void OnInitDialog(bool& handled) override {
    log_.push_back(name_ + " init");
    handled = true;
  }
  void OnCommand(unsigned id, unsigned, bool& handled) override {
    log_.push_back(name_ + " command " + std::to_string(id));
    if (claimedCommands.count(id) != 0) handled = true;
  }
  LRESULT OnNotify(const Notification& n, bool& handled) override {
    log_.push_back(name_ + " notify " + std::to_string(n.code));
    handled = true;
    return n.code == PSN_APPLY ? applyResult : 0;
  }
  void OnDestroy(bool&) override { log_.push_back(name_ + " destroy"); }

 private:
  std::vector<std::string>& log_;
  std::string name_;
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(main.Create(QStringLiteral("TestMainWindow"), QStringLiteral("Test"),
                            QRect(0, 0, 240, 300)));
    main.ShowWindow(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.TopLevel()));
    main.Clear();
  }
  void TearDown() override { main.DestroyWindow(); }

  static MenuBarLayout Bar(int id) {
    std::optional<MenuBarLayout> bar = LoadMenuBar(id);
    EXPECT_TRUE(bar.has_value());
    return bar.value_or(MenuBarLayout{});
  }

  RecordingWindow main;
  std::vector<std::string> log;
};

TEST_F(DialogTest, RunsFullScreenInTheFrameWithBoldTitleAndSoftKeys) {
  RecordingDialog dialog(log, "d", QStringLiteral("Congratulations!"), Bar(menu_bar_id::kNameEntry));
  WhenDialogRuns([&] {
    auto* frame = qobject_cast<DialogFrame*>(dialog.TopLevel());
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isModal());
    EXPECT_EQ(frame->geometry(), main.TopLevel()->geometry());
    auto* title = frame->findChild<QLabel*>(QStringLiteral("DialogTitle"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), QStringLiteral("Congratulations!"));
    EXPECT_TRUE(title->font().bold());
    EXPECT_LT(title->geometry().bottom(), dialog.Widget()->mapTo(frame, QPoint(0, 0)).y());
    const auto keys = dialog.MenuBar()->Buttons();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0]->text(), QStringLiteral("OK"));
    keys[0]->click();
  });
  EXPECT_EQ(dialog.DoModal(&main), static_cast<int>(IDOK));
  EXPECT_EQ(log, (std::vector<std::string>{"d init", "d command 1", "d destroy"}));
  EXPECT_FALSE(dialog.IsWindow());
}

TEST_F(DialogTest, ContentTallerThanTheFrameScrollsByLinesAndWholePages) {
  RecordingDialog dialog(log, "d", QStringLiteral("Statistics"), Bar(menu_bar_id::kHtmlViewer));
  WhenDialogRuns([&] {
    dialog.Widget()->setMinimumHeight(2000);
    QCoreApplication::processEvents();
    QScrollBar* bar = qobject_cast<DialogFrame*>(dialog.TopLevel())->VerticalScrollBar();
    ASSERT_GT(bar->maximum(), 100);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar->value(), 5);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(bar->value(), 0);
    dialog.EndDialog(IDOK);
  });
  dialog.DoModal(&main);
}

TEST_F(DialogTest, OwnerHearsOpenedAndClosedEvenWhenNested) {
  RecordingDialog outer(log, "outer", QStringLiteral("Options"), Bar(menu_bar_id::kNameEntry));
  RecordingDialog inner(log, "inner", QStringLiteral("Help"), Bar(menu_bar_id::kHtmlViewer));
  WhenDialogRuns([&] {
    EXPECT_EQ(main.Only({"message"}), std::vector<std::string>{"message 993 1"});
    WhenDialogRuns([&] { inner.MenuBar()->Buttons()[0]->click(); });
    EXPECT_EQ(inner.DoModal(&outer), static_cast<int>(IDOK));
    outer.MenuBar()->Buttons()[1]->click();
  });
  EXPECT_EQ(outer.DoModal(&main), static_cast<int>(IDCANCEL));
  EXPECT_EQ(main.Only({"message 99"}),
            (std::vector<std::string>{"message 993 1", "message 993 2", "message 994 1",
                                      "message 994 0"}));
  EXPECT_EQ(CeDialog::OpenDialogCount(), 0);
}

TEST_F(DialogTest, EscapeAndClosingTheFrameAreCancel) {
  RecordingDialog dialog(log, "d", QStringLiteral("Best Times"), Bar(menu_bar_id::kNameEntry));
  WhenDialogRuns([&] { QTest::keyClick(dialog.TopLevel(), Qt::Key_Escape); });
  EXPECT_EQ(dialog.DoModal(&main), static_cast<int>(IDCANCEL));
  WhenDialogRuns([&] { dialog.TopLevel()->close(); });
  EXPECT_EQ(dialog.DoModal(&main), static_cast<int>(IDCANCEL));
}

TEST_F(DialogTest, HandledOkDoesNotEndTheDialog) {
  RecordingDialog dialog(log, "d", QStringLiteral("Options"), Bar(menu_bar_id::kNameEntry));
  dialog.claimedCommands = {IDOK};
  WhenDialogRuns([&] {
    dialog.MenuBar()->Buttons()[0]->click();
    EXPECT_TRUE(dialog.IsWindow());
    dialog.EndDialog(77);
  });
  EXPECT_EQ(dialog.DoModal(&main), 77);
}

TEST_F(DialogTest, ChoiceBoxAnswersTheCommandChosen) {
  const std::vector<unsigned> commands{40005, 40006, 40002};
  const QString text = QStringLiteral("You lose.");
  {
    ChoiceBox box(QStringLiteral("Sorry…"), text, Bar(menu_bar_id::kLostGame), commands);
    WhenDialogRuns([&] {
      EXPECT_EQ(box.GetDlgItemText(ChoiceBox::kTextControl), text);
      box.MenuBar()->Buttons()[0]->click();
    });
    EXPECT_EQ(box.Run(&main), 40005u);
  }
  for (const auto& [entry, command] :
       {std::pair{QStringLiteral("Restart"), 40006u}, std::pair{QStringLiteral("Undo"), 40002u}}) {
    ChoiceBox box(QStringLiteral("Sorry…"), text, Bar(menu_bar_id::kLostGame), commands);
    WhenDialogRuns([&, entry = entry] {
      testing::ChooseFromNextPopup(entry);
      box.MenuBar()->Buttons()[1]->click();
    });
    EXPECT_EQ(box.Run(&main), command);
  }
  ChoiceBox box(QStringLiteral("Sorry…"), text, Bar(menu_bar_id::kLostGame), commands);
  WhenDialogRuns([&] { box.TopLevel()->close(); });
  EXPECT_EQ(box.Run(&main), 0u) << "closed any other way";
}

TEST_F(DialogTest, ChoiceBoxFromResources) {
  WhenDialogRuns([] {
    auto* frame = qobject_cast<DialogFrame*>(QApplication::activeModalWidget());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->Title(), QStringLiteral("Sorry…"));
    auto* restart = frame->findChild<QAbstractButton*>(QStringLiteral("Restart"));
    ASSERT_NE(restart, nullptr);
    restart->click();
  });
  EXPECT_EQ(RunChoiceBox(&main, string_id::kTimeUpTitle, string_id::kTimeUpText,
                         menu_bar_id::kTimeUp, {40005, 40006}),
            40006u);
  EXPECT_EQ(RunChoiceBox(&main, string_id::kTimeUpTitle, string_id::kTimeUpText, 9999, {40005}), 0u);
}

TEST_F(DialogTest, MessageBoxAnswersItsKeys) {
  WhenDialogRuns([] {
    auto* frame = qobject_cast<DialogFrame*>(QApplication::activeModalWidget());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->Title(), QStringLiteral("Confirmation"));
    auto* bar = frame->findChild<QWidget*>(QStringLiteral("CMenuBar"));
    ASSERT_NE(bar, nullptr);
    auto* no = bar->findChild<QAbstractButton*>(QStringLiteral("No"));
    ASSERT_NE(no, nullptr);
    no->click();
  });
  EXPECT_EQ(MessageBox(&main, QStringLiteral("Clear?"), QStringLiteral("Confirmation"), MB_YESNO),
            static_cast<int>(IDNO));

  WhenDialogRuns([] { QApplication::activeModalWidget()->close(); });
  EXPECT_EQ(MessageBox(&main, QStringLiteral("Clear?"), QStringLiteral("Confirmation"), MB_YESNO),
            static_cast<int>(IDNO))
      << "without a Cancel key, closing means No";
  WhenDialogRuns([] { QApplication::activeModalWidget()->close(); });
  EXPECT_EQ(MessageBox(nullptr, QStringLiteral("Undo not available."), QStringLiteral("No Undo"),
                       MB_OK),
            static_cast<int>(IDOK));
}

// Return, pressed where the box has the keyboard focus.
void PressReturn() {
  QWidget* modal = QApplication::activeModalWidget();
  ASSERT_NE(modal, nullptr);
  QWidget* focus = modal->focusWidget() != nullptr ? modal->focusWidget() : modal;
  QTest::keyClick(focus, Qt::Key_Return);
}

TEST_F(DialogTest, ReturnAnswersTheDefaultKey) {
  WhenDialogRuns([] { PressReturn(); });
  EXPECT_EQ(MessageBox(&main, QStringLiteral("Clear?"), QStringLiteral("Confirmation"), MB_YESNO),
            static_cast<int>(IDYES));
  WhenDialogRuns([] { PressReturn(); });
  EXPECT_EQ(MessageBox(&main, QStringLiteral("Undo not available."), QStringLiteral("No Undo"),
                       MB_OK),
            static_cast<int>(IDOK));
  WhenDialogRuns([] { PressReturn(); });
  EXPECT_EQ(RunChoiceBox(&main, string_id::kTimeUpTitle, string_id::kTimeUpText,
                         menu_bar_id::kTimeUp, {40005, 40006}),
            40005u)
      << "the left soft key";
  WhenDialogRuns([] { PressReturn(); });
  EXPECT_EQ(RunChoiceBox(&main, string_id::kTimeUpTitle, string_id::kTimeUpText,
                         menu_bar_id::kTimeUp, {40006}),
            40006u)
      << "the first soft key the box answers";
  WhenDialogRuns([] { PressReturn(); });
  EXPECT_EQ(RunChoiceBox(&main, string_id::kLostTitle, string_id::kLostText,
                         menu_bar_id::kLostGame, {40006, 40002}),
            40006u)
      << "behind a popup only: the first command";
}

// The geometry of each box the steps open over `owner`, in order; a box over
// a box is opened from inside the first.
std::vector<QRect> BoxesOver(CeMsgWnd& owner, bool nested) {
  std::vector<QRect> shown;
  WhenDialogRuns([&] {
    shown.push_back(QApplication::activeModalWidget()->geometry());
    if (nested) {
      WhenDialogRuns([&] {
        shown.push_back(QApplication::activeModalWidget()->geometry());
        PressReturn();
      });
      CeMsgWnd* outer = nullptr;
      for (QWidget* widget : QApplication::activeModalWidget()->findChildren<QWidget*>()) {
        if ((outer = CeMsgWnd::FromWidget(widget)) != nullptr) break;
      }
      MessageBox(outer, QStringLiteral("Inner"), QStringLiteral("Inner"), MB_OK);
    }
    PressReturn();
  });
  MessageBox(&owner, QStringLiteral("No: this game cannot be won any more."), QStringLiteral("Solver"),
             MB_OK);
  return shown;
}

TEST_F(DialogTest, OverABiggerWindowABoxIsTheHandheldsScreenCentredAndABoxOverItFillsIt) {
  const QRect handheld(0, 0, 240, 320);
  for (const QRect& window : {QRect(37, 21, 909, 682), QRect(0, 0, 1280, 720), QRect(5, 5, 241, 321)}) {
    main.MoveWindow(window);
    QCoreApplication::processEvents();
    const QRect owner = main.TopLevel()->geometry();
    const std::vector<QRect> shown = BoxesOver(main, true);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].size(), handheld.size()) << window.width();
    EXPECT_LE(std::abs(shown[0].center().x() - owner.center().x()), 1);
    EXPECT_LE(std::abs(shown[0].center().y() - owner.center().y()), 1);
    EXPECT_EQ(shown[1], shown[0]) << "a box over a box fills it";
  }
  // No bigger than the handheld's screen, or bigger one way only: the box
  // takes no more than the window has.
  for (const QRect& window : {QRect(3, 4, 240, 294), QRect(0, 0, 240, 320), QRect(10, 10, 200, 700)}) {
    main.MoveWindow(window);
    QCoreApplication::processEvents();
    const QRect owner = main.TopLevel()->geometry();
    const std::vector<QRect> shown = BoxesOver(main, false);
    ASSERT_EQ(shown.size(), 1u);
    if (window.height() <= handheld.height()) {
      EXPECT_EQ(shown[0], owner);
    } else {
      EXPECT_EQ(shown[0], QRect(owner.left(), owner.top() + (owner.height() - 320) / 2, 200, 320));
    }
  }
}

TEST_F(DialogTest, ABoxWithoutAnOwnerIsTheHandheldsSizeNotTheScreens) {
  QRect shown;
  WhenDialogRuns([&shown] {
    shown = QApplication::activeModalWidget()->geometry();
    PressReturn();
  });
  MessageBox(nullptr, QStringLiteral("Invalid application version for this device"),
             QStringLiteral("Error"), MB_OK);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  ASSERT_TRUE(screen.width() > 480 && screen.height() > 588) << "a desktop-sized screen";
  EXPECT_LE(shown.width(), 480);
  EXPECT_LE(shown.height(), 588);
  EXPECT_GE(shown.width(), 240);
  EXPECT_TRUE(screen.contains(shown));
  EXPECT_LE(std::abs(shown.center().x() - screen.center().x()), 1);
}

class PropertySheetTest : public DialogTest {
 protected:
  PropertySheetTest()
      : sheet(log, "sheet", QStringLiteral("Options"), Bar(menu_bar_id::kOptions)),
        game(log, "game", QStringLiteral("Game"), std::nullopt),
        interface(log, "interface", QStringLiteral("Interface"), std::nullopt) {
    sheet.AddPage(game);
    sheet.AddPage(interface);
  }

  class Sheet : public PropertySheet {
   public:
    Sheet(std::vector<std::string>& log, const std::string& name, QString title,
          std::optional<MenuBarLayout> bar)
        : PropertySheet(std::move(title), std::move(bar)), log_(log), name_(name) {}
    void OnInitDialog(bool& handled) override {
      log_.push_back(name_ + " init");
      handled = true;
    }

   private:
    std::vector<std::string>& log_;
    std::string name_;
  };

  Sheet sheet;
  RecordingDialog game;
  RecordingDialog interface;
};

TEST_F(PropertySheetTest, PagesExistBeforeTheSheetInitialisesAndOkAppliesEachPage) {
  WhenDialogRuns([&] {
    ASSERT_NE(sheet.Tabs(), nullptr);
    EXPECT_EQ(sheet.Tabs()->tabPosition(), QTabWidget::South);
    EXPECT_EQ(sheet.Tabs()->tabText(1), QStringLiteral("Interface"));
    EXPECT_EQ(sheet.ActivePage(), 0);
    log.clear();
    sheet.MenuBar()->Buttons()[0]->click();
  });
  EXPECT_EQ(sheet.DoModal(&main), static_cast<int>(IDOK));
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ((std::vector<std::string>(log.begin(), log.begin() + 2)),
            (std::vector<std::string>{"game notify -202", "interface notify -202"}));
  // The pages are destroyed with the sheet.
  EXPECT_NE(std::find(log.begin(), log.end(), "game destroy"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "interface destroy"), log.end());
}

TEST_F(PropertySheetTest, InitialisationOrder) {
  WhenDialogRuns([&] { sheet.EndDialog(IDCANCEL); });
  sheet.DoModal(&main);
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ((std::vector<std::string>(log.begin(), log.begin() + 3)),
            (std::vector<std::string>{"game init", "interface init", "sheet init"}));
}

TEST_F(PropertySheetTest, RefusingPageStaysShownCancelResetsAll) {
  interface.applyResult = 1;
  WhenDialogRuns([&] {
    sheet.MenuBar()->Buttons()[0]->click();
    EXPECT_TRUE(sheet.IsWindow());
    EXPECT_EQ(sheet.ActivePage(), 1);
    log.clear();
    testing::ChooseFromNextPopup(QStringLiteral("Cancel"));
    sheet.MenuBar()->Buttons()[1]->click();
  });
  EXPECT_EQ(sheet.DoModal(&main), static_cast<int>(IDCANCEL));
  EXPECT_EQ((std::vector<std::string>(log.begin(), log.begin() + 2)),
            (std::vector<std::string>{"game notify -203", "interface notify -203"}));
}

TEST_F(PropertySheetTest, OtherCommandsGoToThePageShown) {
  WhenDialogRuns([&] {
    log.clear();
    sheet.SetActivePage(1);
    testing::ChooseFromNextPopup(QStringLiteral("Help"));
    sheet.MenuBar()->Buttons()[1]->click();
    EXPECT_EQ(log, (std::vector<std::string>{"interface notify -200", "interface command 9"}));
    sheet.EndDialog(IDCANCEL);
  });
  sheet.DoModal(&main);
}

}  // namespace
}  // namespace cw
