#include "channels/ChannelSettings.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/IniTestSupport.h"
#include "common/IniFile.h"

namespace corvalis {
namespace {

TEST(ChannelSettingsTest, MissingSectionsGiveASerialPortOnCom1) {
  QTemporaryDir dir;
  const QString path = dir.filePath("Corvalis.ini");
  for (int channel = 0; channel < 5; ++channel) {
    EXPECT_EQ(ReadChannelSettings(path, channel), ChannelSettings{}) << channel;
  }
  EXPECT_FALSE(WriteChannelSettings(path, 5, ChannelSettings{}));
}

TEST(ChannelSettingsTest, RoundTripsEachChannelInItsOwnSection) {
  QTemporaryDir dir;
  const QString path = dir.filePath("Corvalis.ini");
  ChannelSettings s;
  s.name = "/dev/ttyUSB3";
  s.baud = 115200;
  s.databits = 7;
  s.parity = "even";
  s.stopbits = 1.5;
  s.flowcontrol = "cts";
  s.dtr = false;
  s.rts = false;
  s.open = false;
  s.port = false;
  s.ipAddress = "10.0.0.7";
  s.ipPort = 10001;
  ASSERT_TRUE(WriteChannelSettings(path, 2, s));
  EXPECT_EQ(ReadChannelSettings(path, 2), s);
  EXPECT_EQ(ReadChannelSettings(path, 1), ChannelSettings{});

  const IniFile ini(path);
  EXPECT_EQ(ini.ReadString("COM3_SETTINGS", "stopbits", ""), "1.5");
  EXPECT_EQ(ini.ReadString("COM3_SETTINGS", "Parity", ""), "even");

  ASSERT_TRUE(WriteChannelOpen(path, 2, true));
  EXPECT_TRUE(ReadChannelSettings(path, 2).open);
  EXPECT_EQ(ReadChannelSettings(path, 2).baud, 115200);
}

TEST(ChannelSettingsTest, ValuesOutsideTheirChoicesFallBack) {
  QTemporaryDir dir;
  const QString path = dir.filePath("Corvalis.ini");
  testing::WriteBytes(path,
                      "[com1_settings]\nbaud=12345\ndatabits=9\nPARITY=Odd\nstopbits=3\n"
                      "FLOWCONTROL=xon\nIPPort=70000\nopen=0\n"
                      "[COM2_SETTINGS]\nbaud=0x2580\nstopbits=2\nIPPort=abc\n");
  const ChannelSettings one = ReadChannelSettings(path, 0);
  EXPECT_EQ(one.baud, 9600);
  EXPECT_EQ(one.databits, 8);
  EXPECT_EQ(one.parity, "odd");
  EXPECT_EQ(one.stopbits, 1.0);
  EXPECT_EQ(one.flowcontrol, "none");
  EXPECT_EQ(one.ipPort, 5000);
  EXPECT_FALSE(one.open);
  const ChannelSettings two = ReadChannelSettings(path, 1);
  EXPECT_EQ(two.baud, 9600);
  EXPECT_EQ(two.stopbits, 2.0);
  EXPECT_EQ(two.ipPort, 5000);
}

TEST(ChannelSettingsTest, TcpPeerHasNoDefaultAddressAndAGivenOneIsKeptAsWritten) {
  EXPECT_EQ(ChannelSettings{}.ipAddress, "");
  EXPECT_EQ(ChannelSettings{}.ipPort, 5000);

  QTemporaryDir dir;
  const QString path = dir.filePath("Corvalis.ini");
  const QByteArray text =
      "[COM1_SETTINGS]\r\nname=COM1\r\nbaud=9600\r\ndatabits=8\r\nParity=none\r\n"
      "stopbits=1\r\nFlowControl=none\r\nDTR=1\r\nRTS=1\r\nopen=1\r\nPort=0\r\n"
      "IPAddress=192.168.7.21\r\nIPPort=4001\r\n";
  testing::WriteBytes(path, text);
  const ChannelSettings read = ReadChannelSettings(path, 0);
  EXPECT_EQ(read.ipAddress, "192.168.7.21");
  ASSERT_TRUE(WriteChannelSettings(path, 0, read));
  EXPECT_EQ(testing::ReadBytes(path), text);
}

TEST(ChannelSettingsTest, ReaderAddressMustBeAnIpAddressOrHostName) {
  for (const char* good :
       {"127.0.0.1", "192.168.1.100", "reader-7.example.com", "localhost", "::1", " 10.0.0.7 "}) {
    EXPECT_EQ(ReaderAddressProblem(good), "") << good;
  }
  EXPECT_EQ(ReaderAddressProblem(""), "Enter the reader's address, e.g. 192.168.1.100.");
  EXPECT_EQ(ReaderAddressProblem("   "), "Enter the reader's address, e.g. 192.168.1.100.");
  for (const char* bad : {"192.168.1", "256.1.1.1", "1.2.3.4.5", "reader..local", "-reader",
                          "reader 7", "http://10.0.0.7", "10.0.0.7:5000", "::g"}) {
    EXPECT_EQ(ReaderAddressProblem(bad),
              QStringLiteral("\"%1\" is not an IP address or host name.").arg(bad))
        << bad;
  }
}

}  // namespace
}  // namespace corvalis
