#include "protocol/ui/CommandWarningWindows.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "protocol/ReaderCommandSender.h"
#include "support/RecordingStatus.h"

namespace corvalis {
namespace {

class OnlyChannelOneOpen final : public ChannelWriter {
 public:
  bool IsOpen(int channel) const override { return channel == 0; }
  void WriteToChannel(int, const char*, int) override {}
};

QString Text(const QWidget& window, const char* label) {
  const auto* found = window.findChild<QLabel*>(label);
  return found != nullptr ? found->text() : QString("missing ") + label;
}

// Shown on top at the corner; gone exactly when its 30-tick countdown ends.
void ExpectShownForThirtyTicks(ReaderCommandSender& sender, const QWidget& window) {
  EXPECT_TRUE(window.isVisible()) << window.windowTitle().toStdString();
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(window.pos(), QGuiApplication::primaryScreen()->availableGeometry().topLeft());
  for (int i = 0; i < 29; ++i) sender.Tick();
  EXPECT_TRUE(window.isVisible());
  sender.Tick();
  EXPECT_FALSE(window.isVisible());
}

TEST(CommandWarningWindowsTest, CaptionsTextsAndCountdowns) {
  ChannelFormats formats;
  testing::RecordingStatus status;
  OnlyChannelOneOpen channels;
  CommandWarningWindows windows;
  ReaderCommandSender sender(formats, status);
  sender.SetChannelWriter(&channels);
  sender.SetWarnings(&windows);

  EXPECT_EQ(windows.NoReply().windowTitle(), "No Reply To Command");
  EXPECT_EQ(Text(windows.NoReply(), "lblNoReply"),
            "No reply was received to a transmitted command");
  EXPECT_EQ(Text(windows.NoReply(), "lblCheckReader"), "Check reader ");
  EXPECT_EQ(Text(windows.NoReply(), "lblCheckChannel"), "Check Channel");
  EXPECT_EQ(Text(windows.NoReply(), "lblCheckCable"), "Check serial cable");
  EXPECT_EQ(Text(windows.NoReply(), "lblCheckPort"), "Check Serial Port");
  EXPECT_EQ(Text(windows.NoReply(), "lblCheckReaderId"), "Check Reader ID");
  sender.SendCommand(0, 0, "0044");
  for (int i = 0; i < 3; ++i) sender.Tick();
  ExpectShownForThirtyTicks(sender, windows.NoReply());

  EXPECT_EQ(windows.ChannelClosed().windowTitle(), "The selected channel is closed");
  EXPECT_EQ(Text(windows.ChannelClosed(), "lblChannelClosed"),
            "The channel selected for command output is closed");
  sender.SendCommand(2, 0, "0044");
  ExpectShownForThirtyTicks(sender, windows.ChannelClosed());

  EXPECT_EQ(windows.BadCommand().windowTitle(), "Bad Command");
  sender.HandleReply(0, "ab0000f258", 10);
  EXPECT_EQ(Text(windows.BadCommand(), "lblErrorMessage"), "Unknown Command");
  ExpectShownForThirtyTicks(sender, windows.BadCommand());
}

}  // namespace
}  // namespace corvalis
