#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <string>

#include "app/AppContext.h"
#include "app/MemoStatus.h"
#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "common/SignalWatcher.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setApplicationName("Corvalis");
  corvalis::SystemClock clock;
  corvalis::MemoStatus status;
  corvalis::AppContext context(clock, status);
  corvalis::AppSession session(context);
  session.Start(QDir::currentPath(), app.arguments());

  corvalis::TForm1 window(context, status);
  window.show();
  for (const corvalis::StartupProblem& problem : session.Problems()) {
    QMessageBox::warning(&window, problem.title, problem.text);
  }
  // SIGINT and SIGTERM end the event loop the normal way, so the shutdown
  // still closes the channels and saves the settings.
  corvalis::SignalWatcher stopSignals;
  std::string signalError;
  if (stopSignals.Install(signalError)) {
    QObject::connect(&stopSignals, &corvalis::SignalWatcher::Stop, &app, &QCoreApplication::quit);
  }
  QObject::connect(&app, &QCoreApplication::aboutToQuit, [&session] { session.Shutdown(); });
  return app.exec();
}
