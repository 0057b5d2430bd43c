#include "shell/best_times.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"
#include "shell/best_times_dialog.h"
#include "tests/platform/registry/temporary_registry.h"
#include "tests/shell/dialog_steps.h"
#include "uilib/list_view.h"

namespace cw {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::PressSoftKey;
using testing::RecordingWindow;
using testing::WhenDialogTitled;

constexpr QStringView kTitle = u"TW Tarrow";

BestTimeEntry Entry(QStringView name, std::uint32_t seconds) { return {NameField(name), seconds}; }

// Ten entries of 60, 120, ... 600 seconds named "p1" to "p10".
BestTimesTable FullTable() {
  BestTimesTable table;
  for (std::size_t i = 0; i < kBestTimeCount; ++i) {
    table[i] = Entry(QStringLiteral("p%1").arg(i + 1), static_cast<std::uint32_t>(60 * (i + 1)));
  }
  return table;
}

std::vector<QString> Names(const BestTimesTable& table) {
  std::vector<QString> names;
  for (const BestTimeEntry& entry : table) names.push_back(NameText(entry.name));
  return names;
}

TEST(BestTimesOrder, AnEmptyTableTakesAnyTimeAtTheTop) {
  BestTimesTable table{};
  EXPECT_TRUE(Qualifies(table, 0xFFFFFFFFu));
  InsertBestTime(table, Entry(u"Ann", 500));
  EXPECT_EQ(table[0], Entry(u"Ann", 500));
  EXPECT_TRUE(table[1].Empty());
}

TEST(BestTimesOrder, FullTableTakesOnlyStrictlyFasterTimes) {
  BestTimesTable table = FullTable();
  EXPECT_FALSE(Qualifies(table, 600));
  EXPECT_FALSE(Qualifies(table, 601));
  ASSERT_TRUE(Qualifies(table, 599));
  InsertBestTime(table, Entry(u"new", 599));
  EXPECT_EQ(table[8], Entry(u"p9", 540));
  EXPECT_EQ(table[9], Entry(u"new", 599));  // the old 600 dropped off

  InsertBestTime(table, Entry(u"tie", 60));  // after the older 60
  EXPECT_EQ(Names(table), (std::vector<QString>{"p1", "tie", "p2", "p3", "p4", "p5", "p6", "p7",
                                                "p8", "p9"}));
  // A time that no longer qualifies leaves the table alone.
  const BestTimesTable before = table;
  InsertBestTime(table, Entry(u"slow", 540));
  EXPECT_EQ(table, before);
}

TEST(BestTimesOrder, EqualTimesKeepTheOrderTheyCameIn) {
  BestTimesTable table{};
  for (QStringView name : {u"a", u"b", u"c"}) InsertBestTime(table, Entry(name, 90));
  InsertBestTime(table, Entry(u"fast", 30));
  EXPECT_EQ(Names(table), (std::vector<QString>{"fast", "a", "b", "c", "", "", "", "", "", ""}));
}

TEST(BestTimesOrder, AWinWithinTheFirstSecondRanksAsOneSecond) {
  EXPECT_EQ(RankedSeconds(0), 1u);
  EXPECT_EQ(RankedSeconds(75), 75u);
  BestTimesTable table{};
  InsertBestTime(table, Entry(u"zero", 0));  // would read as an empty entry
  EXPECT_TRUE(table[0].Empty());
}

TEST(BestTimesNames, AtMostFifteenUnitsNeverHalfAPair) {
  EXPECT_EQ(NameText(NameField(u"Sixteen letters!")), "Sixteen letters");
  const QString pairAtTheEnd = QStringLiteral("abcdefghijklmn") + QString::fromUcs4(U"\U0001F0A1");
  EXPECT_EQ(NameText(NameField(pairAtTheEnd)), "abcdefghijklmn");
  const QString pairInside = QString::fromUcs4(U"\U0001F0A1") + QStringLiteral("xyz");
  EXPECT_EQ(NameText(NameField(pairInside)), pairInside);
  EXPECT_EQ(NameField(u"").front(), u'\0');
}

TEST(BestTimesBytes, EntriesAreNameThenSecondsLittleEndian) {
  BestTimesTable table{};
  table[0] = Entry(u"Jo", 0x01020304);
  const auto bytes = EncodeBestTimes(table);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 6), (Bytes{'J', 0, 'o', 0, 0, 0}));
  EXPECT_EQ(Bytes(bytes.begin() + 32, bytes.begin() + 36), (Bytes{4, 3, 2, 1}));
  EXPECT_EQ(DecodeBestTimes(bytes), table);
  EXPECT_EQ(DecodeBestTimes(EncodeBestTimes(FullTable())), FullTable());
}

