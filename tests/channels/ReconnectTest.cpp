#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

#include "channels/ChannelTestSupport.h"
#include "channels/ReconnectBackoff.h"

namespace corvalis {
namespace {

TEST(ReconnectBackoffTest, WaitsDoubleUpToTheCeilingAndStartOverOnceUp) {
  ManualClock clock;
  ReconnectBackoff backoff;
  // The wait counts from the first tick after the loss.
  auto attemptAfter = [&](int ms) {
    backoff.LinkDown();
    EXPECT_FALSE(backoff.AttemptDue(clock.Now()));
    clock.AdvanceMs(ms - 1);
    EXPECT_FALSE(backoff.AttemptDue(clock.Now())) << ms;
    clock.AdvanceMs(1);
    return backoff.AttemptDue(clock.Now());
  };
  for (int ms : {1000, 2000, 4000, 8000, 16000, 30000, 30000}) EXPECT_TRUE(attemptAfter(ms)) << ms;
  EXPECT_EQ(backoff.Attempts(), 7);
  EXPECT_FALSE(backoff.AttemptDue(clock.Now()));  // one attempt per loss

  backoff.Reset();
  EXPECT_FALSE(backoff.Waiting());
  EXPECT_TRUE(attemptAfter(1000));
  backoff.Reset();
  backoff.SetFirstStepMs(100);
  EXPECT_TRUE(attemptAfter(100));
  EXPECT_TRUE(attemptAfter(200));
}

// A channel over loopback TCP whose reader goes away and comes back, with
// the ticks and the clock driven by the test.
class TcpReconnectTest : public ::testing::Test, public testing::ConsoleFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    port = server.serverPort();
  }

  void OpenChannelOne(const QString& address) {
    ChannelSettings s;
    s.port = false;
    s.ipAddress = address;
    s.ipPort = port;
    s.open = true;
    WriteSection(0, s);
    context->channels().Start();
  }
  bool Accept() {
    // The server may have taken the connection in while the ticks ran.
    if (!QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 3000)) return false;
    peer = server.nextPendingConnection();
    return QTest::qWaitFor(
        [&] {
          return testing::SocketOf(context->channels(), 0).state() ==
                 QAbstractSocket::ConnectedState;
        },
        3000);
  }
  // Ticks of 100 ms, letting the sockets' events through between them.
  void Run(int ms) {
    for (int t = 0; t < ms / 100; ++t) {
      clock.AdvanceMs(100);
      context->Tick();
      QTest::qWait(2);
    }
  }
  int Attempts() const {
    return static_cast<int>(std::count_if(
        status.debugLines.begin(), status.debugLines.end(),
        [](const std::string& l) { return l.rfind("Chan 1: reconnecting to 127.0.0.1", 0) == 0; }));
  }
  QString Panel() const { return context->channels().View(0).panelText; }

  QTcpServer server;
  quint16 port = 0;
  QTcpSocket* peer = nullptr;
};

TEST_F(TcpReconnectTest, ALostReaderIsTriedWithGrowingWaitsAndReadsFlowAgainOnceItIsBack) {
  OpenChannelOne("127.0.0.1");
  ASSERT_TRUE(Accept());
  const std::string line = testing::ReaderLine(1, 0x41, 0);
  peer->write(QByteArray::fromStdString(line + line.substr(0, 30)));
  peer->flush();
  ASSERT_TRUE(QTest::qWaitFor([&] { return context->tagTable().ReadsSeen(0) == 1; }, 3000));

  // The reader restarts: gone for a while, nobody listening.
  server.close();
  peer->abort();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !context->channels().IsOpen(0); }, 3000));
  EXPECT_EQ(Panel(), "Chan 1: reconnecting");
  EXPECT_TRUE(ReadChannelSettings(iniPath, 0).open);  // still meant to be open
  const size_t linesAtLoss = status.debugLines.size();

  Run(900);
  EXPECT_EQ(Attempts(), 0);
  Run(300);  // 1 s after the first tick
  EXPECT_EQ(Attempts(), 1);
  Run(1800);
  EXPECT_EQ(Attempts(), 1);
  Run(500);  // then 2 s
  EXPECT_EQ(Attempts(), 2);
  Run(4200);  // then 4 s
  EXPECT_EQ(Attempts(), 3);
  EXPECT_EQ(Panel(), "Chan 1: reconnecting");
  // One comms line per attempt: the refusals are not told again.
  EXPECT_EQ(status.debugLines.size() - linesAtLoss, 3u);
  EXPECT_EQ(status.debugLines.back(), "Chan 1: reconnecting to 127.0.0.1 (attempt 3)");

  // Back on the same port: the next attempt (8 s on) connects.
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, port));
  Run(8200);
  ASSERT_TRUE(Accept());
  EXPECT_EQ(Attempts(), 4);
  EXPECT_EQ(Panel(), QStringLiteral("Chan 1: 127.0.0.1 %1").arg(port));
  peer->write(QByteArray::fromStdString(testing::ReaderLine(1, 0x42, 0)));
  peer->flush();
  ASSERT_TRUE(QTest::qWaitFor([&] { return context->tagTable().ReadsSeen(0) == 2; }, 3000));
  EXPECT_EQ(context->tagTable().LostReads(0), 0);

  // Up again, the waits start over at 1 s.
  peer->abort();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !context->channels().IsOpen(0); }, 3000));
  Run(1200);
  ASSERT_TRUE(Accept());
  EXPECT_EQ(Attempts(), 5);
}

