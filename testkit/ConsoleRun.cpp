#include "testkit/ConsoleRun.h"

#include <QFile>
#include <QRegularExpression>

#include <unistd.h>

#include <csignal>
#include <cstring>

#include "channels/ChannelSettings.h"
#include "common/ChannelIndex.h"

namespace corvalis::testing {
namespace {

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "VmRSS:     1234 kB" and the like, in megabytes.
double StatusMegabytes(const QByteArray& status, const char* key) {
  const qsizetype at = status.indexOf(key);
  if (at < 0) return 0;
  const QByteArray rest = status.mid(at + static_cast<qsizetype>(std::strlen(key)));
  return rest.left(rest.indexOf('\n')).trimmed().split(' ').value(0).toDouble() / 1024.0;
}

}  // namespace

ProcessFigures FiguresOf(qint64 pid) {
  ProcessFigures figures;
  if (pid <= 0) return figures;
  const QString proc = QStringLiteral("/proc/%1/").arg(pid);
  // The command name may hold spaces: the fields count from its closing ")".
  const QByteArray stat = ReadFile(proc + "stat");
  const qsizetype close = stat.lastIndexOf(')');
  if (close < 0) return figures;
  const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
  constexpr int kUtime = 11;  // fields 14 and 15 of the line, from field 3 on
  constexpr int kStime = 12;
  if (fields.size() > kStime) {
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    figures.cpuSeconds = (fields[kUtime].toDouble() + fields[kStime].toDouble()) / ticks;
  }
  const QByteArray status = ReadFile(proc + "status");
  figures.residentMb = StatusMegabytes(status, "VmRSS:");
  figures.peakResidentMb = StatusMegabytes(status, "VmHWM:");
  return figures;
}

ConsoleRun::ConsoleRun(QString consoleExecutable, QString simulatorExecutable)
    : consoleExecutable_(std::move(consoleExecutable)),
      simulatorExecutable_(std::move(simulatorExecutable)) {}

ConsoleRun::~ConsoleRun() {
  if (console_.state() != QProcess::NotRunning) {
    console_.kill();
    console_.waitForFinished(3000);
  }
  for (auto& sim : simulators_) {
    sim->terminate();
    if (!sim->waitForFinished(3000)) sim->kill();
  }
}

std::vector<int> ConsoleRun::StartSimulators(const std::vector<QStringList>& argumentLists) {
  std::vector<int> ports;
  const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
  for (const QStringList& arguments : argumentLists) {
    auto sim = std::make_unique<QProcess>();
    sim->start(simulatorExecutable_, QStringList{"--tcp", "0"} + arguments);
    if (!sim->waitForStarted(3000)) return {};
    QString out;
    QRegularExpressionMatch match;
    while (!(match = listening.match(out)).hasMatch() && sim->waitForReadyRead(3000)) {
      out += QString::fromLocal8Bit(sim->readAllStandardOutput());
    }
    if (!match.hasMatch()) return {};
    ports.push_back(match.captured(1).toInt());
    simulators_.push_back(std::move(sim));
  }
  return ports;
}

bool ConsoleRun::StartConsole(const std::vector<int>& ports, const QByteArray& settings) {
  const QString ini = dir_.filePath("Corvalis.ini");
  QFile file(ini);
  if (!file.open(QIODevice::WriteOnly) || file.write(settings) != settings.size()) return false;
  file.close();
  for (int ch = 0; ch < kChannelCount; ++ch) {
    ChannelSettings s;
    const bool tcp = static_cast<size_t>(ch) < ports.size();
    s.open = tcp;
    s.port = !tcp;
    s.ipAddress = "127.0.0.1";
    s.ipPort = tcp ? ports[static_cast<size_t>(ch)] : 5000;
    if (!WriteChannelSettings(ini, ch, s)) return false;
  }
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  console_.setProcessEnvironment(env);
  console_.setWorkingDirectory(dir_.path());
  // Nobody reads its output here; a full pipe must not stall it.
  console_.setStandardOutputFile(QProcess::nullDevice());
  console_.setStandardErrorFile(dir_.filePath("console.err"));
  console_.start(consoleExecutable_, {"-i=" + ini});
  return console_.waitForStarted(5000);
}

bool ConsoleRun::StopConsole() {
  if (console_.state() != QProcess::Running) return false;
  ::kill(static_cast<pid_t>(console_.processId()), SIGTERM);
  return console_.waitForFinished(20000) && console_.exitStatus() == QProcess::NormalExit &&
         console_.exitCode() == 0;
}

QByteArray ConsoleRun::Log() const {
  return ReadFile(dir_.filePath("tags.log"));
}

}  // namespace corvalis::testing
