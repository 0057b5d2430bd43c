#include "shell/preferences.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include <QFile>

#include "tests/platform/registry/temporary_registry.h"

namespace cw {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr QStringView kTitle = u"TW Tarrow";
constexpr QStringView kPrefsPath = u"SOFTWARE\\Quillo Software\\CardwrightSuite\\TW Tarrow\\prefs";

struct StoredValue {
  QString name;
  RegType type;
  Bytes bytes;
};

// The prefs key as a first run leaves it.
const std::vector<StoredValue>& FirstRunValues() {
  static const std::vector<StoredValue> values = {
      {"timedGame", RegType::Binary, {1}},
      {"timeLimit", RegType::Dword, {3, 0, 0, 0}},
      {"animation", RegType::Binary, {1}},
      {"playMode", RegType::Binary, {1}},
      {"bgColor", RegType::Dword, {0x00, 0x80, 0x00, 0x00}},
      {"softkeyMenu", RegType::Binary, {0}},
      {"cardBack", RegType::Dword, {0, 0, 0, 0}},
      {"showTimer", RegType::Binary, {1}},
      {"curSolId", RegType::Dword, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"curGameNumber", RegType::Dword, {0, 0, 0, 0}},
      {"lastEnteredName", RegType::None, Bytes(32, 0)},
      {"lastPlayed", RegType::None, Bytes(40, 0)},
      {"filterCat", RegType::Dword, {0, 0, 0, 0}},
      {"filterSkill", RegType::Dword, {0, 0, 0, 0}},
      {"filterTime", RegType::Dword, {0, 0, 0, 0}},
      {"filterLetter", RegType::Dword, {0, 0, 0, 0}},
      {"filterFav", RegType::Binary, {0}},
      {"dropMarks", RegType::Binary, {1}},
      {"winnableDealsOnly", RegType::Binary, {0}},
      {"favNum", RegType::Dword, {1, 0, 0, 0}},
      {"favList", RegType::Binary, {0xFF, 0xFF}},
  };
  return values;
}

Preferences Customised() {
  Preferences p;
  p.timedGame = 0;
  p.timeLimit = 7;  // not one the Options dialog offers; kept as it is
  p.animation = 0;
  p.playMode = 3;
  p.bgColor = 0x00112233;
  p.softkeyMenu = 1;
  p.cardBack = 2;
  p.showTimer = 0;
  p.curSolId = 7;
  p.curGameNumber = 0xDEADBEEF;
  p.lastEnteredName = {u'A', u'd', u'\x00E4'};
  for (std::size_t i = 0; i < p.lastPlayed.size(); ++i) {
    p.lastPlayed[i] = 1'700'000'000u + static_cast<std::uint32_t>(i);
  }
  p.filterCat = 6;
  p.filterSkill = 2;
  p.filterTime = 4;
  p.filterLetter = 6;
  p.filterFav = 1;
  p.favList = {12, 5, 301};
  p.dropMarks = 0;
  p.winnableDealsOnly = 1;
  return p;
}

Bytes Dword(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

class PreferencesTest : public ::testing::Test {
 protected:
  RegistryKey Prefs() {
    RegistryKey key;
    EXPECT_EQ(registry_.OpenKey(kPrefsPath, &key), RegStatus::Success);
    return key;
  }

  void Store(const QString& name, RegType type, const Bytes& bytes) {
    ASSERT_EQ(registry_.SetValue(Prefs(), name, type, bytes), RegStatus::Success);
  }

  std::optional<StoredValue> Stored(const QString& name) {
    std::uint32_t size = 0;
    if (registry_.QueryValue(Prefs(), name, nullptr, nullptr, &size) != RegStatus::Success) {
      return std::nullopt;
    }
    StoredValue value{name, RegType::None, Bytes(size)};
    EXPECT_EQ(registry_.QueryValue(Prefs(), name, &value.type, value.bytes.data(), &size),
              RegStatus::Success);
    return value;
  }

  TemporaryRegistryFile file_;
  Registry registry_;
};

TEST_F(PreferencesTest, FirstRunWritesEveryValueWithItsDefaultInOrder) {
  EXPECT_EQ(LoadPreferences(registry_, kTitle), Preferences{});

  QString className;
  ASSERT_EQ(registry_.QueryKeyClass(Prefs(), &className), RegStatus::Success);
  EXPECT_EQ(className, u"appData");

  const std::vector<StoredValue>& expected = FirstRunValues();
  for (std::uint32_t i = 0; i < expected.size(); ++i) {
    QString name;
    ASSERT_EQ(registry_.EnumValue(Prefs(), i, &name), RegStatus::Success) << i;
    EXPECT_EQ(name, expected[i].name) << "value " << i << " out of order";
    const std::optional<StoredValue> stored = Stored(expected[i].name);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, expected[i].type) << name.toStdString();
    EXPECT_EQ(stored->bytes, expected[i].bytes) << name.toStdString();
  }
  QString extra;
  EXPECT_EQ(registry_.EnumValue(Prefs(), static_cast<std::uint32_t>(expected.size()), &extra),
            RegStatus::NoMoreItems);
  EXPECT_EQ(Preferences{}.curSolId, -1) << "no current game: the chooser opens";
}

TEST_F(PreferencesTest, SavedPreferencesComeBackUnchanged) {
  const Preferences saved = Customised();
  SavePreferences(registry_, kTitle, saved);
  EXPECT_EQ(LoadPreferences(registry_, kTitle), saved);

  ASSERT_TRUE(Stored("favNum"));
  EXPECT_EQ(Stored("favNum")->bytes, Dword(3));
  EXPECT_EQ(Stored("favList")->bytes, (Bytes{12, 0, 5, 0, 0x2D, 0x01}));
  EXPECT_EQ(Stored("curSolId")->bytes, Dword(7));
}

TEST_F(PreferencesTest, DeletingOneValueRestoresOnlyItsDefault) {
  SavePreferences(registry_, kTitle, Customised());
  ASSERT_EQ(registry_.DeleteValue(Prefs(), u"bgColor"), RegStatus::Success);

  Preferences expected = Customised();
  expected.bgColor = 0x008000;
  EXPECT_EQ(LoadPreferences(registry_, kTitle), expected);
  EXPECT_FALSE(Stored("bgColor")) << "a default taken on reading is not written back";
}

TEST_F(PreferencesTest, PreferencesOfAnEarlierVersionLoadWithEverySettingKept) {
  // An earlier version stored no "winnableDealsOnly": the option is off.
  Preferences earlier = Customised();
  earlier.winnableDealsOnly = 0;
  SavePreferences(registry_, kTitle, Customised());
  ASSERT_EQ(registry_.DeleteValue(Prefs(), u"winnableDealsOnly"), RegStatus::Success);
  EXPECT_EQ(LoadPreferences(registry_, kTitle), earlier);
}

struct WrongValue {
  const char* test;
  QString name;
  RegType type;
  Bytes bytes;
  std::function<void(Preferences&)> takeDefault;
};
void PrintTo(const WrongValue& value, std::ostream* out) { *out << value.test; }

class PreferencesWrongValueTest : public PreferencesTest,
                                  public ::testing::WithParamInterface<WrongValue> {};

TEST_P(PreferencesWrongValueTest, TakesItsDefault) {
  SavePreferences(registry_, kTitle, Customised());
  Store(GetParam().name, GetParam().type, GetParam().bytes);
  Preferences expected = Customised();
  GetParam().takeDefault(expected);
  EXPECT_EQ(LoadPreferences(registry_, kTitle), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, PreferencesWrongValueTest,
    ::testing::Values(
        WrongValue{"DwordStoredAsBinary", "timeLimit", RegType::Binary, Dword(10),
                   [](Preferences& p) { p.timeLimit = 3; }},
        WrongValue{"DwordTooShort", "timeLimit", RegType::Dword, {10, 0},
                   [](Preferences& p) { p.timeLimit = 3; }},
        WrongValue{"DwordTooLong", "cardBack", RegType::Dword, {1, 0, 0, 0, 0, 0, 0, 0},
                   [](Preferences& p) { p.cardBack = 0; }},
        WrongValue{"ByteStoredAsDword", "timedGame", RegType::Dword, Dword(0),
                   [](Preferences& p) { p.timedGame = 1; }},
        WrongValue{"ByteEmpty", "playMode", RegType::Binary, {},
                   [](Preferences& p) { p.playMode = 1; }},
        WrongValue{"NameTooShort", "lastEnteredName", RegType::None, Bytes(30, 0x41),
                   [](Preferences& p) { p.lastEnteredName = {}; }},
        WrongValue{"StampsTooLong", "lastPlayed", RegType::None, Bytes(44, 1),
                   [](Preferences& p) { p.lastPlayed = {}; }}),
    [](const ::testing::TestParamInfo<WrongValue>& entry) {
      return std::string(entry.param.test);
    });

TEST_F(PreferencesTest, ANameWithoutItsTerminatorEndsAtFifteenCharacters) {
  SavePreferences(registry_, kTitle, Customised());
  Bytes name;
  for (int i = 0; i < 16; ++i) name.insert(name.end(), {0x42, 0x00});
  Store("lastEnteredName", RegType::None, name);

  const Preferences loaded = LoadPreferences(registry_, kTitle);
  for (std::size_t i = 0; i < 15; ++i) EXPECT_EQ(loaded.lastEnteredName[i], u'B');
  EXPECT_EQ(loaded.lastEnteredName[15], u'\0');
}

struct StoredFavourites {
  const char* test;
  std::optional<StoredValue> favNum;  // none: deleted
  std::optional<StoredValue> favList;
  std::vector<std::uint16_t> expected;
};
void PrintTo(const StoredFavourites& favourites, std::ostream* out) { *out << favourites.test; }

Bytes Entries(std::size_t count) {
  Bytes bytes;
  for (std::size_t i = 0; i < count; ++i) {
    bytes.push_back(static_cast<std::uint8_t>(100 + i));
    bytes.push_back(0);
  }
  return bytes;
}

std::vector<std::uint16_t> Ids(std::size_t count) {
  std::vector<std::uint16_t> ids;
  for (std::size_t i = 0; i < count; ++i) ids.push_back(static_cast<std::uint16_t>(100 + i));
  return ids;
}

const std::vector<std::uint16_t> kNoFavourites = {kNoFavourite};

class PreferencesFavouritesTest : public PreferencesTest,
                                  public ::testing::WithParamInterface<StoredFavourites> {};

TEST_P(PreferencesFavouritesTest, ListNeverExceedsWhatIsStoredNorTheGames) {
  SavePreferences(registry_, kTitle, Customised());
  for (const auto& [name, value] : {std::pair{QStringLiteral("favNum"), GetParam().favNum},
                                    std::pair{QStringLiteral("favList"), GetParam().favList}}) {
    if (value) {
      Store(name, value->type, value->bytes);
    } else {
      ASSERT_EQ(registry_.DeleteValue(Prefs(), name), RegStatus::Success);
    }
  }
  Preferences expected = Customised();
  expected.favList = GetParam().expected;
  EXPECT_EQ(LoadPreferences(registry_, kTitle), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, PreferencesFavouritesTest,
    ::testing::Values(
        StoredFavourites{"CountAndListAgree", StoredValue{"favNum", RegType::Dword, Dword(3)},
                         StoredValue{"favList", RegType::Binary, Entries(3)}, Ids(3)},
        StoredFavourites{"CountZero", StoredValue{"favNum", RegType::Dword, Dword(0)},
                         StoredValue{"favList", RegType::Binary, Entries(3)}, kNoFavourites},
        StoredFavourites{"CountMissing", std::nullopt,
                         StoredValue{"favList", RegType::Binary, Entries(3)}, kNoFavourites},
        StoredFavourites{"ListMissing", StoredValue{"favNum", RegType::Dword, Dword(2)},
                         std::nullopt, kNoFavourites},
        StoredFavourites{"CountHuge", StoredValue{"favNum", RegType::Dword, Dword(0xFFFFFFFF)},
                         StoredValue{"favList", RegType::Binary, Entries(2)}, Ids(2)},
        StoredFavourites{"CountAndListBeyondTheGames",
                         StoredValue{"favNum", RegType::Dword, Dword(1000)},
                         StoredValue{"favList", RegType::Binary, Entries(1000)}, Ids(20)},
        StoredFavourites{"ListShorterThanCount", StoredValue{"favNum", RegType::Dword, Dword(4)},
                         StoredValue{"favList", RegType::Binary, Bytes{7, 0, 8, 0, 9}},
                         {7, 8}},
        StoredFavourites{"ListLongerThanCount", StoredValue{"favNum", RegType::Dword, Dword(2)},
                         StoredValue{"favList", RegType::Binary, Entries(3)}, Ids(2)},
        StoredFavourites{"ListOfOneByte", StoredValue{"favNum", RegType::Dword, Dword(2)},
                         StoredValue{"favList", RegType::Binary, Bytes{7}}, kNoFavourites},
        StoredFavourites{"ListOfAnotherType", StoredValue{"favNum", RegType::Dword, Dword(1)},
                         StoredValue{"favList", RegType::Dword, Entries(1)}, kNoFavourites},
        StoredFavourites{"CountOfAnotherLength",
                         StoredValue{"favNum", RegType::Dword, Bytes{2, 0, 0, 0, 0, 0, 0, 0}},
                         StoredValue{"favList", RegType::Binary, Entries(2)}, kNoFavourites}),
    [](const ::testing::TestParamInfo<StoredFavourites>& entry) {
      return std::string(entry.param.test);
    });

TEST_F(PreferencesTest, AnUnreadableTitleStillNamesOneKey) {
  EXPECT_EQ(ApplicationKey(kTitle), u"SOFTWARE\\Quillo Software\\CardwrightSuite\\TW Tarrow");
  SavePreferences(registry_, u"", Customised());
  RegistryKey key;
  EXPECT_EQ(registry_.OpenKey(u"SOFTWARE\\Quillo Software\\CardwrightSuite\\prefs", &key),
            RegStatus::Success);
  EXPECT_EQ(LoadPreferences(registry_, u""), Customised());
}

TEST(PreferencesUnavailableTest, AStoreThatCannotBeOpenedGivesTheDefaults) {
  TemporaryRegistryFile file;
  QFile blocker(file.Directory() + QStringLiteral("/plain-file"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  Registry registry(blocker.fileName() + QStringLiteral("/registry.sqlite3"));
  ASSERT_FALSE(registry.IsOpen());
  SavePreferences(registry, kTitle, Customised());
  EXPECT_EQ(LoadPreferences(registry, kTitle), Preferences{});
}

}  // namespace
}  // namespace cw