TEST(BestTimesBytes, DamagedTablesAreMendedIntoOrder) {
  BestTimesTable table{};
  table[1] = Entry(u"late", 300);
  table[3] = Entry(u"early", 100);
  table[4] = Entry(u"tie", 300);
  table[6].name = NameField(u"ghost");  // a name on an empty entry
  auto bytes = EncodeBestTimes(table);
  for (std::size_t i = 0; i < 32; ++i) bytes[3 * kBestTimeEntrySize + i] = 'A';  // no terminator

  const BestTimesTable mended = DecodeBestTimes(bytes);
  EXPECT_EQ(NameText(mended[0].name), QString(15, u'\u4141'));
  EXPECT_EQ(mended[0].seconds, 100u);
  EXPECT_EQ(mended[1], Entry(u"late", 300));
  EXPECT_EQ(mended[2], Entry(u"tie", 300));
  for (std::size_t i = 3; i < kBestTimeCount; ++i) EXPECT_EQ(mended[i], BestTimeEntry{}) << i;
}

class BestTimesStoreTest : public ::testing::Test {
 protected:
  GameRecordsPlace Place() {
    return GameRecordsPlace{registry, kTitle.toString(), QStringLiteral("FreeCell")};
  }
  RegistryKey Key() {
    RegistryKey key;
    EXPECT_EQ(registry.CreateKey(BestTimesKey(kTitle, u"FreeCell"), kAppDataClass, &key, nullptr),
              RegStatus::Success);
    return key;
  }
  void Store(RegType type, const Bytes& bytes) {
    ASSERT_EQ(registry.SetValue(Key(), u"data", type, bytes), RegStatus::Success);
  }
  Bytes Stored(RegType* type) {
    Bytes bytes(400);
    auto size = static_cast<std::uint32_t>(bytes.size());
    EXPECT_EQ(registry.QueryValue(Key(), u"data", type, bytes.data(), &size), RegStatus::Success);
    bytes.resize(size);
    return bytes;
  }

  TemporaryRegistryFile file;
  Registry registry{file.Path()};
};

TEST_F(BestTimesStoreTest, FirstReadWritesAnEmptyTable) {
  EXPECT_EQ(BestTimesKey(kTitle, u"Eight Off"),
            "SOFTWARE\\Quillo Software\\CardwrightSuite\\TW Tarrow\\bestScores\\Eight Off");
  EXPECT_EQ(LoadBestTimes(Place()), BestTimesTable{});
  RegType type{};
  EXPECT_EQ(Stored(&type), Bytes(360, 0));
  EXPECT_EQ(type, RegType::Dword);
}

TEST_F(BestTimesStoreTest, SavedTablesReadBack) {
  SaveBestTimes(Place(), FullTable());
  EXPECT_EQ(LoadBestTimes(Place()), FullTable());
  ClearBestTimes(Place());
  EXPECT_EQ(LoadBestTimes(Place()), BestTimesTable{});
}

TEST_F(BestTimesStoreTest, UnreadableValuesAreReplacedByAnEmptyTable) {
  const auto full = EncodeBestTimes(FullTable());
  Bytes longer(full.begin(), full.end());
  longer.push_back(0);
  for (const auto& [type, bytes] : std::vector<std::pair<RegType, Bytes>>{
           {RegType::Dword, longer},
           {RegType::Binary, Bytes(full.begin(), full.end())},
       }) {
    Store(type, bytes);
    EXPECT_EQ(LoadBestTimes(Place()), BestTimesTable{});
    RegType stored{};
    EXPECT_EQ(Stored(&stored), Bytes(360, 0));
  }
  registry.DeleteValue(Key(), u"data");
  SaveBestTimes(Place(), FullTable());
  EXPECT_EQ(LoadBestTimes(Place()), FullTable());
}

