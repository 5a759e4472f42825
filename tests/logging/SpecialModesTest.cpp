#include <gtest/gtest.h>

#include <vector>

#include "common/SpecialModes.h"

namespace corvalis {
namespace {

class OffRecorder final : public SpecialModeListener {
 public:
  void SpecialModeSwitchedOff(SpecialMode mode) override { offs.push_back(mode); }
  std::vector<SpecialMode> offs;
};

TEST(SpecialModesTest, SwitchingOneOnSwitchesTheOthersOff) {
  SpecialModes modes;
  OffRecorder race;
  OffRecorder timing;
  modes.Register(SpecialMode::RaceSimultaneousStart, &race);
  modes.Register(SpecialMode::MsTimingRaw, &timing);
  EXPECT_FALSE(modes.AnyOn());

  modes.SwitchOn(SpecialMode::RaceSimultaneousStart);
  EXPECT_TRUE(modes.IsOn(SpecialMode::RaceSimultaneousStart));
  modes.SwitchOn(SpecialMode::MsTimingRaw);
  EXPECT_TRUE(modes.IsOn(SpecialMode::MsTimingRaw));
  EXPECT_FALSE(modes.IsOn(SpecialMode::RaceSimultaneousStart));
  ASSERT_EQ(race.offs.size(), 1u);
  EXPECT_EQ(race.offs[0], SpecialMode::RaceSimultaneousStart);

  modes.SwitchOn(SpecialMode::PlugTest);  // no listener: still switches timing off
  EXPECT_EQ(timing.offs.size(), 1u);
  EXPECT_TRUE(modes.IsOn(SpecialMode::PlugTest));

  modes.SwitchOff(SpecialMode::MsTimingRaw);  // not on: nobody is told
  EXPECT_EQ(timing.offs.size(), 1u);
  modes.SwitchOff(SpecialMode::PlugTest);
  EXPECT_FALSE(modes.AnyOn());

  modes.Unregister(SpecialMode::RaceSimultaneousStart, &race);
  modes.SwitchOn(SpecialMode::RaceSimultaneousStart);
  modes.SwitchOn(SpecialMode::Tolling);
  EXPECT_EQ(race.offs.size(), 1u);
}

}  // namespace
}  // namespace corvalis
