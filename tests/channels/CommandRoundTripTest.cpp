#include <gtest/gtest.h>

#include <QProcess>
#include <QTimer>
#include <string>
#include <vector>

#include "channels/ChannelTestSupport.h"

namespace corvalis {
namespace {

class RecordingWarnings final : public CommandWarnings {
 public:
  void ShowNoReply() override { shown.push_back("no reply"); }
  void HideNoReply() override {}
  void ShowChannelClosed() override { shown.push_back("closed"); }
  void HideChannelClosed() override {}
  void ShowBadCommand(std::string_view message) override { shown.emplace_back(message); }
  void HideBadCommand() override {}
  std::vector<std::string> shown;
};

// Commands to the bundled reader simulator through the console's real
// channels, with the real clock and the 100 ms tick running.
class CommandRoundTripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    iniPath = dir.filePath("Corvalis.ini");
    context.commands().SetWarnings(&warnings);
    QObject::connect(&tick, &QTimer::timeout, [this] { context.Tick(); });
    tick.start(100);
  }
  void TearDown() override {
    tick.stop();
    context.channels().CloseAll();
    sim.terminate();
    sim.waitForFinished(3000);
  }
  // Channel 1 is `reader`; the others are closed.
  void StartConsole(const ChannelSettings& reader) {
    for (int ch = 0; ch < kChannelCount; ++ch) {
      ChannelSettings closed;
      closed.open = false;
      WriteChannelSettings(iniPath, ch, ch == 0 ? reader : closed);
    }
    context.channels().SetSettingsPath(iniPath);
    context.channels().Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return context.channels().IsOpen(0); }, 3000));
  }
  void StartTcpReader(const QStringList& extra = {}) {
    const int port = testing::StartSimulator(sim, QStringList{"--tcp", "0"} + extra);
    ASSERT_GT(port, 0);
    ChannelSettings reader;
    reader.port = false;
    reader.ipAddress = "127.0.0.1";
    reader.ipPort = port;
    StartConsole(reader);
  }

  QTemporaryDir dir;
  QString iniPath;
  SystemClock clock;
  testing::RecordingStatus status;
  AppContext context{clock, status};
  RecordingWarnings warnings;
  QTimer tick;
  QProcess sim;
};

TEST_F(CommandRoundTripTest, ReplyOverTcpEndsTheWait) {
  StartTcpReader({"--passes", "1"});
  context.commands().SendCommand(0, 0, "010601");
  EXPECT_EQ(context.commands().WaitForReply(), WaitResult::kReplied);
  EXPECT_TRUE(warnings.shown.empty());
}

TEST_F(CommandRoundTripTest, UnknownCommandShowsTheSimulatorsErrorReply) {
  StartTcpReader({"--passes", "1"});
  context.commands().SendCommand(0, 0, "0099");
  EXPECT_EQ(context.commands().WaitForReply(), WaitResult::kErrorReply);
  EXPECT_EQ(warnings.shown, std::vector<std::string>{"Unknown Command"});
}

TEST_F(CommandRoundTripTest, ClosedChannelShowsTheWarningAndSendsNothing) {
  StartTcpReader({"--passes", "1"});
  context.commands().SendCommand(1, 0, "010601");
  EXPECT_EQ(context.commands().WaitForReply(), WaitResult::kChannelClosed);
  EXPECT_EQ(warnings.shown, std::vector<std::string>{"closed"});
}

TEST_F(CommandRoundTripTest, AutomaticFormatQueryLearnsTheReadersFormat) {
  // The reader sends reduced 40-character lines the console does not expect;
  // after five of them it asks for the format and then decodes them.
  context.SetAutoQueryMessageFormat(true);
  StartTcpReader({"--format", "reduced", "--rate", "40", "--tags", "4", "--reads-per-pass", "2"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return context.tagTable().ReadsSeen(0) > 0; }, 8000));
  const MessageFormat& format = context.spine().formats.format[0];
  EXPECT_EQ(format.length1, 40);
  EXPECT_FALSE(format.rdrId);
  EXPECT_TRUE(warnings.shown.empty());
}

TEST_F(CommandRoundTripTest, ReplyOverASerialPtyEndsTheWait) {
  testing::PtyPair pty;
  if (!pty.Start(false)) GTEST_SKIP() << "socat is not available";
  ASSERT_EQ(testing::StartSimulator(sim, {"--serial", pty.ReaderEnd(), "--passes", "1"}), 0);
  ChannelSettings reader;
  reader.name = pty.ConsoleEnd();
  StartConsole(reader);
  context.commands().SendCommand(0, 0, "ff11");
  EXPECT_EQ(context.commands().WaitForReply(), WaitResult::kReplied);
  context.commands().SendCommand(0, 0, "0099");
  EXPECT_EQ(context.commands().WaitForReply(), WaitResult::kErrorReply);
  EXPECT_EQ(warnings.shown, std::vector<std::string>{"Unknown Command"});
}

}  // namespace
}  // namespace corvalis
