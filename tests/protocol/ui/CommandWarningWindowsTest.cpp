#include "protocol/ui/CommandWarningWindows.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <string>

#include "protocol/ReaderCommandSender.h"
#include "support/RecordingStatus.h"

namespace corvalis {
namespace {

class Channels final : public ChannelWriter {
 public:
  bool IsOpen(int channel) const override { return channel == 0; }
  void WriteToChannel(int, const char*, int) override {}
};

class WarningWindowsTest : public ::testing::Test {
 protected:
  WarningWindowsTest() {
    sender.SetChannelWriter(&channels);
    sender.SetWarnings(&windows);
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) sender.Tick();
  }
  static QString Text(const QWidget& window, const char* label) {
    const auto* found = window.findChild<QLabel*>(label);
    return found != nullptr ? found->text() : QString("<missing %1>").arg(label);
  }
  static void ExpectOnTopAtCorner(const QWidget& window) {
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window.pos(), QGuiApplication::primaryScreen()->availableGeometry().topLeft());
  }

  ChannelFormats formats;
  testing::RecordingStatus status;
  Channels channels;
  CommandWarningWindows windows;
  ReaderCommandSender sender{formats, status};
};

TEST_F(WarningWindowsTest, NoReplyWindowShowsItsChecksAndClosesAfterThreeSeconds) {
  const QWidget& window = windows.noReply;
  EXPECT_EQ(window.windowTitle(), "No Reply To Command");
  EXPECT_EQ(Text(window, "lblNoReply"), "No reply was received to a transmitted command");
  EXPECT_EQ(Text(window, "lblCheckReader"), "Check reader ");
  EXPECT_EQ(Text(window, "lblCheckChannel"), "Check Channel");
  EXPECT_EQ(Text(window, "lblCheckCable"), "Check serial cable");
  EXPECT_EQ(Text(window, "lblCheckPort"), "Check Serial Port");
  EXPECT_EQ(Text(window, "lblCheckReaderId"), "Check Reader ID");

  sender.SendCommand(0, 0, "0044");
  Ticks(2);
  EXPECT_FALSE(window.isVisible());
  Ticks(1);
  ExpectOnTopAtCorner(window);
  Ticks(29);
  EXPECT_TRUE(window.isVisible());
  Ticks(1);
  EXPECT_FALSE(window.isVisible());

  sender.SetNoReplySuppressed(true);
  sender.SendCommand(0, 0, "0044");
  Ticks(3);
  EXPECT_FALSE(window.isVisible());
}

TEST_F(WarningWindowsTest, ChannelClosedAndBadCommandWindowsShowAndClose) {
  const QWidget& closed = windows.channelClosed;
  EXPECT_EQ(closed.windowTitle(), "The selected channel is closed");
  EXPECT_EQ(Text(closed, "lblChannelClosed"), "The channel selected for command output is closed");
  sender.SendCommand(2, 0, "0044");
  ExpectOnTopAtCorner(closed);
  Ticks(30);
  EXPECT_FALSE(closed.isVisible());

  const QWidget& bad = windows.badCommand;
  EXPECT_EQ(bad.windowTitle(), "Bad Command");
  sender.SendCommand(0, 0, "0099");
  const std::string reply = "ab0000f258";
  sender.HandleReply(0, reply.c_str(), int(reply.size()));
  ExpectOnTopAtCorner(bad);
  EXPECT_EQ(Text(bad, "lblErrorMessage"), "Unknown Command");
  Ticks(30);
  EXPECT_FALSE(bad.isVisible());
}

}  // namespace
}  // namespace corvalis
