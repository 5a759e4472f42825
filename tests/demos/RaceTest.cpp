#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <string>
#include <vector>

#include "demos/DemoTestSupport.h"
#include "demos/race/IndividualRace.h"
#include "demos/race/RaceTimeText.h"
#include "demos/race/RaceTrigger.h"
#include "demos/race/SimultaneousRace.h"
#include "tags/TagTable.h"
#include "tags/TagTableTestSupport.h"

namespace corvalis {
namespace {

using testing::MakeRead;
using testing::TriggerLine;

class FakeRaceView final : public RaceView {
 public:
  bool ConfirmRestart() override {
    ++restartQuestions;
    return confirmRestart;
  }
  void ShowTooManyRunners() override { ++tooManyMessages; }
  void ShowResult(std::string_view text) override { result = text; }
  void ClearTagsSeen() override { ++tagsSeenClears; }
  void ResultsChanged() override { ++changes; }
  void UseReaderTimeChosen() override { readerTimeTicked = true; }

  bool confirmRestart = true;
  int restartQuestions = 0;
  int tooManyMessages = 0;
  std::string result;
  int tagsSeenClears = 0;
  int changes = 0;
  bool readerTimeTicked = false;
};

// A race wired as the application wires it: the tag table's sighting hook
// feeds the race while its mode is on.
template <class Race>
struct RaceRig {
  ManualClock clock{WallTime{1'700'000'000, 0}};
  SpecialModes modes;
  FakeRaceView view;
  TagTable table{clock};
  Race race{modes, clock, view};

  explicit RaceRig(SpecialMode mode) {
    table.hooks().sightingListeners[0] = &race;
    modes.SwitchOn(mode);
  }
  void See(uint64_t id, int channel = 0) {
    table.RecordTagRead(MakeRead(id, clock.Now(), 1, channel));
  }
  void Trigger(const std::string& line) {
    race.ObserveMessage(0, line.data(), static_cast<int>(line.size()));
  }
};

struct SimultaneousRig : RaceRig<SimultaneousRace> {
  SimultaneousRig() : RaceRig(SpecialMode::RaceSimultaneousStart) {}
};
struct IndividualRig : RaceRig<IndividualRace> {
  IndividualRig() : RaceRig(SpecialMode::RaceIndividualStart) {}
};

TEST(RaceTimeTextTest, RoundsWithCarry) {
  EXPECT_EQ(FormatRaceClock(949), " 00:00:00.9");
  EXPECT_EQ(FormatRaceClock(950), " 00:00:01.0");
  EXPECT_EQ(FormatRaceClock(3'599'950), " 01:00:00.0");
  EXPECT_EQ(FormatRaceClock(-1'500), " -00:00:01.5");
  EXPECT_EQ(FormatRaceGap(994, ' '), "  00.99");
  EXPECT_EQ(FormatRaceGap(995, ' '), "  01.00");
  EXPECT_EQ(FormatRaceGap(995, '+'), " +01.00");
  EXPECT_EQ(FormatRaceGap(-1'700, '+'), " -01.70");
  EXPECT_EQ(FormatRaceGap(0, '+'), " 00.00");
  EXPECT_EQ(FormatTargetPanel(0), "+0000.0");
  EXPECT_EQ(FormatTargetPanel(-1'700), "-0001.7");
}

TEST(RaceTriggerTest, NeedsItsCodeAndLrc) {
  const std::string good = TriggerLine("");
  EXPECT_EQ(ParseRaceTrigger(good.data(), static_cast<int>(good.size())).result,
            TriggerParse::Trigger);
  const std::string bad = TriggerLine("", false);
  EXPECT_EQ(ParseRaceTrigger(bad.data(), static_cast<int>(bad.size())).result,
            TriggerParse::LrcError);
  const std::string reply = "ab01042b00";
  EXPECT_EQ(ParseRaceTrigger(reply.data(), static_cast<int>(reply.size())).result,
            TriggerParse::NotTrigger);
  for (int length = 0; length < 10; ++length) {
    EXPECT_EQ(ParseRaceTrigger(good.data(), length).result, TriggerParse::NotTrigger);
  }
  std::string nonHexLrc = good;
  nonHexLrc.back() = 'z';
  EXPECT_EQ(ParseRaceTrigger(nonHexLrc.data(), static_cast<int>(nonHexLrc.size())).result,
            TriggerParse::LrcError);

  const std::string timed = TriggerLine("26120814053007");  // 14:05:30.07
  const RaceTrigger withTime = ParseRaceTrigger(timed.data(), static_cast<int>(timed.size()));
  ASSERT_TRUE(withTime.readerTime.has_value());
  EXPECT_EQ(withTime.readerTime->sec % 86400, 14 * 3600 + 5 * 60 + 30);  // TZ=UTC
  EXPECT_EQ(withTime.readerTime->ms, 70);
}

TEST(SimultaneousRaceTest, TriggerStartsAndBadLrcDoesNot) {
  SimultaneousRig rig;
  rig.Trigger(TriggerLine("", false));
  EXPECT_FALSE(rig.race.Running());
  EXPECT_EQ(rig.view.result, "LRC error");
  rig.Trigger(TriggerLine(""));
  EXPECT_TRUE(rig.race.Running());
  EXPECT_EQ(rig.view.tagsSeenClears, 1);

  // A second trigger asks first; No keeps the running race.
  rig.clock.AdvanceMs(5'000);
  rig.view.confirmRestart = false;
  rig.Trigger(TriggerLine(""));
  EXPECT_EQ(rig.view.restartQuestions, 1);
  EXPECT_EQ(rig.race.ElapsedMs(), 5'000);

  rig.modes.SwitchOn(SpecialMode::Tolling);  // another mode: triggers are not ours
  rig.race.Stop();
  rig.Trigger(TriggerLine(""));
  EXPECT_FALSE(rig.race.Running());
}

TEST(SimultaneousRaceTest, PlacesEachTagOnceAtItsReceiveTime) {
  SimultaneousRig rig;
  rig.See(99);  // before the start: neither placed nor a runner too many
  rig.race.Start();
  rig.clock.AdvanceMs(61'234);
  rig.See(1);
  rig.clock.AdvanceMs(300);
  rig.See(1);
  rig.See(2);
  // Passes closing a wait time later change nothing.
  rig.clock.AdvanceMs(1'000);
  rig.table.FlushPasses(false);
  ASSERT_EQ(rig.race.PlaceCount(), 2);
  EXPECT_EQ(rig.race.Place(0).finishMs, 61'234);
  const RacePlaceRow second = rig.race.Row(1);
  EXPECT_EQ(second.place, "2");
  EXPECT_EQ(second.name, "NR-test");
  EXPECT_EQ(second.time, " 00:01:01.5");
  EXPECT_EQ(second.delta, "  00.30");
  EXPECT_EQ(rig.view.tooManyMessages, 0);
}

TEST(SimultaneousRaceTest, TwentySixthTagGivesOneMessage) {
  SimultaneousRig rig;
  rig.race.Start();
  for (uint64_t id = 1; id <= 25; ++id) rig.See(id);
  rig.See(3);  // already placed
  EXPECT_EQ(rig.view.tooManyMessages, 0);
  rig.See(26);
  rig.See(27);
  rig.See(26);
  EXPECT_EQ(rig.race.PlaceCount(), kRacePlaces);
  EXPECT_EQ(rig.view.tooManyMessages, 1);
}

TEST(SimultaneousRaceTest, TargetDifferenceAndPanelColour) {
  SimultaneousRig rig;
  rig.race.SetTarget(0, 10, 0);
  rig.race.Start();
  rig.clock.AdvanceMs(9 * 60'000 + 58'300);
  rig.See(1);
  EXPECT_EQ(rig.race.Row(0).targetDelta, " -01.70");
  EXPECT_TRUE(rig.race.TargetPanelGreen());
  EXPECT_EQ(rig.race.TargetPanelText(), "-0001.7");
  rig.clock.AdvanceMs(2'000);
  EXPECT_FALSE(rig.race.TargetPanelGreen());
  rig.race.SetTarget(0, 9, 0);
  EXPECT_EQ(rig.race.Row(0).targetDelta, " +58.30");
}

TEST(SimultaneousRaceTest, RecordWritesTheCsvAndClearAsksFromOneResult) {
  SimultaneousRig rig;
  rig.race.Start();
  EXPECT_FALSE(rig.race.ClearNeedsConfirmation());
  rig.clock.AdvanceMs(12'340);
  rig.See(7);
  EXPECT_TRUE(rig.race.ClearNeedsConfirmation());
  EXPECT_EQ(rig.race.ClearQuestion(), "1 record(s) not recorded - discard them?");

  QTemporaryDir dir;
  std::string error;
  ASSERT_TRUE(rig.race.Record(dir.path().toStdString(), false, error));
  EXPECT_FALSE(rig.race.ClearNeedsConfirmation());
  std::ifstream file(dir.filePath("RaceTiming.csv").toStdString());
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Race started 2023-11-14 22:13:20");
  EXPECT_EQ(lines[1], "Printed 2023-11-14 22:13:32");
  EXPECT_EQ(lines[2], "Place, NAME , TIME, Delta");
  EXPECT_EQ(lines[3], "1, NR-test,  00:00:12.3,  00.00,  +12.34");

  EXPECT_FALSE(rig.race.Record(dir.filePath("missing").toStdString(), false, error));
  EXPECT_EQ(error, "Unable to open file for writing");

  rig.race.Clear(false);
  EXPECT_EQ(rig.race.PlaceCount(), 0);
  EXPECT_TRUE(rig.race.Running());
  rig.race.Clear(true);
  EXPECT_FALSE(rig.race.Running());
  EXPECT_EQ(rig.race.ElapsedText(), " 00:00:00.0");
}

TEST(IndividualRaceTest, LapsNeedTheMinimumLapTime) {
  IndividualRig rig;
  rig.race.SetNumberOfLaps(3);
  rig.race.Start();
  rig.See(1);
  rig.clock.AdvanceMs(20'000);
  rig.See(1);
  EXPECT_EQ(rig.race.Runner(0).laps, 0);
  rig.clock.AdvanceMs(20'000);
  rig.See(1);
  EXPECT_EQ(rig.race.Runner(0).laps, 1);
  EXPECT_EQ(rig.race.Runner(0).lapMs, 40'000);
  EXPECT_EQ(rig.race.Row(0).lap, " 00:00:40.0");
}

TEST(IndividualRaceTest, SixtySightingsStayWithinTheStore) {
  IndividualRig rig;
  rig.race.SetMinimumLapSeconds(5);
  rig.race.SetNumberOfLaps(50);
  rig.race.Start();
  for (int i = 0; i < 60; ++i) {
    rig.See(1);
    rig.clock.AdvanceMs(6'000);
  }
  const RaceRunner& runner = rig.race.Runner(0);
  EXPECT_EQ(runner.laps, kMaxLaps);
  EXPECT_EQ(runner.storedTimes, kMaxLaps + 1);
  EXPECT_EQ(MillisBetween(runner.times[0], runner.times[kMaxLaps]), 50 * 6'000);
}

TEST(IndividualRaceTest, RunnersAreKeyedByIdAndLimitedToForty) {
  IndividualRig rig;
  rig.race.Start();
  rig.See(1);
  rig.See(2);  // the same name "NR-test"
  EXPECT_EQ(rig.race.RunnerCount(), 2);
  for (uint64_t id = 3; id <= 45; ++id) rig.See(id);
  EXPECT_EQ(rig.race.RunnerCount(), kRaceRunners);
  EXPECT_EQ(rig.view.tooManyMessages, 1);
}

TEST(IndividualRaceTest, ReaderTimeTriggerStartsAtTheReadersClock) {
  IndividualRig rig;
  rig.Trigger(TriggerLine("23111422130000"));  // 22:13:20 is the manual clock
  ASSERT_TRUE(rig.race.Running());
  EXPECT_TRUE(rig.race.UseReaderTime());
  EXPECT_TRUE(rig.view.readerTimeTicked);
  EXPECT_EQ(rig.race.StartTime().sec, 1'700'000'000 - 20);
  // The tag's own time stamp now times the runner.
  rig.table.RecordTagRead(MakeRead(5, WallTime{1'700'000'010, 500}));
  EXPECT_EQ(rig.race.Row(0).start, " 00:00:30.5");
}

}  // namespace
}  // namespace corvalis
