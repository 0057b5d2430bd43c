#include "shell/statistics.h"

#include <gtest/gtest.h>

#include <QLabel>

#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"
#include "shell/preferences.h"
#include "shell/statistics_dialog.h"
#include "tests/platform/registry/temporary_registry.h"
#include "tests/shell/dialog_steps.h"

namespace cw {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::PressSoftKey;
using testing::RecordingWindow;
using testing::WhenDialogTitled;

constexpr QStringView kTitle = u"TW Tarrow";

class StatisticsTest : public ::testing::Test {
 protected:
  GameRecordsPlace Place(QStringView game = u"FreeCell") {
    return GameRecordsPlace{registry, kTitle.toString(), game.toString()};
  }
  void Store(RegType type, const Bytes& bytes, QStringView game = u"FreeCell") {
    RegistryKey key;
    ASSERT_EQ(registry.CreateKey(StatisticsKey(kTitle, game), kAppDataClass, &key, nullptr),
              RegStatus::Success);
    ASSERT_EQ(registry.SetValue(key, u"data", type, bytes), RegStatus::Success);
  }
  Bytes Stored(RegType* type) {
    RegistryKey key;
    EXPECT_EQ(registry.OpenKey(StatisticsKey(kTitle, u"FreeCell"), &key), RegStatus::Success);
    Bytes bytes(64);
    auto size = static_cast<std::uint32_t>(bytes.size());
    EXPECT_EQ(registry.QueryValue(key, u"data", type, bytes.data(), &size), RegStatus::Success);
    bytes.resize(size);
    return bytes;
  }

  TemporaryRegistryFile file;
  Registry registry{file.Path()};
};

TEST(StatisticsArithmetic, CountsGamesWonAndTime) {
  GameStatistics s;
  s = CountGame(s, true, 100);
  s = CountGame(s, false, 25);
  EXPECT_EQ(s, (GameStatistics{2, 1, 125}));
}

TEST(StatisticsArithmetic, FullCountersStayFull) {
  const GameStatistics full{0xFFFF, 0xFFFF, 10};
  EXPECT_EQ(CountGame(full, true, 5), full);
  EXPECT_EQ(CountGame({3, 1, 0xFFFFFFF0u}, false, 100), (GameStatistics{4, 1, 0xFFFFFFFFu}));
}

TEST(StatisticsArithmetic, TextsBeforeTheFirstGame) {
  const GameStatistics none;
  EXPECT_EQ(WinRateText(none), "0%");
  EXPECT_EQ(FormatGameTime(none.totalSeconds), "0:00");
  EXPECT_EQ(AverageTimeText(none), "0:00");
}

TEST(StatisticsArithmetic, WinRateTruncates) {
  EXPECT_EQ(WinRateText({3, 1, 0}), "33%");
  EXPECT_EQ(WinRateText({3, 2, 0}), "66%");
  EXPECT_EQ(WinRateText({4, 4, 0}), "100%");
  EXPECT_EQ(WinRateText({0xFFFF, 0xFFFE, 0}), "99%");
}

TEST(StatisticsArithmetic, TimesAsMinutesAndTwoDigitSeconds) {
  EXPECT_EQ(FormatGameTime(3725), "62:05");
  EXPECT_EQ(AverageTimeText({2, 0, 3725}), "31:02");
  EXPECT_EQ(FormatGameTime(59), "0:59");
  EXPECT_EQ(FormatGameTime(600), "10:00");
  EXPECT_EQ(FormatGameTime(0xFFFFFFFFu), "71582788:15");
}

TEST_F(StatisticsTest, KeyLiesBelowTheApplicationKeyUnderTheGameName) {
  EXPECT_EQ(StatisticsKey(kTitle, u"Baker's Game"),
            "SOFTWARE\\Quillo Software\\CardwrightSuite\\TW Tarrow\\statistics\\Baker's Game");
}

TEST_F(StatisticsTest, ReadingAnUnplayedGameCreatesItsKeyWithoutARecord) {
  EXPECT_EQ(ReadStatistics(Place()), GameStatistics{});
  RegistryKey key;
  ASSERT_EQ(registry.OpenKey(StatisticsKey(kTitle, u"FreeCell"), &key), RegStatus::Success);
  QString className;
  ASSERT_EQ(registry.QueryKeyClass(key, &className), RegStatus::Success);
  EXPECT_EQ(className, "appData");
  std::uint32_t size = 0;
  EXPECT_EQ(registry.QueryValue(key, u"data", nullptr, nullptr, &size), RegStatus::FileNotFound);
}

TEST_F(StatisticsTest, EachOccasionIsCountedAndStoredAsEightBytes) {
  RecordGame(Place(), true, 200);    // won
  RecordGame(Place(), false, 40);    // New Game or Restart abandons a game
  RecordGame(Place(), false, 180);   // time limit of three minutes
  EXPECT_EQ(ReadStatistics(Place()), (GameStatistics{3, 1, 420}));
  RegType type{};
  EXPECT_EQ(Stored(&type), (Bytes{3, 0, 1, 0, 0xA4, 0x01, 0, 0}));
  EXPECT_EQ(type, RegType::Dword);
  // Another game keeps its own record.
  EXPECT_EQ(ReadStatistics(Place(u"Penguin")), GameStatistics{});
}

TEST_F(StatisticsTest, ClearZeroesTheRecord) {
  RecordGame(Place(), true, 200);
  ClearStatistics(Place());
  EXPECT_EQ(ReadStatistics(Place()), GameStatistics{});
  RegType type{};
  EXPECT_EQ(Stored(&type), Bytes(8, 0));
}

TEST_F(StatisticsTest, DamagedRecordsReadAsZeroAndCountingStartsAfresh) {
  for (const auto& [type, bytes] : std::vector<std::pair<RegType, Bytes>>{
           {RegType::Dword, Bytes(9, 1)},              // longer
           {RegType::Dword, Bytes{5, 0, 2}},           // shorter
           {RegType::Binary, Bytes{5, 0, 2, 0, 9, 0, 0, 0}},  // another type
           {RegType::Dword, Bytes{}},
       }) {
    Store(type, bytes);
    EXPECT_EQ(ReadStatistics(Place()), GameStatistics{}) << bytes.size();
    RecordGame(Place(), false, 7);
    EXPECT_EQ(ReadStatistics(Place()), (GameStatistics{1, 0, 7})) << bytes.size();
  }
}

TEST_F(StatisticsTest, MoreGamesWonThanPlayedReadAsAllWon) {
  Store(RegType::Dword, Bytes{2, 0, 9, 0, 10, 0, 0, 0});
  EXPECT_EQ(ReadStatistics(Place()), (GameStatistics{2, 2, 10}));
  EXPECT_EQ(WinRateText(ReadStatistics(Place())), "100%");
}

class StatisticsDialogTest : public StatisticsTest {
 protected:
  void SetUp() override { testing::CreateScreenWindow(main); }
  void TearDown() override { main.DestroyWindow(); }

