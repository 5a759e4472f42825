#include <gtest/gtest.h>

#include <QProcess>
#include <QTimer>
#include <string>
#include <vector>

#include "channels/ChannelTestSupport.h"

namespace corvalis {
namespace {

// Counts what goes out, as the script recorder would see it.
class SentLines final : public SentLineRecorder {
 public:
  bool IsRecording() const override { return true; }
  void RecordSentLine(int, const char* text, int length) override {
    lines.emplace_back(text, static_cast<size_t>(length));
  }
  int Count(const std::string& prefix) const {
    int n = 0;
    for (const std::string& l : lines) n += l.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }
  std::vector<std::string> lines;
};

// The page test through the real channels to the simulator's read/write
// controller, with the real clock and the 100 ms tick running.
class TagRwSimulatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    context.commands().SetSentLineRecorder(&sent);
    QObject::connect(&tick, &QTimer::timeout, [this] { context.Tick(); });
    tick.start(100);
    test().SetTarget(0, 0, "");
  }
  void TearDown() override {
    tick.stop();
    context.channels().CloseAll();
    sim.terminate();
    sim.waitForFinished(3000);
  }
  void StartSimulator(const QStringList& extra = {}) {
    ASSERT_TRUE(testing::OpenChannelOneOnSimulator(
        context, sim, QStringList{"--tcp", "0", "--rate", "2", "--reads-per-pass", "1"} + extra,
        dir.filePath("Corvalis.ini"), dir.path()));
  }
  // The simulator answering its tag exchanges on a second port: channel 1 on
  // the reader's port, channel 2 on the other one.
  void StartWithOtherChannel() {
    sim.start(READERSIM_EXECUTABLE,
              {"--tcp", "0", "--rate", "2", "--reads-per-pass", "1", "--rw-other-channel", "0"});
    ASSERT_TRUE(sim.waitForStarted(3000));
    const QRegularExpression main("^listening on 127\\.0\\.0\\.1:(\\d+)$",
                                  QRegularExpression::MultilineOption);
    const QRegularExpression other("other channel listening on 127\\.0\\.0\\.1:(\\d+)");
    QString out;
    while (!other.match(out).hasMatch() && sim.waitForReadyRead(3000))
      out += QString::fromLocal8Bit(sim.readAllStandardOutput());
    ASSERT_TRUE(main.match(out).hasMatch() && other.match(out).hasMatch()) << out.toStdString();
    const QString ini = dir.filePath("Corvalis.ini");
    testing::WriteSimulatorChannels(ini, main.match(out).captured(1).toInt());
    ChannelSettings second;
    second.open = true;
    second.port = false;
    second.ipAddress = "127.0.0.1";
    second.ipPort = other.match(out).captured(1).toInt();
    WriteChannelSettings(ini, 1, second);
    context.channels().SetSettingsPath(ini);
    context.channels().Start();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return context.channels().IsOpen(0) && context.channels().IsOpen(1); }, 3000));
  }
  bool RunToEnd(int ms = 15000) {
    return QTest::qWaitFor([&] { return !test().Running(); }, ms);
  }
  TagRwTest& test() { return context.tagRw(); }
  RwPage& page(int n) { return test().pages()[static_cast<size_t>(n)]; }
  bool Logged(const std::string& line) const {
    for (const std::string& l : status.debugLines)
      if (l == line) return true;
    return false;
  }

  QTemporaryDir dir;
  SystemClock clock;
  testing::RecordingStatus status;
  AppContext context{clock, status};
  QProcess sim;
  QTimer tick;
  SentLines sent;
};

struct ReadCase {
  const char* corrupt;
  PageResult result;
  int RwCounters::*counter;
};

class FirstGenerationReadTest : public TagRwSimulatorTest,
                                public ::testing::WithParamInterface<ReadCase> {};

