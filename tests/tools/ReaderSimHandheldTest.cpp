#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Options.h"
#include "Simulator.h"
#include "common/Clock.h"
#include "tools/ReaderSimFrames.h"

namespace corvalis::readersim {
namespace {

// The handheld flash-logging reader through the whole simulator.
class HandheldTest : public ::testing::Test {
 protected:
  HandheldTest() {
    options.handheld.type = "FIT HH 2.1";
    options.handheld.storedRecords = 20;  // one block and four records
    options.rfOff = true;
  }
  std::string Command(Simulator& sim, const std::string& body) {
    std::vector<std::string> chunks;
    const std::string line = WithLrc("ab00" + body) + "\r\n";
    sim.Receive(line.data(), line.size(), chunks);
    std::string out;
    for (const std::string& c : chunks) out += c;
    return out;
  }
  std::string PollFor(Simulator& sim, int ms) {
    std::string out;
    for (int t = 0; t < ms; t += 10) {
      clock.AdvanceMs(10);
      std::vector<std::string> chunks;
      sim.Poll(chunks);
      for (const std::string& c : chunks) out += c;
    }
    return out;
  }
  static int Lines(const std::string& text) {
    int n = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
      ++n;
    return n;
  }

  ManualClock clock{WallTime{1'741'955'696, 0}};
  Options options;
};

TEST_F(HandheldTest, StatusCountsFollowPlaybackAndMarkMoves) {
  Simulator sim(options, clock);
  sim.StartStream();
  // flags 0, 1 block + 4 records, nothing played, 64 blocks of 16, slot 3, line 7.
  const std::string idle = Reply(
      "ab000d4b"
      "00"
      "01"
      "0004"
      "00"
      "0000"
      "00"
      "40"
      "0010"
      "03"
      "07");
  EXPECT_EQ(Command(sim, "ff4b"), idle);
  EXPECT_EQ(Command(sim, "024b0101"), Reply("ab000d4b"
                                            "02"
                                            "01"
                                            "0004"
                                            "00"
                                            "0000"
                                            "00"
                                            "40"
                                            "0010"
                                            "03"
                                            "07"));
  const std::string played = PollFor(sim, 2500);
  EXPECT_EQ(Lines(played), 20);  // every stored tag line, then nothing more
  EXPECT_EQ(played.substr(0, 2), "aa");
  EXPECT_EQ(sim.State().handheld.Played(), 20);
  // Back one block, then the mark cannot pass the recorded end.
  EXPECT_EQ(Command(sim, "024b0501"), Reply("ab000d4b"
                                            "02"
                                            "01"
                                            "0004"
                                            "00"
                                            "0004"
                                            "00"
                                            "40"
                                            "0010"
                                            "03"
                                            "07"));
  EXPECT_EQ(Command(sim, "024b0409"), Reply("ab000d4b"
                                            "02"
                                            "01"
                                            "0004"
                                            "01"
                                            "0004"
                                            "00"
                                            "40"
                                            "0010"
                                            "03"
                                            "07"));
  // Flush turns the played whole block into a deleted one.
  Command(sim, "024b0100");
  EXPECT_EQ(Command(sim, "014b06"), Reply("ab000d4b"
                                          "00"
                                          "00"
                                          "0004"
                                          "00"
                                          "0004"
                                          "01"
                                          "40"
                                          "0010"
                                          "03"
                                          "07"));
}

TEST_F(HandheldTest, OneSendsARecordThenTheStatusAndReportsComeWhenAsked) {
  Simulator sim(options, clock);
  sim.StartStream();
  const std::string one = Command(sim, "004b");
  ASSERT_EQ(Lines(one), 2);
  EXPECT_EQ(one.substr(0, 2), "aa");
  EXPECT_NE(one.find("ab000d4b0001000400000100"), std::string::npos) << one;
  // Periodic status reports every 0.5 s until switched off.
  Command(sim, "034b070105");
  EXPECT_EQ(Lines(PollFor(sim, 1000)), 2);
  Command(sim, "034b07000a");
  EXPECT_EQ(PollFor(sim, 1000), "");
}

TEST_F(HandheldTest, FormatReportsItsProgressToTheMaximum) {
  Simulator sim(options, clock);
  sim.StartStream();
  EXPECT_EQ(Command(sim, "014bd0"), Reply("ab00034bd00014"));
  const std::string progress = PollFor(sim, 3000);
  EXPECT_EQ(Lines(progress), 20);
  EXPECT_NE(progress.find(Reply("ab00034bd01414")), std::string::npos);
  EXPECT_EQ(sim.State().handheld.Stored(), 0);
}

// The length byte counts by its low four bits: 0x85 is a change of five
// characters. A second plain set finds the number taken (f7).
TEST_F(HandheldTest, SerialNumberLengthByteByTheLowNibble) {
  Simulator sim(options, clock);
  EXPECT_EQ(Command(sim, "ff65"), Reply("ab000065"));
  EXPECT_EQ(Command(sim, "0365414243"), Reply("ab000365414243"));
  EXPECT_EQ(Command(sim, "0265595a"), Reply("ab0000f7"));
  EXPECT_EQ(Command(sim, "85653132333435"), Reply("ab0005653132333435"));
  EXPECT_EQ(sim.State().handheld.SerialNumber(), "12345");
  // A length byte that disagrees with the data is refused.
  EXPECT_EQ(Command(sim,
                    "8665313233343"
                    "5"),
            Reply("ab0000f0"));
}

TEST_F(HandheldTest, TypeBatteryAntennaModeAndClock) {
  Simulator sim(options, clock);
  EXPECT_EQ(Command(sim, "0066"), Reply("ab000a66"
                                        "46495420484820322e31"));  // "FIT HH 2.1"
  EXPECT_EQ(Command(sim, "0055"), Reply("ab00015537"));
  EXPECT_EQ(Command(sim, "0064"), Reply("ab00016400"));
  EXPECT_EQ(Command(sim, "0309050a07"), Reply("ab000309050a07"));
  EXPECT_EQ(Command(sim, "ff09"), Reply("ab000309050a07"));
  // Set the clock to 2030-01-02 03:04:05 (a Wednesday), then read it back.
  EXPECT_EQ(Command(sim,
                    "07013001020303040"
                    "5"),
            Reply("ab0007013001020303040"
                  "5"));
  EXPECT_EQ(Command(sim, "0002"), Reply("ab0007023001020303040"
                                        "5"));
}

}  // namespace
}  // namespace corvalis::readersim
