#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "platform/resources/resource_ids.h"
#include "recording_window.h"
#include "uilib/menu_bar.h"
#include "widget_driver.h"

namespace cw {
namespace {

using testing::RecordingWindow;

QImage Strip(int count) {
  QImage strip(16 * count, 16, QImage::Format_RGB32);
  strip.fill(Qt::gray);
  return strip;
}

class MenuBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(main.Create(QStringLiteral("TestMainWindow"), QStringLiteral("Test"),
                            QRect(0, 0, 240, 300)));
    main.ShowWindow(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.TopLevel()));
  }
  void TearDown() override { main.DestroyWindow(); }

  bool CreateMainBar(bool softkeys) {
    return bar.Create(main, menu_bar_id::kIconBar, menu_bar_id::kSoftKeys, Strip(4), 4, softkeys);
  }

  RecordingWindow main;
  CMenuBar bar;
};

TEST_F(MenuBarTest, SoftKeysSendTheirCommandOrOpenTheirPopup) {
  ASSERT_TRUE(CreateMainBar(true));
  const auto buttons = bar.Buttons();
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_EQ(buttons[0]->text(), QStringLiteral("Undo"));
  EXPECT_EQ(buttons[1]->text(), QStringLiteral("Menu"));

  main.Clear();
  buttons[0]->click();
  EXPECT_EQ(main.Only({"message", "command"}), std::vector<std::string>{"command 40002 0"});

  main.Clear();
  testing::ChooseFromNextPopup(QStringLiteral("New Game"));
  buttons[1]->click();
  EXPECT_EQ(main.Only({"message", "command"}),
            (std::vector<std::string>{"message 529 0", "message 530 0", "command 40005 0"}))
      << "the popup is bracketed by the menu loop messages and its command follows";
}

TEST_F(MenuBarTest, DismissedPopupSendsNoCommand) {
  ASSERT_TRUE(CreateMainBar(true));
  testing::ChooseFromNextPopup(QString());
  main.Clear();
  bar.Buttons()[1]->click();
  EXPECT_EQ(main.Only({"message", "command"}),
            (std::vector<std::string>{"message 529 0", "message 530 0"}));
}

TEST_F(MenuBarTest, SwitchesBetweenIconsAndSoftKeysAtRunTime) {
  ASSERT_TRUE(CreateMainBar(false));
  EXPECT_FALSE(bar.IsSoftkeyMode());
  auto buttons = bar.Buttons();
  ASSERT_EQ(buttons.size(), 6u);
  EXPECT_EQ(buttons[2], nullptr) << "separator";
  EXPECT_EQ(buttons[4], nullptr) << "separator";
  buttons[3]->click();
  EXPECT_TRUE(main.Has("command 40001 0"));

  testing::ChooseFromNextPopup(QStringLiteral("About…"));
  buttons[5]->click();
  EXPECT_TRUE(main.Has("command 40011 0"));

  bar.SetSoftkeyMode(true);
  EXPECT_TRUE(bar.IsSoftkeyMode());
  buttons = bar.Buttons();
  ASSERT_EQ(buttons.size(), 2u);
  main.Clear();
  buttons[0]->click();
  EXPECT_EQ(main.Only({"command"}), std::vector<std::string>{"command 40002 0"});

  bar.SetSoftkeyMode(false);
  EXPECT_EQ(bar.Buttons().size(), 6u);
}

TEST_F(MenuBarTest, SitsUnderTheClientArea) {
  ASSERT_TRUE(CreateMainBar(true));
  QCoreApplication::processEvents();
  const QRect barRect = bar.Widget()->geometry();
  EXPECT_EQ(barRect.bottom(), main.TopLevel()->height() - 1);
  EXPECT_EQ(main.Widget()->geometry().bottom() + 1, barRect.top());
  EXPECT_EQ(bar.Height(), barRect.height());
}

TEST_F(MenuBarTest, CreationFailsOnMissingOrInconsistentResources) {
  EXPECT_FALSE(bar.Create(main, menu_bar_id::kIconBar, 9999, Strip(4), 4, true));
  EXPECT_FALSE(bar.Create(main, menu_bar_id::kIconBar, menu_bar_id::kSoftKeys, Strip(3), 3, true))
      << "the icon bar names picture 3";
  // An icon bar is no soft-key bar.
  EXPECT_FALSE(bar.Create(main, menu_bar_id::kIconBar));
  EXPECT_EQ(bar.Widget(), nullptr);
}

// Creates its menu bar in OnCreate and notes the client area left for the view.
class MainWithBar : public RecordingWindow {
 public:
  CMenuBar bar;
  QRect clientAfterBar;
  int OnCreate(bool& handled) override {
    handled = true;
    if (!bar.Create(*this, menu_bar_id::kIconBar, menu_bar_id::kSoftKeys, Strip(4), 4, true)) return -1;
    clientAfterBar = GetClientRect();
    return 0;
  }
};

TEST(MenuBarOwner, OnCreateSeesTheClientAreaLeftByTheMenuBar) {
  MainWithBar main;
  ASSERT_TRUE(main.Create(QStringLiteral("M"), QStringLiteral("m"), QRect(0, 0, 240, 300)));
  EXPECT_EQ(main.clientAfterBar, QRect(0, 0, 240, 300 - main.bar.Height()));
}

TEST(MenuBarOwner, ChildWindowsHaveNoPlaceForAMenuBar) {
  RecordingWindow main;
  RecordingWindow child;
  ASSERT_TRUE(main.Create(QStringLiteral("M"), QStringLiteral("m"), QRect(0, 0, 100, 100)));
  ASSERT_TRUE(child.CreateChild(main, QRect(0, 0, 50, 50)));
  CMenuBar bar;
  EXPECT_FALSE(bar.Create(child, menu_bar_id::kSoftKeys));
}

TEST(MenuBarLoading, ResolvesTextsAndPopupsFromTheResources) {
  const std::optional<MenuBarLayout> lost = LoadMenuBar(menu_bar_id::kLostGame);
  ASSERT_TRUE(lost.has_value());
  ASSERT_EQ(lost->buttons.size(), 2u);
  EXPECT_EQ(lost->buttons[0].command, 40005u);
  EXPECT_EQ(lost->buttons[0].text, QStringLiteral("New Game"));
  ASSERT_EQ(lost->buttons[1].popup.size(), 2u);
  EXPECT_EQ(lost->buttons[1].popup[0].command, 40006u);
  EXPECT_EQ(lost->buttons[1].popup[0].text, QStringLiteral("Restart"));
  EXPECT_EQ(lost->buttons[1].popup[1].command, 40002u);
  EXPECT_FALSE(LoadMenuBar(9999).has_value());
}

}  // namespace
}  // namespace cw
