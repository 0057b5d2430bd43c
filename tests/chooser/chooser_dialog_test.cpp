#include "chooser/chooser_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "chooser_test_support.h"
#include "engine/database/embedded_resources.h"
#include "uilib/icon_button.h"
#include "uilib/list_view.h"

namespace cw {
namespace {

using namespace chooser_control;
using testing::ChooserWindowTest;
using testing::ClickRow;
using testing::Settle;

constexpr QStringView kTitle = u"TW Tarrow";
constexpr int kFreeCell = 9;
constexpr std::uint16_t kFreeCellId = 176;
constexpr std::uint16_t kAntaresId = 562;

const std::vector<std::string> kNotice{"<No matching solitaire>"};
const std::vector<std::string> kLetterF{"ForeCell", "Four by Ten", "Four Colours", "FreeCell"};

class ChooserDialogTest : public ChooserWindowTest {
 protected:
  // Runs the chooser over the test window with `steps` played from inside it.
  std::optional<int> RunChooser(ChooserOptions& edited, std::function<void(ChooserDialog&)> steps) {
    ChooserDialog dialog(EmbeddedGameResources(), edited);
    testing::WhenChooserRuns(dialog, std::move(steps));
    return dialog.Run(&main);
  }

  static ListView* List(ChooserDialog& dialog, unsigned id) {
    return qobject_cast<ListView*>(dialog.GetDlgItem(id));
  }
  static QAbstractButton* Button(ChooserDialog& dialog, unsigned id) {
    return qobject_cast<QAbstractButton*>(dialog.GetDlgItem(id));
  }
  static std::vector<std::string> Rows(ChooserDialog& dialog) {
    ListView* games = List(dialog, kGames);
    std::vector<std::string> rows;
    for (int row = 0; row < games->ItemCount(); ++row) rows.push_back(games->ItemText(row, 0).toStdString());
    return rows;
  }
  static void Click(ChooserDialog& dialog, unsigned id) {
    QTest::mouseClick(Button(dialog, id), Qt::LeftButton);
    Settle();
  }
  static void SoftKey(ChooserDialog& dialog, int index) {
    dialog.MenuBar()->Buttons()[static_cast<std::size_t>(index)]->click();
  }
  static void PlayKey(ChooserDialog& dialog) { SoftKey(dialog, 0); }
  static void CancelKey(ChooserDialog& dialog) { SoftKey(dialog, 1); }
  static void Key(ListView* list, Qt::Key key) {
    QTest::keyClick(list, key);
    Settle();
  }
  static void SelectGameRow(ChooserDialog& dialog, const std::string& name) {
    ListView* games = List(dialog, kGames);
    const std::vector<std::string> rows = Rows(dialog);
    const auto found = std::find(rows.begin(), rows.end(), name);
    ASSERT_NE(found, rows.end()) << name;
    ClickRow(games, static_cast<int>(found - rows.begin()));
  }

  ChooserOptions options;
};

TEST_F(ChooserDialogTest, OpensWithTheStoredFiltersAndTheCurrentGameSelected) {
  options.filters.letter = 6;
  options.currentGame = kFreeCell;
  const std::optional<int> chosen = RunChooser(options, [&](ChooserDialog& dialog) {
    EXPECT_EQ(dialog.TopLevel()->windowTitle(), QStringLiteral("Select Solitaire"));
    EXPECT_EQ(Rows(dialog), kLetterF);
    EXPECT_EQ(List(dialog, kGames)->SelectedRow(), 3);
    EXPECT_TRUE(Button(dialog, kFavourite)->isVisible());
    for (unsigned list : {kCategoryList, kSkillList, kDurationList, 5028u, 5029u, 5030u}) {
      EXPECT_FALSE(List(dialog, list)->isVisible()) << list;
    }
    const auto keys = dialog.MenuBar()->Buttons();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0]->text(), QStringLiteral("Play"));
    EXPECT_EQ(keys[1]->text(), QStringLiteral("Cancel"));
    SelectGameRow(dialog, "Four by Ten");
    PlayKey(dialog);
  });
  EXPECT_EQ(chosen, std::optional<int>(7));
  EXPECT_EQ(options.currentGame, 7);
  EXPECT_EQ(options.filters.letter, 6u);
}

