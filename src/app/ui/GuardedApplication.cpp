#include "app/ui/GuardedApplication.h"

#include <QMessageBox>

#include <cstdio>
#include <exception>

namespace corvalis {

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowExceptionBox(QString::fromLocal8Bit(e.what()));
  } catch (...) {
    ShowExceptionBox(QStringLiteral("Unknown exception"));
  }
  return false;
}

void GuardedApplication::ShowExceptionBox(const QString& text) {
  // The error file keeps a trace even when the box is dismissed unread.
  std::fprintf(stderr, "Exception: %s\n", text.toLocal8Bit().constData());
  QMessageBox::critical(activeWindow(), applicationDisplayName(), text);
}

}  // namespace corvalis
