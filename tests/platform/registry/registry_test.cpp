#include "platform/registry/registry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <array>
#include <vector>

#include <QDir>

#include "tests/platform/registry/temporary_registry.h"

namespace cw {
namespace {

using Bytes = std::vector<std::uint8_t>;

class RegistryTest : public ::testing::Test {
 protected:
  RegistryKey Create(QStringView path, QStringView className = u"appData") {
    RegistryKey key;
    EXPECT_EQ(registry_.CreateKey(path, className, &key, nullptr), RegStatus::Success);
    return key;
  }

  // The whole value, read the way a careful caller does: size first, then data.
  Bytes Read(RegistryKey key, QStringView name, RegType* type = nullptr) {
    std::uint32_t size = 0;
    if (registry_.QueryValue(key, name, nullptr, nullptr, &size) != RegStatus::Success) return {};
    Bytes bytes(size);
    EXPECT_EQ(registry_.QueryValue(key, name, type, bytes.data(), &size), RegStatus::Success);
    return bytes;
  }

  std::vector<QString> ValueNames(RegistryKey key) {
    std::vector<QString> names;
    QString name;
    for (std::uint32_t i = 0; registry_.EnumValue(key, i, &name) == RegStatus::Success; ++i) {
      names.push_back(name);
    }
    return names;
  }

