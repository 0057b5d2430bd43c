// A registry file that cannot be used is set aside, never deleted, and a fresh
// one takes its place; the program hears of it once.
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include <QDir>
#include <QFile>

#include "platform/registry/registry.h"
#include "tests/platform/registry/temporary_registry.h"

namespace cw {
namespace {

using Bytes = std::vector<std::uint8_t>;

QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

void RunSql(const QString& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

// A registry with enough keys and values to fill several pages.
void WriteHealthyRegistry(const QString& path) {
  Registry registry(path);
  ASSERT_TRUE(registry.IsOpen());
  for (int i = 0; i < 40; ++i) {
    RegistryKey key;
    ASSERT_EQ(registry.CreateKey(QStringLiteral("App\\key%1").arg(i), u"appData", &key, nullptr),
              RegStatus::Success);
    ASSERT_EQ(registry.SetValue(key, u"data", RegType::Binary, Bytes(300, 0x5A)),
              RegStatus::Success);
  }
}

void OverwriteFrom(const QString& path, qint64 offset, qint64 length) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.seek(offset));
  ASSERT_EQ(file.write(QByteArray(length, '\xA5')), length);
}

struct Damage {
  const char* name;
  std::function<void(const QString& path)> inflict;
};
void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

class RegistryDamageTest : public ::testing::TestWithParam<Damage> {
 protected:
  TemporaryRegistryFile file_;
};

TEST_P(RegistryDamageTest, TheFileIsSetAsideAndAFreshOneStarted) {
  GetParam().inflict(file_.Path());
  const bool wasFile = QFileInfo(file_.Path()).isFile();
  const QByteArray damaged = Contents(file_.Path());

  {
    Registry registry;
    ASSERT_TRUE(registry.IsOpen());
    const std::optional<QString> setAside = registry.TakeSetAsideNotice();
    ASSERT_TRUE(setAside);
    EXPECT_TRUE(setAside->startsWith(file_.Path() + QStringLiteral(".damaged-")));
    EXPECT_TRUE(QFileInfo::exists(*setAside));
    if (wasFile) {
      EXPECT_EQ(Contents(*setAside), damaged);
    }
    EXPECT_FALSE(registry.TakeSetAsideNotice()) << "the player is told once";

    RegistryKey key;
    RegDisposition disposition{};
    ASSERT_EQ(registry.CreateKey(u"App\\prefs", u"appData", &key, &disposition),
              RegStatus::Success);
    EXPECT_EQ(disposition, RegDisposition::CreatedNewKey);
    ASSERT_EQ(registry.SetValue(key, u"timedGame", RegType::Binary, Bytes{0}), RegStatus::Success);
  }

  Registry reopened;
  EXPECT_FALSE(reopened.TakeSetAsideNotice()) << "the fresh file is healthy";
  RegistryKey key;
  EXPECT_EQ(reopened.OpenKey(u"App\\prefs", &key), RegStatus::Success);
}

INSTANTIATE_TEST_SUITE_P(
    Damages, RegistryDamageTest,
    ::testing::Values(
        Damage{"Garbage",
               [](const QString& path) {
                 WriteFile(path, QByteArray("this is no database") + QByteArray(4000, '\x17'));
               }},
        Damage{"ForeignDatabase",
               [](const QString& path) {
                 RunSql(path, "CREATE TABLE scores(name TEXT, seconds INTEGER);"
                              "INSERT INTO scores VALUES('x', 1);");
               }},
        Damage{"LaterSchemaVersion",
               [](const QString& path) {
                 WriteHealthyRegistry(path);
                 RunSql(path, "PRAGMA user_version = 2;");
               }},
        Damage{"DamagedPages",
               [](const QString& path) {
                 WriteHealthyRegistry(path);
                 OverwriteFrom(path, 4096, 8192);
               }},
        Damage{"Truncated",
               [](const QString& path) {
                 WriteHealthyRegistry(path);
                 QFile::resize(path, 4096 + 100);
               }},
        Damage{"DirectoryInItsPlace",
               [](const QString& path) { ASSERT_TRUE(QDir().mkpath(path + "/inside")); }}),
    [](const ::testing::TestParamInfo<Damage>& entry) { return std::string(entry.param.name); });

TEST(RegistrySetAsideTest, TheLogOfADamagedFileGoesWithIt) {
  TemporaryRegistryFile file;
  WriteFile(file.Path(), QByteArray(2048, '\x01'));
  const QByteArray log = QByteArray("stale log ") + QByteArray(100, '\x02');
  WriteFile(file.Path() + QStringLiteral("-wal"), log);

  Registry registry;
  const std::optional<QString> setAside = registry.TakeSetAsideNotice();
  ASSERT_TRUE(setAside);
  EXPECT_EQ(Contents(*setAside + QStringLiteral("-wal")), log);
  EXPECT_NE(Contents(file.Path() + QStringLiteral("-wal")), log);
}

TEST(RegistrySetAsideTest, EachDamagedFileKeepsItsOwnName) {
  TemporaryRegistryFile file;
  std::vector<QString> names;
  for (char filler : {'\x03', '\x04', '\x05'}) {
    QFile::remove(file.Path());
    QFile::remove(file.Path() + QStringLiteral("-wal"));
    QFile::remove(file.Path() + QStringLiteral("-shm"));
    WriteFile(file.Path(), QByteArray(1024, filler));
    Registry registry;
    const std::optional<QString> setAside = registry.TakeSetAsideNotice();
    ASSERT_TRUE(setAside);
    names.push_back(*setAside);
  }
  EXPECT_NE(names[0], names[1]);
  EXPECT_NE(names[1], names[2]);
  EXPECT_EQ(Contents(names[0]), QByteArray(1024, '\x03'));
  EXPECT_EQ(Contents(names[2]), QByteArray(1024, '\x05'));
}

TEST(RegistrySetAsideTest, AHealthyFileIsKept) {
  TemporaryRegistryFile file;
  WriteHealthyRegistry(file.Path());
  Registry registry;
  EXPECT_FALSE(registry.TakeSetAsideNotice());
  RegistryKey key;
  EXPECT_EQ(registry.OpenKey(u"App\\key39", &key), RegStatus::Success);
  EXPECT_EQ(QDir(file.Directory()).entryList({QStringLiteral("*.damaged-*")}, QDir::Files),
            QStringList());
}

}  // namespace
}  // namespace cw
