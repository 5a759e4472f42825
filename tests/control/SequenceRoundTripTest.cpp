#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTimer>

#include "channels/ChannelTestSupport.h"
#include "control/CommandSequence.h"
#include "control/ReaderConfigBodies.h"

namespace corvalis {
namespace {

// Command sequences against the bundled reader simulator over loopback TCP,
// with the real channel layer and the 100 ms tick running.
class SequenceRoundTripTest : public ::testing::Test {
 protected:
  void Start(const QStringList& simArgs) {
    iniPath = dir.filePath("Corvalis.ini");
    QObject::connect(&tick, &QTimer::timeout, [this] {
      context.Tick();
      sequence.Tick();
    });
    tick.start(100);
    ASSERT_TRUE(testing::OpenChannelOneOnSimulator(context, sim, simArgs, iniPath, dir.path()));
  }
  void TearDown() override {
    tick.stop();
    context.channels().CloseAll();
    sim.terminate();
    sim.waitForFinished(3000);
  }
  // The bodies the console sent on channel 1, reader ID and LRC cut off.
  QStringList SentBodies() {
    QFile file(dir.filePath("logger1.log"));
    QStringList bodies;
    if (!file.open(QIODevice::ReadOnly)) return bodies;
    for (const QByteArray& line : file.readAll().split('\n')) {
      if (!line.startsWith("> ab")) continue;
      const QByteArray framed = line.trimmed().mid(2);
      bodies << QString::fromLatin1(framed.mid(4, framed.size() - 6));
    }
    return bodies;
  }

  QTemporaryDir dir;
  QString iniPath;
  SystemClock clock;
  testing::RecordingStatus status;
  AppContext context{clock, status};
  CommandSequence sequence{context.commands()};
  QTimer tick;
  QProcess sim;
};

TEST_F(SequenceRoundTripTest, TagBaudReachesTheReaderInOrder) {
  Start({"--tcp", "0", "--passes", "1"});
  ASSERT_TRUE(sequence.Start(0, 0, TagBaudBodies(2)));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sequence.Running(); }, 5000));
  EXPECT_EQ(sequence.GetState(), CommandSequence::State::kDone) << sequence.StatusText();
  EXPECT_EQ(SentBodies(), (QStringList{"05810200020602", "011202", "05810300020602"}));
}

TEST_F(SequenceRoundTripTest, AnErrorReplyStopsTheSequence) {
  Start({"--tcp", "0", "--passes", "1", "--fault-on", "18"});  // 0x12: the controller
  ASSERT_TRUE(sequence.Start(0, 0, TagBaudBodies(2)));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sequence.Running(); }, 5000));
  EXPECT_EQ(sequence.GetState(), CommandSequence::State::kErrorReply);
  QTest::qWait(300);
  EXPECT_EQ(SentBodies(), (QStringList{"05810200020602", "011202"}));
}

TEST_F(SequenceRoundTripTest, ASilentReaderTimesTheSequenceOut) {
  Start({"--tcp", "0", "--passes", "1", "--fault-on", "62", "--fault-silent"});  // 0x3e
  const BuiltBodies plan = CustomHoppingBodies(CustomHopPlan{}, TimingAnswer::kNotAsked);
  ASSERT_TRUE(sequence.Start(0, 0, plan.bodies));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sequence.Running(); }, 8000));
  EXPECT_EQ(sequence.GetState(), CommandSequence::State::kTimedOut);
  EXPECT_EQ(SentBodies(), (QStringList{"010501", "083eaa0001008f640124"}));
}

}  // namespace
}  // namespace corvalis
