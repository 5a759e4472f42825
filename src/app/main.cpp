#include <QDir>
#include <string>

#include "app/AppContext.h"
#include "app/MemoStatus.h"
#include "app/Startup.h"
#include "app/ui/GuardedApplication.h"
#include "app/ui/MainWindow.h"
#include "common/ProgramInfo.h"
#include "common/SignalWatcher.h"

namespace {

const char kUsage[] =
    "Usage: corvalis [-i=SETTINGS]\n"
    "The display, logging and test console for RFID readers.\n"
    "  -i=SETTINGS  settings file; a bare file name is taken in the working directory\n"
    "               (default: Corvalis.ini there)\n"
    "  --help       show this text\n"
    "  --version    show the version\n"
    "Other arguments are ignored. The settings file, the raw traffic recordings\n"
    "logger1.log to logger4.log and ERRROR.FIL (standard error) live in the\n"
    "working directory.\n";

}  // namespace

int main(int argc, char** argv) {
  // Answered before the window system is touched, so they work without a display.
  if (corvalis::AnswerStandardOption(argc, argv, "corvalis", kUsage)) return 0;
  corvalis::GuardedApplication app(argc, argv);
  app.setApplicationName("Corvalis");
  // Lets the desktop match the window to the menu entry and its icon.
  app.setDesktopFileName("org.corvalis.Corvalis");
  const QString workingDir = QDir::currentPath();
  corvalis::RedirectErrorStream(workingDir);
  corvalis::SystemClock clock;
  corvalis::MemoStatus status;
  corvalis::AppContext context(clock, status);
  corvalis::AppSession session(context);
  session.Start(workingDir, app.arguments(), &corvalis::MainWindow::AskRetryRecordingFile);

  corvalis::MainWindow window(session, context, status);
  window.show();
  window.ShowStartupProblems();
  // SIGINT and SIGTERM shut down like Exit: channels closed, settings saved.
  corvalis::SignalWatcher stopSignals;
  std::string signalError;
  if (stopSignals.Install(signalError)) {
    QObject::connect(&stopSignals, &corvalis::SignalWatcher::Stop, &window,
                     &corvalis::MainWindow::ExitOnSignal);
  }
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &corvalis::MainWindow::ShutDown);
  return app.exec();
}
