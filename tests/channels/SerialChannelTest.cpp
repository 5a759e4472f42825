#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "channels/ChannelTestSupport.h"

namespace corvalis {
namespace {

class SerialChannelTest : public ::testing::Test, public testing::ConsoleFixture {
 protected:
  void SetUp() override {
    if (!pty.Start()) GTEST_SKIP() << "socat is not available";
    device = pty.ConsoleEnd();
    settings.name = device;
    settings.open = true;
    WriteSection(0, settings);
    context->channels().Start();
    ASSERT_TRUE(context->channels().IsOpen(0));
  }
  termios PortTermios() {
    termios tio{};
    EXPECT_EQ(::tcgetattr(testing::SerialPortOf(context->channels(), 0).NativeHandle(), &tio), 0);
    return tio;
  }

  testing::PtyPair pty;
  QString device;
  ChannelSettings settings;
};

TEST_F(SerialChannelTest, BytesFromTheDeviceReachTheSpineAsMessages) {
  const std::string name = device.toStdString();
  EXPECT_TRUE(Logged("Device ready: " + name + " (code: 0)"));
  EXPECT_EQ(context->channels().View(0).panelText, "Chan 1: " + device + " 9600");
  EXPECT_FALSE(context->channels().View(0).openEnabled);
  EXPECT_TRUE(context->channels().View(0).closeEnabled);

  const std::string lines = testing::ReaderLine(1, 0x41, 0) + testing::ReaderLine(1, 0x42, 10);
  pty.Send(lines.substr(0, 50));
  QTest::qWait(50);
  pty.Send(lines.substr(50));
  ASSERT_TRUE(QTest::qWaitFor([&] { return context->tagTable().ReadsSeen(0) == 2; }, 3000));
  EXPECT_EQ(context->tagTable().UniqueSeen(0), 2);
  EXPECT_TRUE(Logged("RXCHAR SIGNAL " + name));
  EXPECT_TRUE(LoggedPrefix("Reading "));
  EXPECT_EQ(context->channels().View(0).activity, kMarkReceive);

  // The console's writes reach the device.
  context->channels().WriteToChannel(0, "ab00ff1100\r\n", 12);
  std::string got;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (got += pty.Receive()).size() >= 12; }, 2000));
  EXPECT_EQ(got, "ab00ff1100\r\n");
}

TEST_F(SerialChannelTest, LineSettingsApplyToTheOpenPortAndAreSaved) {
  // A pty takes the line rate but keeps 8N1 whatever it is told, so framing
  // is checked as far as the port object.
  ChannelSettings changed = settings;
  changed.baud = 19200;
  changed.parity = "even";
  context->channels().ApplySettings(0, changed);
  ASSERT_TRUE(context->channels().IsOpen(0));
  termios tio = PortTermios();
  EXPECT_EQ(cfgetospeed(&tio), B19200);
  EXPECT_EQ(testing::SerialPortOf(context->channels(), 0).GetParity(), Parity::kEven);

  changed.parity = "odd";
  changed.baud = 115200;
  context->channels().ApplySettings(0, changed);
  tio = PortTermios();
  EXPECT_EQ(cfgetospeed(&tio), B115200);
  EXPECT_EQ(testing::SerialPortOf(context->channels(), 0).GetParity(), Parity::kOdd);
  EXPECT_EQ(context->channels().View(0).panelText, "Chan 1: " + device + " 115200");

  const ChannelSettings saved = ReadChannelSettings(iniPath, 0);
  EXPECT_EQ(saved.baud, 115200);
  EXPECT_EQ(saved.parity, "odd");
  EXPECT_TRUE(saved.open);

  // Still receiving after the changes.
  pty.Send(testing::ReaderLine(1, 0x43, 0));
  EXPECT_TRUE(QTest::qWaitFor([&] { return context->tagTable().ReadsSeen(0) == 1; }, 3000));
}

TEST_F(SerialChannelTest, VanishedDeviceIsReportedAndTheChannelClosed) {
  pty.Send(testing::ReaderLine(1, 0x41, 0));
  ASSERT_TRUE(QTest::qWaitFor([&] { return context->tagTable().ReadsSeen(0) == 1; }, 3000));
  pty.Stop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !context->channels().IsOpen(0); }, 3000));
  EXPECT_TRUE(Logged("Device lost, channel closed: " + device.toStdString()));
  // It was not closed by the operator: the channel waits for it to return.
  EXPECT_EQ(context->channels().View(0).panelText, "Chan 1: reconnecting");
  EXPECT_TRUE(context->channels().View(0).openEnabled);
  // The operator did not close it: it is tried again at the next start.
  EXPECT_TRUE(ReadChannelSettings(iniPath, 0).open);
}

TEST_F(SerialChannelTest, SwitchingAnOpenChannelToTcpClosesThePortAndConnects) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  ChannelSettings tcp = settings;
  tcp.port = false;
  tcp.ipAddress = "127.0.0.1";
  tcp.ipPort = server.serverPort();
  context->channels().ApplySettings(0, tcp);
  // The serial port was closed and gave way to the connection.
  EXPECT_EQ(dynamic_cast<SerialTransport*>(&context->channels().TransportOf(0)), nullptr);
  ASSERT_TRUE(server.waitForNewConnection(3000));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return testing::SocketOf(context->channels(), 0).state() == QAbstractSocket::ConnectedState;
      },
      3000));
  context->channels().RefreshStatus();
  EXPECT_EQ(context->channels().View(0).panelText,
            QStringLiteral("Chan 1: 127.0.0.1 %1").arg(server.serverPort()));
  EXPECT_FALSE(ReadChannelSettings(iniPath, 0).port);
}

TEST_F(SerialChannelTest, APtyReportsNoLineErrorsAndNoneAreMadeUp) {
  // A pty keeps no break, framing, parity or overrun counts.
  EXPECT_FALSE(testing::SerialPortOf(context->channels(), 0).ReportsLineErrors());
  pty.Send(testing::ReaderLine(1, 0x41, 0));
  ASSERT_TRUE(QTest::qWaitFor([&] { return context->tagTable().ReadsSeen(0) == 1; }, 3000));
  QTest::qWait(250);  // a few polls of the lines
  EXPECT_FALSE(LoggedPrefix("The hardware detected"));
  EXPECT_FALSE(LoggedPrefix("A character-buffer overrun"));
  EXPECT_EQ(context->channels().View(0).activity, kMarkReceive);
}

TEST(LineErrorBitsTest, EachCountThatMovedGivesItsErrorBit) {
  const LineErrorCounts before{
      .breaks = 1, .framing = 2, .parity = 3, .overrun = 4, .bufferOverrun = 5};
  EXPECT_EQ(LineErrorBits(before, before), 0u);
  LineErrorCounts now = before;
  now.framing = 3;
  now.parity = 9;
  EXPECT_EQ(LineErrorBits(before, now), comm_error::kFrame | comm_error::kRxParity);
  now = before;
  now.breaks = 2;
  now.overrun = 5;
  now.bufferOverrun = 6;
  EXPECT_EQ(LineErrorBits(before, now),
            comm_error::kBreak | comm_error::kOverrun | comm_error::kRxOver);
  // A counter that wrapped still moved.
  now = before;
  now.framing = 0;
  EXPECT_EQ(LineErrorBits(before, now), comm_error::kFrame);
}

}  // namespace
}  // namespace corvalis
