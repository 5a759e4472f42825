#include <gtest/gtest.h>

#include <QFile>
#include <QTcpServer>

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
    EXPECT_EQ(context->channels().Port(ch).ReceiveQueueSize(), kReceiveQueueSize);
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

}  // namespace
}  // namespace corvalis
