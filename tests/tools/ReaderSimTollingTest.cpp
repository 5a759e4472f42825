#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Options.h"
#include "Simulator.h"
#include "common/Clock.h"
#include "tools/ReaderSimFrames.h"

namespace corvalis::readersim {
namespace {

// The tolling reader through the whole simulator, as a link drives it.
class TollingReaderTest : public ::testing::Test {
 protected:
  TollingReaderTest() {
    options.tolling = true;
    options.tags = 2;
    options.rate = 20;
    options.readsPerPass = 3;
  }
  std::string Command(Simulator& sim, const std::string& body) {
    std::vector<std::string> chunks;
    const std::string line = WithLrc("ab00" + body) + "\r\n";
    sim.Receive(line.data(), line.size(), chunks);
    std::string out;
    for (const std::string& c : chunks) out += c;
    return out;
  }
  // The reports of the next `ms` of streaming.
  std::vector<std::string> Stream(Simulator& sim, int ms) {
    std::vector<std::string> lines;
    for (int t = 0; t < ms; t += 10) {
      clock.AdvanceMs(10);
      std::vector<std::string> chunks;
      sim.Poll(chunks);
      for (std::string& c : chunks) lines.push_back(std::move(c));
    }
    return lines;
  }

  std::string NextReportOfClassOne(Simulator& sim) {
    for (int t = 0; t < 5000; t += 10) {
      for (std::string& r : Stream(sim, 10)) {
        if (r.size() > 40 && r.substr(24, 16) == "0000000000010000") return r;
      }
    }
    return "none";
  }

  ManualClock clock{WallTime{1'741'955'696, 0}};
  Options options;
};

TEST_F(TollingReaderTest, SettingsAreEchoedAndReadBackAndBadLengthsRefused) {
  Simulator sim(options, clock);
  EXPECT_EQ(Command(sim, "ff57"), Reply("ab000b570501f403e805dc07d009c4"));
  EXPECT_EQ(Command(sim, "0b570403e807d00bb80fa01388"), Reply("ab000b570403e807d00bb80fa01388"));
  EXPECT_EQ(Command(sim, "ff57"), Reply("ab000b570403e807d00bb80fa01388"));
  EXPECT_EQ(Command(sim, "02570403"), Reply("ab0000f0"));
  EXPECT_EQ(Command(sim, "ff58"), Reply("ab00025801ff"));
  EXPECT_EQ(Command(sim, "02580201"), Reply("ab0002580201"));
  EXPECT_EQ(Command(sim, "ff24"), Reply("ab0006240ac805640402"));
  EXPECT_EQ(Command(sim, "062400dc056d0503"), Reply("ab00062400dc056d0503"));
  // The mode alone, or with the credit while it is set or added.
  EXPECT_EQ(Command(sim, "ff59"), Reply("ab00015900"));
  EXPECT_EQ(Command(sim, "055902000186a0"), Reply("ab00055902000186a0"));
  EXPECT_EQ(Command(sim, "ff59"), Reply("ab00055902000186a0"));
  EXPECT_EQ(Command(sim, "015906"), Reply("ab0000f5"));
  EXPECT_EQ(Command(sim, "092e010000000000010000"), Reply("ab00092e010000000000010000"));
  EXPECT_EQ(Command(sim, "0027"), Reply("ab000027"));
  // "1228000e" announces 18 data bytes and carries two.
  EXPECT_EQ(Command(sim, "1228000e"), Reply("ab0000f0"));
  EXPECT_EQ(Command(sim, "0228000e"), Reply("ab000228000e"));
}

// Tag 0 is a VIP, tag 1 class 1; both start with a balance of 5000 at read
// point 0; the reader's read point is 1, its FOC read point 255.
TEST_F(TollingReaderTest, OneReportAPassWithTheTollingRules) {
  Simulator sim(options, clock);
  sim.StartStream();
  const std::vector<std::string> reports = Stream(sim, 400);
  ASSERT_EQ(reports.size(), 2u);  // three reads a pass, one report
  for (const std::string& r : reports) {
    EXPECT_EQ(r.size(), 2u + 6 + 16 + 2 + 2) << r;  // mode off: the ID alone
    EXPECT_EQ(r.substr(0, 6), "a10000");
    EXPECT_EQ(r, Reply(r.substr(0, r.size() - 4))) << "LRC";
  }

  Command(sim, "015901");
  // The class-1 tag's report: mode, result 11, info, ID, P1, P2, old P2.
  std::string report = NextReportOfClassOne(sim);
  EXPECT_EQ(report.substr(0, 8), "a1010b00");
  EXPECT_EQ(report.substr(40, 16), "0000010011940000");
  EXPECT_EQ(report.substr(56, 16), "0000000013880000");

  // A tariff above the balance: deducted to a negative balance (result 12).
  Command(sim,
          "0b5705"
          "7530"
          "0000"
          "0000"
          "0000"
          "0000");
  report = NextReportOfClassOne(sim);
  EXPECT_EQ(report.substr(0, 8), "a1010c00");
  EXPECT_EQ(report.substr(40, 16), "000001ff9c640000");  // 4500 - 30000 = -25500

  // A VIP passes free; the read point is still written.
  EXPECT_EQ(sim.State().toll.Page2(0).substr(4, 8),
            "0100"
            "1388");

  // Set credit: the balance becomes the credit.
  Command(sim, "05590200002710");
  report = NextReportOfClassOne(sim);
  EXPECT_EQ(report.substr(0, 8), "a1020d00");
  EXPECT_EQ(report.substr(40, 16), "0000010027100000");
}
}  // namespace
}  // namespace corvalis::readersim
