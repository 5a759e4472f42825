#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "demos/tolling/TollingCommands.h"
#include "demos/tolling/TollingMonitor.h"
#include "demos/tolling/TollingNames.h"
#include "demos/tolling/TollingPages.h"

namespace corvalis {
namespace {

// "a1" + fields + the LRC over the fields, right or off by one.
std::string Report(const std::string& fields, bool goodLrc = true) {
  unsigned sum = 0;
  for (const char c : fields) sum += static_cast<unsigned char>(c);
  char lrc[3];
  std::snprintf(lrc, sizeof lrc, "%02x", (sum + (goodLrc ? 0 : 1)) & 0xFF);
  return "a1" + fields + lrc;
}

const std::string kId = "0123456789abcdef";
const std::string kPage1 = "0000000000030000";     // class 3
const std::string kPage2 = "0000070001f40000";     // read point 7, balance 500
const std::string kOldPage2 = "0000020003e80000";  // read point 2, balance 1000

TollingReport Parse(const std::string& line, bool modeInMessage = true) {
  return ParseTollingReport(line.data(), static_cast<int>(line.size()), modeInMessage);
}

TEST(TollingBodiesTest, EveryCommandBodyAndThePagesNeedSixteenHexDigits) {
  EXPECT_EQ(TollingModeBody(TollingMode::Off, 100000), "015900");
  EXPECT_EQ(TollingModeBody(TollingMode::Report, 100000), "015905");
  EXPECT_EQ(TollingModeBody(TollingMode::SetCredit, 100000), "055902000186a0");
  EXPECT_EQ(TollingModeBody(TollingMode::AddCredit, 900000), "055903000dbba0");
  EXPECT_EQ(TollingReadPointBody(2, 1), "02580201");
  EXPECT_EQ(TollingTariffBody(5, {1000, 2000, 3000, 4000, 30000}), "0b570503e807d00bb80fa07530");
  EXPECT_EQ(TollingTimeoutsBody({0, 220, 5, 109, 5, 3}), "062400dc056d0503");
  // The CRC body's length byte counts its data bytes, as every other body's does.
  EXPECT_EQ(std::string(kTollingCrcOn).size(), 4u + 2 * 2);
  EXPECT_EQ(std::string(kTollingCrcOn).substr(0, 2), "02");

  EXPECT_EQ(TollingPageBody(1, "0000000000010000"), "092e010000000000010000");
  EXPECT_EQ(TollingPageBody(2, "0000ff0186A00000"), "092e020000ff0186A00000");
  // Blanks, short text, other characters and page numbers are refused, never padded.
  for (const char* bad :
       {"", "00000000000100", "0000000000 10000", "000000000001000g", "00000000000100000"}) {
    EXPECT_FALSE(TollingPageBody(1, bad)) << bad;
  }
  EXPECT_FALSE(TollingPageBody(3, "0000000000010000"));
}

TEST(TollingPagesTest, CreditAndClassGoIntoTheirCharactersAndBalancesAreSigned) {
  EXPECT_EQ(PageWithCredit("0000ff0000000000", 100000), "0000ff0186A00000");
  EXPECT_EQ(PageWithClass("0000000000010000", 0), "0000000000000000");
  EXPECT_EQ(ClassLabel(0), "VIP");
  EXPECT_EQ(ClassLabel(4), "Class 4");
  // A page cut short keeps the fields in their places.
  EXPECT_EQ(PageWithCredit("0000ff", 1), "0000ff0000010000");
  EXPECT_EQ(PageWithClass("", 5), "0000000000050000");

  EXPECT_EQ(PageBalance("0000ff7fffff0000"), 8388607);
  EXPECT_EQ(PageBalance("0000ff8000000000"), -8388608);
  EXPECT_EQ(PageBalance("0000ffffffff0000"), -1);
  EXPECT_EQ(PageReadPoint("0000fe0000000000"), 254);
  EXPECT_EQ(PageClass("00000000000a0000"), 10);
  EXPECT_FALSE(PageBalance("0000ff01"));
  EXPECT_FALSE(PageClass("0000000000zz0000"));
}

TEST(TollingNamesTest, ResultsThenModes) {
  EXPECT_STREQ(TollingResultName(0), "Not Tolling");
  EXPECT_STREQ(TollingResultName(11), "DEDUCTED_POS_BAL ");
  EXPECT_STREQ(TollingResultName(19), "Data CRC Error");
  EXPECT_STREQ(TollingResultName(28), "Error 28");
  EXPECT_EQ(TollingResultName(29), nullptr);
  EXPECT_STREQ(TollingName(29), "OFF");
  EXPECT_STREQ(TollingModeName(5), "Report");
  EXPECT_EQ(TollingModeName(6), nullptr);
  EXPECT_EQ(TollingName(35), nullptr);
  EXPECT_EQ(TollingName(-1), nullptr);
}

TEST(TollingReportTest, AFullReportWithModeAndEveryLabel) {
  const TollingReport report = Parse(Report("010b42" + kId + kPage1 + kPage2 + kOldPage2));
  ASSERT_EQ(report.parse, TollingReportParse::Report);
  const TollingReportTexts t = DescribeTollingReport(report);
  EXPECT_EQ(t.modeLabel, "Current mode: Tolling");
  EXPECT_EQ(t.result, "11");
  EXPECT_EQ(t.resultName, "DEDUCTED_POS_BAL ");
  EXPECT_EQ(t.info, "42");
  EXPECT_EQ(t.blocks[0], kId);
  EXPECT_EQ(t.blocks[3], kOldPage2);
  EXPECT_EQ(t.classLabel, "Class 3");
  EXPECT_EQ(t.balance, "500");
  EXPECT_EQ(t.readPoint, "7");
  EXPECT_EQ(t.oldBalance, "1000");
  EXPECT_EQ(t.oldReadPoint, "2");

  // Without the mode the same fields start two characters earlier.
  const TollingReport noMode = Parse(Report("0b42" + kId + kPage1), false);
  ASSERT_EQ(noMode.parse, TollingReportParse::Report);
  EXPECT_FALSE(noMode.mode);
  EXPECT_EQ(DescribeTollingReport(noMode).blocks[1], kPage1);
}

TEST(TollingReportTest, IdOnlyNegativeBalanceUnknownModeAndResult) {
  const TollingReportTexts idOnly = DescribeTollingReport(Parse(Report("0000ff" + kId)));
  EXPECT_EQ(idOnly.blocks[0], kId);
  for (int i = 1; i < 4; ++i) EXPECT_EQ(idOnly.blocks[static_cast<size_t>(i)], "not seen");
  EXPECT_FALSE(idOnly.classLabel);
  EXPECT_EQ(idOnly.balance, "");
  EXPECT_EQ(idOnly.oldReadPoint, "");
  EXPECT_EQ(idOnly.resultName, "Not Tolling");

  // Bit 23 set: -26000; an incomplete fifth block is ignored.
  const TollingReportTexts negative = DescribeTollingReport(
      Parse(Report("090c00" + kId + kPage1 + "000001ff9a700000" + kOldPage2 + "0123")));
  EXPECT_EQ(negative.balance, "-26000");
  EXPECT_FALSE(negative.modeLabel);  // mode 9 is no mode
  EXPECT_EQ(negative.resultName, "DEDUCTED_NEG_BAL ");

  const TollingReportTexts unknown =
      DescribeTollingReport(Parse(Report("0163"
                                         "00")));
  EXPECT_EQ(unknown.result, "99");
  EXPECT_EQ(unknown.resultName, "");
  EXPECT_EQ(unknown.blocks[0], "not seen");
}

TEST(TollingReportTest, BadLrcAndGarbageNeverReadPastTheLine) {
  EXPECT_EQ(Parse(Report("010b00" + kId, false)).parse, TollingReportParse::LrcError);
  EXPECT_EQ(Parse("a1").parse, TollingReportParse::LrcError);
  EXPECT_EQ(Parse("a1z").parse, TollingReportParse::LrcError);
  EXPECT_EQ(Parse("a1"
                  "01"
                  "zz")
                .parse,
            TollingReportParse::LrcError);
  EXPECT_EQ(Parse(Report("")).parse, TollingReportParse::BadData);
  EXPECT_EQ(Parse(Report("01")).parse, TollingReportParse::BadData);      // mode, no result
  EXPECT_EQ(Parse(Report("010b")).parse, TollingReportParse::BadData);    // no information
  EXPECT_EQ(Parse(Report("01 b00")).parse, TollingReportParse::BadData);  // not hex
  EXPECT_EQ(Parse("aa0b00").parse, TollingReportParse::NotReport);
  EXPECT_EQ(ParseTollingReport(nullptr, 5, true).parse, TollingReportParse::NotReport);
}

ReplyView View(const std::string& line) {
  ReplyView r;
  r.text = line.c_str();
  r.length = static_cast<int>(line.size());
  r.readerId = std::stoi(line.substr(2, 2), nullptr, 16);
  r.dataLength = std::stoi(line.substr(4, 2), nullptr, 16);
  r.code = std::stoi(line.substr(6, 2), nullptr, 16);
  r.data = r.text + 8;
  return r;
}

TEST(TollingRepliesTest, EachReplyNeedsItsBytes) {
  const std::string tariffs = "ab010b570503e807d00bb80fa07530xx";
  const auto t = ParseTollingTariffs(View(tariffs));
  ASSERT_TRUE(t);
  EXPECT_EQ(t->classes, 5);
  EXPECT_EQ(t->tariffs[4], 30000);
  // Ten data bytes, or a length byte that claims more than the line holds.
  EXPECT_FALSE(ParseTollingTariffs(View("ab010a570503e807d00bb80fa075xx")));
  EXPECT_FALSE(ParseTollingTariffs(View("ab010b5705xx")));
  EXPECT_FALSE(ParseTollingTariffs(View("ab0101570500")));

  EXPECT_EQ(ParseTollingReadPoints(View("ab01025802ffxx"))->focReadPoint, 255);
  EXPECT_FALSE(ParseTollingReadPoints(View("ab01015802xx")));

  // The credit comes with the mode reply that carries it (five bytes).
  const auto credit = ParseTollingMode(View("ab01055902000186a0xx"));
  ASSERT_TRUE(credit && credit->credit);
  EXPECT_EQ(*credit->credit, 100000u);
  const auto plain = ParseTollingMode(View("ab01015901xx"));
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->mode, 1);
  EXPECT_FALSE(plain->credit);
  EXPECT_FALSE(ParseTollingMode(View("ab000059xx")));
  EXPECT_EQ(TollingModeLabel(7), "Current mode: Unknown");

