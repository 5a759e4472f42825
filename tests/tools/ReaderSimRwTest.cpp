#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Options.h"
#include "Simulator.h"
#include "common/Clock.h"
#include "tools/ReaderSimFrames.h"

namespace corvalis::readersim {
namespace {

// The read/write controller through the whole simulator, as a link drives it.
class RwControllerTest : public ::testing::Test {
 protected:
  std::string Send(Simulator& sim, const std::string& lineWithLrc) {
    std::vector<std::string> chunks;
    const std::string line = lineWithLrc + "\r\n";
    sim.Receive(line.data(), line.size(), chunks);
    std::string out;
    for (const std::string& c : chunks) out += c;
    return out;
  }
  std::string Command(Simulator& sim, const std::string& body) {
    return Send(sim, WithLrc("ab00" + body));
  }

  ManualClock clock{WallTime{1'741'955'696, 0}};
  Options options;
};

// Read (4) / write (3) of page A, one page; the CRC-5 bits do not matter here.
std::string Word(int command, int page) {
  static const char* hex = "0123456789abcdef";
  const int word = command << 13 | page << 9 | 1 << 5;
  return {hex[word >> 12], hex[(word >> 8) & 15], hex[(word >> 4) & 15], hex[word & 15]};
}

TEST_F(RwControllerTest, FirstGenerationWriteThenReadGivesTheDataBack) {
  Simulator sim(options, clock);
  EXPECT_EQ(Command(sim, "091501123456789abcdef0"), Reply("ab000015"));
  EXPECT_EQ(Command(sim, "091500" + Word(3, 7) + "000000000000"), Reply("ab000015"));
  EXPECT_EQ(Send(sim, "ab00001627"), Reply("ab000016"));
  EXPECT_EQ(sim.State().rw.Page(7), "123456789abcdef0");
  Command(sim, "091500" + Word(4, 7) + "000000000000");
  EXPECT_EQ(Send(sim, "ab00001627"), Reply("ab000016") + "123456789abcdef0\r\n");
}

TEST_F(RwControllerTest, SecondGenerationWriteThenReadPageFive) {
  Simulator sim(options, clock);
  EXPECT_EQ(Command(sim, "08210011223344556677"), Reply("ab000021"));
  EXPECT_EQ(Command(sim,
                    "0320"
                    "00"
                    "51"
                    "61"),
            Reply("ab000020"));  // write page 5
  EXPECT_EQ(sim.State().rw.Page(5), "0011223344556677");
  const std::string read = Command(sim,
                                   "0320"
                                   "01"
                                   "51"
                                   "81");
  ASSERT_EQ(read.substr(0, 12), Reply("ab000020"));
  const std::string ad = read.substr(12);
  EXPECT_EQ(ad.size(), 39u);
  EXPECT_EQ(ad.substr(0, 5), "ad458");
  EXPECT_EQ(ad.substr(21, 16), "0011223344556677");
}

TEST_F(RwControllerTest, FaultsDropDelayAndCorruptReplies) {
  options.rwFaults = {.dropReplies = 1, .lateMs = 300, .corruptDigits = 2};
  Simulator sim(options, clock);
  EXPECT_EQ(Command(sim, "091500" + Word(4, 15) + "000000000000"), "");  // dropped
  EXPECT_EQ(Send(sim, "ab00001627"), "");                                // late
  EXPECT_EQ(sim.MsUntilNextPoll(), 300);
  clock.AdvanceMs(300);
  std::vector<std::string> chunks;
  sim.Poll(chunks);
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks[1], "01006000ffff8001\r\n");
}

TEST_F(RwControllerTest, OtherChannelFaultAnswersTheTagExchangesOnTheSecondLink) {
  options.rwFaults.otherChannel = true;
  Simulator sim(options, clock);
  EXPECT_EQ(Command(sim, "091500" + Word(4, 15) + "000000000000"), "");
  EXPECT_EQ(Send(sim, "ab00001627"), "");
  std::vector<std::string> other;
  sim.TakeOtherChannel(other);
  ASSERT_EQ(other.size(), 3u);
  EXPECT_EQ(other[0], Reply("ab000015"));
  EXPECT_EQ(other[1], Reply("ab000016"));
  EXPECT_EQ(other[2], "d0006000ffff8001\r\n");
  // The controller's own status still answers where it was asked.
  EXPECT_EQ(Command(sim, "0026").substr(4, 4), "1026");
  other.clear();
  sim.TakeOtherChannel(other);
  EXPECT_TRUE(other.empty());
}

TEST_F(RwControllerTest, TtoPeriodFollowsTheTrimAndStatusRepliesHaveTheirLength) {
  Simulator sim(options, clock);
  EXPECT_EQ(Command(sim, "0038"), Reply("ab0004380000"
                                        "0a00"));
  Command(sim,
          "0821"
          "d0007000ffff8001");
  Command(sim,
          "0320"
          "00"
          "f1"
          "61");
  EXPECT_EQ(Command(sim, "0038"), Reply("ab0004380000"
                                        "09c0"));
  EXPECT_EQ(Command(sim,
                    "0228"
                    "1106"),
            Reply("ab0002281106"));
  EXPECT_EQ(Command(sim, "ff28"), Reply("ab0002281106"));
  const std::string status = Command(sim, "0026");
  EXPECT_EQ(status.substr(4, 4), "1026");
  EXPECT_EQ(status.size(), 8 + 32 + 2 + 2u);
}

TEST_F(RwControllerTest, ShortMessageFormatIsTaken) {
  Simulator sim(options, clock);
  const std::string reply = Command(sim, "091100ff0000aa000d0a00");
  EXPECT_EQ(reply.substr(0, 8), "ab000a11");
}

}  // namespace
}  // namespace corvalis::readersim