TEST_F(BestTimesStoreTest, AShorterValueFillsTheStartOfAnEmptyTable) {
  const auto full = EncodeBestTimes(FullTable());
  Store(RegType::Dword, Bytes(full.begin(), full.begin() + 2 * kBestTimeEntrySize + 10));
  const BestTimesTable table = LoadBestTimes(Place());
  EXPECT_EQ(table[0], Entry(u"p1", 60));
  EXPECT_EQ(table[1], Entry(u"p2", 120));
  // The third entry's name arrived without its time: it is empty.
  for (std::size_t i = 2; i < kBestTimeCount; ++i) EXPECT_EQ(table[i], BestTimeEntry{}) << i;
}

TEST(BestTimesLayout, ListAndColumnsFollowTheScreen) {
  const ScreenFacts qvga{96, 96};
  BestTimesListGeometry g = LayOutBestTimesList(qvga, QSize(240, 200));
  EXPECT_EQ(g.list, QRect(5, 5, 230, 161));
  EXPECT_EQ(g.nameWidth, 187);
  EXPECT_EQ(g.timeWidth, 40);
  g = LayOutBestTimesList(qvga, QSize(320, 150));  // landscape, too low for the whole list
  EXPECT_EQ(g.list, QRect(5, 5, 310, 140));
  EXPECT_EQ(g.nameWidth, 255);

  const ScreenFacts vga{192, 192};
  g = LayOutBestTimesList(vga, QSize(480, 500));
  EXPECT_EQ(g.list, QRect(10, 10, 460, 322));
  EXPECT_EQ(g.nameWidth, 374);
  EXPECT_EQ(g.timeWidth, 80);

  const ScreenFacts between{144, 144};
  g = LayOutBestTimesList(between, QSize(360, 300));
  EXPECT_EQ(g.list, QRect(8, 5, 345, 207));
  EXPECT_EQ(g.nameWidth, 281);
  g = LayOutBestTimesList(between, QSize(360, 100));
  EXPECT_EQ(g.list, QRect(8, 5, 345, 90));
  EXPECT_EQ(g.nameWidth, 360 - 38 - 60);

  EXPECT_EQ(LayOutBestTimesList(qvga, QSize(4, 4)).list.size(), QSize(0, 0));
}

TEST(BestTimesRowsText, FilledEntriesShowNameAndTimeEmptyOnesDashes) {
  BestTimesTable table{};
  table[0] = Entry(u"Ann", 3725);
  table[1] = Entry(u"Bo", 9);
  const auto rows = BestTimesRows(table);
  EXPECT_EQ(rows[0].name, "Ann");
  EXPECT_EQ(rows[0].time, "62:05");
  EXPECT_EQ(rows[1].time, "0:09");
  EXPECT_EQ(rows[2].name, "---");
  EXPECT_EQ(rows[9].time, "---");
}

TEST(NameEntryTexts, CongratulationCarriesTheTime) {
  EXPECT_EQ(NameEntryText(125), QStringLiteral("You win!\nYour time (2:05) is qualified for the "
                                               "Best Times list.\n\nPlease enter your name:"));
}

class BestTimesDialogTest : public BestTimesStoreTest {
 protected:
  void SetUp() override { testing::CreateScreenWindow(main); }
  void TearDown() override { main.DestroyWindow(); }

  static std::vector<std::pair<QString, QString>> Rows(const ListView& list) {
    std::vector<std::pair<QString, QString>> rows;
    for (int row = 0; row < list.ItemCount(); ++row) {
      rows.emplace_back(list.ItemText(row, 0), list.ItemText(row, 1));
    }
    return rows;
  }

  RecordingWindow main;
  QObject steps;  // ends the waits for dialogs with the test
};

