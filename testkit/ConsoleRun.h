#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace corvalis::testing {

// What the system's process table says about a running process.
struct ProcessFigures {
  double cpuSeconds = 0;      // user and system time so far
  double residentMb = 0;      // resident set now
  double peakResidentMb = 0;  // the resident set's high-water mark
};
// Zeros when the process is gone.
ProcessFigures FiguresOf(qint64 pid);

// The built console as its own process, offscreen, in a fresh folder with its
// own settings file, its reader channels on loopback TCP peers: simulators it
// starts, or ports someone else listens on. Logging goes to "tags.log".
class ConsoleRun {
 public:
  ConsoleRun(QString consoleExecutable, QString simulatorExecutable);
  ~ConsoleRun();

  // One simulator per argument list ("--tcp 0" is added); their ports in
  // order, or an empty list when one did not start.
  std::vector<int> StartSimulators(const std::vector<QStringList>& argumentLists);
  // Channels 1 to ports.size() open on those ports, the others closed;
  // `settings` is the rest of the settings file.
  bool StartConsole(const std::vector<int>& ports, const QByteArray& settings);
  // SIGTERM, as a site's shutdown sends it; true when the console exited 0.
  bool StopConsole();

  qint64 ConsolePid() const { return console_.processId(); }
  bool ConsoleRunning() const { return console_.state() == QProcess::Running; }
  ProcessFigures ConsoleFigures() const { return FiguresOf(console_.processId()); }
  QByteArray Log() const;
  QString Folder() const { return dir_.path(); }

 private:
  QString consoleExecutable_;
  QString simulatorExecutable_;
  QTemporaryDir dir_;
  std::vector<std::unique_ptr<QProcess>> simulators_;
  QProcess console_;
};

}  // namespace corvalis::testing
