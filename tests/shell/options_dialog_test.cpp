#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocument>

#include "platform/registry/registry.h"
#include "platform/resources/bitmap_ids.h"
#include "platform/resources/bitmaps.h"
#include "platform/resources/resource_ids.h"
#include "shell/help_viewer.h"
#include "shell/options_dialog.h"
#include "tests/shell/dialog_steps.h"
#include "tests/uilib/widget_driver.h"
#include "uilib/combo_box.h"
#include "uilib/menu_bar.h"

namespace cw {
namespace {

using namespace options_control;

constexpr ScreenFacts kQvga{96, 96};

Preferences Unusual() {
  Preferences p;
  p.timedGame = 0;
  p.timeLimit = 5;
  p.animation = 0;
  p.playMode = 3;
  p.bgColor = 0x123456;
  p.softkeyMenu = 1;
  p.cardBack = 2;
  p.showTimer = 0;
  p.winnableDealsOnly = 1;
  return p;
}

TEST(OptionsValues, TimeLimitsAndTheirListItems) {
  for (int index = 0; index < 4; ++index) {
    const std::optional<std::uint32_t> minutes = TimeLimitMinutes(index);
    ASSERT_TRUE(minutes.has_value());
    EXPECT_EQ(TimeLimitIndex(*minutes), index);
  }
  EXPECT_EQ(TimeLimitMinutes(3), 10u);
  EXPECT_EQ(TimeLimitIndex(7), -1);
  EXPECT_EQ(TimeLimitIndex(0), -1);
  EXPECT_FALSE(TimeLimitMinutes(-1).has_value());
  EXPECT_FALSE(TimeLimitMinutes(4).has_value());

  EXPECT_TRUE(CanChooseMenuBarStyle(ScreenFacts{96, 96}));
  EXPECT_TRUE(CanChooseMenuBarStyle(ScreenFacts{192, 192}));
  EXPECT_FALSE(CanChooseMenuBarStyle(ScreenFacts{144, 144}));
  EXPECT_FALSE(CanChooseMenuBarStyle(ScreenFacts{120, 120}));
}

TEST(OptionsValues, OnlyOptionsOfTheTableAskForARedraw) {
  const Preferences current;
  OptionsControls controls = ControlsFromPreferences(current);
  OptionsOutcome same = ApplyOptions(current, controls, true);
  EXPECT_EQ(same.preferences, current);
  EXPECT_FALSE(same.optionsChanged);
  EXPECT_FALSE(same.softkeyMenuChanged);

  // Animation, the drop marks, the time limit and the menu bar style change
  // without a redraw.
  controls.animation = !controls.animation;
  controls.dropMarks = !controls.dropMarks;
  controls.timedGame = !controls.timedGame;
  controls.timeLimitIndex = 3;
  controls.softkeyMenu = !controls.softkeyMenu;
  OptionsOutcome quiet = ApplyOptions(current, controls, true);
  EXPECT_FALSE(quiet.optionsChanged);
  EXPECT_TRUE(quiet.softkeyMenuChanged);
  EXPECT_EQ(quiet.preferences.animation, 0);
  EXPECT_EQ(quiet.preferences.dropMarks, 0);
  EXPECT_EQ(quiet.preferences.timedGame, 0);
  EXPECT_EQ(quiet.preferences.timeLimit, 10u);
  EXPECT_EQ(quiet.preferences.softkeyMenu, 1);

  const auto changes = [&](auto edit) {
    OptionsControls c = ControlsFromPreferences(current);
    edit(c);
    return ApplyOptions(current, c, true).optionsChanged;
  };
  EXPECT_TRUE(changes([](OptionsControls& c) { c.playModeIndex = 2; }));
  EXPECT_TRUE(changes([](OptionsControls& c) { c.bgColor = 0x0000FF; }));
  EXPECT_TRUE(changes([](OptionsControls& c) { c.cardBack = 3; }));
  EXPECT_TRUE(changes([](OptionsControls& c) { c.showTimer = false; }));
}

TEST(OptionsValues, WhatTheListsDoNotOffer) {
  Preferences current;
  current.timeLimit = 7;
  current.playMode = 9;
  const OptionsControls controls = ControlsFromPreferences(current);
  EXPECT_EQ(controls.timeLimitIndex, -1);
  EXPECT_EQ(controls.playModeIndex, -1);
  const OptionsOutcome outcome = ApplyOptions(current, controls, true);
  // A limit the list does not show is kept, so OK alone never ends a timed game.
  EXPECT_EQ(outcome.preferences.timeLimit, 7u);
  EXPECT_EQ(outcome.preferences.playMode, 1);
  EXPECT_TRUE(outcome.optionsChanged);
}

TEST(OptionsValues, HiddenMenuBarStyleIsNotTaken) {
  const Preferences current;
  OptionsControls controls = ControlsFromPreferences(current);
  controls.softkeyMenu = true;
  const OptionsOutcome outcome = ApplyOptions(current, controls, false);
  EXPECT_EQ(outcome.preferences.softkeyMenu, 0);
  EXPECT_FALSE(outcome.softkeyMenuChanged);
}

class OptionsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::CreateScreenWindow(main); }
  void TearDown() override { main.DestroyWindow(); }