TEST_F(ChooserDialogTest, CurrentGameHiddenByTheFiltersIsNotSelected) {
  options.filters.letter = 6;
  options.currentGame = 4;  // Eight Off
  RunChooser(options, [&](ChooserDialog& dialog) {
    ListView* games = List(dialog, kGames);
    // The games list has the focus, which selects its first row.
    EXPECT_EQ(games->SelectedRow(), 0);
    EXPECT_TRUE(Button(dialog, kFavourite)->isVisible());
    CancelKey(dialog);
  });
  EXPECT_EQ(options.currentGame, 4);
}

TEST_F(ChooserDialogTest, CategoryChosenFromItsList) {
  const std::optional<int> chosen = RunChooser(options, [&](ChooserDialog& dialog) {
    Click(dialog, kCategoryButton);
    ListView* categories = List(dialog, kCategoryList);
    ASSERT_TRUE(categories->isVisible());
    EXPECT_TRUE(categories->hasFocus());
    EXPECT_EQ(categories->ItemCount(), 12);
    EXPECT_EQ(categories->SelectedRow(), 0);
    ASSERT_EQ(List(dialog, kGames)->SelectedRow(), 0) << "Antares";
    QTest::mouseClick(categories->viewport(), Qt::LeftButton, {},
                      categories->visualRect(categories->model()->index(8, 0)).center());  // Spider
    PlayKey(dialog);  // before the list is rebuilt: nothing is played
    EXPECT_TRUE(dialog.IsWindow());
    Settle();
    EXPECT_FALSE(categories->isVisible());
    EXPECT_EQ(dialog.Filters().category, 8u);
    EXPECT_TRUE(Button(dialog, kCategoryButton)->hasFocus());
    EXPECT_EQ(Rows(dialog), std::vector<std::string>{"Antares"});
    EXPECT_TRUE(List(dialog, kGames)->isVisible());
    EXPECT_EQ(List(dialog, kGames)->SelectedRow(), -1) << "nothing is selected after a refresh";
    EXPECT_FALSE(Button(dialog, kFavourite)->isVisible());

    PlayKey(dialog);  // with no row selected: nothing happens
    EXPECT_TRUE(dialog.IsWindow());

    Click(dialog, kCategoryButton);
    EXPECT_EQ(categories->SelectedRow(), 8);
    Key(categories, Qt::Key_Down);
    Key(categories, Qt::Key_Down);
    Key(categories, Qt::Key_Return);  // Yukon
    EXPECT_EQ(dialog.Filters().category, 10u);
    EXPECT_EQ(Rows(dialog), kNotice);
    CancelKey(dialog);
  });
  EXPECT_FALSE(chosen.has_value());
  EXPECT_EQ(options.currentGame, -1);
  EXPECT_EQ(options.filters.category, 10u) << "the filters are stored on Cancel too";
}

TEST_F(ChooserDialogTest, SkillAndDurationLists) {
  RunChooser(options, [&](ChooserDialog& dialog) {
    Click(dialog, kSkillButton);
    ListView* skills = List(dialog, kSkillList);
    EXPECT_EQ(skills->ItemCount(), 4);
    ClickRow(skills, 2);
    Click(dialog, kDurationButton);
    ListView* durations = List(dialog, kDurationList);
    EXPECT_EQ(durations->ItemCount(), 5);
    ClickRow(durations, 4);
    EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"Double FreeCell", "Milligan Cell"}));
    CancelKey(dialog);
  });
  EXPECT_EQ(options.filters.skill, 2u);
  EXPECT_EQ(options.filters.duration, 4u);
}