  static QString Text(const CeMsgWnd& dialog, unsigned control) {
    return dialog.GetDlgItemText(control);
  }

  RecordingWindow main;
  QObject steps;  // ends the waits for dialogs with the test
};

TEST_F(StatisticsDialogTest, ShowsTheRecordReadAsItOpens) {
  Store(RegType::Dword, Bytes{2, 0, 1, 0, 0x8D, 0x0E, 0, 0});  // 3725 seconds
  StatisticsDialog dialog(Place());
  std::vector<QString> shown;
  WhenDialogTitled(steps, LoadString(string_id::kStatistics), [&](DialogFrame* frame) {
    for (unsigned control = StatisticsDialog::kPlayedControl;
         control <= StatisticsDialog::kAverageTimeControl; ++control) {
      shown.push_back(Text(dialog, control));
    }
    testing::SaveScreenshot(frame, QStringLiteral("statistics"));
    EXPECT_TRUE(PressSoftKey(frame, QStringLiteral("Close")));
  });
  EXPECT_FALSE(dialog.Run(&main));
  EXPECT_EQ(shown, (std::vector<QString>{"2", "1", "50%", "62:05", "31:02"}));
  EXPECT_EQ(ReadStatistics(Place()), (GameStatistics{2, 1, 3725}));
}

TEST_F(StatisticsDialogTest, AnUnplayedGameShowsZeros) {
  StatisticsDialog dialog(Place());
  std::vector<QString> shown;
  WhenDialogTitled(steps, LoadString(string_id::kStatistics), [&](DialogFrame* frame) {
    for (unsigned control = StatisticsDialog::kPlayedControl;
         control <= StatisticsDialog::kAverageTimeControl; ++control) {
      shown.push_back(Text(dialog, control));
    }
    PressSoftKey(frame, QStringLiteral("Close"));
  });
  dialog.Run(&main);
  EXPECT_EQ(shown, (std::vector<QString>{"0", "0", "0%", "0:00", "0:00"}));
}

TEST_F(StatisticsDialogTest, ClearAsksFirstAndNoKeepsTheDialogOpen) {
  RecordGame(Place(), true, 60);
  StatisticsDialog dialog(Place());
  QString question;
  bool stillOpen = false;
  WhenDialogTitled(steps, LoadString(string_id::kStatistics), [&](DialogFrame* frame) {
    WhenDialogTitled(steps, LoadString(string_id::kConfirmation), [&, frame](DialogFrame* box) {
      for (QLabel* label : box->findChildren<QLabel*>()) {
        if (label->text().startsWith(u"Are you sure")) question = label->text();
      }
      EXPECT_TRUE(PressSoftKey(box, QStringLiteral("No")));
      QTimer::singleShot(0, frame, [&, frame] {
        stillOpen = frame->isVisible();
        PressSoftKey(frame, QStringLiteral("Close"));
      });
    });
    PressSoftKey(frame, LoadString(command::kClear));
  });
  EXPECT_FALSE(dialog.Run(&main));
  EXPECT_EQ(question, LoadString(string_id::kClearStatistics));
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(ReadStatistics(Place()), (GameStatistics{1, 1, 60}));
}

TEST_F(StatisticsDialogTest, ClearConfirmedZeroesTheRecordAndCloses) {
  RecordGame(Place(), true, 60);
  StatisticsDialog dialog(Place());
  WhenDialogTitled(steps, LoadString(string_id::kStatistics), [&](DialogFrame* frame) {
    WhenDialogTitled(steps, LoadString(string_id::kConfirmation),
                     [](DialogFrame* box) { EXPECT_TRUE(PressSoftKey(box, QStringLiteral("Yes"))); });
    PressSoftKey(frame, LoadString(command::kClear));
  });
  EXPECT_TRUE(dialog.Run(&main));
  EXPECT_EQ(ReadStatistics(Place()), GameStatistics{});
}

}  // namespace
}  // namespace cw
