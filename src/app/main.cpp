#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include "app/AppContext.h"
#include "app/MemoStatus.h"
#include "app/Startup.h"
#include "app/ui/MainWindow.h"

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
  corvalis::QuitOnTerminationSignals();
  QObject::connect(&app, &QCoreApplication::aboutToQuit, [&session] { session.Shutdown(); });
  return app.exec();
}