TEST_F(TcpReconnectTest, OperatorCloseShutdownAndAMissingAddressNeverRetry) {
  OpenChannelOne("127.0.0.1");
  ASSERT_TRUE(Accept());
  context->channels().Close(0);
  Run(5000);
  EXPECT_EQ(Attempts(), 0);
  EXPECT_EQ(Panel(), "Chan 1: Closed");

  context->channels().Open(0);
  ASSERT_TRUE(Accept());
  context->channels().CloseAll();
  Run(5000);
  EXPECT_EQ(Attempts(), 0);
  EXPECT_FALSE(server.hasPendingConnections());

  // Without an address the channel never connects, however long it waits.
  OpenChannelOne("");
  Run(35000);
  EXPECT_FALSE(server.hasPendingConnections());
  EXPECT_FALSE(LoggedPrefix("Chan 1: reconnecting"));
  EXPECT_EQ(Panel(), "Chan 1: no reader address");
}

// A serial device that goes away (a USB adapter pulled) and comes back under
// the same name is opened again.
TEST(SerialReconnectTest, ADeviceThatReappearsIsOpenedAgain) {
  testing::ConsoleFixture console;
  const QString reader = console.dir.filePath("reader");
  const QString device = console.dir.filePath("console");
  auto startLink = [&](QProcess& socat) {
    socat.start("socat", {"pty,raw,echo=0,link=" + reader, "pty,raw,echo=0,link=" + device});
    return socat.waitForStarted(3000) &&
           QTest::qWaitFor([&] { return QFile::exists(reader) && QFile::exists(device); }, 3000);
  };
  if (QStandardPaths::findExecutable("socat").isEmpty()) GTEST_SKIP() << "no socat";
  QProcess socat;
  ASSERT_TRUE(startLink(socat));
  ChannelSettings s;
  s.name = device;
  s.baud = 115200;
  s.open = true;
  console.WriteSection(0, s);
  console.context->channels().Start();
  ASSERT_TRUE(console.context->channels().IsOpen(0));

  socat.terminate();
  ASSERT_TRUE(socat.waitForFinished(3000));
  auto run = [&](int ms) {
    for (int t = 0; t < ms / 100; ++t) {
      console.clock.AdvanceMs(100);
      console.context->Tick();
      QTest::qWait(5);
    }
  };
  // The port notices the loss on its own; the retries then find no device
  // and leave nothing but their attempt lines.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !console.context->channels().IsOpen(0); }, 5000));
  run(3500);
  EXPECT_TRUE(console.LoggedPrefix("Chan 1: reconnecting to " + device.toStdString()));
  EXPECT_FALSE(console.LoggedPrefix("Error accessing device"));
  EXPECT_EQ(console.context->channels().View(0).panelText, "Chan 1: reconnecting");

  QProcess again;
  ASSERT_TRUE(startLink(again));
  run(4500);
  ASSERT_TRUE(console.context->channels().IsOpen(0));
  const int fd = ::open(reader.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  const std::string line = testing::ReaderLine(1, 0x41, 0);
  ASSERT_EQ(::write(fd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
  EXPECT_TRUE(QTest::qWaitFor([&] { return console.context->tagTable().ReadsSeen(0) == 1; }, 3000));
  ::close(fd);
  again.terminate();
  again.waitForFinished(3000);
}

}  // namespace
}  // namespace corvalis
