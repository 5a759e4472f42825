#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <string>

#include "channels/ChannelTestSupport.h"
#include "script/ScriptTestSupport.h"
#include "script/StandardTests.h"

namespace corvalis {
namespace {

// The simulator's pty, heard only at 19200 baud; the console's channel 1 on
// it at 9600. The built-in discovery test must find the rate.
TEST(ScriptBaudDiscoveryTest, BuiltInTestFindsTheRateTheReaderAnswersAt) {
  QProcess sim;
  sim.start(READERSIM_EXECUTABLE, {"--pty", "--baud", "19200", "--baud-only", "--passes", "1",
                                   "--rate", "1", "--reads-per-pass", "1"});
  ASSERT_TRUE(sim.waitForStarted(3000));
  const QRegularExpression announced("pty: (\\S+)");
  QString out;
  QRegularExpressionMatch match;
  while (!(match = announced.match(out)).hasMatch() && sim.waitForReadyRead(3000)) {
    out += QString::fromLocal8Bit(sim.readAllStandardOutput());
  }
  ASSERT_TRUE(match.hasMatch()) << out.toStdString();

  testing::ConsoleFixture fixture;
  ChannelSettings serial;
  serial.name = match.captured(1);
  serial.baud = 9600;
  fixture.WriteSection(0, serial);
  AppContext& context = *fixture.context;
  context.channels().Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return context.channels().IsOpen(0); }, 3000));

  RecordingOutput output;
  context.scriptOutput().SetSink(&output);
  ScriptInterpreter& interpreter = context.interpreter();
  interpreter.Source().SetMemoText(StandardTests()[0].script);
  interpreter.StartStopScript();
  for (int tick = 0; tick < 200 && interpreter.Running(); ++tick) {
    QTest::qWait(10);
    fixture.clock.AdvanceMs(100);
    context.Tick();
  }
  context.scriptOutput().SetSink(nullptr);

  EXPECT_FALSE(interpreter.Running());
  EXPECT_TRUE(interpreter.Variables().values.gotReply);
  EXPECT_EQ(context.channels().Settings(0).baud, 19200);
  EXPECT_TRUE(output.Shown(": got the baud rate")) << output.boxes.size();
  // 4800 and 9600 went unanswered first.
  EXPECT_EQ(interpreter.Timeouts(), 2);

  context.channels().CloseAll();
  sim.terminate();
  sim.waitForFinished(3000);
}

}  // namespace
}  // namespace corvalis