  const auto timeouts = ParseTollingTimeouts(View("ab01062400dc056d0503xx"));
  ASSERT_TRUE(timeouts);
  EXPECT_EQ((*timeouts)[1], 220);
  EXPECT_FALSE(ParseTollingTimeouts(View("ab010524dc056d0503xx")));
  EXPECT_FALSE(ParseTollingTariffs(View("ab01062400dc056d0503xx")));  // another code
}

// Keeps what the monitor showed.
class RecordingTollingView final : public TollingView {
 public:
  void AddIncomingLine(std::string_view line) override { incoming.emplace_back(line); }
  void ShowReportError(std::string_view text) override { errors.emplace_back(text); }
  void ShowReport(const TollingReportTexts& t) override { reports.push_back(t); }
  void ShowModeLabel(const std::string& text) override { modes.push_back(text); }
  void ShowCredit(uint32_t credit) override { credits.push_back(credit); }
  void ShowTariffs(const TollingTariffs&) override { ++tariffs; }
  void ShowReadPoints(const TollingReadPoints&) override { ++readPoints; }
  void ShowTimeouts(const std::array<int, kTollingTimeouts>&) override { ++timeouts; }

  std::vector<std::string> incoming, errors, modes;
  std::vector<TollingReportTexts> reports;
  std::vector<uint32_t> credits;
  int tariffs = 0, readPoints = 0, timeouts = 0;
};

TEST(TollingMonitorTest, ReportsOnlyWhileTollingAndAnLrcErrorShowsNothingElse) {
  SpecialModes modes;
  RecordingTollingView view;
  TollingMonitor monitor(modes, view);
  const std::string good = Report("010b00" + kId);
  monitor.ObserveMessage(0, good.c_str(), static_cast<int>(good.size()));
  EXPECT_TRUE(view.incoming.empty());  // mode off

  modes.SwitchOn(SpecialMode::Tolling);
  const std::string bad = Report("010b00" + kId, false);
  monitor.ObserveMessage(0, bad.c_str(), static_cast<int>(bad.size()));
  EXPECT_EQ(view.errors, std::vector<std::string>{"LRC error"});
  EXPECT_TRUE(view.reports.empty());
  EXPECT_EQ(view.incoming.size(), 1u);
  monitor.ObserveMessage(0, good.c_str(), static_cast<int>(good.size()));
  EXPECT_EQ(view.reports.size(), 1u);
  monitor.ObserveMessage(0, "aa0011", 6);  // not a report: not listed
  EXPECT_EQ(view.incoming.size(), 2u);

  const std::string mode = "ab01055903000186a0xx";
  monitor.TakeReply(View(mode));
  EXPECT_EQ(view.modes, std::vector<std::string>{"Current mode: Add Credit"});
  EXPECT_EQ(view.credits, std::vector<uint32_t>{100000});
  monitor.TakeReply(View("ab0101570500"));  // short: ignored
  EXPECT_EQ(view.tariffs, 0);
}

}  // namespace
}  // namespace corvalis
