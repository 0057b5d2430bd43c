// The program: checks that this build fits the screen, keeps to one running
// program per player, then runs the main window.
#include <QApplication>
#include <QIcon>
#include <QLoggingCategory>
#include <QSessionManager>
#include <cstdio>
#include "platform/registry/registry.h"
#include "platform/resources/bitmap_ids.h"
#include "platform/resources/bitmaps.h"
#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"
#include "platform/screen/screen_facts.h"
#include "shell/main_window.h"
#include "shell/single_instance.h"
#include "shell/termination_signals.h"
#include "uilib/message_box.h"

namespace {

Q_LOGGING_CATEGORY(lcInstance, "cardwright.instance")

// No one can answer a box on a screen that is not shown, so there the
// program only says it on its error output.
bool CanAskPlayer() {
  const QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void Tell(const QString& text, const QString& caption) {
  std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
  if (CanAskPlayer()) cw::MessageBox(nullptr, text, caption, cw::MB_OK);
}

}  // namespace

int main(int argc, char* argv[]) {
  cw::PrepareScreenScaling();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("cardwright"));

  const cw::ScreenFacts screen = cw::ReadScreenFacts();
  if (!cw::BuildFitsScreen(screen)) {
    Tell(QStringLiteral("Invalid application version for this device"), QStringLiteral("Error"));
    return 0;
  }
  const QString title = cw::LoadString(cw::string_id::kProgramTitle);

  cw::Registry registry;
  cw::MainWindow window(registry, screen);
  cw::SingleInstance instance(
      cw::InstanceName(QString::fromLatin1(cw::MainWindow::kClassName), registry.FileName()),
      [&window] {
        qCDebug(lcInstance) << "asked to come to the front";
        window.BringToFront();
      });
  if (!instance.Claim()) return 0;

  const QImage icon = cw::WhiteTransparent(cw::LoadBitmap(cw::bitmap_ids::kApplicationIcon));
  QApplication::setWindowIcon(QIcon(QPixmap::fromImage(icon)));

  window.SetOnQuit([] { QCoreApplication::exit(0); });
  // A signal or the end of the desktop session saves as closing the window
  // does; the session manager may still cancel its end, so it only saves.
  const cw::TerminationSignals terminationSignals([&window](int) {
    window.EndSession();
    QCoreApplication::exit(0);
  });
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                   [&window](QSessionManager&) { window.SaveSession(); });
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [&window] { window.EndSession(); });
  if (!window.CreateMainWindow(title)) return 0;
  window.ShowWindow(true);
  return QApplication::exec();
}
