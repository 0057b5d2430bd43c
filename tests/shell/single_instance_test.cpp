// The single-instance guard within one process: the second claim of a name
// fails and wakes the first.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QUuid>
#include "shell/single_instance.h"

namespace cw {
namespace {

TEST(SingleInstanceTest, ASecondClaimAsksTheFirstToComeForward) {
  const QString name = QStringLiteral("cw-test-") + QUuid::createUuid().toString(QUuid::Id128);
  int calls = 0;
  SingleInstance first(name, [&] { ++calls; });
  ASSERT_TRUE(first.Claim());
  SingleInstance second(name, [] { FAIL() << "the second never listens"; });
  EXPECT_FALSE(second.Claim());
  QElapsedTimer waited;
  waited.start();
  while (calls == 0 && waited.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(calls, 1);
}

TEST(SingleInstanceTest, NamesDifferByRegistryFile) {
  const QString a = InstanceName(QStringLiteral("TW_TarrowQuilloMainWindow"), QStringLiteral("/a/registry.sqlite3"));
  const QString b = InstanceName(QStringLiteral("TW_TarrowQuilloMainWindow"), QStringLiteral("/b/registry.sqlite3"));
  EXPECT_NE(a, b);
  EXPECT_TRUE(a.startsWith(QStringLiteral("TheWnd:TW_TarrowQuilloMainWindow")));
}

}  // namespace
}  // namespace cw