TEST_F(BestTimesDialogTest, AGameNeverWonShowsTenRowsOfDashes) {
  BestTimesDialog dialog(Place(), ReadScreenFacts());
  std::vector<std::pair<QString, QString>> rows;
  QStringList headers;
  WhenDialogTitled(steps, LoadString(string_id::kBestTimes), [&](DialogFrame* frame) {
    ListView* list = dialog.List();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(dialog.GetDlgItem(BestTimesDialog::kListControl), list);
    rows = Rows(*list);
    for (int column = 0; column < list->model()->columnCount(); ++column) {
      headers << list->model()->headerData(column, Qt::Horizontal).toString();
    }
    PressSoftKey(frame, QStringLiteral("Close"));
  });
  EXPECT_FALSE(dialog.Run(&main));
  EXPECT_EQ(headers, (QStringList{"Name", "Time"}));
  EXPECT_EQ(rows, (std::vector<std::pair<QString, QString>>(10, {"---", "---"})));
  RegType type{};
  EXPECT_EQ(Stored(&type), Bytes(360, 0));
}

TEST_F(BestTimesDialogTest, ShowsTheTableFastestFirstWithEveryRowVisible) {
  BestTimesTable table = FullTable();
  table[9] = {};
  table[0] = Entry(u"Ann", 45);
  table[1] = Entry(u"Bartholomew Xu", 3725);
  SaveBestTimes(Place(), table);  // out of order: read back sorted
  const BestTimesTable stored = LoadBestTimes(Place());
  BestTimesDialog dialog(Place(), ReadScreenFacts());
  std::vector<std::pair<QString, QString>> rows;
  bool lastRowVisible = false;
  WhenDialogTitled(steps, LoadString(string_id::kBestTimes), [&](DialogFrame* frame) {
    rows = Rows(*dialog.List());
    const QModelIndex last = dialog.List()->model()->index(9, 0);
    lastRowVisible = dialog.List()->viewport()->rect().contains(
        dialog.List()->visualRect(last));
    testing::SaveScreenshot(frame, QStringLiteral("best-times"));
    PressSoftKey(frame, QStringLiteral("Close"));
  });
  dialog.Run(&main);
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows[0], (std::pair<QString, QString>{"Ann", "0:45"}));
  EXPECT_EQ(rows[1], (std::pair<QString, QString>{"p3", "3:00"}));
  EXPECT_EQ(rows[8], (std::pair<QString, QString>{"Bartholomew Xu", "62:05"}));
  EXPECT_EQ(rows[9], (std::pair<QString, QString>{"---", "---"}));
  EXPECT_EQ(NameText(stored[8].name), "Bartholomew Xu");
  EXPECT_TRUE(lastRowVisible);
}

TEST_F(BestTimesDialogTest, ClearConfirmedEmptiesTheTable) {
  SaveBestTimes(Place(), FullTable());
  BestTimesDialog dialog(Place(), ReadScreenFacts());
  WhenDialogTitled(steps, LoadString(string_id::kBestTimes), [&](DialogFrame* frame) {
    WhenDialogTitled(steps, LoadString(string_id::kConfirmation), [](DialogFrame* box) {
      bool asked = false;
      for (QLabel* label : box->findChildren<QLabel*>()) {
        asked = asked || label->text() == LoadString(string_id::kClearBestTimes);
      }
      EXPECT_TRUE(asked);
      PressSoftKey(box, QStringLiteral("Yes"));
    });
    PressSoftKey(frame, LoadString(command::kClear));
  });
  EXPECT_TRUE(dialog.Run(&main));
  EXPECT_EQ(LoadBestTimes(Place()), BestTimesTable{});
}

TEST_F(BestTimesDialogTest, ClearAnsweredNoChangesNothing) {
  SaveBestTimes(Place(), FullTable());
  BestTimesDialog dialog(Place(), ReadScreenFacts());
  WhenDialogTitled(steps, LoadString(string_id::kBestTimes), [&](DialogFrame* frame) {
    WhenDialogTitled(steps, LoadString(string_id::kConfirmation), [frame](DialogFrame* box) {
      PressSoftKey(box, QStringLiteral("No"));
      QTimer::singleShot(0, frame, [frame] { PressSoftKey(frame, QStringLiteral("Close")); });
    });
    PressSoftKey(frame, LoadString(command::kClear));
  });
  EXPECT_FALSE(dialog.Run(&main));
  EXPECT_EQ(LoadBestTimes(Place()), FullTable());
}