TEST_P(FirstGenerationReadTest, ReadsAreColouredAndCounted) {
  const ReadCase& c = GetParam();
  StartSimulator({"--rw-corrupt", c.corrupt});
  page(15).data = "d0006000ffff8001";
  page(15).read = true;
  ASSERT_TRUE(test().StartPage(15));
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(page(15).result, c.result);
  EXPECT_EQ(test().counters().*c.counter, 1);
  EXPECT_EQ(test().counters().Total(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Digits, FirstGenerationReadTest,
    ::testing::Values(ReadCase{"0", PageResult::kExact, &RwCounters::lime},
                      ReadCase{"1", PageResult::kFirstDiffers, &RwCounters::darkGreen},
                      ReadCase{"2", PageResult::kFirstTwoDiffer, &RwCounters::darkGreen},
                      ReadCase{"6", PageResult::kDiffers, &RwCounters::yellow}));

TEST_F(TagRwSimulatorTest, FirstGenerationReadWithoutReplyIsRed) {
  StartSimulator({"--rw-drop", "100"});
  page(3).read = true;
  ASSERT_TRUE(test().StartPage(3));
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(page(3).result, PageResult::kNoData);
  EXPECT_EQ(test().counters().red, 1);
  EXPECT_TRUE(Logged("No reply to download command."));
  EXPECT_EQ(sent.Count("ab00091500"), 2);  // two tries of the load
}

TEST_F(TagRwSimulatorTest, RepliesOnAnotherChannelCountOnlyOnTheTestBed) {
  StartWithOtherChannel();
  page(15).data = "d0006000ffff8001";
  page(15).read = true;
  ASSERT_TRUE(test().StartPage(15));
  ASSERT_TRUE(RunToEnd());
  // The acks and the page line came on channel 2: no reply on channel 1.
  EXPECT_EQ(page(15).result, PageResult::kNoData);
  EXPECT_TRUE(Logged("No reply to download command."));
  EXPECT_EQ(sent.Count("ab00091500"), 2);

  test().options().testBed = true;
  ASSERT_TRUE(test().StartPage(15));
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(page(15).result, PageResult::kExact);
  EXPECT_EQ(page(15).readBack, "d0006000ffff8001");
}

TEST_F(TagRwSimulatorTest, SecondGenerationWriteThenReadPageFive) {
  StartSimulator();
  test().options().secondGen = true;
  page(5).data = "0123456789ABCDEF";
  page(5).write = true;
  page(5).read = true;
  ASSERT_TRUE(test().StartPage(5));
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(page(5).result, PageResult::kExact);
  EXPECT_EQ(page(5).readBack, "0123456789abcdef");
  // The write's and the read's transmits took numbers 0 and 1 of the
  // commander's shared sequence.
  EXPECT_EQ(context.transmitSequence().Next(), 2);
  // The tag's memory holds it: a first-generation read of the page finds it.
  test().options().secondGen = false;
  page(5).write = false;
  page(5).data = "0000000000000000";
  ASSERT_TRUE(test().StartPage(5));
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(page(5).readBack, "0123456789abcdef");
}

TEST_F(TagRwSimulatorTest, SecondGenerationReadWithoutTransmitAckTriesTwiceThenRed) {
  StartSimulator({"--rw-drop", "4"});
  test().options().secondGen = true;
  page(5).read = true;
  ASSERT_TRUE(test().StartPage(5));
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(sent.Count("ab000320"), 2);
  EXPECT_TRUE(Logged("No reply to read command."));
  EXPECT_EQ(page(5).result, PageResult::kNoData);
}

TEST_F(TagRwSimulatorTest, ContinuousAllWithIncrementWritesNewDataEachPassUntilStopped) {
  StartSimulator();
  test().options().continuous = true;
  test().options().inc = true;
  page(1).data = "000000000000000f";
  page(1).write = true;
  page(1).read = true;
  ASSERT_TRUE(test().StartAll());
  ASSERT_TRUE(QTest::qWaitFor([&] { return test().counters().lime >= 2; }, 15000));
  test().Stop();
  ASSERT_TRUE(RunToEnd());
  const int reads = test().counters().lime;
  EXPECT_EQ(test().counters().Total(), reads);  // every read matched its write
  EXPECT_GE(reads, 2);
  char expected[17];
  std::snprintf(expected, sizeof expected, "%016x", 0xf + reads);
  EXPECT_EQ(page(1).data, expected);
  EXPECT_EQ(test().CurrentPage(), -1);
}

TEST_F(TagRwSimulatorTest, NothingCheckedSendsNothingAndEnds) {
  StartSimulator();
  ASSERT_TRUE(test().StartAll());
  EXPECT_FALSE(test().Running());
  test().options().continuous = true;
  ASSERT_TRUE(test().StartPage(4));
  EXPECT_FALSE(test().Running());
  ASSERT_TRUE(test().StartAll());
  EXPECT_FALSE(test().Running());
  EXPECT_EQ(test().Passes(), 3);
  EXPECT_TRUE(sent.lines.empty());
}

TEST_F(TagRwSimulatorTest, PageDataMustBeSixteenHexDigits) {
  StartSimulator();
  page(2).data = "0123.*";
  page(2).read = true;
  EXPECT_FALSE(test().StartAll());
  EXPECT_EQ(status.lastError, "Page 2 needs 16 hex digits");
  EXPECT_TRUE(sent.lines.empty());
}

TEST_F(TagRwSimulatorTest, FasterThenWriteMovesTheTagsRate) {
  StartSimulator();
  TtoProgrammer& tto = context.tto();
  tto.SetConfig(kDefaultTtoConfig);
  tto.Test(45);
  ASSERT_TRUE(QTest::qWaitFor([&] { return tto.HasRate(); }, 5000));
  EXPECT_EQ(FormatRate(tto.Rate()), "262 k");
  EXPECT_EQ(tto.Band(), RateBand::kRed);
  tto.Faster();
  EXPECT_EQ(tto.Config(), "d0006400ffff8001");
  tto.WriteConfig();
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(page(15).readBack, "d0006400ffff8001");
  EXPECT_FALSE(page(15).write);  // unchecked once green
  tto.Test(45);
  ASSERT_TRUE(QTest::qWaitFor([&] { return tto.HasRate(); }, 5000));
  EXPECT_EQ(FormatRate(tto.Rate()), "263 k");
}

TEST_F(TagRwSimulatorTest, RatePollFirstAtTickTenThenEveryEight) {
  StartSimulator();
  tick.stop();
  TtoProgrammer& tto = context.tto();
  tto.Test(45);
  EXPECT_EQ(sent.Count("ab0001172d"), 1);
  std::vector<int> polls;
  for (int t = 1; t <= 30; ++t) {
    const int before = sent.Count("ab000038");
    context.Tick();
    if (sent.Count("ab000038") > before) polls.push_back(t);
  }
  EXPECT_EQ(polls, (std::vector<int>{10, 18, 26}));
  ASSERT_TRUE(QTest::qWaitFor([&] { return tto.HasRate(); }, 3000));
  EXPECT_EQ(FormatRate(tto.Rate()), "262 k");
  // Reading stops the poll.
  tto.ReadConfig();
  const int before = sent.Count("ab000038");
  for (int t = 0; t < 20; ++t) context.Tick();
  EXPECT_EQ(sent.Count("ab000038"), before);
}

TEST_F(TagRwSimulatorTest, ProgramWritesIdAndConfigurationAndReadsThemBack) {
  StartSimulator();
  TtoProgrammer& tto = context.tto();
  tto.SetId("0123456789ab0000");
  tto.Next();  // the next ID with its CRC, trim "60", polling
  EXPECT_TRUE(tto.Polling());
  EXPECT_EQ(tto.Id().substr(0, 12), "0123456789ac");
  EXPECT_EQ(tto.InvertedId(), InvertHex(tto.Id()));
  // The untrimmed-tag rate: Period/4 89 and the 128k tag baud to the decoder.
  EXPECT_EQ(sent.Count("ab00011759"), 1);
  EXPECT_EQ(sent.Count("ab0005810200020602"), 1);
  tto.Program();
  EXPECT_FALSE(tto.Polling());
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(page(0).result, PageResult::kExact);
  EXPECT_EQ(page(15).result, PageResult::kExact);
  EXPECT_EQ(page(0).readBack, tto.Id());
  EXPECT_EQ(test().counters().lime, 2);
  EXPECT_EQ(sent.Count("ab00091501"), 2);
}

}  // namespace
}  // namespace corvalis
