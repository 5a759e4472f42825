#include <QDir>
#include <QTimer>
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
  // SIGINT and SIGTERM shut down like Exit: channels closed, settings saved.
  // Caught from the start, so a stop while the console starts (unattended,
  // a problem box open) waits in the pipe for the window instead of killing.
  corvalis::SignalWatcher stopSignals;
  std::string signalError;
  const bool watching = stopSignals.Install(signalError);
  corvalis::SystemClock clock;
  corvalis::MemoStatus status;
  corvalis::AppContext context(clock, status);
  corvalis::AppSession session(context);
  session.Start(workingDir, app.arguments(), &corvalis::MainWindow::AskRetryRecordingFile);

  corvalis::MainWindow window(session, context, status);
  window.show();
  if (watching) {
    QObject::connect(&stopSignals, &corvalis::SignalWatcher::Stop, &window,
                     &corvalis::MainWindow::ExitOnSignal);
  }
  // From inside the application's loop: a stop that ends a box's own loop
  // then ends this one too.
  QTimer::singleShot(0, &window, &corvalis::MainWindow::ShowStartupProblems);
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &window, &corvalis::MainWindow::ShutDown);
  return app.exec();
}
