#include <gtest/gtest.h>

#include <QProcess>

#include "channels/ChannelTestSupport.h"
#include "tags/display/ExternalDisplay.h"

namespace corvalis {
namespace {

// The console's external display on channel 5, over loopback TCP, into the
// simulator acting as the sign: each frame it prints is what the sign got.
class DisplaySinkTest : public ::testing::Test {
 protected:
  bool Start(const char* kind) {
    const int port = testing::StartSimulator(sim_, {"--tcp", "0", "--display-sink", kind});
    if (port <= 0) return false;
    ChannelSettings out;
    out.open = true;
    out.port = false;  // TCP
    out.ipAddress = "127.0.0.1";
    out.ipPort = port;
    console_.WriteSection(kOutputChannel, out);
    console_.context->channels().Start();
    const bool open =
        QTest::qWaitFor([&] { return console_.context->channels().IsOpen(kOutputChannel); }, 3000);
    if (!open) {
      for (const std::string& line : console_.status.debugLines) ADD_FAILURE() << line;
    }
    return open;
  }
  void Use(DisplaySettings settings) {
    settings.outputOn = true;
    console_.context->SetDisplaySettings(settings);
  }
  // Waits until the sink has printed `count` lines, and returns them.
  std::vector<std::string> Shown(size_t count) {
    static_cast<void>(QTest::qWaitFor(
        [&] {
          printed_ += sim_.readAllStandardOutput().toStdString();
          return static_cast<size_t>(std::count(printed_.begin(), printed_.end(), '\n')) >= count;
        },
        3000));
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = printed_.find('\n', start)) != std::string::npos; start = end + 1) {
      lines.push_back(printed_.substr(start, end - start));
    }
    return lines;
  }
  void TearDown() override {
    console_.context->channels().CloseAll();
    sim_.terminate();
    sim_.waitForFinished(3000);
  }

  testing::ConsoleFixture console_;
  QProcess sim_;
  std::string printed_;
};

TEST_F(DisplaySinkTest, FiveLineSignGetsScrollingFramesAndOneIdleFrame) {
  ASSERT_TRUE(Start("sign"));
  printed_ = sim_.readAllStandardOutput().toStdString();
  printed_.erase(0, printed_.find('\n') + 1);  // "listening on ..."
  DisplaySettings settings;
  settings.type = DisplayType::kPolycomp16x5;
  settings.idleMessage = "WELCOME";
  settings.idleLifetimeSec = 30;
  Use(settings);  // starts with "Clear Display"
  ExternalDisplay& display = console_.context->display();
  display.ShowOnDisplay("FIRST");
  display.ShowOnDisplay("SECOND");
  console_.TicksFor(29'000);
  display.ShowOnDisplay("THIRD");  // the idle deadline moves on
  console_.TicksFor(29'000);
  EXPECT_EQ(Shown(4).size(), 4u);
  console_.TicksFor(3'000);

  const std::string head = "sign lines=5 address=0 serst=192 page=\"001\" tempo=226 ";
  const std::string blank(16, ' ');
  const std::vector<std::string> expected = {
      head + "function=193 status=128 text=\"" + std::string(80, ' ') + "\" xor=ok",
      head + "function=193 status=128 text=\"" + blank + blank + blank + blank +
          "FIRST           \" xor=ok",
      head + "function=193 status=128 text=\"" + blank + blank + blank +
          "FIRST           SECOND          \" xor=ok",
      head + "function=193 status=128 text=\"" + blank + blank +
          "FIRST           SECOND          THIRD           \" xor=ok",
      head + "function=207 status=144 text=\"WELCOME\" xor=ok",
  };
  EXPECT_EQ(Shown(expected.size()), expected);
}

TEST_F(DisplaySinkTest, MessageBoardGetsEachPassNameCutToTheWidthAndTheLogLineStays) {
  ASSERT_TRUE(Start("board"));
  printed_ = sim_.readAllStandardOutput().toStdString();
  printed_.erase(0, printed_.find('\n') + 1);
  ASSERT_TRUE(console_.StartLog());
  DisplaySettings settings;
  settings.type = DisplayType::kMessageBoard;
  settings.width = 8;
  Use(settings);
  console_.context->display().ShowOnDisplay("ABCDEFGHIJ");
  console_.context->display().ShowOnDisplay("AB");
  console_.context->tagNames().SetAutoRegister(true);
  const std::string read = testing::ReaderLine(1, 0x41, 10);
  console_.context->spine().framer.AppendTcp(0, read.data(), static_cast<int>(read.size()));
  console_.TicksFor(1'000);

  const std::vector<std::string> lines = Shown(4);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "board address=0 id=\"A\" lifetime=0 body=\"  \" xor=ok");
  EXPECT_EQ(lines[1], "board address=0 id=\"A\" lifetime=0 body=\" ABCDEFGH\" xor=ok");
  EXPECT_EQ(lines[2], "board address=0 id=\"A\" lifetime=0 body=\" AB      \" xor=ok");
  EXPECT_EQ(lines[3].rfind("board address=0 id=\"A\" lifetime=0 body=\" ", 0), 0u) << lines[3];
  EXPECT_NE(lines[3].find("xor=ok"), std::string::npos);
  const std::string firstLog = console_.LogText();
  EXPECT_EQ(std::count(firstLog.begin(), firstLog.end(), '\n'), 1);

  // Channel 5 closed: the sign hears nothing, the pass is still logged.
  console_.context->channels().Close(kOutputChannel);
  const std::string next = testing::ReaderLine(1, 0x42, 20);
  console_.context->spine().framer.AppendTcp(0, next.data(), static_cast<int>(next.size()));
  console_.TicksFor(1'000);
  QTest::qWait(200);
  EXPECT_EQ(Shown(5).size(), 4u);
  const std::string log = console_.LogText();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
}

}  // namespace
}  // namespace corvalis
