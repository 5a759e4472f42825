#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <sstream>
#include <vector>

#include "common/SpecialModes.h"
#include "logging/TimingTestSupport.h"
#include "logging/timing/TimingRanking.h"
#include "logging/timing/TimingRead.h"
#include "logging/timing/TimingRecorder.h"
#include "logging/timing/TimingTap.h"
#include "protocol/TagMessageDecoder.h"
#include "support/RecordingStatus.h"
#include "tags/TagTableHooks.h"

namespace corvalis {
namespace {

using testing::TimingFrame;

TimingRead Parse(const std::string& text, bool withPeriod = false) {
  TimingRead read;
  EXPECT_EQ(ParseTimingRead(text.data(), static_cast<int>(text.size()), withPeriod, read),
            TimingParse::Ok)
      << text;
  return read;
}

TEST(TimingReadTest, ListLineIsByteExact) {
  TimingFrame frame;
  frame.ms10 = 0x85;  // mis flag with ms10 5
  frame.timerX = 0x0100;
  const TimingRead read = Parse(frame.Text());
  EXPECT_EQ(read.timer, 0x105 + 1000);  // missed and low: a second later
  EXPECT_EQ(read.period, 52);
  EXPECT_EQ(FormatTimingListLine(read),
            "0123456789ab1234, 26-12-08 14:05:30.1000, (ID  3), 05, *,    52, 001,  1261, 0100,"
            "     1234");

  frame.period = 0x1f4;
  frame.ms10 = 0x05;
  const TimingRead withPeriod = Parse(frame.Text(), true);
  EXPECT_EQ(withPeriod.period, 500);
  EXPECT_EQ(withPeriod.timer, 0x105);
  EXPECT_EQ(FormatTimingListLine(withPeriod),
            "0123456789ab1234, 26-12-08 14:05:30.1000, (ID  3), 05,  ,   500, 001,   261, 0100,"
            "     1234");
}

TEST(TimingReadTest, ShortNonHexAndLongLinesAreSafe) {
  const std::string good = TimingFrame{}.Text();
  TimingRead read;
  // Every prefix of a good frame is too short; none may be read past its end.
  for (size_t length = 0; length < good.size(); ++length) {
    const std::string cut = good.substr(0, length);
    std::vector<char> exact(cut.begin(), cut.end());
    EXPECT_EQ(ParseTimingRead(exact.data(), static_cast<int>(exact.size()), false, read),
              TimingParse::NotTiming);
  }
  EXPECT_EQ(ParseTimingRead(good.data(), static_cast<int>(good.size()), true, read),
            TimingParse::NotTiming);  // period wanted but missing
  std::string badDigit = good;
  badDigit[30] = 'x';  // inside the date and time
  EXPECT_EQ(ParseTimingRead(badDigit.data(), static_cast<int>(badDigit.size()), false, read),
            TimingParse::NotTiming);
  std::string hexInDecimal = good;
  hexInDecimal[26] = 'a';
  EXPECT_EQ(ParseTimingRead(hexInDecimal.data(), 58, false, read), TimingParse::NotTiming);
  std::string badTimer = good;
  badTimer[45] = 'g';
  EXPECT_EQ(ParseTimingRead(badTimer.data(), 58, false, read), TimingParse::NotTiming);
  std::string badId = good;
  badId[6] = 'z';
  EXPECT_EQ(ParseTimingRead(badId.data(), 58, false, read), TimingParse::BadId);
  const std::string longLine = good + std::string(400, 'f');
  EXPECT_EQ(ParseTimingRead(longLine.data(), static_cast<int>(longLine.size()), false, read),
            TimingParse::Ok);
}

TEST(TimingReadTest, JumpBackMarkNeedsMoreThanTenMilliseconds) {
  const TimingRead later = Parse(TimingFrame{}.At(5, 30, 50).Text());
  const TimingRead twentyEarlier = Parse(TimingFrame{}.At(5, 30, 48).Text());
  const TimingRead tenEarlier = Parse(TimingFrame{}.At(5, 30, 49).Text());
  EXPECT_TRUE(IsTimingJumpBack(later.hourTime, twentyEarlier));
  EXPECT_FALSE(IsTimingJumpBack(later.hourTime, tenEarlier));
  EXPECT_FALSE(IsTimingJumpBack(twentyEarlier.hourTime, later));
}

TEST(TimingRecorderTest, SlotCheckFindsTheSlotItsWordCameFrom) {
  for (int slot = 0; slot < 40; ++slot) {
    const uint16_t word = TimingSlotWord(0x1234, slot);
    const SlotCheck check = FindTimingSlot(0x1234, word);
    // An earlier step may share the low 10 bits; the first match wins.
    EXPECT_LE(check.slot, slot);
    EXPECT_EQ(TimingSlotWord(0x1234, check.slot), word);
  }
  EXPECT_EQ(FindTimingSlot(0x0000, 0x3FF).slot, 40);  // all-zero code never moves
}

TEST(TimingRecorderTest, OneLinePerReadWithTimeAgainstTheReference) {
  TimingRecorder recorder;
  TimingFrame tag;
  tag.At(5, 30, 10);
  tag.r16 = TimingSlotWord(0x1234, 3);
  tag.idNumber = FindTimingSlot(0x1234, tag.r16).slot;
  const std::string before = tag.Text();
  std::string line = recorder.RecordLine(before, Parse(before), false);
  EXPECT_EQ(line, before + ", " + FormatTimingListLine(Parse(before)) + "\n");

  TimingFrame reference;
  reference.id = "00000000000000aa";
  reference.At(5, 30, 0);
  reference.timerX = 95;  // timer 100
  const std::string referenceText = reference.Text();
  line = recorder.RecordLine(referenceText, Parse(referenceText), true);
  // Hour time 330000 ms, in hundredths of a millisecond, plus the timer.
  EXPECT_EQ(line, referenceText + ", " + FormatTimingListLine(Parse(referenceText)) +
                      " *, PU time = 33000100\n");

  tag.timerX = 195;  // timer 200, 100 ms after the reference
  const std::string after = tag.Text();
  line = recorder.RecordLine(after, Parse(after), false);
  const std::string expectedTail = ", 33010200,  3, 10100,";
  ASSERT_NE(line.find(expectedTail), std::string::npos) << line;
  EXPECT_EQ(line.back(), '\n');
  EXPECT_EQ(line[line.size() - 2], ' ');  // slot matches ID#
  EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);

