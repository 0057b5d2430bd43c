// The two programs as the player starts them: each refuses the other
// build's screen, a second start hands over to the first, and a damaged
// registry file is set aside and told of.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

constexpr int kWaitMilliseconds = 30000;
const QString kInvalidVersion = QStringLiteral("Invalid application version for this device");

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QProcessEnvironment Environment(const char* dpi) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("CARDWRIGHT_DPI"), QString::fromLatin1(dpi));
    environment.insert(QStringLiteral("CARDWRIGHT_REGISTRY"), dir.filePath(QStringLiteral("registry.sqlite3")));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("cardwright.instance.debug=true"));
    return environment;
  }
  static QString Program(const char* name) {
    return QStringLiteral(CARDWRIGHT_PROGRAM_DIR "/") + QString::fromLatin1(name);
  }
  QTemporaryDir dir;
};

struct Outcome {
  bool finished = false;
  int exitCode = -1;
  QString errors;
};

Outcome RunToEnd(QProcess& process) {
  Outcome outcome;
  outcome.finished = process.waitForFinished(kWaitMilliseconds);
  outcome.exitCode = process.exitCode();
  outcome.errors = QString::fromLocal8Bit(process.readAllStandardError());
  return outcome;
}

// Still running after the start: the main window is up.
bool KeepsRunning(QProcess& process) {
  return process.waitForStarted(kWaitMilliseconds) && !process.waitForFinished(1500);
}

void Stop(QProcess& process) {
  process.kill();
  process.waitForFinished(kWaitMilliseconds);
}

TEST_F(StartupTest, EachBuildRefusesTheOtherScreen) {
  for (const auto& [program, dpi] : {std::pair{"cardwright", "192"}, std::pair{"cardwright-vga", "96"},
                                     std::pair{"cardwright-vga", "131"}}) {
    QProcess process;
    process.setProcessEnvironment(Environment(dpi));
    process.start(Program(program), {});
    const Outcome outcome = RunToEnd(process);
    ASSERT_TRUE(outcome.finished) << program << " at " << dpi;
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.errors.contains(kInvalidVersion)) << program << ": " << outcome.errors.toStdString();
  }
}

TEST_F(StartupTest, EachBuildRunsOnItsOwnScreen) {
  for (const auto& [program, dpi] : {std::pair{"cardwright", "96"}, std::pair{"cardwright", "131"},
                                     std::pair{"cardwright-vga", "192"}}) {
    QProcess process;
    process.setProcessEnvironment(Environment(dpi));
    process.start(Program(program), {});
    EXPECT_TRUE(KeepsRunning(process)) << program << " at " << dpi << ": "
                                       << process.readAllStandardError().toStdString();
    EXPECT_FALSE(QString::fromLocal8Bit(process.readAllStandardError()).contains(kInvalidVersion));
    Stop(process);
  }
}

TEST_F(StartupTest, ASecondStartBringsTheFirstForwardAndLeaves) {
  QProcess first;
  first.setProcessEnvironment(Environment("96"));
  first.start(Program("cardwright"), {});
  ASSERT_TRUE(KeepsRunning(first)) << first.readAllStandardError().toStdString();

  QProcess second;
  second.setProcessEnvironment(Environment("96"));
  second.start(Program("cardwright"), {});
  const Outcome outcome = RunToEnd(second);
  EXPECT_TRUE(outcome.finished);
  EXPECT_EQ(outcome.exitCode, 0);

  QString told;
  for (int i = 0; i < 50 && !told.contains(QStringLiteral("asked to come to the front")); ++i) {
    first.waitForReadyRead(200);
    told += QString::fromLocal8Bit(first.readAllStandardError());
  }
  EXPECT_TRUE(told.contains(QStringLiteral("asked to come to the front"))) << told.toStdString();
  EXPECT_EQ(first.state(), QProcess::Running);
  Stop(first);
}

TEST_F(StartupTest, ADamagedRegistryIsSetAsideAndToldOf) {
  const QString file = dir.filePath(QStringLiteral("registry.sqlite3"));
  {
    QFile garbage(file);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(2048, '\x5a'));
  }
  QProcess process;
  process.setProcessEnvironment(Environment("96"));
  process.start(Program("cardwright"), {});
  EXPECT_TRUE(KeepsRunning(process)) << "the program starts with a fresh registry";
  const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
  Stop(process);

  const QStringList setAside =
      QDir(dir.path()).entryList({QStringLiteral("registry.sqlite3.damaged-*")}, QDir::Files);
  ASSERT_EQ(setAside.size(), 1) << setAside.join(u' ').toStdString();
  EXPECT_TRUE(errors.contains(QStringLiteral("set aside as ") + dir.filePath(setAside.front())))
      << errors.toStdString();

  // Started again over the fresh file, it has nothing to tell.
  QProcess again;
  again.setProcessEnvironment(Environment("96"));
  again.start(Program("cardwright"), {});
  EXPECT_TRUE(KeepsRunning(again));
  EXPECT_FALSE(QString::fromLocal8Bit(again.readAllStandardError()).contains(QStringLiteral("set aside")));
  Stop(again);
  EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("registry.sqlite3.damaged-*")}, QDir::Files).size(), 1);
}

}  // namespace
