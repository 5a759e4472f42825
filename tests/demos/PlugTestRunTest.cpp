#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <array>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "channels/ChannelTestSupport.h"
#include "demos/DemoTestSupport.h"
#include "demos/plugtest/PlugTest.h"

namespace corvalis {
namespace {

// The readers' replies to the transmitter commands, per channel.
class TxReplies final : public MessageObserver {
 public:
  void ObserveMessage(int channel, const char* text, int length) override {
    const std::string line(text, static_cast<size_t>(length));
    if (line.rfind("ab00010601", 0) == 0) ++on[static_cast<size_t>(channel)];
    if (line.rfind("ab00010600", 0) == 0) ++off[static_cast<size_t>(channel)];
  }
  std::array<int, kChannelCount> on{};
  std::array<int, kChannelCount> off{};
};

// Two simulated readers on socat ptys, each with three tags of its own and
// its transmitter off until told, on channels 1 and 2 of a real console with
// the 100 ms tick running.
class PlugTestRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 2; ++i) {
      if (!ptys[i].Start(false)) GTEST_SKIP() << "socat is not available";
      ASSERT_EQ(testing::StartSimulator(
                    sims[i], {"--serial", ptys[i].ReaderEnd(), "--rf-off", "--tags", "3", "--seed",
                              QString::number(3 + i), "--rate", "20", "--reads-per-pass", "2"}),
                0);
    }
    const QString ini = dir.filePath("Corvalis.ini");
    for (int ch = 0; ch < kChannelCount; ++ch) {
      ChannelSettings settings;
      settings.open = ch < 2;
      if (ch < 2) settings.name = ptys[ch].ConsoleEnd();
      WriteChannelSettings(ini, ch, settings);
    }
    context.channels().SetSettingsPath(ini);
    context.channels().Start();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return context.channels().IsOpen(0) && context.channels().IsOpen(1); }, 3000));
    context.dispatcher().AddObserver(&replies);
    AddSightingListener(context.tagTable().hooks(), &plug);
    context.AddTickListener(&plug);
    context.specialModes().SwitchOn(SpecialMode::PlugTest);
    plug.SetFolder(dir.path().toStdString());
    QObject::connect(&tick, &QTimer::timeout, [this] { context.Tick(); });
    tick.start(100);
  }
  void TearDown() override {
    tick.stop();
    context.RemoveTickListener(&plug);
    RemoveSightingListener(context.tagTable().hooks(), &plug);
    context.dispatcher().RemoveObserver(&replies);
    context.channels().CloseAll();
    for (QProcess& sim : sims) {
      sim.terminate();
      sim.waitForFinished(3000);
    }
  }

  int Reads() const { return context.tagTable().ReadsSeen(0) + context.tagTable().ReadsSeen(1); }
  size_t Lines(int panel) const { return plug.Panel(panel).lines.size(); }
  std::vector<std::string> FileLines(const std::string& name) const {
    std::ifstream file(dir.filePath(QString::fromStdString(name)).toStdString());
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }
  // Both readers said their transmitters are off `times` times, and no tag
  // comes after that.
  void ExpectTransmittersOff(int times) {
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return replies.off[0] == times && replies.off[1] == times; }, 3000));
    const int reads = Reads();
    QTest::qWait(600);
    EXPECT_EQ(Reads(), reads);
  }

  std::array<testing::PtyPair, 2> ptys;
  std::array<QProcess, 2> sims;
  QTemporaryDir dir;
  SystemClock clock;
  testing::RecordingStatus status;
  AppContext context{clock, status};
  testing::RecordingPlugTestView view;
  PlugTest plug{context.specialModes(), clock, context.commands(), context.channels(), view};
  TxReplies replies;
  QTimer tick;
};

// Each tag once per run, its line with the time of the sighting in UTC
// (the suites run with TZ=UTC) and its default name.
void ExpectOneLinePerTag(const std::vector<std::string>& lines) {
  static const QRegularExpression record(
      "^\\d{4}-\\d\\d-\\d\\dT\\d{6}\\.\\d\\d\\+0000,([^,]+),none,none,none,none,none,none$");
  std::set<std::string> ids;
  for (const std::string& line : lines) {
    const auto match = record.match(QString::fromStdString(line));
    ASSERT_TRUE(match.hasMatch()) << line;
    ids.insert(match.captured(1).toStdString());
  }
  EXPECT_EQ(ids.size(), 3u);
  EXPECT_EQ(lines.size(), 3u);
}

TEST_F(PlugTestRunTest, TwoReadersRunTwiceEachTagOnceAndOnlyAfterTransmitterOn) {
  plug.SetInterrogators(2);
  plug.SetTestName("T1");
  plug.SetTagGroup(1, 3);
  plug.SetTagGroup(2, 4);
  plug.StartTest();

  QTest::qWait(600);
  EXPECT_EQ(Reads(), 0);  // transmitters off: nothing to list yet

  plug.Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Lines(0) == 3 && Lines(1) == 3; }, 10000))
      << Lines(0) << " " << Lines(1);
  EXPECT_EQ(replies.on[0], 1);
  EXPECT_EQ(replies.on[1], 1);
  QTest::qWait(1500);  // the tags pass again: still listed once
  plug.Stop();
  ExpectTransmittersOff(1);
  ExpectOneLinePerTag(FileLines("T1.Interrogator1.TagGroup3.Testrun1.csv"));
  ExpectOneLinePerTag(FileLines("T1.Interrogator2.TagGroup4.Testrun1.csv"));
  EXPECT_EQ(Lines(0), 3u);

  // Run 2: the tags are still in the seen table and are listed again.
  ASSERT_GT(context.tagTable().SeenLength(), 0);
  plug.Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Lines(0) == 6 && Lines(1) == 6; }, 10000));
  plug.Stop();
  ExpectTransmittersOff(2);
  ExpectOneLinePerTag(FileLines("T1.Interrogator1.TagGroup3.Testrun2.csv"));
  ExpectOneLinePerTag(FileLines("T1.Interrogator2.TagGroup4.Testrun2.csv"));
  EXPECT_EQ(plug.Panel(1).fileName, "T1.Interrogator2.TagGroup4.Testrun3.csv");
}

TEST_F(PlugTestRunTest, TimedRunEndsWithTheTransmittersOff) {
  plug.SetInterrogators(2);
  plug.SetTestName("Timed");
  plug.StartTest();
  plug.Ok(3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !plug.Armed(); }, 7000));
  ASSERT_FALSE(view.progress.empty());
  EXPECT_EQ(view.progress.back(), 100);
  EXPECT_GT(view.progress.size(), 2u);  // the bar moved on the way
  ExpectTransmittersOff(1);
  EXPECT_EQ(FileLines("Timed.Interrogator1.TagGroup0.Testrun1.csv").size(), Lines(0));
  EXPECT_GT(Lines(0), 0u);
  EXPECT_GT(Lines(1), 0u);
}

TEST_F(PlugTestRunTest, SingleOutputSwitchesBothReadersAndListsEveryTagInPanelOne) {
  plug.SetInterrogators(2);
  plug.SetSingleOutput(true);
  plug.SetTestName("One");
  plug.StartTest();
  plug.Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Lines(0) == 6; }, 10000)) << Lines(0);
  plug.Stop();
  ExpectTransmittersOff(1);
  EXPECT_EQ(Lines(1), 0u);
  EXPECT_EQ(FileLines("One.Interrogator1.TagGroup0.Testrun1.csv").size(), 6u);
}

}  // namespace
}  // namespace corvalis