  // A read that seems earlier than the last one moves up in steps of 1000.
  tag.At(5, 30, 5);
  const std::string earlier = tag.Text();
  line = recorder.RecordLine(earlier, Parse(earlier), true);
  EXPECT_NE(line.find(", 33010200,  3, 10100,"), std::string::npos) << line;

  tag.idNumber = 9;  // slot no longer matches
  const std::string wrongSlot = tag.Text();
  line = recorder.RecordLine(wrongSlot, Parse(wrongSlot), false);
  EXPECT_EQ(line.substr(line.size() - 2), "*\n");
}

class RecordingNames final : public TagNameLookup {
 public:
  std::string LookupTagName(const uint8_t[kTagIdBytes], const char* text) override {
    return std::string("N") + text;
  }
};

TimingRead RankRead(uint16_t code, int hundredths, int tenThousandths, int second = 0) {
  TimingFrame frame;
  char id[17];
  std::snprintf(id, sizeof id, "000000000001%04x", code);
  frame.id = id;
  frame.At(0, second, hundredths, tenThousandths);
  return Parse(frame.Text());
}

TEST(TimingRankingTest, LoneOutlierGivesWayToTheSecondReading) {
  testing::RecordingStatus status;
  TimingRanking ranking(nullptr, status);
  ranking.SetHourClock(false);
  ranking.AddRead(RankRead(7, 10, 0), true);  // 1000
  ranking.AddRead(RankRead(7, 15, 0), true);  // 1500
  ranking.AddRead(RankRead(7, 15, 5), true);  // 1505
  ASSERT_EQ(ranking.TagCount(), 1);
  EXPECT_EQ(ranking.TagAt(0).time, 1500);
  EXPECT_STREQ(ranking.TagAt(0).timeText, " 14:00:00.1500");

  TimingRanking steady(nullptr, status);
  steady.SetHourClock(false);
  steady.AddRead(RankRead(7, 10, 0), true);
  steady.AddRead(RankRead(7, 10, 5), true);
  steady.AddRead(RankRead(7, 15, 5), true);
  EXPECT_EQ(steady.TagAt(0).time, 1000);
}

TEST(TimingRankingTest, SortsByTimeAndShowsGapsWithMilliseconds) {
  testing::RecordingStatus status;
  RecordingNames names;
  TimingRanking ranking(&names, status);
  ranking.SetHourClock(false);
  ranking.AddRead(RankRead(2, 5, 0, 1), true);  // 1.0500 s
  ranking.AddRead(RankRead(1, 0, 0, 0), true);  // leader
  ranking.AddRead(RankRead(3, 0, 3, 3), true);  // 3.0003 s
  const RankRow leader = ranking.Row(0);
  EXPECT_EQ(leader.place, 1);
  EXPECT_EQ(leader.name, "N0000000000010001");
  EXPECT_EQ(leader.deltaText, " 0.0000");
  EXPECT_EQ(ranking.Row(1).deltaText, " 1.0500");
  EXPECT_EQ(ranking.Row(1).timeText, " 14:00:01.0500");
  EXPECT_EQ(ranking.Row(2).deltaText, " 3.0003");
}

TEST(TimingRankingTest, FortyNinthTagIsLostNotRankedAndReadingsAreBounded) {
  testing::RecordingStatus status;
  TimingRanking ranking(nullptr, status);
  for (uint16_t code = 1; code <= kRankedTagLimit; ++code)
    ranking.AddRead(RankRead(code, 1, 0), true);
  ranking.AddRead(RankRead(99, 0, 0), true);
  EXPECT_EQ(ranking.TagCount(), kRankedTagLimit);
  EXPECT_EQ(ranking.LostText(), "1 tags lost (Too many tags)");
  for (int place = 0; place < ranking.TagCount(); ++place) {
    EXPECT_NE(ranking.TagAt(place).tagCode, 99);
  }
  for (int i = 0; i < 60; ++i) ranking.AddRead(RankRead(5, 1, 0), true);
  bool found = false;
  for (int place = 0; place < ranking.TagCount(); ++place) {
    if (ranking.TagAt(place).tagCode == 5) {
      EXPECT_EQ(ranking.TagAt(place).readingCount, kReadingsPerTag);
      found = true;
    }
  }
  EXPECT_TRUE(found);
}

TEST(TimingRankingTest, NonHexIdIsReportedNotRanked) {
  testing::RecordingStatus status;
  TimingRanking ranking(nullptr, status);
  TimingRead read = RankRead(4, 1, 0);
  read.id[0] = 'q';
  ranking.AddRead(read, false);
  EXPECT_EQ(ranking.TagCount(), 0);
  EXPECT_EQ(ranking.ErrorText(), "Error in tag ID q000000000010004");
  EXPECT_EQ(status.lastError, "Error in tag ID q000000000010004");
}

class ListRecorder final : public TimingListView {
 public:
  void AddListLine(std::string_view line) override { lines.emplace_back(line); }
  void RankingChanged() override { ++rankingChanges; }
  std::vector<std::string> lines;
  int rankingChanges = 0;
};

TEST(TimingTapTest, ListsMarksRecordsAndStopsWithItsMode) {
  SpecialModes modes;
  ChannelFormats formats;
  formats.format[1].msTimingP = false;
  testing::RecordingStatus status;
  TimingTap tap(SpecialMode::MsTimingRanking, modes, formats, nullptr, status);
  ListRecorder view;
  tap.SetView(&view);
  tap.SetChannelSelected(1, true);
  modes.SwitchOn(SpecialMode::MsTimingRanking);

  QTemporaryDir dir;
  const std::string path = dir.filePath("timing.txt").toStdString();
  std::string error;
  ASSERT_TRUE(tap.StartRecording(path, error));
  const std::string first = TimingFrame{}.At(5, 30, 50).Text();
  const std::string second = TimingFrame{}.At(5, 30, 48).Text();
  tap.ObserveMessage(1, first.data(), static_cast<int>(first.size()));
  tap.ObserveMessage(1, second.data(), static_cast<int>(second.size()));
  tap.ObserveMessage(0, first.data(), static_cast<int>(first.size()));  // not selected
  ASSERT_EQ(view.lines.size(), 2u);
  EXPECT_EQ(view.lines[0].substr(view.lines[0].size() - 3), ",  ");
  EXPECT_EQ(view.lines[1].substr(view.lines[1].size() - 3), ", *");
  EXPECT_EQ(tap.Ranking().TagCount(), 1);
  tap.StopRecording();
  std::ifstream file(path);
  std::stringstream content;
  content << file.rdbuf();
  const std::string recorded = content.str();
  EXPECT_EQ(std::count(recorded.begin(), recorded.end(), '\n'), 2);

  modes.SwitchOff(SpecialMode::MsTimingRanking);
  tap.ObserveMessage(1, first.data(), static_cast<int>(first.size()));
  EXPECT_EQ(view.lines.size(), 2u);
  EXPECT_EQ(tap.Ranking().TagCount(), 1);  // kept until Clear
  tap.Clear();
  EXPECT_EQ(tap.Ranking().TagCount(), 0);

  EXPECT_FALSE(tap.StartRecording(dir.filePath("no/such/dir/x.txt").toStdString(), error));
  EXPECT_EQ(error, "Could not open file (" + dir.filePath("no/such/dir/x.txt").toStdString() +
                       ") for output!");
}

}  // namespace
}  // namespace corvalis
