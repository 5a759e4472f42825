#include "control/HoppingSweep.h"

#include <gtest/gtest.h>

#include "control/ReaderConfigBodies.h"

namespace corvalis {
namespace {

TEST(HoppingSweepBand, FiftyKilohertzStepsAreAllSendable) {
  HoppingSweep sweep;
  sweep.SetBand(840, 960, 50);
  EXPECT_EQ(sweep.Max(), 2400);
  sweep.SetPosition(1);
  EXPECT_EQ(sweep.FrequencyText(), "840.05");
  CustomHopPlan plan;
  plan.widthKhz = 50;
  for (int p = 0; p <= sweep.Max(); p += 7) {
    sweep.SetPosition(p);
    plan.startMhz = sweep.FrequencyText();
    EXPECT_FALSE(CustomHoppingBodies(plan, TimingAnswer::kNotAsked).Refused()) << plan.startMhz;
  }
  sweep.SetPosition(sweep.Max() + 5);
  EXPECT_EQ(sweep.FrequencyText(), "960");
  sweep.SetBand(840, 841, 300);
  EXPECT_EQ(sweep.Max(), 3);  // 3.33 + 0.5, truncated
  sweep.SetBand(960, 960, 100);
  EXPECT_EQ(sweep.Max(), 1);
}

TEST(HoppingSweepStepping, ReverseLoopAndStop) {
  HoppingSweep sweep;
  sweep.SetBand(840, 841, 500);  // positions 0..2
  sweep.SetAutoReverse(true);
  sweep.SetInterval(2);
  int due = 0;
  for (int i = 0; i < 6; ++i) due += sweep.Tick() ? 1 : 0;
  EXPECT_EQ(due, 3);
  EXPECT_EQ(sweep.Position(), 2);
  EXPECT_TRUE(sweep.Down());  // flipped at the top and stayed
  sweep.SetLoop(true);
  sweep.SetDown(false);
  sweep.Tick();
  sweep.Tick();
  EXPECT_EQ(sweep.Position(), 0);  // wrapped
  sweep.SetLoop(false);
  sweep.SetPosition(2);
  sweep.Tick();
  EXPECT_TRUE(sweep.Tick());  // at the end with neither box: sent once more, then stops
  EXPECT_FALSE(sweep.Tick());
  EXPECT_FALSE(sweep.Tick());
  EXPECT_EQ(sweep.Position(), 2);
}

}  // namespace
}  // namespace corvalis
