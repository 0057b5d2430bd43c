// Test entry for suites that need a QGuiApplication (fonts, screens). Runs on
// Qt's offscreen platform unless the environment names another.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QtGlobal>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
