#include "platform/resources/menus.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"

namespace cw {
namespace {

// An item as (command, text), with (0, "-") for a separator.
using Shown = std::vector<std::pair<int, QString>>;

Shown ShowPopup(const MenuPopup& popup) {
  Shown shown;
  for (const MenuItem& item : popup.items) {
    shown.emplace_back(item.separator ? 0 : item.command,
                       item.separator ? QStringLiteral("-") : LoadString(item.text));
  }
  return shown;
}

Shown ShowBar(const MenuBarResource& bar) {
  Shown shown;
  for (const MenuBarButton& button : bar.buttons) {
    shown.emplace_back(button.separator ? 0 : button.command,
                       button.separator ? QStringLiteral("-") : LoadString(button.text));
  }
  return shown;
}

TEST(Menus, IconBarMenuListsTheGameCommands) {
  const MenuResource* menu = FindMenu(menu_id::kIconBarMenu);
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->popups.size(), 1u);
  EXPECT_EQ(ShowPopup(menu->popups[0]),
            (Shown{{40005, "New Game"},
                   {40006, "Restart Game"},
                   {40020, "Select Deal…"},
                   {40014, "Select Solitaire…"},
                   {40019, "Redo"},
                   {0, "-"},
                   {40022, "Show Winning Move"},
                   {40021, "Can This Game Be Won?"},
                   {0, "-"},
                   {40007, "Options…"},
                   {40009, "Show Best Times…"},
                   {40018, "Show Statistics…"},
                   {0, "-"},
                   {40011, "About…"},
                   {40000, "Exit"}}));
}

TEST(Menus, SoftKeyMenuAddsHintAndHelp) {
  const MenuResource* menu = FindMenu(menu_id::kSoftKeyMenu);
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->popups.size(), 1u);
  EXPECT_EQ(ShowPopup(menu->popups[0]),
            (Shown{{40005, "New Game"},
                   {40006, "Restart Game"},
                   {40020, "Select Deal…"},
                   {40014, "Select Solitaire…"},
                   {40019, "Redo"},
                   {40003, "Show Next Move"},
                   {40022, "Show Winning Move"},
                   {40021, "Can This Game Be Won?"},
                   {40001, "Help"},
                   {0, "-"},
                   {40007, "Options…"},
                   {40009, "Show Best Times…"},
                   {40018, "Show Statistics…"},
                   {40011, "About…"},
                   {40000, "Exit"}}));
}

TEST(MenuBars, IconBarHasFourImagesAndTheMenuButton) {
  const MenuBarResource* bar = FindMenuBar(menu_bar_id::kIconBar);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(ShowBar(*bar), (Shown{{40002, "Undo"},
                                  {40003, "Show Next Move"},
                                  {0, "-"},
                                  {40001, "Help"},
                                  {0, "-"},
                                  {40004, "Menu"}}));
  std::vector<int> images;
  for (const MenuBarButton& button : bar->buttons) {
    if (!button.separator) images.push_back(button.image);
  }
  EXPECT_EQ(images, (std::vector<int>{0, 1, 2, 3}));
  const MenuPopup* popup = ButtonPopup(*bar, bar->buttons.back());
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup, &FindMenu(menu_id::kIconBarMenu)->popups[0]);
  EXPECT_EQ(ButtonPopup(*bar, bar->buttons.front()), nullptr);
}

TEST(MenuBars, SoftKeysOfEveryScreen) {
  struct Expected {
    int bar;
    Shown keys;
    Shown popup;  // of the right key, if it has one
  };
  const std::vector<Expected> expected = {
      {menu_bar_id::kSoftKeys, {{40002, "Undo"}, {40004, "Menu"}}, ShowPopup(FindMenu(129)->popups[0])},
      {menu_bar_id::kOptions, {{1, "OK"}, {40004, "Menu"}}, {{9, "Help"}, {2, "Cancel"}}},
      {menu_bar_id::kChooser, {{40013, "Play"}, {2, "Cancel"}}, {}},
      {menu_bar_id::kHtmlViewer, {{1, "Close"}}, {}},
      {menu_bar_id::kNameEntry, {{1, "OK"}, {2, "Cancel"}}, {}},
      {menu_bar_id::kTimeUp, {{40005, "New Game"}, {40006, "Restart"}}, {}},
      {menu_bar_id::kLostGame, {{40005, "New Game"}, {40004, "Menu"}},
       {{40006, "Restart"}, {40002, "Undo"}}},
      {menu_bar_id::kCloseClear, {{2, "Close"}, {40010, "Clear"}}, {}},
      {menu_bar_id::kSearchProgress, {{2, "Cancel"}}, {}},
  };
  for (const Expected& e : expected) {
    const MenuBarResource* bar = FindMenuBar(e.bar);
    ASSERT_NE(bar, nullptr) << e.bar;
    EXPECT_EQ(ShowBar(*bar), e.keys) << e.bar;
    const MenuPopup* popup = ButtonPopup(*bar, bar->buttons.back());
    EXPECT_EQ(popup ? ShowPopup(*popup) : Shown{}, e.popup) << e.bar;
  }
}