  static QCheckBox* Box(const CeDialog& page, unsigned id) {
    return qobject_cast<QCheckBox*>(page.GetDlgItem(id));
  }
  static ComboBox* List(const CeDialog& page, unsigned id) {
    return dynamic_cast<ComboBox*>(page.GetDlgItem(id));
  }

  // Runs `step` inside the open dialog, then presses `key` ("OK", or
  // "Cancel" from the Menu soft key).
  static void WhileOpen(OptionsDialog& dialog, std::function<void(CeDialog&, CeDialog&)> step,
                        const QString& key) {
    testing::WhenDialogTitled(QStringLiteral("Options"), [&dialog, step, key](DialogFrame* frame) {
      step(*dialog.Page(0), *dialog.Page(1));
      if (key == QStringLiteral("OK")) {
        testing::PressSoftKey(frame, key);
      } else {
        testing::ChooseFromNextPopup(key);
        testing::PressSoftKey(frame, QStringLiteral("Menu"));
      }
    });
  }

  testing::RecordingWindow main;
};

TEST_F(OptionsDialogTest, ControlsShowThePreferencesAndOkWritesThemBack) {
  const Preferences before = Unusual();
  std::uint32_t offeredColour = 0;
  OptionsDialog dialog(before, kQvga, [&](QWidget*, std::uint32_t initial) {
    offeredColour = initial;
    return std::optional<std::uint32_t>(0x00FF00);
  });
  WhileOpen(
      dialog,
      [&](CeDialog& game, CeDialog& interface) {
        ASSERT_NE(Box(game, kTimedGame), nullptr);
        EXPECT_EQ(game.Title(), QStringLiteral("Game"));
        EXPECT_EQ(interface.Title(), QStringLiteral("Interface"));
        EXPECT_FALSE(Box(game, kTimedGame)->isChecked());
        EXPECT_TRUE(Box(game, kWinnableDealsOnly)->isChecked());
        EXPECT_EQ(List(game, kTimeLimit)->GetCount(), 4);
        EXPECT_EQ(List(game, kTimeLimit)->currentText(), QStringLiteral("5 min"));
        EXPECT_EQ(List(interface, kPlayCards)->currentText(), QStringLiteral("Keyboard PW"));
        EXPECT_FALSE(Box(interface, kAnimation)->isChecked());
        EXPECT_FALSE(Box(interface, kShowTimer)->isChecked());
        EXPECT_TRUE(Box(interface, kSoftkeyMenu)->isChecked());
        EXPECT_EQ(dialog.Controls().cardBack, 2u);
        EXPECT_EQ(dialog.Controls().bgColor, 0x123456u);

        Box(game, kTimedGame)->click();
        Box(game, kWinnableDealsOnly)->click();
        List(game, kTimeLimit)->SetCurSel(0);
        List(interface, kPlayCards)->SetCurSel(0);
        Box(interface, kAnimation)->click();
        Box(interface, kShowTimer)->click();
        Box(interface, kSoftkeyMenu)->click();
        qobject_cast<QAbstractButton*>(interface.GetDlgItem(kCardBack))->click();
        qobject_cast<QAbstractButton*>(interface.GetDlgItem(kBackground))->click();
      },
      QStringLiteral("OK"));
  ASSERT_EQ(dialog.DoModal(&main), static_cast<int>(IDOK));
  EXPECT_EQ(offeredColour, 0x123456u);

  Preferences expected = before;
  expected.timedGame = 1;
  expected.timeLimit = 1;
  expected.winnableDealsOnly = 0;
  expected.playMode = 0;
  expected.animation = 1;
  expected.showTimer = 1;
  expected.softkeyMenu = 0;
  expected.cardBack = 3;
  expected.bgColor = 0x00FF00;
  EXPECT_EQ(dialog.Outcome().preferences, expected);
  EXPECT_TRUE(dialog.Outcome().optionsChanged);
  EXPECT_TRUE(dialog.Outcome().softkeyMenuChanged);
}

