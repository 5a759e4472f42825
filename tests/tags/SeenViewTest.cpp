#include "tags/SeenView.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <tuple>
#include <utility>

#include "tags/TagTableTestSupport.h"

namespace corvalis {
namespace {

using testing::MakeRead;

class SeenViewTest : public ::testing::Test {
 protected:
  SeenViewTest() { view.LayoutSeenView(); }

  void ReadNow(uint64_t id, int32_t count = 1, int channel = 0) {
    table.RecordTagRead(MakeRead(id, clock.Now(), 1, channel, count));
  }

  // Refreshes and returns the cells the window would write, by (row, column).
  std::map<std::pair<int, int>, std::string> Refresh(int layoutChanged = 0) {
    view.RefreshSeenView(layoutChanged);
    std::map<std::pair<int, int>, std::string> written;
    view.TakeMarkedCells([&](int row, int column, const char* text) {
      written[{row, column}] = text;
    });
    return written;
  }

  std::string Cell(int row, int column) const { return view.CellText(row, column); }

  ManualClock clock{WallTime{1'700'000'000, 0}};
  TagTable table{clock};
  SeenView view{table, clock};
};

// ---- Ageing and rows ----

TEST_F(SeenViewTest, TagQuietPastTheTimeoutLeavesAndTheRowsBelowMoveUpWhole) {
  ReadNow(0xA);
  ReadNow(0xB);
  ReadNow(0xC);
  Refresh();
  ASSERT_EQ(Cell(1, 0), "000000000000000b");

  clock.AdvanceMs(5'000);
  ReadNow(0xA);
  ReadNow(0xC);
  clock.AdvanceMs(5'001);  // B quiet for just over 10 s, A and C for 5 s
  const auto written = Refresh();

  EXPECT_EQ(table.SeenLength(), 2);
  EXPECT_EQ(Cell(0, 0), "000000000000000a");
  EXPECT_EQ(Cell(1, 0), "000000000000000c");
  EXPECT_EQ(Cell(1, 1), "2");
  EXPECT_EQ(Cell(2, 0), "");
  // A stayed put: only its count is written. C moved: its whole row is.
  EXPECT_EQ(written.count({0, 0}), 0u);
  EXPECT_EQ(written.at({0, 1}), "2");
  EXPECT_EQ(written.at({1, 0}), "000000000000000c");
  EXPECT_EQ(written.at({2, 0}), "");
  EXPECT_STREQ(view.NumSeenText(), "2");
}

TEST_F(SeenViewTest, ZeroTimeoutKeepsOnlyReadsOfTheSameMillisecond) {
  view.settings().showTimeoutSec = 0;
  ReadNow(1);
  Refresh();
  EXPECT_EQ(table.SeenLength(), 1);
  clock.AdvanceMs(1);
  Refresh();
  EXPECT_EQ(Cell(0, 0), "");
}

TEST_F(SeenViewTest, RowsShowTheOldestTagsAndTheLabelCountsAll) {
  for (uint64_t id = 1; id <= 6; ++id) ReadNow(id);
  Refresh();
  EXPECT_TRUE(view.TakeNumSeenChanged());
  EXPECT_STREQ(view.NumSeenText(), "6");
  EXPECT_EQ(view.RowCount(), 4);
  EXPECT_EQ(Cell(0, 0), "0000000000000001");
  EXPECT_EQ(Cell(3, 0), "0000000000000004");
  Refresh();
  EXPECT_FALSE(view.TakeNumSeenChanged());  // unchanged length is not rewritten
}

TEST_F(SeenViewTest, RepaintAllStillBlanksARowWhoseTagLeavesAtThatRefresh) {
  ReadNow(1);
  clock.AdvanceMs(5'000);
  ReadNow(2);
  Refresh();
  clock.AdvanceMs(5'001);  // tag 1 leaves at the very refresh that repaints all
  Refresh(1);
  EXPECT_EQ(Cell(0, 0), "0000000000000002");
  EXPECT_EQ(Cell(1, 0), "");
  EXPECT_EQ(Cell(1, 1), "");
}

TEST_F(SeenViewTest, StatusFollowsTheFlagsEvenWithoutNewCounts) {
  ReadNow(1);
  Refresh();
  EXPECT_EQ(Cell(0, 2), "");
  TagRead tamper = MakeRead(1, clock.Now(), 1, 0, 0);  // a read that adds no count
  tamper.tamper = true;
  table.RecordTagRead(tamper);
  const auto written = Refresh();
  EXPECT_EQ(written.at({0, 2}), "T");
  TagRead fs = MakeRead(1, clock.Now());
  fs.flagFS = true;
  fs.flagLS = true;
  table.RecordTagRead(fs);
  Refresh();
  EXPECT_EQ(Cell(0, 2), "FS");
}

// ---- What the first column shows ----

TEST_F(SeenViewTest, FirstColumnShowsNameIdOrWiegandNumbers) {
  // Bytes 2..5 are 01 02 03 04: Wiegand 26 takes 02 03 04, Wiegand 34 all four.
  testing::FakeNameList names;
  names.named.insert(0x0000010203040506);
  table.hooks().nameLookup = &names;
  ReadNow(0x0000010203040506);
  const std::pair<SeenLabel, std::string> cases[] = {
      {SeenLabel::kName, "Named"},
      {SeenLabel::kId, "0000010203040506"},
      {SeenLabel::kWiegand26, std::to_string(0x020304)},
      {SeenLabel::kWiegand34, std::to_string(0x01020304)},
  };
  for (const auto& [what, text] : cases) {
    view.settings().showWhat = what;
    Refresh(1);
    EXPECT_EQ(Cell(0, 0), text) << static_cast<int>(what);
  }
}

// ---- Count column ----

TEST_F(SeenViewTest, CountTemplateGrowsPastTheShownCountAndShrinksOnClear) {
  ReadNow(1, 9'999);
  Refresh();
  view.TakeWidthsChanged();
  EXPECT_STREQ(view.CountTemplateText(), "9999");
  ReadNow(1, 1);
  Refresh();
  EXPECT_EQ(Cell(0, 1), "10000");
  EXPECT_STREQ(view.CountTemplateText(), "99999");
  EXPECT_TRUE(view.TakeWidthsChanged());
  view.SeenTableCleared();
  EXPECT_STREQ(view.CountTemplateText(), "9999");
  EXPECT_TRUE(view.TakeWidthsChanged());
}

TEST_F(SeenViewTest, CountsUnderTheNoiseLimitAreStarredAndStillFitTheColumn) {
  table.settings().noiseLimit = 3;
  ReadNow(1, 2);
  Refresh();
  EXPECT_EQ(Cell(0, 1), "*  2*");
  // Five characters need the five-digit template even though 2 < 9999.
  EXPECT_STREQ(view.CountTemplateText(), "99999");
  ReadNow(1, 1);
  Refresh();
  EXPECT_EQ(Cell(0, 1), "*3*");
  ReadNow(1, 1);
  Refresh();
  EXPECT_EQ(Cell(0, 1), "4");
}

// ---- Read rate ----

class SeenViewRateTest : public SeenViewTest {
 protected:
  // Runs ticks until the rate has been evaluated once more.
  void Evaluate() {
    for (int tick = 0; tick < 1000 && !view.TakeRateEvaluated(); ++tick) view.ReadRateStep();
  }
};

TEST_F(SeenViewRateTest, EvaluatesEveryPeriodTicks) {
  view.settings().readRatePeriod = 3;
  view.ReadRateStep();
  view.ReadRateStep();
  EXPECT_FALSE(view.TakeRateEvaluated());
  view.ReadRateStep();
  EXPECT_TRUE(view.TakeRateEvaluated());
}

TEST_F(SeenViewRateTest, BurstInTheCurrentBucketIsMeasuredOverThatBucketOnly) {
  Evaluate();  // start on a bucket boundary
  ReadNow(1, 10);
  ReadNow(2, 10, 2);
  Evaluate();
  // 20 IDs in one 0.5 s bucket, not spread over the ten-bucket window.
  EXPECT_STREQ(view.RateIText(), "40.0");
  EXPECT_EQ(view.RateISum(), 20);
}

TEST_F(SeenViewRateTest, RateSpansFromTheOldestActiveBucketAndForgetsOldOnes) {
  view.settings().readRateIntervals = 4;
  Evaluate();
  ReadNow(1, 6);
  Evaluate();
  Evaluate();
  ReadNow(1, 4);
  Evaluate();
  // 10 IDs over three buckets of 0.5 s.
  EXPECT_STREQ(view.RateIText(), "6.7");
  Evaluate();
  Evaluate();  // the first burst is now four buckets old
  EXPECT_STREQ(view.RateIText(), "2.7");
  for (int k = 0; k < 4; ++k) Evaluate();
  EXPECT_STREQ(view.RateIText(), "0.0");
  EXPECT_EQ(view.RateISum(), 0);
}

TEST_F(SeenViewRateTest, SeparateIqSplitsTheRateAndTheRowShowsItWhenItChanges) {
  view.settings().separateIQ = true;
  view.settings().showReadRate = true;
  view.LayoutSeenView();
  Refresh(1);
  Evaluate();
  TagRead read = MakeRead(1, clock.Now(), 1, 0, 5);
  read.iCount = 3;
  read.qCount = 2;
  table.RecordTagRead(read);
  Evaluate();
  EXPECT_STREQ(view.RateIText(), "6.0");
  EXPECT_STREQ(view.RateQText(), "4.0");
  const auto written = Refresh();
  EXPECT_EQ(written.at({4, 1}), "6.0");
  EXPECT_EQ(written.at({4, 2}), "4.0");
  // Same sums one bucket later: the span doubled, so the row follows.
  Evaluate();
  EXPECT_EQ(Refresh().at({4, 1}), "3.0");
  for (int k = 0; k < 10; ++k) Evaluate();
  Refresh();
  Evaluate();  // still an empty window: nothing to rewrite
  EXPECT_EQ(Refresh().count({4, 1}), 0u);
}

// A steady 200 reads/s with one ID each, while the ticks come late (a busy
// window, a lax timer): the rate follows the clock, not the tick count.
TEST_F(SeenViewRateTest, ASteadyRateIsShownWhateverTheTickSpacing) {
  for (const int tickMs : {100, 130, 250}) {
    table.ReadRate().Clear();
    double shown = 0;
    for (int tick = 0; tick < 200; ++tick) {
      for (int r = 0; r < tickMs / 5; ++r) {
        ReadNow(static_cast<uint64_t>(r % 40 + 1), 1);
        clock.AdvanceMs(5);
      }
      view.ReadRateStep();
      if (view.TakeRateEvaluated()) shown = std::atof(view.RateIText());
    }
    EXPECT_NEAR(shown, 200.0, 10.0) << "ticks " << tickMs << " ms apart";
  }
}

// ---- Small rules ----

TEST(SeenViewRules, CycleWrapsBothWays) {
  EXPECT_EQ(CycleNumToShow(32, false), 1);
  EXPECT_EQ(CycleNumToShow(3, false), 6);
  EXPECT_EQ(CycleNumToShow(1, true), 32);
  EXPECT_EQ(CycleNumToShow(8, true), 4);
}

TEST(SeenViewRules, PaletteClassBoundaries) {
  for (const auto& [value, colourClass] :
       {std::pair{0, 0}, {1, 1}, {4, 1}, {5, 2}, {26, 5}, {27, 6}, {199, 10}, {200, 11}}) {
    EXPECT_EQ(RateColourClass(value), colourClass) << value;
  }
  EXPECT_TRUE(RatePaletteColour(0).buttonFace);
  const RateColour bright = RatePaletteColour(30);
  EXPECT_EQ((std::tuple{bright.r, bright.g, bright.b}), (std::tuple{48, 255, 48}));
}

}  // namespace
}  // namespace corvalis
