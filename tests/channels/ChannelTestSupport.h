#pragma once

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>

#include "app/AppContext.h"
#include "channels/ChannelSettings.h"
#include "channels/SerialTransport.h"
#include "channels/TcpTransport.h"
#include "support/RecordingStatus.h"
#include "testkit/ReaderLines.h"
#include "testkit/TagMessageEncoder.h"

namespace corvalis::testing {

// A console on a temporary settings file: every channel closed unless a test
// writes its section first.
class ConsoleFixture {
 public:
  ConsoleFixture() {
    iniPath = dir.filePath("Corvalis.ini");
    for (int ch = 0; ch < kChannelCount; ++ch) {
      ChannelSettings closed;
      closed.open = false;
      WriteChannelSettings(iniPath, ch, closed);
    }
    context->channels().SetSettingsPath(iniPath);
  }

  void WriteSection(int channel, const ChannelSettings& settings) {
    WriteChannelSettings(iniPath, channel, settings);
  }
  std::string LogText() const {
    QFile file(dir.filePath("tags.log"));
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
  }
  bool StartLog() {
    return context->logWriter().StartLogging(dir.filePath("tags.log").toStdString()).ok;
  }
  void TicksFor(int ms) {
    for (int t = 0; t < ms / 100; ++t) {
      clock.AdvanceMs(100);
      context->Tick();
    }
  }
  bool Logged(const std::string& line) const {
    return std::find(status.debugLines.begin(), status.debugLines.end(), line) !=
           status.debugLines.end();
  }
  bool LoggedPrefix(const std::string& prefix) const {
    return std::any_of(status.debugLines.begin(), status.debugLines.end(),
                       [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  }

  QTemporaryDir dir;
  QString iniPath;
  ManualClock clock{WallTime{1'796'000'000, 0}};
  RecordingStatus status;
  std::unique_ptr<AppContext> context = std::make_unique<AppContext>(clock, status);
};

// The port or socket behind a channel of that kind.
inline SerialPort& SerialPortOf(ChannelSet& channels, int channel) {
  return dynamic_cast<SerialTransport&>(channels.TransportOf(channel)).Port();
}
inline QTcpSocket& SocketOf(ChannelSet& channels, int channel) {
  return dynamic_cast<TcpTransport&>(channels.TransportOf(channel)).Socket();
}

// Two linked ptys from socat: what is written to one end comes out of the
// other, like a reader on a null-modem cable.
class PtyPair {
 public:
  // With `openReaderEnd` false the first end is left for another program.
  bool Start(bool openReaderEnd = true) {
    if (QStandardPaths::findExecutable("socat").isEmpty()) return false;
    process.setReadChannel(QProcess::StandardError);
    process.start("socat", {"-d", "-d", "pty,raw,echo=0", "pty,raw,echo=0"});
    if (!process.waitForStarted(3000)) return false;
    const QRegularExpression pty("PTY is (\\S+)");
    QString err;
    while (ends.size() < 2 && process.waitForReadyRead(3000)) {
      err += QString::fromLocal8Bit(process.readAllStandardError());
      ends.clear();
      for (auto it = pty.globalMatch(err); it.hasNext();) ends << it.next().captured(1);
    }
    if (ends.size() < 2) return false;
    if (!openReaderEnd) return true;
    readerFd = ::open(ends[0].toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    return readerFd >= 0;
  }
  ~PtyPair() { Stop(); }
  void Stop() {
    if (readerFd >= 0) ::close(readerFd);
    readerFd = -1;
    if (process.state() != QProcess::NotRunning) {
      process.terminate();
      process.waitForFinished(3000);
    }
  }
  // The reader's side writes `bytes`.
  void Send(const std::string& bytes) {
    ASSERT_EQ(::write(readerFd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  std::string Receive() {
    char buf[512];
    const ssize_t n = ::read(readerFd, buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
  }
  QString ReaderEnd() const { return ends[0]; }
  QString ConsoleEnd() const { return ends[1]; }

  QProcess process;
  QStringList ends;
  int readerFd = -1;
};

// Channel 1 open over TCP to the simulator on 127.0.0.1:`port`; the other
// channels closed serial ports.
inline void WriteSimulatorChannels(const QString& ini, int port) {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    ChannelSettings s;
    s.open = ch == 0;
    s.port = ch != 0;
    s.ipAddress = "127.0.0.1";
    s.ipPort = port;
    WriteChannelSettings(ini, ch, s);
  }
}

// Starts the bundled reader simulator with `arguments`; with "--tcp 0" it
// returns the port it listens on, otherwise 0 once it runs (-1 on failure).
inline int StartSimulator(QProcess& sim, const QStringList& arguments) {
  sim.start(READERSIM_EXECUTABLE, arguments);
  if (!sim.waitForStarted(3000)) return -1;
  if (!arguments.contains("--tcp")) return 0;
  const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
  QString out;
  QRegularExpressionMatch match;
  while (!(match = listening.match(out)).hasMatch() && sim.waitForReadyRead(3000)) {
    out += QString::fromLocal8Bit(sim.readAllStandardOutput());
  }
  return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// Starts the simulator over TCP with `arguments`, writes its channel sections
// into `ini` and opens channel 1 of `context`, recording into `recordDir`.
inline bool OpenChannelOneOnSimulator(AppContext& context, QProcess& sim,
                                      const QStringList& arguments, const QString& ini,
                                      const QString& recordDir) {
  const int port = StartSimulator(sim, arguments);
  if (port <= 0) return false;
  WriteSimulatorChannels(ini, port);
  if (!context.recordings().Open(0, recordDir.toStdString())) return false;
  context.channels().SetSettingsPath(ini);
  context.channels().Start();
  return QTest::qWaitFor([&] { return context.channels().IsOpen(0); }, 3000);
}

}  // namespace corvalis::testing