TEST_F(OptionsDialogTest, OkWithoutChangesKeepsEverything) {
  for (const Preferences& before : {Preferences{}, Unusual()}) {
    OptionsDialog dialog(before, kQvga, [](QWidget*, std::uint32_t) { return std::nullopt; });
    WhileOpen(dialog, [](CeDialog&, CeDialog&) {}, QStringLiteral("OK"));
    ASSERT_EQ(dialog.DoModal(&main), static_cast<int>(IDOK));
    EXPECT_EQ(dialog.Outcome().preferences, before);
    EXPECT_FALSE(dialog.Outcome().optionsChanged);
    EXPECT_FALSE(dialog.Outcome().softkeyMenuChanged);
  }
}

TEST_F(OptionsDialogTest, CardBackCyclesThroughFourDesignsAndIsDrawnFramed) {
  OptionsDialog dialog(Preferences{}, kQvga);
  WhileOpen(
      dialog,
      [&](CeDialog&, CeDialog& interface) {
        dialog.SetActivePage(1);
        QCoreApplication::processEvents();
        auto* button = qobject_cast<QAbstractButton*>(interface.GetDlgItem(kCardBack));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->geometry(), QRect(120, 38, 26, 35));
        for (std::uint32_t click = 1; click <= 4; ++click) {
          button->click();
          const std::uint32_t back = click % 4;
          EXPECT_EQ(dialog.Controls().cardBack, back);
          const QImage drawn = button->grab().toImage();
          const QImage bitmap = LoadBitmap(bitmap_ids::CardBack(false, true, static_cast<int>(back)));
          ASSERT_FALSE(bitmap.isNull());
          EXPECT_EQ(drawn.pixel(10, 12), bitmap.pixel(10, 12)) << back;
          EXPECT_EQ(drawn.pixel(0, 0), qRgb(0, 0, 0));
          EXPECT_EQ(drawn.pixel(25, 34), qRgb(0, 0, 0));
        }
      },
      QStringLiteral("Cancel"));
  EXPECT_EQ(dialog.DoModal(&main), static_cast<int>(IDCANCEL));
}

TEST_F(OptionsDialogTest, StoredCardBackOutOfRangeDrawsOnlyTheFrameAndCyclesBackIn) {
  Preferences stored;
  stored.cardBack = 9;
  OptionsDialog dialog(stored, kQvga);
  WhileOpen(
      dialog,
      [&](CeDialog&, CeDialog& interface) {
        dialog.SetActivePage(1);
        QCoreApplication::processEvents();
        auto* button = qobject_cast<QAbstractButton*>(interface.GetDlgItem(kCardBack));
        ASSERT_NE(button, nullptr);
        const QImage drawn = button->grab().toImage();
        EXPECT_EQ(drawn.pixel(0, 0), qRgb(0, 0, 0));
        EXPECT_NE(drawn.pixel(10, 12), qRgb(0, 0, 0));
        button->click();
        EXPECT_EQ(dialog.Controls().cardBack, 2u);
      },
      QStringLiteral("OK"));
  ASSERT_EQ(dialog.DoModal(&main), static_cast<int>(IDOK));
  EXPECT_EQ(dialog.Outcome().preferences.cardBack, 2u);
  EXPECT_TRUE(dialog.Outcome().optionsChanged);
}