TEST(MenuResources, EveryTextIsInTheStringTable) {
  for (const int id : {107, 108, 129, 131}) {
    const MenuResource* menu = FindMenu(id);
    ASSERT_NE(menu, nullptr) << id;
    for (const MenuPopup& popup : menu->popups) {
      for (const MenuItem& item : popup.items) {
        if (!item.separator) {
          EXPECT_FALSE(LoadString(item.text).isEmpty()) << item.text;
        }
      }
    }
  }
  for (const int id : {107, 109, 123, 124, 125, 126, 127, 128, 130, 132}) {
    const MenuBarResource* bar = FindMenuBar(id);
    ASSERT_NE(bar, nullptr) << id;
    for (const MenuBarButton& button : bar->buttons) {
      if (!button.separator) {
        EXPECT_FALSE(LoadString(button.text).isEmpty()) << button.text;
      }
    }
  }
  EXPECT_EQ(FindMenu(1), nullptr);
  EXPECT_EQ(FindMenuBar(600), nullptr);
}

TEST(Accelerators, MainTableBindsTheDesktopKeys) {
  const AcceleratorTable* table = FindAccelerators(kMainAccelerators);
  ASSERT_NE(table, nullptr);
  std::vector<std::pair<QKeySequence, int>> bound;
  for (const Accelerator& entry : table->entries) bound.emplace_back(entry.keys, entry.command);
  const std::vector<std::pair<QKeySequence, int>> expected = {
      {QKeySequence(Qt::CTRL | Qt::Key_A), command::kAbout},
      {QKeySequence(Qt::CTRL | Qt::Key_Q), command::kExit},
      {QKeySequence(Qt::CTRL | Qt::Key_Z), command::kUndo},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), command::kRedo},
      {QKeySequence(Qt::CTRL | Qt::Key_Y), command::kRedo},
      {QKeySequence(Qt::Key_F2), command::kNewGame},
      {QKeySequence(Qt::CTRL | Qt::Key_N), command::kNewGame},
      {QKeySequence(Qt::Key_F5), command::kRestartGame},
      {QKeySequence(Qt::Key_F1), command::kHelp},
      {QKeySequence(Qt::Key_H), command::kShowNextMove},
      {QKeySequence(Qt::CTRL | Qt::Key_G), command::kSelectDeal},
      {QKeySequence(Qt::CTRL | Qt::Key_H), command::kCanThisGameBeWon},
      {QKeySequence(Qt::SHIFT | Qt::Key_H), command::kShowWinningMove},
  };
  EXPECT_EQ(bound, expected);
  EXPECT_EQ(FindAccelerators(1), nullptr);
}

QString ParseError(const char* json) {
  QString error;
  EXPECT_FALSE(ParseMenuResources(json, &error).has_value()) << json;
  return error;
}

TEST(MenuSource, AcceptsAMinimalDocument) {
  const auto parsed = ParseMenuResources(R"({
    "menus": [{"id": 5, "popups": [{"items": [{"command": 7, "text": 8}, {"separator": true}]}]}],
    "menuBars": [{"id": 6, "menu": 5, "buttons": [{"command": 3, "text": 4, "popup": 0}]}],
    "accelerators": [{"id": 2, "entries": [{"key": "Ctrl+Shift+F1", "command": 9}]}]})");
  ASSERT_TRUE(parsed.has_value());
  ASSERT_EQ(parsed->menus.size(), 1u);
  ASSERT_EQ(parsed->menus[0].popups[0].items.size(), 2u);
  EXPECT_EQ(parsed->menus[0].popups[0].items[0].command, 7);
  EXPECT_TRUE(parsed->menus[0].popups[0].items[1].separator);
  EXPECT_EQ(parsed->menuBars[0].buttons[0].image, -1);
  EXPECT_EQ(parsed->menuBars[0].buttons[0].popup, 0);
  EXPECT_EQ(parsed->accelerators[0].entries[0].keys,
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F1));
}

TEST(MenuSource, RejectsFaultsWithTheirPlace) {
  EXPECT_FALSE(ParseError("{").isEmpty());
  EXPECT_FALSE(ParseError("[]").isEmpty());
  EXPECT_TRUE(ParseError(R"({"menus": [], "menuBars": []})").contains("accelerators"));
  EXPECT_TRUE(ParseError(R"({"menus": [{"id": 5, "popups": [{"items": [{"text": 8}]}]}],
      "menuBars": [], "accelerators": []})").contains("menu 0 popup 0 item 0"));
  EXPECT_TRUE(ParseError(R"({"menus": [{"id": 5.5, "popups": []}], "menuBars": [],
      "accelerators": []})").contains("\"id\""));
  EXPECT_TRUE(ParseError(R"({"menus": [{"id": 5, "popups": []}, {"id": 5, "popups": []}],
      "menuBars": [], "accelerators": []})").contains("twice"));
  EXPECT_TRUE(ParseError(R"({"menus": [], "menuBars": [{"id": 6, "menu": 5, "buttons": []}],
      "accelerators": []})").contains("menu 5 does not exist"));
  EXPECT_TRUE(ParseError(R"({"menus": [{"id": 5, "popups": []}],
      "menuBars": [{"id": 6, "menu": 5, "buttons": [{"command": 1, "text": 1, "popup": 0}]}],
      "accelerators": []})").contains("popup 0 does not exist"));
  EXPECT_TRUE(ParseError(R"({"menus": [], "menuBars": [], "accelerators":
      [{"id": 2, "entries": [{"key": "Ctrl+A, Ctrl+B", "command": 1}]}]})").contains("key"));
  EXPECT_TRUE(ParseError(R"({"menus": [], "menuBars": [], "accelerators":
      [{"id": 2, "entries": [{"key": "", "command": 1}]}]})").contains("key"));
}

}  // namespace
}  // namespace cw