  TemporaryRegistryFile file_;
  Registry registry_;
};

TEST_F(RegistryTest, CreateKeyTellsCreatedFromOpenedAndKeepsTheFirstClass) {
  RegistryKey created;
  RegDisposition disposition{};
  ASSERT_EQ(registry_.CreateKey(u"SOFTWARE\\Quillo\\Game\\prefs", u"appData", &created,
                                &disposition),
            RegStatus::Success);
  EXPECT_EQ(disposition, RegDisposition::CreatedNewKey);

  RegistryKey opened;
  ASSERT_EQ(registry_.CreateKey(u"software\\QUILLO\\game\\Prefs", u"other", &opened, &disposition),
            RegStatus::Success);
  EXPECT_EQ(disposition, RegDisposition::OpenedExistingKey);
  EXPECT_EQ(opened.id, created.id);

  QString className;
  ASSERT_EQ(registry_.QueryKeyClass(opened, &className), RegStatus::Success);
  EXPECT_EQ(className, u"appData");

  // The parents were made on the way, and a sibling under them is new.
  RegistryKey parent;
  EXPECT_EQ(registry_.OpenKey(u"SOFTWARE\\Quillo\\Game", &parent), RegStatus::Success);
  ASSERT_EQ(registry_.CreateKey(u"SOFTWARE\\Quillo\\Game\\gameState0", u"appData", &opened,
                                &disposition),
            RegStatus::Success);
  EXPECT_EQ(disposition, RegDisposition::CreatedNewKey);
  EXPECT_NE(opened.id, created.id);
}

TEST_F(RegistryTest, KeysAreNamedByTheirWholePath) {
  Create(u"A\\B");
  RegistryKey key;
  EXPECT_EQ(registry_.OpenKey(u"B", &key), RegStatus::FileNotFound);
  EXPECT_EQ(registry_.OpenKey(u"A\\B\\C", &key), RegStatus::FileNotFound);
  EXPECT_EQ(registry_.OpenKey(u"A\\\\B", &key), RegStatus::Success);  // doubled separator
  EXPECT_EQ(registry_.OpenKey(u"", &key), RegStatus::InvalidParameter);
  EXPECT_EQ(registry_.OpenKey(u"\\\\", &key), RegStatus::InvalidParameter);
  EXPECT_EQ(registry_.CreateKey(QString(256, u'x'), u"", &key, nullptr),
            RegStatus::InvalidParameter);
  EXPECT_EQ(registry_.DeleteKey(u""), RegStatus::InvalidParameter);
}

TEST_F(RegistryTest, ATooSmallBufferGetsTheFirstBytesAndTheSizeNeeded) {
  const RegistryKey key = Create(u"slot");
  const Bytes blob = {0x34, 0x12, 7, 8, 9, 10, 11};
  ASSERT_EQ(registry_.SetValue(key, u"data", RegType::Binary, blob), RegStatus::Success);

  std::array<std::uint8_t, 2> head{};
  std::uint32_t size = 2;
  RegType type{};
  EXPECT_EQ(registry_.QueryValue(key, u"data", &type, head.data(), &size), RegStatus::MoreData);
  EXPECT_EQ(size, blob.size());
  EXPECT_EQ(type, RegType::Binary);
  EXPECT_EQ(head, (std::array<std::uint8_t, 2>{0x34, 0x12}));

  std::array<std::uint8_t, 16> roomy{};
  size = roomy.size();
  EXPECT_EQ(registry_.QueryValue(key, u"data", nullptr, roomy.data(), &size), RegStatus::Success);
  EXPECT_EQ(size, blob.size());
  EXPECT_TRUE(std::equal(blob.begin(), blob.end(), roomy.begin()));
  EXPECT_EQ(roomy[blob.size()], 0) << "bytes past the value are left alone";

  size = 0;
  EXPECT_EQ(registry_.QueryValue(key, u"data", nullptr, nullptr, &size), RegStatus::Success);
  EXPECT_EQ(size, blob.size());
  EXPECT_EQ(registry_.QueryValue(key, u"data", nullptr, roomy.data(), nullptr),
            RegStatus::InvalidParameter);
  EXPECT_EQ(registry_.QueryValue(key, u"size", nullptr, nullptr, &size), RegStatus::FileNotFound);
}

TEST_F(RegistryTest, ValuesKeepTheirTypeAndBytesWhateverTheirLength) {
  const RegistryKey key = Create(u"values");
  struct Case {
    QStringView name;
    RegType type;
    Bytes bytes;
  };
  const std::vector<Case> cases = {
      {u"flag", RegType::Binary, {1}},
      {u"limit", RegType::Dword, {3, 0, 0, 0}},
      {u"record", RegType::Dword, {1, 0, 2, 0, 3, 4, 5, 6}},  // eight bytes under a DWORD type
      {u"name", RegType::None, Bytes(32, 0x41)},
      {u"empty", RegType::Binary, {}},
      {u"", RegType::Binary, {9}},  // the key's unnamed value
      {u"foreign", static_cast<RegType>(7), {1, 2}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(registry_.SetValue(key, c.name, c.type, c.bytes), RegStatus::Success);
  }
  for (const Case& c : cases) {
    RegType type{};
    std::uint32_t size = 64;
    std::array<std::uint8_t, 64> buffer{};
    ASSERT_EQ(registry_.QueryValue(key, c.name, &type, buffer.data(), &size), RegStatus::Success)
        << c.name.toString().toStdString();
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + size), c.bytes);
  }
}

TEST_F(RegistryTest, ReplacingAValueKeepsItsPlaceAndValueNamesIgnoreCase) {
  const RegistryKey key = Create(u"prefs");
  ASSERT_EQ(registry_.SetValue(key, u"timedGame", RegType::Binary, Bytes{1}), RegStatus::Success);
  ASSERT_EQ(registry_.SetValue(key, u"timeLimit", RegType::Dword, Bytes{3, 0, 0, 0}),
            RegStatus::Success);
  ASSERT_EQ(registry_.SetValue(key, u"bgColor", RegType::Dword, Bytes{0, 0x80, 0, 0}),
            RegStatus::Success);
  ASSERT_EQ(registry_.SetValue(key, u"TIMEDGAME", RegType::Dword, Bytes{0, 0, 0, 0}),
            RegStatus::Success);

  EXPECT_EQ(ValueNames(key), (std::vector<QString>{"timedGame", "timeLimit", "bgColor"}));
  RegType type{};
  EXPECT_EQ(Read(key, u"timedgame", &type), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(type, RegType::Dword);
  QString name;
  EXPECT_EQ(registry_.EnumValue(key, 3, &name), RegStatus::NoMoreItems);
}

TEST_F(RegistryTest, DeletingAValueLeavesTheOthers) {
  const RegistryKey key = Create(u"prefs");
  ASSERT_EQ(registry_.SetValue(key, u"a", RegType::Binary, Bytes{1}), RegStatus::Success);
  ASSERT_EQ(registry_.SetValue(key, u"b", RegType::Binary, Bytes{2}), RegStatus::Success);
  EXPECT_EQ(registry_.DeleteValue(key, u"A"), RegStatus::Success);
  EXPECT_EQ(registry_.DeleteValue(key, u"a"), RegStatus::FileNotFound);
  EXPECT_EQ(registry_.QueryValue(key, u"a", nullptr, nullptr, nullptr), RegStatus::FileNotFound);
  EXPECT_EQ(Read(key, u"b"), Bytes{2});
  EXPECT_EQ(ValueNames(key), std::vector<QString>{"b"});
}

TEST_F(RegistryTest, DeletingAKeyTakesItsSubkeysAndValuesAndNothingElse) {
  const RegistryKey slot = Create(u"App\\gameState3");
  const RegistryKey inner = Create(u"App\\gameState3\\inner\\deeper");
  const RegistryKey sibling = Create(u"App\\gameState4");
  ASSERT_EQ(registry_.SetValue(slot, u"data", RegType::Binary, Bytes{1, 2}), RegStatus::Success);
  ASSERT_EQ(registry_.SetValue(inner, u"data", RegType::Binary, Bytes{3}), RegStatus::Success);
  ASSERT_EQ(registry_.SetValue(sibling, u"data", RegType::Binary, Bytes{4}), RegStatus::Success);

  EXPECT_EQ(registry_.DeleteKey(u"app\\GAMESTATE3"), RegStatus::Success);

  RegistryKey key;
  EXPECT_EQ(registry_.OpenKey(u"App\\gameState3", &key), RegStatus::FileNotFound);
  EXPECT_EQ(registry_.OpenKey(u"App\\gameState3\\inner", &key), RegStatus::FileNotFound);
  EXPECT_EQ(registry_.OpenKey(u"App", &key), RegStatus::Success);
  EXPECT_EQ(Read(sibling, u"data"), Bytes{4});
  EXPECT_EQ(registry_.DeleteKey(u"App\\gameState3"), RegStatus::FileNotFound);

  // Handles to deleted keys answer so, and cannot put values into nowhere.
  EXPECT_EQ(registry_.QueryValue(inner, u"data", nullptr, nullptr, nullptr),
            RegStatus::KeyDeleted);
  EXPECT_EQ(registry_.SetValue(slot, u"data", RegType::Binary, Bytes{5}), RegStatus::KeyDeleted);
  QString className;
  EXPECT_EQ(registry_.QueryKeyClass(slot, &className), RegStatus::KeyDeleted);

  // A key made again at the same path starts empty, and old handles stay dead.
  RegDisposition disposition{};
  ASSERT_EQ(registry_.CreateKey(u"App\\gameState3", u"appData", &key, &disposition),
            RegStatus::Success);
  EXPECT_EQ(disposition, RegDisposition::CreatedNewKey);
  EXPECT_EQ(registry_.QueryValue(key, u"data", nullptr, nullptr, nullptr),
            RegStatus::FileNotFound);
  EXPECT_EQ(registry_.SetValue(slot, u"data", RegType::Binary, Bytes{5}), RegStatus::KeyDeleted);
}

TEST_F(RegistryTest, ValuesOutliveTheRegistryObject) {
  EXPECT_EQ(registry_.FileName(), file_.Path());
  const RegistryKey key = Create(u"App\\statistics\\FreeCell");
  ASSERT_EQ(registry_.SetValue(key, u"data", RegType::Dword, Bytes{1, 0, 1, 0, 60, 0, 0, 0}),
            RegStatus::Success);

  Registry reopened;
  RegistryKey again;
  ASSERT_EQ(reopened.OpenKey(u"App\\statistics\\FreeCell", &again), RegStatus::Success);
  std::array<std::uint8_t, 8> record{};
  std::uint32_t size = record.size();
  EXPECT_EQ(reopened.QueryValue(again, u"data", nullptr, record.data(), &size),
            RegStatus::Success);
  EXPECT_EQ(record, (std::array<std::uint8_t, 8>{1, 0, 1, 0, 60, 0, 0, 0}));
}

TEST_F(RegistryTest, ABatchOfValuesIsWrittenWholeOrNotAtAll) {
  const RegistryKey key = Create(u"App\\gameState9");
  ASSERT_EQ(registry_.SetValue(key, u"size", RegType::Dword, Bytes{2, 0, 0, 0}), RegStatus::Success);
  const Bytes data = {7, 8, 9};
  const Bytes size = {3, 0, 0, 0};
  const Bytes failed = {0};
  const RegValueWrite batch[] = {{u"size", RegType::Dword, size},
                                 {u"data", RegType::Binary, data},
                                 {u"failed", RegType::Binary, failed}};
  ASSERT_EQ(registry_.SetValues(key, batch), RegStatus::Success);
  RegType type{};
  EXPECT_EQ(Read(key, u"size"), size);
  EXPECT_EQ(Read(key, u"data", &type), data);
  EXPECT_EQ(type, RegType::Binary);
  EXPECT_EQ(Read(key, u"failed"), failed);
  EXPECT_EQ(ValueNames(key), (std::vector<QString>{QStringLiteral("size"), QStringLiteral("data"), QStringLiteral("failed")}));

  // One unacceptable name refuses the whole batch before anything is written.
  const QString tooLong(20000, u'x');
  const Bytes other = {1};
  const RegValueWrite refused[] = {{u"data", RegType::Binary, other}, {tooLong, RegType::Binary, other}};
  EXPECT_EQ(registry_.SetValues(key, refused), RegStatus::InvalidParameter);
  EXPECT_EQ(Read(key, u"data"), data);

  // A batch into a deleted key fails as a whole and the registry stays usable.
  ASSERT_EQ(registry_.DeleteKey(u"App\\gameState9"), RegStatus::Success);
  EXPECT_EQ(registry_.SetValues(key, batch), RegStatus::KeyDeleted);
  const RegistryKey fresh = Create(u"App\\gameState9");
  EXPECT_EQ(registry_.SetValues(fresh, batch), RegStatus::Success);
  EXPECT_EQ(Read(fresh, u"data"), data);
}

// The keys of that name another, read-only connection to the file sees.
int KeysNamedInAnotherConnection(const QString& file, const char* name) {
  sqlite3* db = nullptr;
  int count = -1;
  if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
      SQLITE_OK) {
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM keys WHERE name = ?1", -1, &query, nullptr) ==
        SQLITE_OK) {
      sqlite3_bind_text(query, 1, name, -1, SQLITE_STATIC);
      if (sqlite3_step(query) == SQLITE_ROW) count = sqlite3_column_int(query, 0);
    }
    sqlite3_finalize(query);
  }
  sqlite3_close(db);
  return count;
}

