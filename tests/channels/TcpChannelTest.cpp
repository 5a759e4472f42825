#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>

#include <regex>
#include <string>

#include "app/Settings.h"
#include "channels/ChannelTestSupport.h"

namespace corvalis {
namespace {

class TcpChannelTest : public ::testing::Test, public testing::ConsoleFixture {
 protected:
  void SetUp() override { ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0)); }

  // Opens `channel` as a TCP connection to the test server and accepts it.
  void Connect(int channel) {
    ChannelSettings s;
    s.port = false;
    s.ipAddress = "127.0.0.1";
    s.ipPort = server.serverPort();
    s.open = true;
    WriteSection(channel, s);
    context->channels().Start();
    ASSERT_TRUE(server.waitForNewConnection(3000));
    peer = server.nextPendingConnection();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          return testing::SocketOf(context->channels(), channel).state() ==
                 QAbstractSocket::ConnectedState;
        },
        3000));
  }
  void SendInPieces(const std::string& bytes, size_t piece) {
    for (size_t at = 0; at < bytes.size(); at += piece) {
      peer->write(bytes.data() + at, static_cast<qint64>(std::min(piece, bytes.size() - at)));
      peer->flush();
      QTest::qWait(5);
    }
  }
  std::string Address() const { return "127.0.0.1:" + std::to_string(server.serverPort()); }

  QTcpServer server;
  QTcpSocket* peer = nullptr;
};

TEST_F(TcpChannelTest, TagLinesSentInPiecesAreDecodedAndLogged) {
  Settings settings;
  settings.SetBool(Setting::LogTagID, true);
  settings.SetBool(Setting::LogReaderID, true);
  settings.SetBool(Setting::LogIQCount, true);
  settings.SetBool(Setting::LogChannelNumber, true);
  settings.SetBool(Setting::FirstSeenIncludeMS, true);
  context->ApplySettings(settings);
  ASSERT_TRUE(StartLog());
  Connect(0);
  EXPECT_EQ(context->channels().View(0).panelText,
            QStringLiteral("Chan 1: 127.0.0.1 %1").arg(server.serverPort()));

  const std::string stream = testing::ReaderLine(1, 0x41, 0) + testing::ReaderLine(2, 0x42, 50, 5) +
                             testing::ReaderLine(1, 0x41, 20) + testing::ReaderLine(1, 0x41, 40);
  SendInPieces(stream, 23);  // pieces cut lines anywhere, terminators too
  ASSERT_TRUE(QTest::qWaitFor([&] { return context->tagTable().ReadsSeen(0) == 4; }, 3000));
  EXPECT_TRUE(Logged("RXCHAR SIGNAL 127.0.0.1"));
  // However the socket cut the stream, the read events' lines count every
  // byte of it.
  const std::regex reading(R"(Reading (\d+) characters from 127\.0\.0\.1)");
  size_t counted = 0;
  for (const std::string& line : status.debugLines) {
    std::smatch match;
    if (std::regex_match(line, match, reading)) counted += std::stoul(match[1].str());
  }
  EXPECT_EQ(counted, stream.size());
  TicksFor(700);
  EXPECT_EQ(LogText(),
            "Depot,3031323334353641,NR-3435,2026/12/08,10:20:30.000,1,1,9\r\n"
            "Depot,3031323334353642,NR-3435,2026/12/08,10:20:30.500,1,2,6\r\n");
  EXPECT_EQ(context->tagTable().LostReads(0), 0);
}

TEST_F(TcpChannelTest, PortDebugOffKeepsReadEventsOutOfTheCommsMessages) {
  context->SetPortEventLines(false);
  Connect(0);
  peer->write(QByteArray::fromStdString(testing::ReaderLine(1, 0x41, 0)));
  peer->flush();
  ASSERT_TRUE(QTest::qWaitFor([&] { return context->tagTable().ReadsSeen(0) == 1; }, 3000));
  EXPECT_FALSE(Logged("RXCHAR SIGNAL 127.0.0.1"));
  EXPECT_FALSE(LoggedPrefix("Reading "));
}