TEST_F(ChooserDialogTest, LetterColumnsMoveTogether) {
  RunChooser(options, [&](ChooserDialog& dialog) {
    Click(dialog, kLetterButton);
    std::vector<ListView*> columns;
    for (unsigned id : kLetterColumns) {
      columns.push_back(List(dialog, id));
      ASSERT_TRUE(columns.back()->isVisible());
      EXPECT_EQ(columns.back()->ItemCount(), kLettersPerColumn);
    }
    EXPECT_TRUE(columns[0]->hasFocus());
    Key(columns[0], Qt::Key_Up);  // already at the top
    for (ListView* column : columns) EXPECT_EQ(column->SelectedRow(), 0);
    for (int i = 0; i < 6; ++i) Key(columns[0], Qt::Key_Down);
    for (ListView* column : columns) EXPECT_EQ(column->SelectedRow(), 6);
    Key(columns[0], Qt::Key_Return);
    EXPECT_EQ(dialog.Filters().letter, 6u);
    EXPECT_EQ(Rows(dialog), kLetterF);

    // Reopened on "F"; moving to the next column keeps the lists open.
    Click(dialog, kLetterButton);
    EXPECT_TRUE(columns[0]->hasFocus());
    EXPECT_EQ(columns[2]->SelectedRow(), 6);
    Key(columns[0], Qt::Key_Right);
    EXPECT_TRUE(columns[1]->hasFocus());
    EXPECT_TRUE(columns[0]->isVisible());
    for (int i = 0; i < 9; ++i) Key(columns[1], Qt::Key_Down);  // stops at the bottom
    for (ListView* column : columns) EXPECT_EQ(column->SelectedRow(), 8);
    Key(columns[1], Qt::Key_Return);  // "Q"
    EXPECT_EQ(dialog.Filters().letter, 17u);
    EXPECT_EQ(Rows(dialog), kNotice);

    // A tap in the third column: "X".
    Click(dialog, kLetterButton);
    ClickRow(columns[2], 6);
    EXPECT_EQ(dialog.Filters().letter, 24u);
    EXPECT_EQ(Rows(dialog), kNotice);
    // The notice row takes no selection, by a tap or by the focus.
    ClickRow(List(dialog, kGames), 0);
    EXPECT_EQ(List(dialog, kGames)->SelectedRow(), -1);
    List(dialog, kGames)->setFocus();
    Settle();
    EXPECT_EQ(List(dialog, kGames)->SelectedRow(), -1);
    EXPECT_FALSE(Button(dialog, kFavourite)->isVisible());
    PlayKey(dialog);
    EXPECT_TRUE(dialog.IsWindow());
    CancelKey(dialog);
  });
  EXPECT_EQ(options.filters.letter, 24u);
  EXPECT_EQ(options.currentGame, -1);
}

TEST_F(ChooserDialogTest, LosingTheFocusClosesAListWithoutChange) {
  options.filters.skill = 3;
  RunChooser(options, [&](ChooserDialog& dialog) {
    Click(dialog, kSkillButton);
    ListView* skills = List(dialog, kSkillList);
    EXPECT_EQ(skills->SelectedRow(), 3);
    Key(skills, Qt::Key_Up);
    List(dialog, kGames)->setFocus();
    Settle();
    EXPECT_FALSE(skills->isVisible());
    EXPECT_EQ(dialog.Filters().skill, 3u);
    // Escape closes an open list, not the dialog.
    Click(dialog, kDurationButton);
    Key(List(dialog, kDurationList), Qt::Key_Escape);
    EXPECT_FALSE(List(dialog, kDurationList)->isVisible());
    EXPECT_TRUE(dialog.IsWindow());
    // Opening another list closes the first.
    Click(dialog, kCategoryButton);
    Click(dialog, kLetterButton);
    EXPECT_FALSE(List(dialog, kCategoryList)->isVisible());
    EXPECT_TRUE(List(dialog, kLetterColumns[0])->isVisible());
    ClickRow(List(dialog, kLetterColumns[0]), 0);  // "All", unchanged
    EXPECT_EQ(dialog.Filters(), (ChooserFilters{0, 3, 0, 0, false}));
    CancelKey(dialog);
  });
}