TEST_F(OptionsDialogTest, BackgroundShowsTheWorkingColourAndKeepsItWhenTheChoiceIsCancelled) {
  std::vector<std::optional<std::uint32_t>> answers{0x0000FF, std::nullopt};
  std::vector<std::uint32_t> offered;
  QWidget* chooserOwner = nullptr;
  OptionsDialog dialog(Preferences{}, kQvga, [&](QWidget* owner, std::uint32_t initial) {
    chooserOwner = owner;
    offered.push_back(initial);
    const auto answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  });
  WhileOpen(
      dialog,
      [&](CeDialog&, CeDialog& interface) {
        auto* button = qobject_cast<QAbstractButton*>(interface.GetDlgItem(kBackground));
        ASSERT_NE(button, nullptr);
        const QPoint inside(button->width() / 2, button->height() / 2);
        EXPECT_EQ(button->grab().toImage().pixel(inside), qRgb(0, 128, 0));
        button->click();
        EXPECT_EQ(chooserOwner, interface.Widget());
        EXPECT_EQ(button->grab().toImage().pixel(inside), qRgb(255, 0, 0)) << "COLORREF 0x0000FF is red";
        EXPECT_EQ(button->grab().toImage().pixel(0, 0), qRgb(0, 0, 0));
        button->click();
        EXPECT_EQ(dialog.Controls().bgColor, 0x0000FFu);
      },
      QStringLiteral("OK"));
  ASSERT_EQ(dialog.DoModal(&main), static_cast<int>(IDOK));
  EXPECT_EQ(offered, (std::vector<std::uint32_t>{0x008000, 0x0000FF}));
  EXPECT_EQ(dialog.Outcome().preferences.bgColor, 0x0000FFu);
}

TEST_F(OptionsDialogTest, ColourDialogStartsFromTheColourWithBlackCustomColours) {
  QColorDialog::setCustomColor(0, Qt::red);
  auto answer = [](bool accept) {
    auto* poll = new QTimer();
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, accept] {
      auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      poll->stop();
      poll->deleteLater();
      EXPECT_EQ(dialog->currentColor(), QColor(0x56, 0x34, 0x12));
      for (int i = 0; i < QColorDialog::customCount(); ++i) {
        EXPECT_EQ(QColorDialog::customColor(i), QColor(Qt::black));
      }
      dialog->setCurrentColor(QColor(1, 2, 3));
      accept ? dialog->accept() : dialog->reject();
    });
    poll->start();
  };
  answer(true);
  EXPECT_EQ(ChooseColorWithDialog(main.Widget(), 0x123456), 0x030201u);
  answer(false);
  EXPECT_EQ(ChooseColorWithDialog(main.Widget(), 0x123456), std::nullopt);
}

TEST_F(OptionsDialogTest, BetweenDensitiesTheMenuBarStyleIsHiddenAndKept) {
  const ScreenFacts between{144, 144};
  OptionsDialog dialog(Preferences{}, between);
  WhileOpen(
      dialog,
      [&](CeDialog&, CeDialog& interface) {
        QCheckBox* softkeys = Box(interface, kSoftkeyMenu);
        ASSERT_NE(softkeys, nullptr);
        EXPECT_TRUE(softkeys->isHidden());
        softkeys->setChecked(true);
        dialog.SetActivePage(1);
        QCoreApplication::processEvents();
        // The card is shown at its small size, unscaled.
        EXPECT_EQ(interface.GetDlgItem(kCardBack)->geometry(), QRect(120, 38, 26, 35));
      },
      QStringLiteral("OK"));
  ASSERT_EQ(dialog.DoModal(&main), static_cast<int>(IDOK));
  EXPECT_EQ(dialog.Outcome().preferences.softkeyMenu, 0);
  EXPECT_FALSE(dialog.Outcome().softkeyMenuChanged);
}

