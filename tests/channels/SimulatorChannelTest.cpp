#include <gtest/gtest.h>

#include <QProcess>
#include <QTimer>

#include <cstdlib>

#include "channels/ChannelTestSupport.h"
#include "tags/SeenView.h"

namespace corvalis {
namespace {

// The console against the bundled reader simulator over loopback TCP, with
// the real clock: passes close on the console's own wait time.
TEST(SimulatorChannelTest, EveryPassTheSimulatorSendsBecomesOneLogLine) {
  constexpr int kPasses = 6;
  QProcess sim;
  const int port =
      testing::StartSimulator(sim, {"--tcp", "0", "--passes", QString::number(kPasses), "--rate",
                                    "40", "--reads-per-pass", "3", "--tags", "4"});
  ASSERT_GT(port, 0);

  QTemporaryDir dir;
  const QString ini = dir.filePath("Corvalis.ini");
  testing::WriteSimulatorChannels(ini, port);
  SystemClock clock;
  testing::RecordingStatus status;
  AppContext context(clock, status);
  ASSERT_TRUE(context.logWriter().StartLogging(dir.filePath("tags.log").toStdString()).ok);
  context.channels().SetSettingsPath(ini);
  context.channels().Start();
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] { context.Tick(); });
  tick.start(100);

  auto logLines = [&] {
    QFile file(dir.filePath("tags.log"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : 0;
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return logLines() >= kPasses; }, 10000)) << logLines();
  QTest::qWait(700);  // nothing beyond the simulator's passes
  EXPECT_EQ(logLines(), kPasses);
  EXPECT_EQ(context.tagTable().ReadsSeen(0), kPasses * 3);
  EXPECT_EQ(context.tagTable().LostReads(0), 0);
  EXPECT_TRUE(context.channels().IsOpen(0));

  context.channels().CloseAll();
  sim.terminate();
  EXPECT_TRUE(sim.waitForFinished(3000));
  EXPECT_EQ(sim.exitCode(), 0);
}

// The Tags Seen rate against a simulator at a known rate: 200 reads a
// second, each carrying one ID, shows 200 IDs/s once the window is full.
TEST(SimulatorChannelTest, TheShownReadRateMatchesTheSimulatorsRate) {
  QProcess sim;
  const int port = testing::StartSimulator(sim, {"--tcp", "0", "--rate", "200", "--counts", "1,0",
                                                 "--tags", "120", "--reads-per-pass", "5"});
  ASSERT_GT(port, 0);
  QTemporaryDir dir;
  const QString ini = dir.filePath("Corvalis.ini");
  testing::WriteSimulatorChannels(ini, port);
  SystemClock clock;
  testing::RecordingStatus status;
  AppContext context(clock, status);
  SeenView view(context.tagTable(), clock);
  context.channels().SetSettingsPath(ini);
  context.channels().Start();
  double shown = 0;
  int evaluations = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    context.Tick();
    view.ReadRateStep();
    if (view.TakeRateEvaluated()) {
      shown = std::atof(view.RateIText());
      ++evaluations;
    }
  });
  tick.start(100);
  // The window of ten half-second buckets full, and a little more.
  ASSERT_TRUE(QTest::qWaitFor([&] { return evaluations >= 13; }, 15000));
  EXPECT_NEAR(shown, 200.0, 10.0);
  EXPECT_EQ(context.tagTable().LostReads(0), 0);

  context.channels().CloseAll();
  sim.terminate();
  EXPECT_TRUE(sim.waitForFinished(3000));
}

}  // namespace
}  // namespace corvalis
