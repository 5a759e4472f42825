#pragma once

#include <QApplication>

namespace corvalis {

// The application object of the console. An exception that escapes an event
// handler is shown in a message box and the event loop carries on, instead
// of ending the program with the operator's unsaved work.
class GuardedApplication final : public QApplication {
 public:
  GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  void ShowExceptionBox(const QString& text);
};

}  // namespace corvalis
