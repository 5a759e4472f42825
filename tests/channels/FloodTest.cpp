#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>

#include <random>

#include "channels/ChannelTestSupport.h"

namespace corvalis {
namespace {

// A peer that floods the channel with random bytes: the console's socket
// holds no more than its bound however fast they come (TCP slows the peer
// instead), and the reader's lines after the flood are still decoded.
TEST(FloodTest, RandomBytesStayBoundedInTheSocketAndLaterLinesDecode) {
  testing::ConsoleFixture console;
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  ChannelSettings s;
  s.port = false;
  s.ipAddress = "127.0.0.1";
  s.ipPort = server.serverPort();
  console.WriteSection(0, s);
  console.context->channels().Start();
  ASSERT_TRUE(server.waitForNewConnection(3000));
  QTcpSocket* peer = server.nextPendingConnection();
  QTcpSocket& socket = testing::SocketOf(console.context->channels(), 0);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 3000));
  qint64 mostHeld = 0;
  QObject::connect(&socket, &QTcpSocket::readyRead, &socket,
                   [&] { mostHeld = std::max(mostHeld, socket.bytesAvailable()); });

  constexpr int kNoiseBytes = 24 << 20;
  constexpr int kPiece = 1 << 20;
  QByteArray noise(kPiece, '\0');
  std::mt19937 random(4);
  constexpr int kLines = 20;
  std::string lines = "\r\n";  // ends the last garbage line
  for (int k = 0; k < kLines; ++k) lines += testing::ReaderLine(1, static_cast<uint8_t>(k), k);
  // The peer writes as fast as its socket takes it; the console reads on
  // the same event loop.
  for (int sent = 0; sent < kNoiseBytes; sent += kPiece) {
    for (char& c : noise) c = static_cast<char>(random());
    peer->write(noise);
    while (peer->bytesToWrite() > kPiece) QTest::qWait(1);
  }
  peer->write(QByteArray::fromStdString(lines));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return console.context->tagTable().ReadsSeen(0) >= kLines; }, 60000))
      << console.context->tagTable().ReadsSeen(0);
  EXPECT_GT(mostHeld, 0);
  EXPECT_LE(mostHeld, 256 * 1024) << "the socket kept everything the peer sent";
  EXPECT_TRUE(console.context->channels().IsOpen(0));
}

}  // namespace
}  // namespace corvalis