TEST_F(TcpChannelTest, PeerDropKeepsWhatArrivedAndTheChannelWaitsToReconnect) {
  Connect(0);
  const std::string second = testing::ReaderLine(1, 0x42, 0);
  // One whole line and the first half of the next, then the reader goes away.
  peer->write(QByteArray::fromStdString(testing::ReaderLine(1, 0x41, 0) + second.substr(0, 30)));
  peer->flush();
  peer->disconnectFromHost();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !context->channels().IsOpen(0); }, 3000));
  EXPECT_EQ(context->tagTable().ReadsSeen(0), 1);
  EXPECT_TRUE(Logged("Connection closed by " + Address()));
  // Still meant to be open: the channel waits to try again.
  EXPECT_EQ(context->channels().View(0).panelText, "Chan 1: reconnecting");
  EXPECT_TRUE(context->channels().View(0).openEnabled);
  EXPECT_TRUE(ReadChannelSettings(iniPath, 0).open);

  // Reopened by hand, the reader's next bytes complete the line it had begun.
  context->channels().Open(0);
  ASSERT_TRUE(server.waitForNewConnection(3000));
  peer = server.nextPendingConnection();
  peer->write(QByteArray::fromStdString(second.substr(30)));
  peer->flush();
  ASSERT_TRUE(QTest::qWaitFor([&] { return context->tagTable().ReadsSeen(0) == 2; }, 3000));
  EXPECT_TRUE(context->channels().IsOpen(0));
}

TEST_F(TcpChannelTest, ABurstLargerThanTheStagingAreaArrivesWhole) {
  Connect(0);
  std::string burst;
  constexpr int kLines = 600;  // 43 kB: several staging areas, many buffer chunks
  for (int k = 0; k < kLines; ++k)
    burst += testing::ReaderLine(1, static_cast<uint8_t>(k), k % 100);
  peer->write(QByteArray::fromStdString(burst));
  peer->flush();
  ASSERT_TRUE(QTest::qWaitFor([&] { return context->tagTable().ReadsSeen(0) == kLines; }, 5000))
      << context->tagTable().ReadsSeen(0);
  EXPECT_EQ(context->tagTable().LostReads(0), 0);
}

TEST_F(TcpChannelTest, OutputChannelSendsButReceivesNothing) {
  Connect(kOutputChannel);
  peer->write(QByteArray::fromStdString(testing::ReaderLine(1, 0x41, 0)));
  peer->flush();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return testing::SocketOf(context->channels(), kOutputChannel).bytesAvailable() == 0; },
      2000));
  QTest::qWait(50);
  for (int ch = 0; ch < kReaderChannelCount; ++ch) EXPECT_EQ(context->tagTable().ReadsSeen(ch), 0);
  EXPECT_EQ(context->spine().framer.Buffer(kOutputChannel).length, 0);
  EXPECT_EQ(context->channels().View(kOutputChannel).panelText.left(6), "Out1: ");

  context->channels().WriteToChannel(kOutputChannel, "hello\r\n", 7);
  ASSERT_TRUE(QTest::qWaitFor([&] { return peer->bytesAvailable() >= 7; }, 2000));
  EXPECT_EQ(peer->readAll(), "hello\r\n");
}

TEST_F(TcpChannelTest, RefusedConnectionIsReportedAndTheChannelWaitsToRetry) {
  const quint16 port = server.serverPort();
  server.close();
  ChannelSettings s;
  s.port = false;
  s.ipAddress = "127.0.0.1";
  s.ipPort = port;
  context->channels().ApplySettings(1, s);
  context->channels().Open(1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return LoggedPrefix("TCP error on 127.0.0.1:"); }, 3000));
  EXPECT_FALSE(context->channels().IsOpen(1));
  EXPECT_EQ(context->channels().View(1).panelText, "Chan 2: reconnecting");
}

}  // namespace
}  // namespace corvalis
