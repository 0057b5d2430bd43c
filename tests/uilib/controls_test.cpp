#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPainter>
#include <QTest>

#include "recording_window.h"
#include "uilib/combo_box.h"
#include "uilib/icon_button.h"
#include "uilib/list_view.h"

namespace cw {
namespace {

using testing::RecordingWindow;

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window.Create(QStringLiteral("Controls"), QStringLiteral("Controls"),
                              QRect(0, 0, 240, 300)));
    window.ShowWindow(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.TopLevel()));
  }
  void TearDown() override { window.DestroyWindow(); }

  RecordingWindow window;
};

struct DrawnRow {
  QRect rect;
  int row;
  bool selected;
};

TEST_F(ControlsTest, OwnerDrawnRowsSpanTheListAndKnowTheirState) {
  auto* list = new ListView(window, 5020);
  list->setGeometry(0, 0, 200, 200);
  list->SetHeaderVisible(false);
  list->SetRowHeight(15);
  for (int i = 0; i < 3; ++i) list->InsertItem(i, QString::number(i), 10 + i);
  std::vector<DrawnRow> drawn;
  list->SetOwnerDraw([&](QPainter& painter, const QRect& rect, int row, ItemState state) {
    painter.fillRect(rect, state.selected ? Qt::blue : Qt::white);
    drawn.push_back({rect, row, state.selected});
  });
  list->show();
  list->SetSelectedRow(1);
  const QImage image = list->viewport()->grab().toImage();

  ASSERT_GE(drawn.size(), 3u);
  for (const DrawnRow& d : drawn) {
    EXPECT_EQ(d.rect.width(), list->viewport()->width());
    EXPECT_EQ(d.rect.height(), 15);
    EXPECT_EQ(d.rect.top(), 15 * d.row);
    EXPECT_EQ(d.selected, d.row == 1);
  }
  EXPECT_EQ(image.pixelColor(100, 22), QColor(Qt::blue));
  EXPECT_EQ(image.pixelColor(100, 7), QColor(Qt::white));
  EXPECT_EQ(list->ItemData(2), 12);
}

TEST_F(ControlsTest, ListReportsSelectionClicksAndKeys) {
  auto* list = new ListView(window, 1004);
  list->setGeometry(0, 0, 200, 200);
  list->InsertColumn(0, QStringLiteral("Name"), 140, Qt::AlignHCenter);
  list->InsertColumn(1, QStringLiteral("Time"), 40, Qt::AlignHCenter);
  for (int i = 0; i < 3; ++i) {
    list->InsertItem(i, QStringLiteral("---"));
    list->SetItemText(i, 1, QStringLiteral("---"));
  }
  list->show();
  EXPECT_EQ(list->ItemText(2, 1), QStringLiteral("---"));
  list->InsertColumn(2, QStringLiteral("Date"), 40, Qt::AlignLeft);
  list->SetItemText(0, 2, QStringLiteral("today"));
  EXPECT_EQ(list->ItemText(0, 2), QStringLiteral("today"));

  window.Clear();
  list->SetSelectedRow(1);
  EXPECT_EQ(window.Only({"notify"}), std::vector<std::string>{"notify 1004 -101 1"});

  window.Clear();
  const QRect row2 = list->visualRect(list->model()->index(2, 0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row2.center());
  EXPECT_EQ(window.Only({"notify"}),
            (std::vector<std::string>{"notify 1004 -7 1", "notify 1004 -101 2", "notify 1004 -2 2"}))
      << "the tap gives the list the focus before it selects";
  EXPECT_EQ(list->SelectedRow(), 2);

  window.Clear();
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(window.Only({"notify"}), std::vector<std::string>{"notify 1004 -4 2"});

  // A key the owner consumes does not move the selection.
  window.Clear();
  window.notifyResult = 1;
  QTest::keyClick(list, Qt::Key_Up);
  EXPECT_EQ(window.Only({"notify"}), std::vector<std::string>{"notify 1004 -155 2 key 38"});
  EXPECT_EQ(list->SelectedRow(), 2);
  window.notifyResult = 0;
  QTest::keyClick(list, Qt::Key_Up);
  EXPECT_EQ(list->SelectedRow(), 1);

  window.Clear();
  list->SetSelectedRow(-1);
  EXPECT_EQ(list->SelectedRow(), -1);
  list->DeleteAllItems();
  EXPECT_EQ(list->ItemCount(), 0);
}

TEST_F(ControlsTest, ComboBoxReportsOnlyThePlayersChoice) {
  auto* combo = new ComboBox(window, 5001);
  for (const char* text : {"1 min", "3 min", "5 min", "10 min"}) combo->AddString(QString::fromLatin1(text));
  combo->show();
  combo->SetCurSel(7);
  EXPECT_EQ(combo->GetCurSel(), -1) << "out of range selects nothing";
  window.Clear();
  combo->SetCurSel(1);
  EXPECT_TRUE(window.Only({"command"}).empty());
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(combo->GetCurSel(), 2);
  EXPECT_EQ(window.Only({"command"}), std::vector<std::string>{"command 5001 1"});
}

TEST_F(ControlsTest, ButtonsReportClicksAndCheckBoxesTheirState) {
  auto* button = new IconButton(window, 1003);
  button->setGeometry(10, 10, 26, 35);
  std::vector<QRect> drawn;
  button->SetOwnerDraw([&](QPainter& painter, const QRect& rect, int, ItemState) {
    painter.fillRect(rect, Qt::green);
    drawn.push_back(rect);
  });
  button->show();
  auto* box = new QCheckBox(QStringLiteral("Animation"), window.Widget());
  window.AddControl(5009, box);
  box->show();

  window.Clear();
  QTest::mouseClick(button, Qt::LeftButton);
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(window.Only({"command"}), (std::vector<std::string>{"command 1003 0", "command 5009 0"}));
  EXPECT_TRUE(window.IsDlgButtonChecked(5009));
  window.CheckDlgButton(5009, false);
  EXPECT_FALSE(window.IsDlgButtonChecked(5009));

  const QImage image = button->grab().toImage();
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back(), QRect(0, 0, 26, 35));
  EXPECT_EQ(image.pixelColor(13, 17), QColor(Qt::green));
}

}  // namespace
}  // namespace cw
