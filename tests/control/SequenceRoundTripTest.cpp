#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTimer>

#include "channels/ChannelTestSupport.h"
#include "control/CommandSequence.h"
#include "control/ReaderConfigBodies.h"
#include "control/ReaderConfiguration.h"

namespace corvalis {
namespace {

// Command sequences against the bundled reader simulator over loopback TCP,
// with the real channel layer and the 100 ms tick running.
class SequenceRoundTripTest : public ::testing::Test {
 protected:
  void Start(const QStringList& simArgs) {
    iniPath = dir.filePath("Corvalis.ini");
    // The context's tick alone runs the sequence: no window is needed.
    QObject::connect(&tick, &QTimer::timeout, [this] { context.Tick(); });
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
  ReaderConfiguration& config = context.readerConfig();
  const CommandSequence& sequence = config.sequence();
  QTimer tick;
  QProcess sim;
};

TEST_F(SequenceRoundTripTest, TagBaudReachesTheReaderInOrder) {
  Start({"--tcp", "0", "--passes", "1"});
  ASSERT_TRUE(config.StartSequence(0, 0, TagBaudBodies(2)));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sequence.Running(); }, 5000));
  EXPECT_EQ(sequence.GetState(), CommandSequence::State::kDone) << sequence.StatusText();
  EXPECT_EQ(SentBodies(), (QStringList{"05810200020602", "011202", "05810300020602"}));
}

TEST_F(SequenceRoundTripTest, AnErrorReplyStopsTheSequence) {
  Start({"--tcp", "0", "--passes", "1", "--fault-on", "18"});  // 0x12: the controller
  ASSERT_TRUE(config.StartSequence(0, 0, TagBaudBodies(2)));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sequence.Running(); }, 5000));
  EXPECT_EQ(sequence.GetState(), CommandSequence::State::kErrorReply);
  QTest::qWait(300);
  EXPECT_EQ(SentBodies(), (QStringList{"05810200020602", "011202"}));
}

TEST_F(SequenceRoundTripTest, ASilentReaderTimesTheSequenceOut) {
  Start({"--tcp", "0", "--passes", "1", "--fault-on", "62", "--fault-silent"});  // 0x3e
  const BuiltBodies plan = CustomHoppingBodies(CustomHopPlan{}, TimingAnswer::kNotAsked);
  ASSERT_TRUE(config.StartSequence(0, 0, plan.bodies));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sequence.Running(); }, 8000));
  EXPECT_EQ(sequence.GetState(), CommandSequence::State::kTimedOut);
  EXPECT_EQ(SentBodies(), (QStringList{"010501", "083eaa0001008f640124"}));
}

TEST_F(SequenceRoundTripTest, DecoderStatusUpdatesItselfEverySecond) {
  Start({"--tcp", "0", "--passes", "1"});
  config.SetDecoderTarget(0, 0);
  config.SetDecoderAutoInterval(1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return SentBodies().count("002b") >= 2; }, 4000));
  EXPECT_EQ(config.decoder().Status().fpgaVersion, 8);
  EXPECT_EQ(config.decoder().Status().edges[0], 10);
  config.SetDecoderAutoInterval(0);
  QTest::qWait(300);
  const qsizetype sent = SentBodies().size();
  QTest::qWait(1300);
  EXPECT_EQ(SentBodies().size(), sent) << "0 switches it off";
}

// RF multiplexing between two simulators on channels 1 and 3 (2 and 4 stay
// closed): each acknowledges the RF state it is given, and RF off silences
// its tag stream.
class MultiplexRoundTripTest : public ::testing::Test, public ReplyRoute {
 protected:
  void SetUp() override {
    const QString ini = dir.filePath("Corvalis.ini");
    const int portA = testing::StartSimulator(simA, {"--tcp", "0", "--rate", "20"});
    const int portB = testing::StartSimulator(simB, {"--tcp", "0", "--rate", "20"});
    ASSERT_GT(portA, 0);
    ASSERT_GT(portB, 0);
    for (int ch = 0; ch < kChannelCount; ++ch) {
      ChannelSettings s;
      s.open = ch == 0 || ch == 2;
      s.port = !s.open;
      s.ipAddress = "127.0.0.1";
      s.ipPort = ch == 0 ? portA : portB;
      WriteChannelSettings(ini, ch, s);
    }
    context.channels().SetSettingsPath(ini);
    context.channels().Start();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return context.channels().IsOpen(0) && context.channels().IsOpen(2); }, 3000));
    context.commands().AddReplyRoute(0x06, this);
    QObject::connect(&tick, &QTimer::timeout, [this] { context.Tick(); });
    tick.start(100);
  }
  void TearDown() override {
    tick.stop();
    context.commands().RemoveReplyRoute(0x06, this);
    context.channels().CloseAll();
    for (QProcess* sim : {&simA, &simB}) {
      sim->terminate();
      sim->waitForFinished(3000);
    }
  }
  void TakeReply(const ReplyView& reply) override {
    acks[reply.channel == 0 ? 0 : 1] << QLatin1String(reply.data, 2);
  }
  qsizetype Acks() const { return acks[0].size() + acks[1].size(); }
  int Reads(int channel) const { return context.tagTable().ReadsSeen(channel); }

  QTemporaryDir dir;
  SystemClock clock;
  testing::RecordingStatus status;
  AppContext context{clock, status};
  QTimer tick;
  QProcess simA;
  QProcess simB;
  QStringList acks[2];  // channels 1 and 3
};

TEST_F(MultiplexRoundTripTest, RfRotatesBetweenTheOpenReaders) {
  RfMultiplex& mux = context.readerConfig().multiplex();
  mux.Start(5);  // half a second each
  ASSERT_TRUE(QTest::qWaitFor([&] { return Acks() >= 6; }, 5000));
  mux.Stop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Acks() >= 7; }, 2000));
  // Start: 1 on, 3 off; then every period the current one off, the other
  // on. The two readers answer independently, so each is checked alone.
  EXPECT_EQ(acks[0].mid(0, 3), (QStringList{"01", "00", "01"})) << acks[0].join(' ').toStdString();
  EXPECT_EQ(acks[1].mid(0, 3), (QStringList{"00", "01", "00"})) << acks[1].join(' ').toStdString();
  EXPECT_EQ(acks[0].last(), "00") << "Stop turns the current reader off";

  // With RF off at both readers, no more reads come.
  QTest::qWait(400);
  const int a = Reads(0);
  const int b = Reads(2);
  QTest::qWait(1200);
  EXPECT_EQ(Reads(0), a);
  EXPECT_EQ(Reads(2), b);
}

}  // namespace
}  // namespace corvalis