TEST_F(BestTimesDialogTest, NameEntryOffersTheLastNameAndTakesFifteenCharacters) {
  NameEntryDialog entry(125, QStringLiteral("Ann"));
  QString offered;
  QString text;
  int limit = 0;
  WhenDialogTitled(steps, LoadString(string_id::kCongratulations), [&](DialogFrame* frame) {
    auto* edit = qobject_cast<QLineEdit*>(entry.GetDlgItem(NameEntryDialog::kNameControl));
    ASSERT_NE(edit, nullptr);
    offered = edit->text();
    limit = edit->maxLength();
    text = entry.GetDlgItemText(NameEntryDialog::kTextControl);
    EXPECT_EQ(frame->focusWidget(), edit);
    testing::SaveScreenshot(frame, QStringLiteral("name-entry"));
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("A very long player name"));
    PressSoftKey(frame, LoadString(string_id::kOk));
  });
  EXPECT_EQ(entry.Run(&main), std::optional<QString>(QStringLiteral("A very long pla")));
  EXPECT_EQ(offered, "Ann");
  EXPECT_EQ(limit, 15);
  EXPECT_EQ(text, NameEntryText(125));
}

TEST_F(BestTimesDialogTest, CancelledNameEntryAddsNothingAndShowsNoTable) {
  Preferences preferences;
  preferences.lastEnteredName = NameField(u"Ann");
  bool tableShown = false;
  WhenDialogTitled(steps, LoadString(string_id::kCongratulations), [](DialogFrame* frame) {
    PressSoftKey(frame, LoadString(string_id::kCancel));
  });
  WhenDialogTitled(steps, LoadString(string_id::kBestTimes), [&](DialogFrame* frame) {
    tableShown = true;
    PressSoftKey(frame, QStringLiteral("Close"));
  });
  EXPECT_FALSE(OfferBestTime(&main, Place(), ReadScreenFacts(), 100, preferences));
  EXPECT_FALSE(tableShown);
  EXPECT_EQ(NameText(preferences.lastEnteredName), "Ann");
  EXPECT_EQ(LoadBestTimes(Place()), BestTimesTable{});
}

TEST_F(BestTimesDialogTest, AQualifyingWinIsEnteredUnderTheNameGivenAndShown) {
  SaveBestTimes(Place(), FullTable());
  Preferences preferences;
  std::vector<std::pair<QString, QString>> rows;
  WhenDialogTitled(steps, LoadString(string_id::kCongratulations), [&](DialogFrame* frame) {
    auto* edit = frame->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "");
    QTest::keyClicks(edit, QStringLiteral("Zoe"));
    PressSoftKey(frame, LoadString(string_id::kOk));
    WhenDialogTitled(steps, LoadString(string_id::kBestTimes), [&rows](DialogFrame* table) {
      if (auto* list = table->findChild<ListView*>()) rows = Rows(*list);
      PressSoftKey(table, QStringLiteral("Close"));
    });
  });
  EXPECT_TRUE(OfferBestTime(&main, Place(), ReadScreenFacts(), 120, preferences));
  EXPECT_EQ(NameText(preferences.lastEnteredName), "Zoe");
  const BestTimesTable table = LoadBestTimes(Place());
  EXPECT_EQ(table[1], Entry(u"p2", 120));
  EXPECT_EQ(table[2], Entry(u"Zoe", 120));
  EXPECT_EQ(table[9], Entry(u"p9", 540));
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows[2], (std::pair<QString, QString>{"Zoe", "2:00"}));
}

TEST_F(BestTimesDialogTest, ATimeThatDoesNotQualifyAsksNothing) {
  SaveBestTimes(Place(), FullTable());
  Preferences preferences;
  EXPECT_FALSE(OfferBestTime(&main, Place(), ReadScreenFacts(), 600, preferences));
  EXPECT_EQ(CeDialog::OpenDialogCount(), 0);
  EXPECT_EQ(LoadBestTimes(Place()), FullTable());
}

}  // namespace
}  // namespace cw
