#include <gtest/gtest.h>

#include "tagrw/TtoConfig.h"

namespace corvalis {
namespace {

TEST(TtoConfigTest, TrimStepsWrapBothWays) {
  EXPECT_EQ(StepTrim("d0005e00ffff8001", 4), "d0006200ffff8001");
  EXPECT_EQ(StepTrim("d0000200ffff8001", -4), "d000fe00ffff8001");
  EXPECT_EQ(StepTrim("d000FE00ffff8001", 4), "d0000200ffff8001");
}

TEST(TtoConfigTest, WordTakesTheCommanderFieldsAndRoundTrips) {
  TtoConfig fields;
  fields.tamper = 3;  // NC
  fields.delay = 1;   // 4k
  fields.txRate = 0;  // 256k
  EXPECT_EQ(LoadConfigWord(fields, "FFFF6000FFFF8001"), "d0006000ffff8001");
  const auto parsed = ParseTtoConfig("d4a56300ffff8003");
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->txRate, 1);
  EXPECT_EQ(parsed->startPage, 10);
  EXPECT_EQ(parsed->numPages, 5);
  EXPECT_EQ(parsed->trim, 0x63);
  EXPECT_EQ(parsed->lockMask, 0x8003);
  EXPECT_EQ(ComposeTtoConfig(*parsed), "d4a56300ffff8003");
  EXPECT_FALSE(ParseTtoConfig("d4a5").has_value());
}

TEST(TtoConfigTest, RateBandsOfThePeriodCount) {
  const auto period = TtoPeriodOf("ab0004380000097012");
  ASSERT_TRUE(period.has_value());
  EXPECT_EQ(FormatRate(TtoRate(*period)), "277 k");
  EXPECT_EQ(BandOf(TtoRate(0x0970)), RateBand::kTarget);
  EXPECT_EQ(FormatRate(TtoRate(0x0950)), "281 k");
  EXPECT_EQ(BandOf(TtoRate(0x0950)), RateBand::kHigh);
  EXPECT_EQ(FormatRate(TtoRate(0x0a00)), "262 k");
  EXPECT_EQ(BandOf(TtoRate(0x0a00)), RateBand::kRed);
  EXPECT_EQ(TtoRate(10), 0.0);
  EXPECT_EQ(BandOf(0.0), RateBand::kLow);
  EXPECT_FALSE(TtoPeriodOf("ab00043800").has_value());
}

TEST(TtoConfigTest, PollFirstAfterTenTicksThenEveryEight) {
  RatePoller poller;
  poller.Start();
  std::vector<int> polls;
  for (int tick = 1; tick <= 30; ++tick)
    if (poller.Tick()) polls.push_back(tick);
  EXPECT_EQ(polls, (std::vector<int>{10, 18, 26}));
  poller.Stop();
  EXPECT_FALSE(poller.Tick());
}

TEST(TtoConfigTest, PageCrcChoices) {
  // The CRC-16 CCITT check value of "123456789".
  const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(CrcCcitt(check, 9), 0x29B1);
  const std::string kvq = PageWithCrc("0123456789ABffff", {});
  EXPECT_EQ(kvq.substr(0, 12), "0123456789ab");
  EXPECT_EQ(kvq.size(), 16u);
  PageCrcChoice zero;
  zero.kvq = false;
  EXPECT_NE(PageWithCrc("0123456789ab", zero), kvq);
  PageCrcChoice shifted;
  shifted.shift = true;
  EXPECT_NE(PageWithCrc("0123456789ab", shifted), kvq);
  EXPECT_EQ(PageWithCrc("01", {}).substr(0, 12), "010000000000");
}

}  // namespace
}  // namespace corvalis
