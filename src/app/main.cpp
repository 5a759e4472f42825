#include <QDir>
#include <string>

#include "app/AppContext.h"
#include "app/MemoStatus.h"
#include "app/Startup.h"
#include "app/ui/GuardedApplication.h"
#include "app/ui/MainWindow.h"
#include "common/SignalWatcher.h"

int main(int argc, char** argv) {
  corvalis::GuardedApplication app(argc, argv);
  app.setApplicationName("Corvalis");
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
