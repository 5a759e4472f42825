#include <gtest/gtest.h>

#include <QFile>
#include <QTcpServer>

#include "common/IniFile.h"

#include "channels/ChannelTestSupport.h"

namespace corvalis {
namespace {

class ChannelSetTest : public ::testing::Test, public testing::ConsoleFixture {};

TEST_F(ChannelSetTest, WithoutSectionsEveryChannelTriesCom1AndStaysClosed) {
  QFile::remove(iniPath);
  context->channels().Start();
  int failures = 0;
  for (const std::string& line : status.debugLines) {
    if (line.rfind("Error accessing device: COM1 (code: ", 0) == 0) ++failures;
  }
  EXPECT_EQ(failures, kChannelCount);
  for (int ch = 0; ch < kChannelCount; ++ch) {
    EXPECT_FALSE(context->channels().IsOpen(ch));
    EXPECT_EQ(context->channels().Settings(ch).baud, 9600);
    EXPECT_EQ(testing::SerialPortOf(context->channels(), ch).ReceiveQueueSize(), kReceiveQueueSize);
  }
  EXPECT_EQ(context->channels().View(0).panelText, "Chan 1: COM1 Closed");
  EXPECT_EQ(context->channels().View(4).panelText, "Out1: COM1 Closed");
}

TEST_F(ChannelSetTest, OpenAndCloseRecordTheChannelState) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  ChannelSettings s;
  s.port = false;
  s.ipAddress = "127.0.0.1";
  s.ipPort = server.serverPort();
  s.open = false;
  WriteSection(2, s);
  context->channels().Start();
  EXPECT_FALSE(context->channels().IsOpen(2));

  context->channels().Open(2);
  EXPECT_TRUE(context->channels().IsOpen(2));
  EXPECT_TRUE(ReadChannelSettings(iniPath, 2).open);
  ASSERT_TRUE(server.waitForNewConnection(3000));

  context->channels().Close(2);
  EXPECT_FALSE(context->channels().IsOpen(2));
  EXPECT_FALSE(ReadChannelSettings(iniPath, 2).open);
  EXPECT_EQ(context->channels().View(2).panelText, "Chan 3: Closed");

  // A serial close names the device it closes.
  context->channels().Close(0);
  EXPECT_TRUE(Logged("Closing: COM1"));
}

TEST_F(ChannelSetTest, ShutdownClosesWithoutForgettingWhichChannelsWereOpen) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  ChannelSettings s;
  s.port = false;
  s.ipAddress = "127.0.0.1";
  s.ipPort = server.serverPort();
  s.open = true;
  WriteSection(1, s);
  context->channels().Start();
  ASSERT_TRUE(context->channels().IsOpen(1));
  context->channels().CloseAll();
  EXPECT_FALSE(context->channels().IsOpen(1));
  context->channels().SaveSections();
  const ChannelSettings saved = ReadChannelSettings(iniPath, 1);
  EXPECT_TRUE(saved.open);
  EXPECT_FALSE(saved.port);
}

TEST_F(ChannelSetTest, TcpChannelWithoutAddressConnectsNowhereAndSaysWhy) {
  // A listener where a default peer would have been tried, to see that
  // nobody comes.
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  QFile::remove(iniPath);
  {
    IniFile ini(iniPath);
    ini.WriteString("COM1_SETTINGS", "Port", "0");
    ini.WriteInteger("COM1_SETTINGS", "IPPort", server.serverPort());
    ini.WriteString("COM1_SETTINGS", "open", "1");
    ASSERT_TRUE(ini.Flush());
  }
  context->channels().Start();
  EXPECT_EQ(context->channels().Settings(0).ipAddress, "");
  EXPECT_EQ(context->channels().Settings(0).ipPort, static_cast<int>(server.serverPort()));
  const std::string why =
      "Chan 1: no reader address; enter it under Settings (Comm Port Settings, TCP connection)";
  EXPECT_TRUE(Logged(why));
  EXPECT_FALSE(context->channels().IsOpen(0));
  EXPECT_EQ(context->channels().View(0).panelText, "Chan 1: no reader address");
  EXPECT_EQ(testing::SocketOf(context->channels(), 0).state(), QAbstractSocket::UnconnectedState);

  status.debugLines.clear();
  context->channels().Open(0);
  EXPECT_TRUE(Logged(why));
  EXPECT_EQ(testing::SocketOf(context->channels(), 0).state(), QAbstractSocket::UnconnectedState);
  EXPECT_FALSE(server.waitForNewConnection(300));
  EXPECT_FALSE(LoggedPrefix("TCP error"));
}

TEST_F(ChannelSetTest, ExitWritesOnlyTheSectionsTheOperatorChanged) {
  context->channels().Start();
  // Edits made by hand while the program runs, and a value the program reads
  // as something else (12345 baud means 9600).
  {
    IniFile ini(iniPath);
    ini.WriteInteger("COM1_SETTINGS", "baud", 19200);
    ini.WriteInteger("COM2_SETTINGS", "baud", 12345);
    ASSERT_TRUE(ini.Flush());
  }
  ChannelSettings changed = context->channels().Settings(2);
  changed.baud = 57600;
  context->channels().ApplySettings(2, changed);
  context->channels().SaveSections();

  const IniFile saved(iniPath);
  EXPECT_EQ(saved.ReadInteger("COM1_SETTINGS", "baud", 0), 19200);
  EXPECT_EQ(saved.ReadString("COM2_SETTINGS", "baud", ""), "12345");
  EXPECT_EQ(saved.ReadInteger("COM3_SETTINGS", "baud", 0), 57600);
}

}  // namespace
}  // namespace corvalis
