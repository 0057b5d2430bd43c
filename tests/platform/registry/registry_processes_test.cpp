// Two processes on one registry file: what one writes the other reads, and
// writing at the same time loses nothing.
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QtEndian>

#include "platform/registry/registry.h"
#include "tests/platform/registry/registry_child.h"
#include "tests/platform/registry/temporary_registry.h"

namespace cw {
namespace {

constexpr std::uint32_t kValuesPerWriter = 300;
constexpr std::array<std::uint8_t, 3> kFromChild = {0xC4, 0x1D, 0x01};
constexpr std::array<std::uint8_t, 2> kFromParent = {0x9A, 0x7E};

bool HasValue(Registry& registry, QStringView path, QStringView name,
              std::span<const std::uint8_t> expected) {
  RegistryKey key;
  if (registry.OpenKey(path, &key) != RegStatus::Success) return false;
  std::array<std::uint8_t, 16> bytes{};
  std::uint32_t size = bytes.size();
  return registry.QueryValue(key, name, nullptr, bytes.data(), &size) == RegStatus::Success &&
         size == expected.size() && std::memcmp(bytes.data(), expected.data(), size) == 0;
}

// Writes kValuesPerWriter DWORD values, one transaction each, into `path`.
bool WriteMany(Registry& registry, QStringView path) {
  for (std::uint32_t i = 0; i < kValuesPerWriter; ++i) {
    RegistryKey key;
    if (registry.CreateKey(path, u"appData", &key, nullptr) != RegStatus::Success) return false;
    std::array<std::uint8_t, 4> bytes{};
    qToLittleEndian(i, bytes.data());
    if (registry.SetValue(key, QStringLiteral("v%1").arg(i), RegType::Dword, bytes) !=
        RegStatus::Success) {
      return false;
    }
  }
  return true;
}

bool HasAllWritten(Registry& registry, QStringView path) {
  for (std::uint32_t i = 0; i < kValuesPerWriter; ++i) {
    std::array<std::uint8_t, 4> bytes{};
    qToLittleEndian(i, bytes.data());
    if (!HasValue(registry, path, QStringLiteral("v%1").arg(i), bytes)) return false;
  }
  return true;
}

int RunChild(const char* task) {
  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedChannels);
  child.start(QCoreApplication::applicationFilePath(), {kChildFlag, task});
  if (!child.waitForFinished(120000)) return -1;
  return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

TEST(RegistryProcessesTest, WhatOneProcessWritesTheOtherReads) {
  TemporaryRegistryFile file;
  Registry registry;
  RegistryKey key;
  ASSERT_EQ(registry.CreateKey(u"App\\shared", u"appData", &key, nullptr), RegStatus::Success);
  ASSERT_EQ(registry.SetValue(key, u"fromParent", RegType::Binary, kFromParent),
            RegStatus::Success);

  // The child checks the parent's value and adds its own while the parent
  // keeps its registry open.
  ASSERT_EQ(RunChild("read-then-write"), 0);
  EXPECT_TRUE(HasValue(registry, u"App\\shared", u"fromChild", kFromChild));
}

TEST(RegistryProcessesTest, WritersAtTheSameTimeLoseNothing) {
  TemporaryRegistryFile file;
  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedChannels);
  child.start(QCoreApplication::applicationFilePath(), {kChildFlag, "write-many"});
  ASSERT_TRUE(child.waitForStarted());
  {
    Registry registry;
    EXPECT_TRUE(WriteMany(registry, u"App\\parent"));
  }
  ASSERT_TRUE(child.waitForFinished(120000));
  EXPECT_EQ(child.exitCode(), 0);

  Registry registry;
  EXPECT_FALSE(registry.TakeSetAsideNotice());
  EXPECT_TRUE(HasAllWritten(registry, u"App\\parent"));
  EXPECT_TRUE(HasAllWritten(registry, u"App\\child"));

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(file.Path()).constData(), &db), SQLITE_OK);
  sqlite3_stmt* check = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
  sqlite3_finalize(check);
  sqlite3_close(db);
}

}  // namespace

int RunRegistryChild(const char* task) {
  Registry registry;
  if (!registry.IsOpen()) return 2;
  if (std::strcmp(task, "read-then-write") == 0) {
    if (!HasValue(registry, u"App\\shared", u"fromParent", kFromParent)) return 3;
    RegistryKey key;
    if (registry.OpenKey(u"App\\shared", &key) != RegStatus::Success) return 4;
    return registry.SetValue(key, u"fromChild", RegType::Binary, kFromChild) == RegStatus::Success
               ? 0
               : 5;
  }
  if (std::strcmp(task, "write-many") == 0) return WriteMany(registry, u"App\\child") ? 0 : 6;
  return 7;
}

}  // namespace cw
