#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <string>
#include <vector>

#include "protocol/Checksums.h"

namespace corvalis::readersim {
namespace {

constexpr int kTimeoutMs = 5000;

std::string Frame(const std::string& command) {
  char lrc[2];
  FormatLrc(ComputeLrc(command.data() + 2, static_cast<int>(command.size()) - 2), lrc);
  return command + std::string(lrc, 2) + "\r\n";
}

// Reads one CR LF line, waiting at most until `deadline` runs out.
bool ReadLine(QTcpSocket& socket, const QElapsedTimer& clock, std::string& line) {
  while (!socket.canReadLine()) {
    const auto left = kTimeoutMs - clock.elapsed();
    if (left <= 0 || !socket.waitForReadyRead(static_cast<int>(left))) return false;
  }
  line = socket.readLine().toStdString();
  return true;
}

class ProcessTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (process.state() != QProcess::NotRunning) {
      process.kill();
      process.waitForFinished(kTimeoutMs);
    }
  }

  // Starts the simulator and returns the TCP port it printed, or 0.
  quint16 StartOnTcp(const QStringList& extra) {
    process.start(READERSIM_EXECUTABLE, QStringList{"--tcp", "0"} + extra);
    if (!process.waitForStarted(kTimeoutMs)) return 0;
    QElapsedTimer clock;
    clock.start();
    while (!process.canReadLine() && clock.elapsed() < kTimeoutMs) process.waitForReadyRead(200);
    const QString line = QString::fromUtf8(process.readLine()).trimmed();
    const QString prefix = "listening on 127.0.0.1:";
    if (!line.startsWith(prefix)) return 0;
    return static_cast<quint16>(line.mid(prefix.size()).toUInt());
  }

  QProcess process;
};

TEST_F(ProcessTest, StreamsPassesAnswersQueriesAndStopsOnSigterm) {
  const quint16 port = StartOnTcp({"--passes", "3", "--reads-per-pass", "2"});
  ASSERT_NE(port, 0);
  QTcpSocket socket;
  socket.connectToHost(QHostAddress::LocalHost, port);
  ASSERT_TRUE(socket.waitForConnected(kTimeoutMs));

  QElapsedTimer clock;
  clock.start();
  for (int i = 0; i < 6; ++i) {
    std::string line;
    ASSERT_TRUE(ReadLine(socket, clock, line)) << "read " << i;
    ASSERT_EQ(line.size(), 72u) << line;
    ASSERT_EQ(line.substr(70), "\r\n");
    EXPECT_EQ(line.substr(0, 2), "aa");
    // The tag message's LRC runs from after the "aa" header.
    EXPECT_TRUE(CheckLrc(line.data() + 2, 68)) << line;
  }

  const std::string query = Frame("ab00ff11");
  socket.write(query.data(), static_cast<qint64>(query.size()));
  std::string reply;
  ASSERT_TRUE(ReadLine(socket, clock, reply));
  ASSERT_GE(reply.size(), 12u);
  EXPECT_EQ(reply.substr(0, 8), "ab000a11");
  EXPECT_EQ(reply.size(), 10u + 2 * 10 + 2);
  EXPECT_TRUE(CheckLrc(reply.data() + 2, static_cast<int>(reply.size()) - 4)) << reply;

  process.terminate();
  ASSERT_TRUE(process.waitForFinished(kTimeoutMs));
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0);
}

TEST_F(ProcessTest, NextClientGetsAFreshStreamAfterTheFirstLeaves) {
  const quint16 port = StartOnTcp({"--passes", "1", "--reads-per-pass", "1", "--tags", "1"});
  ASSERT_NE(port, 0);
  for (int client = 0; client < 2; ++client) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(socket.waitForConnected(kTimeoutMs));
    QElapsedTimer clock;
    clock.start();
    std::string line;
    ASSERT_TRUE(ReadLine(socket, clock, line)) << "client " << client;
    EXPECT_EQ(line.size(), 72u);
    socket.disconnectFromHost();
  }
}

TEST_F(ProcessTest, UnlimitedRateStreamsWholeLinesInBigWrites) {
  const quint16 port = StartOnTcp({"--rate", "max", "--tags", "50"});
  ASSERT_NE(port, 0);
  QTcpSocket socket;
  socket.connectToHost(QHostAddress::LocalHost, port);
  ASSERT_TRUE(socket.waitForConnected(kTimeoutMs));

  QElapsedTimer clock;
  clock.start();
  std::string received;
  while (received.size() < (size_t{2} << 20)) {
    ASSERT_LT(clock.elapsed(), kTimeoutMs) << received.size() << " bytes";
    if (socket.waitForReadyRead(200)) received += socket.readAll().toStdString();
  }
  size_t from = 0;
  int tagLines = 0;
  for (size_t end; (end = received.find("\r\n", from)) != std::string::npos; from = end + 2) {
    const std::string line = received.substr(from, end - from);
    ASSERT_EQ(line.size(), 70u) << "line " << tagLines;
    ASSERT_EQ(line.substr(0, 2), "aa");
    ASSERT_TRUE(CheckLrc(line.data() + 2, 68)) << line;
    ++tagLines;
  }
  EXPECT_GT(tagLines, 25'000);
}

TEST_F(ProcessTest, UsageErrorsAndBusyPortExitWithCodeTwo) {
  QTcpServer occupant;
  ASSERT_TRUE(occupant.listen(QHostAddress::LocalHost, 0));
  const QString busy = QString::number(occupant.serverPort());
  for (const QStringList& args :
       {QStringList{"--tcp", busy}, QStringList{"--bogus"}, QStringList{"--tcp", "x"}}) {
    process.start(READERSIM_EXECUTABLE, args);
    ASSERT_TRUE(process.waitForFinished(kTimeoutMs));
    EXPECT_EQ(process.exitCode(), 2) << args.join(' ').toStdString();
    EXPECT_FALSE(process.readAllStandardError().isEmpty());
  }

  process.start(READERSIM_EXECUTABLE, {"--help"});
  ASSERT_TRUE(process.waitForFinished(kTimeoutMs));
  EXPECT_EQ(process.exitCode(), 0);
  EXPECT_TRUE(process.readAllStandardOutput().startsWith("Usage: corvalis-readersim"));
}

}  // namespace
}  // namespace corvalis::readersim
