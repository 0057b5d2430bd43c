// Runs the window library's tests inside a QApplication on the offscreen
// platform, so they need no display; with CW_TEST_SCALE_FACTOR, on a screen
// scaled by that factor.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef CW_TEST_SCALE_FACTOR
  // Device pixels differ from Qt's coordinates only on a scaled screen.
  qputenv("QT_SCALE_FACTOR", CW_TEST_SCALE_FACTOR);
#endif
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  // Destroyed windows leave their widgets to the event loop; none runs now.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return result;
}