TEST_F(RegistryTest, ABatchChangesSeveralKeysInOneTransaction) {
  const Bytes game = {1, 2, 3};
  const Bytes stamp = {9, 0, 0, 0};
  ASSERT_EQ(registry_.BeginBatch(), RegStatus::Success);
  EXPECT_EQ(registry_.BeginBatch(), RegStatus::InvalidParameter) << "batches do not nest";
  const RegistryKey slot = Create(u"App\\gameState3");
  const RegistryKey prefs = Create(u"App\\prefs");
  const RegValueWrite values[] = {{u"data", RegType::Binary, game}};
  ASSERT_EQ(registry_.SetValues(slot, values), RegStatus::Success);
  ASSERT_EQ(registry_.SetValue(prefs, u"lastPlayed", RegType::Binary, stamp), RegStatus::Success);
  EXPECT_EQ(KeysNamedInAnotherConnection(file_.Path(), "gameState3"), 0)
      << "another program on the file sees nothing before the commit";
  ASSERT_EQ(registry_.CommitBatch(), RegStatus::Success);
  EXPECT_EQ(KeysNamedInAnotherConnection(file_.Path(), "gameState3"), 1);
  EXPECT_EQ(KeysNamedInAnotherConnection(file_.Path(), "prefs"), 1);

  // One failed write takes the whole batch back, keys made in it included.
  ASSERT_EQ(registry_.BeginBatch(), RegStatus::Success);
  const Bytes changed = {4, 5};
  ASSERT_EQ(registry_.SetValue(slot, u"data", RegType::Binary, changed), RegStatus::Success);
  Create(u"App\\gameState4");
  const RegValueWrite refused[] = {{QString(20000, u'x'), RegType::Binary, changed}};
  EXPECT_EQ(registry_.SetValues(prefs, refused), RegStatus::InvalidParameter);
  EXPECT_EQ(registry_.CommitBatch(), RegStatus::IoFailed);
  EXPECT_EQ(Read(slot, u"data"), game);
  RegistryKey gone;
  EXPECT_EQ(registry_.OpenKey(u"App\\gameState4", &gone), RegStatus::FileNotFound);
  EXPECT_EQ(registry_.CommitBatch(), RegStatus::InvalidParameter) << "no batch open";
  EXPECT_EQ(registry_.SetValue(slot, u"data", RegType::Binary, changed), RegStatus::Success)
      << "usable after the rollback";
  EXPECT_EQ(Read(slot, u"data"), changed);
}

