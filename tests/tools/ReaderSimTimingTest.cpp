#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Simulator.h"
#include "common/Clock.h"
#include "demos/race/RaceTrigger.h"
#include "logging/timing/TimingRead.h"
#include "logging/timing/TimingRecorder.h"
#include "protocol/Checksums.h"

namespace corvalis::readersim {
namespace {

constexpr WallTime kStart{1'741'955'696, 0};

std::string WithoutLineEnd(const std::string& chunk) {
  return chunk.substr(0, chunk.size() - 2);
}

TEST(SimulatorTimingTest, TimingFieldsPassTheSlotCheck) {
  ManualClock clock(kStart);
  Options options;
  options.msTiming = true;
  options.rate = 50;
  Simulator sim(options, clock);
  sim.StartStream();
  std::vector<std::string> out;
  for (int step = 0; step < 100; ++step) {
    sim.Poll(out);
    clock.AdvanceMs(20);
  }
  ASSERT_GE(out.size(), 40u);
  for (const std::string& chunk : out) {
    const std::string line = WithoutLineEnd(chunk);
    ASSERT_EQ(line.size(), 70u);
    EXPECT_TRUE(CheckLrc(line.data() + 2, static_cast<int>(line.size()) - 2)) << line;
    TimingRead read;
    ASSERT_EQ(ParseTimingRead(line.data(), 70, true, read), TimingParse::Ok) << line;
    EXPECT_EQ(FindTimingSlot(read.tagCode, read.r16).slot, read.idNumber) << line;
    EXPECT_EQ(read.period, 100);
  }
}

TEST(SimulatorTimingTest, TriggersOnQueryAndOnSchedule) {
  ManualClock clock(kStart);
  Options options;
  options.triggerEveryMs = 1000;
  options.rate = 1;
  options.readsPerPass = 1;
  Simulator sim(options, clock);
  sim.StartStream();
  std::vector<std::string> out;
  const std::string query = "ab00ff2cc1\r\n";  // LRC over "00ff2c"
  sim.Receive(query.data(), query.size(), out);
  ASSERT_EQ(out.size(), 1u);
  std::string line = WithoutLineEnd(out[0]);
  RaceTrigger trigger = ParseRaceTrigger(line.data(), static_cast<int>(line.size()));
  EXPECT_EQ(trigger.result, TriggerParse::Trigger) << line;
  ASSERT_TRUE(trigger.readerTime.has_value());
  EXPECT_EQ(trigger.readerTime->sec, kStart.sec);

  // Transmitter off: no tags, but the start beam still triggers.
  const std::string off = "ab0001060087\r\n";
  sim.Receive(off.data(), off.size(), out);
  out.clear();
  EXPECT_EQ(sim.MsUntilNextPoll(), 1000);
  clock.AdvanceMs(1000);
  sim.Poll(out);
  ASSERT_EQ(out.size(), 1u);
  line = WithoutLineEnd(out[0]);
  EXPECT_EQ(line.substr(0, 8), "ab00072c");
  EXPECT_EQ(ParseRaceTrigger(line.data(), static_cast<int>(line.size())).result,
            TriggerParse::Trigger);
}

}  // namespace
}  // namespace corvalis::readersim