TEST_F(OptionsDialogTest, HelpShowsTheTextOfThePageShownAndGivesTheFocusBack) {
  OptionsDialog dialog(Preferences{}, kQvga);
  std::vector<QString> shown;
  testing::WhenDialogTitled(QStringLiteral("Options"), [&](DialogFrame* frame) {
    for (int page : {0, 1}) {
      dialog.SetActivePage(page);
      QWidget* focused = dialog.Page(page)->GetDlgItem(page == 0 ? kTimedGame : kAnimation);
      focused->setFocus();
      testing::WhenDialogTitled(QStringLiteral("Help"), [&](DialogFrame* help) {
        auto* viewer = help->findChild<QTextBrowser*>();
        ASSERT_NE(viewer, nullptr);
        shown.push_back(viewer->document()->toPlainText());
        testing::PressSoftKey(help, QStringLiteral("Close"));
      });
      testing::ChooseFromNextPopup(QStringLiteral("Help"));
      testing::PressSoftKey(frame, QStringLiteral("Menu"));
      EXPECT_EQ(frame->focusWidget(), focused);
    }
    dialog.EndDialog(IDCANCEL);
  });
  dialog.DoModal(&main);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_TRUE(shown[0].startsWith(QStringLiteral("Timed Game")));
  EXPECT_TRUE(shown[1].startsWith(QStringLiteral("Play Cards")));
}

class RunOptionsTest : public OptionsDialogTest {
 protected:
  void SetUp() override {
    OptionsDialogTest::SetUp();
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(menuBar.Create(main, menu_bar_id::kIconBar, menu_bar_id::kSoftKeys,
                               LoadBitmap(bitmap_ids::MenuBarImages(false)), 4, false));
  }

  QTemporaryDir folder;
  Registry registry{folder.filePath(QStringLiteral("registry.sqlite3"))};
  CMenuBar menuBar;
};

TEST_F(RunOptionsTest, CancelChangesNothingAndSavesNothing) {
  Preferences preferences = Unusual();
  testing::WhenDialogTitled(QStringLiteral("Options"), [&](DialogFrame* frame) {
    for (QCheckBox* box : frame->findChildren<QCheckBox*>()) box->click();
    testing::ChooseFromNextPopup(QStringLiteral("Cancel"));
    testing::PressSoftKey(frame, QStringLiteral("Menu"));
  });
  const OptionsResult result = RunOptions(&main, preferences, &menuBar, registry, u"TW Tarrow", kQvga);
  EXPECT_FALSE(result.accepted);
  EXPECT_FALSE(result.optionsChanged);
  EXPECT_EQ(preferences, Unusual());
  EXPECT_FALSE(menuBar.IsSoftkeyMode());
  EXPECT_EQ(LoadPreferences(registry, u"TW Tarrow"), Preferences{}) << "nothing was written";
}

TEST_F(RunOptionsTest, OkTakesTheValuesSwitchesTheMenuBarAndSaves) {
  Preferences preferences;
  testing::WhenDialogTitled(QStringLiteral("Options"), [&](DialogFrame* frame) {
    frame->findChild<QCheckBox*>(QStringLiteral("Softkey Menu"))->click();
    frame->findChild<QCheckBox*>(QStringLiteral("Animation"))->click();
    testing::PressSoftKey(frame, QStringLiteral("OK"));
  });
  const OptionsResult result = RunOptions(&main, preferences, &menuBar, registry, u"TW Tarrow", kQvga);
  EXPECT_TRUE(result.accepted);
  EXPECT_FALSE(result.optionsChanged);
  EXPECT_EQ(preferences.softkeyMenu, 1);
  EXPECT_EQ(preferences.animation, 0);
  EXPECT_TRUE(menuBar.IsSoftkeyMode());
  EXPECT_EQ(LoadPreferences(registry, u"TW Tarrow"), preferences);
}

}  // namespace
}  // namespace cw