TEST(RegistryLocationTest, FollowsTheEnvironment) {
  const QByteArray savedData = qgetenv("XDG_DATA_HOME");
  const QByteArray savedHome = qgetenv("HOME");
  qunsetenv("CARDWRIGHT_REGISTRY");
  qputenv("HOME", "/home/player");

  qputenv("XDG_DATA_HOME", "/data/player");
  EXPECT_EQ(Registry::DefaultLocation(), "/data/player/cardwright/registry.sqlite3");
  qputenv("XDG_DATA_HOME", "relative/path");
  EXPECT_EQ(Registry::DefaultLocation(), "/home/player/.local/share/cardwright/registry.sqlite3");
  qunsetenv("XDG_DATA_HOME");
  EXPECT_EQ(Registry::DefaultLocation(), "/home/player/.local/share/cardwright/registry.sqlite3");
  qputenv("CARDWRIGHT_REGISTRY", "/tmp/elsewhere.sqlite3");
  EXPECT_EQ(Registry::DefaultLocation(), "/tmp/elsewhere.sqlite3");

  qunsetenv("CARDWRIGHT_REGISTRY");
  qputenv("HOME", savedHome);
  if (savedData.isNull()) {
    qunsetenv("XDG_DATA_HOME");
  } else {
    qputenv("XDG_DATA_HOME", savedData);
  }
}

TEST(RegistryUnavailableTest, EveryCallFailsQuietlyWhenNoFileCanBeMade) {
  TemporaryRegistryFile file;
  QFile blocker(file.Directory() + QStringLiteral("/plain-file"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  // A file stands where the registry's folder would have to be.
  Registry registry(blocker.fileName() + QStringLiteral("/cardwright/registry.sqlite3"));
  EXPECT_FALSE(registry.IsOpen());
  RegistryKey key;
  EXPECT_EQ(registry.CreateKey(u"App\\prefs", u"appData", &key, nullptr), RegStatus::IoFailed);
  EXPECT_EQ(registry.OpenKey(u"App\\prefs", &key), RegStatus::IoFailed);
  std::uint32_t size = 0;
  EXPECT_EQ(registry.QueryValue(key, u"data", nullptr, nullptr, &size), RegStatus::IoFailed);
  EXPECT_EQ(registry.SetValue(key, u"data", RegType::Binary, Bytes{1}), RegStatus::IoFailed);
  EXPECT_EQ(registry.DeleteKey(u"App"), RegStatus::IoFailed);
  EXPECT_FALSE(registry.TakeSetAsideNotice());
}

}  // namespace
}  // namespace cw