TEST_F(ChooserDialogTest, ClearFiltersResetsAllFiveOnlyWhenOneIsSet) {
  options.filters.category = 8;
  options.filters.skill = 3;
  options.filters.duration = 3;
  options.filters.letter = 1;
  options.filters.favouritesOnly = true;
  options.favourites = {kAntaresId};
  RunChooser(options, [&](ChooserDialog& dialog) {
    EXPECT_EQ(Rows(dialog), std::vector<std::string>{"Antares"});
    Click(dialog, kClearFilters);
    EXPECT_EQ(dialog.Filters(), ChooserFilters{});
    EXPECT_EQ(Rows(dialog).size(), 20u);
    SelectGameRow(dialog, "Penguin");
    Click(dialog, kClearFilters);
    EXPECT_EQ(List(dialog, kGames)->SelectedRow(), 13) << "nothing to clear: no refresh";
    CancelKey(dialog);
  });
  EXPECT_EQ(options.filters.category, 0u);
  EXPECT_FALSE(options.filters.favouritesOnly);
}

TEST_F(ChooserDialogTest, FavouritesAreMarkedListedAndKeptForTheNextRun) {
  ASSERT_EQ(options.favourites, std::vector<std::uint16_t>{kNoFavourite});

  RunChooser(options, [&](ChooserDialog& dialog) {
    SelectGameRow(dialog, "FreeCell");
    Click(dialog, kFavourite);
    EXPECT_EQ(options.favourites, std::vector<std::uint16_t>{kFreeCellId});
    SelectGameRow(dialog, "Antares");
    Click(dialog, kFavourite);
    SelectGameRow(dialog, "Penguin");
    Click(dialog, kFavourite);
    Click(dialog, kFavourite);  // and off again
    EXPECT_EQ(options.favourites, (std::vector<std::uint16_t>{kFreeCellId, kAntaresId}));
    EXPECT_EQ(Rows(dialog).size(), 20u) << "marking does not refresh the list";

    Click(dialog, kFavouritesOnly);
    EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"Antares", "FreeCell"}));
    SelectGameRow(dialog, "FreeCell");
    Click(dialog, kFavourite);  // removed: it leaves the favourites view
    EXPECT_EQ(Rows(dialog), std::vector<std::string>{"Antares"});
    CancelKey(dialog);
  });
  EXPECT_EQ(options.favourites, std::vector<std::uint16_t>{kAntaresId});
  EXPECT_TRUE(options.filters.favouritesOnly);

  RunChooser(options, [&](ChooserDialog& dialog) {
    EXPECT_EQ(Rows(dialog), std::vector<std::string>{"Antares"});
    SelectGameRow(dialog, "Antares");
    Click(dialog, kFavourite);
    EXPECT_EQ(Rows(dialog), kNotice);
    EXPECT_EQ(options.favourites, std::vector<std::uint16_t>{kNoFavourite});
    Click(dialog, kFavouritesOnly);
    EXPECT_EQ(Rows(dialog).size(), 20u);
    SelectGameRow(dialog, "Penguin");
    Click(dialog, kFavourite);
    EXPECT_EQ(options.favourites, std::vector<std::uint16_t>{746});
    CancelKey(dialog);
  });
}

TEST_F(ChooserDialogTest, EnterInTheGamesListPlays) {
  options.currentGame = 2;
  const std::optional<int> chosen = RunChooser(options, [&](ChooserDialog& dialog) {
    ListView* games = List(dialog, kGames);
    EXPECT_TRUE(games->hasFocus());
    Key(games, Qt::Key_Down);
    Key(games, Qt::Key_Return);
  });
  EXPECT_EQ(chosen, std::optional<int>(3));
  EXPECT_EQ(options.currentGame, 3);
}

TEST_F(ChooserDialogTest, LeavingWithoutAChoiceAnswersNone) {
  options.filters.duration = 2;
  for (const bool escape : {false, true}) {
    const std::optional<int> chosen = RunChooser(options, [&](ChooserDialog& dialog) {
      SelectGameRow(dialog, "Penguin");
      if (escape) {
        QTest::keyClick(dialog.TopLevel(), Qt::Key_Escape);
      } else {
        dialog.TopLevel()->close();
      }
    });
    EXPECT_FALSE(chosen.has_value());
    EXPECT_EQ(options.currentGame, -1);
    EXPECT_EQ(options.filters.duration, 2u);
  }
}

}  // namespace
}  // namespace cw
