#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>

#include "channels/ChannelTestSupport.h"
#include "script/ScriptTestSupport.h"

namespace corvalis {
namespace {

// The console's interpreter on its real channels, talking TCP to the bundled
// reader simulator. Ticks are driven by hand; the network runs in between.
class ScriptSimulatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port = testing::StartSimulator(sim, {"--tcp", "0", "--passes", "1", "--tags", "1"});
    ASSERT_GT(port, 0);
    testing::WriteSimulatorChannels(fixture.iniPath, port);
    AppContext& context = *fixture.context;
    context.scriptOutput().SetSink(&output);
    context.channels().Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return context.channels().IsOpen(0); }, 5000));
  }
  void TearDown() override {
    fixture.context->scriptOutput().SetSink(nullptr);
    fixture.context->channels().CloseAll();
    sim.terminate();
    sim.waitForFinished(3000);
  }
  // One 100 ms tick with the network serviced before it.
  void Tick() {
    QTest::qWait(10);
    fixture.clock.AdvanceMs(100);
    fixture.context->Tick();
  }
  void Run(const std::string& script) {
    interpreter.Source().SetMemoText(script);
    interpreter.StartStopScript();
  }

  QProcess sim;
  int port = 0;
  testing::ConsoleFixture fixture;
  RecordingOutput output;
  // The context's own interpreter, stepped by the context's tick.
  ScriptInterpreter& interpreter = fixture.context->interpreter();
};

TEST_F(ScriptSimulatorTest, ReplyFromTheReaderAdvancesTheScript) {
  Run("reply 1\ntimeout 100\nbuildCommand 0060\nSet S1 ${RetString[7-8]}\nstop\n");
  for (int i = 0; i < 300 && interpreter.Running(); ++i) Tick();
  EXPECT_FALSE(interpreter.Running());
  EXPECT_TRUE(interpreter.Variables().values.gotReply);
  EXPECT_EQ(interpreter.Variables().s[1], "60");
  EXPECT_EQ(interpreter.Timeouts(), 0);
  EXPECT_TRUE(output.Shown("OK"));
}

TEST_F(ScriptSimulatorTest, UnansweredCommandIsSentThreeTimesThenFails) {
  // The simulator ignores reader 7, so no reply ever comes.
  Run("reply 1\nretry 2\ntimeout 5\nsetReaderID 7\nbuildCommand 0060\nSet X1 ${RetVal}\nstop\n");
  std::vector<int> sendTicks;
  int lastSent = 0;
  for (int tick = 0; tick < 100 && interpreter.Running(); ++tick) {
    if (interpreter.LinesSent() != lastSent) {
      lastSent = interpreter.LinesSent();
      sendTicks.push_back(tick);
    }
    Tick();
  }
  EXPECT_FALSE(interpreter.Running());
  ASSERT_EQ(sendTicks.size(), 3u);
  EXPECT_EQ(sendTicks[1] - sendTicks[0], 5);  // half a second apart
  EXPECT_EQ(sendTicks[2] - sendTicks[1], 5);
  EXPECT_TRUE(output.Shown("ab0700602d | Failed"));
  EXPECT_EQ(interpreter.Variables().x[1], -1);
  EXPECT_EQ(interpreter.Timeouts(), 3);
  EXPECT_EQ(interpreter.Errors(), 1);
}

}  // namespace
}  // namespace corvalis
