#include "tags/TagTable.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "tags/TagTableTestSupport.h"

namespace corvalis {
namespace {

using testing::MakeRead;
using testing::RecordingCompleter;
using testing::RecordingWindows;

class TagTableTest : public ::testing::Test {
 protected:
  TagTableTest() {
    table.hooks().passCompleter = &completer;
    windows.AttachTo(table.hooks());
  }

  // A read stamped with the computer time now, as a live reader gives it.
  void ReadNow(uint64_t id, int readerId = 1, int channel = 0, int32_t count = 1) {
    table.RecordTagRead(MakeRead(id, clock.Now(), readerId, channel, count));
  }

  ManualClock clock{WallTime{1'700'000'000, 0}};
  TagTable table{clock};
  RecordingCompleter completer;
  RecordingWindows windows;
};

// ---- Passes ----

TEST_F(TagTableTest, ReadsCloserThanWaitTimeFormOnePassThatClosesWhenQuiet) {
  ReadNow(1);
  clock.AdvanceMs(400);
  ReadNow(1);
  ASSERT_EQ(table.PassCount(), 1);
  EXPECT_EQ(table.Pass(0).count, 2);

  clock.AdvanceMs(499);
  table.FlushPasses(false);
  EXPECT_TRUE(completer.calls.empty());
  clock.AdvanceMs(1);  // quiet for exactly the wait time
  table.FlushPasses(false);
  ASSERT_EQ(completer.calls.size(), 1u);
  EXPECT_EQ(completer.calls[0].count, 2);
  EXPECT_EQ(completer.calls[0].firstSeenMs, 0);
  EXPECT_EQ(completer.calls[0].lastSeenMs, 400);
  EXPECT_EQ(table.PassCount(), 0);
}

TEST_F(TagTableTest, GapOfWaitTimeOrMoreStartsASecondPass) {
  ReadNow(1);
  clock.AdvanceMs(600);
  ReadNow(1);
  clock.AdvanceMs(500);
  ReadNow(1);  // exactly the wait time after the previous read
  ASSERT_EQ(table.PassCount(), 3);
  table.FlushPasses(true);
  ASSERT_EQ(completer.calls.size(), 3u);
  EXPECT_EQ(completer.calls[0].lastSeenMs, 0);  // oldest first
  EXPECT_EQ(completer.calls[1].lastSeenMs, 600);
  EXPECT_EQ(completer.calls[2].lastSeenMs, 100);
}

TEST_F(TagTableTest, NegativeWaitTimeCompletesAPassAtItsFirstReadOnly) {
  table.settings().waitTime = -500;
  ReadNow(1);
  ASSERT_EQ(completer.calls.size(), 1u);
  EXPECT_EQ(completer.calls[0].count, 1);
  EXPECT_EQ(completer.calls[0].logged, 0);

  clock.AdvanceMs(300);
  ReadNow(1);
  EXPECT_EQ(completer.calls.size(), 1u);
  EXPECT_EQ(table.Pass(0).count, 2);

  // It stays in the queue, logged, until it ages out.
  clock.AdvanceMs(500);
  table.FlushPasses(false);
  ASSERT_EQ(completer.calls.size(), 2u);
  EXPECT_EQ(completer.calls[1].logged, 1);
  EXPECT_EQ(table.PassCount(), 0);
}

TEST_F(TagTableTest, OlderPassIsJoinedWhenTheNewerOneHasMovedBackInTime) {
  const WallTime t0 = clock.Now();
  const auto at = [&](int64_t ms) {
    ManualClock shifted(t0);
    shifted.AdvanceMs(ms);
    return shifted.Now();
  };
  table.RecordTagRead(MakeRead(1, at(0)));      // pass A
  table.RecordTagRead(MakeRead(1, at(1000)));   // pass B
  table.RecordTagRead(MakeRead(1, at(-5000)));  // joins B, whose last read goes back
  table.RecordTagRead(MakeRead(1, at(-4400)));  // 600 ms after B's last: joins A
  ASSERT_EQ(table.PassCount(), 2);
  EXPECT_EQ(table.Pass(0).count, 2);
  EXPECT_EQ(table.Pass(0).lastSeenSec, at(-4400).sec);
  EXPECT_EQ(table.Pass(1).count, 2);
}

TEST_F(TagTableTest, FlushLeavesOpenPassesJoinableAndDropsOnlyClosedOnes) {
  ReadNow(1);
  ReadNow(2);
  clock.AdvanceMs(300);
  ReadNow(3);
  ReadNow(1, 2);  // same tag, second reader: its own pass
  clock.AdvanceMs(300);
  ReadNow(3);
  table.FlushPasses(false);  // tag 1 (reader 1) and tag 2 are quiet for 600 ms
  ASSERT_EQ(completer.calls.size(), 2u);
  ASSERT_EQ(table.PassCount(), 2);

  ReadNow(3);
  ReadNow(1, 2);
  ReadNow(1);  // its pass closed: a new one
  ASSERT_EQ(table.PassCount(), 3);
  for (int k = 0; k < table.PassCount(); ++k) {
    const TagRecord& pass = table.Pass(k);
    const int expected = pass.tagBytes[7] == 3 ? 3 : pass.readerId == 2 ? 2 : 1;
    EXPECT_EQ(pass.count, expected) << "pass " << k;
  }
}

// A console behind its readers: reads stamped by the reader wait unread in
// the link while the computer's clock runs on.
struct FakeBacklog final : ReadBacklog {
  bool InputWaiting(int channel) const override { return waiting[channel]; }
  bool waiting[kReaderChannelCount] = {};
};

TEST_F(TagTableTest, PassWaitsForItsUnreadReadsButNotForeverNorForOtherChannels) {
  FakeBacklog backlog;
  table.hooks().readBacklog = &backlog;
  const WallTime t0 = clock.Now();
  const auto stamped = [&](uint64_t id, int64_t ms, int channel = 0) {
    ManualClock reader(t0);
    reader.AdvanceMs(ms);
    table.RecordTagRead(MakeRead(id, reader.Now(), 1, channel));
  };
  stamped(1, 0);
  stamped(5, 0, 1);  // channel 2: nothing waits there
  backlog.waiting[0] = true;
  clock.AdvanceMs(600);  // the GUI thread was busy
  table.FlushPasses(false);
  ASSERT_EQ(completer.calls.size(), 1u);
  EXPECT_EQ(completer.calls[0].channel, 1);

  stamped(1, 250);  // the next read of the pass, read late
  stamped(2, 700);
  ASSERT_EQ(table.PassCount(), 2);
  EXPECT_EQ(table.Pass(0).count, 2);
  clock.AdvanceMs(500);
  table.FlushPasses(false);  // the reader has read on 450 ms past tag 1
  EXPECT_EQ(completer.calls.size(), 1u);
  stamped(2, 750);  // now 500 ms
  clock.AdvanceMs(500);
  table.FlushPasses(false);
  ASSERT_EQ(completer.calls.size(), 2u);
  EXPECT_EQ(completer.calls[1].count, 2);
  EXPECT_EQ(completer.calls[1].lastSeenMs, 250);

  // Still waiting and no stamp moves on: tag 2 closes once the hold is over.
  clock.AdvanceMs(kBacklogHoldMs - 1);
  table.FlushPasses(false);
  EXPECT_EQ(completer.calls.size(), 2u);
  clock.AdvanceMs(1);
  table.FlushPasses(false);
  ASSERT_EQ(completer.calls.size(), 3u);
  EXPECT_EQ(table.PassCount(), 0);
}

TEST_F(TagTableTest, FlushStartedFromInsideARecordedReadDoesNothing) {
  struct FlushingCompleter final : PassCompleter {
    TagTable* table = nullptr;
    int calls = 0;
    void CompletePass(TagRecord& pass) override {
      ++calls;
      pass.logged = 1;
      table->FlushPasses(true);
    }
  } flushing;
  flushing.table = &table;
  table.hooks().passCompleter = &flushing;
  table.settings().waitTime = -500;
  ReadNow(1);
  EXPECT_EQ(flushing.calls, 1);
  EXPECT_EQ(table.PassCount(), 1);
}

TEST_F(TagTableTest, NoiseLimitDecidesValidPassesAndCountTexts) {
  table.settings().noiseLimit = 3;
  ReadNow(1, 1, 0, 2);
  EXPECT_STREQ(table.SeenEntry(0).countText, "*  2*");
  EXPECT_EQ(table.ValidPasses(), 0);
  ReadNow(1, 1, 0, 2);
  EXPECT_STREQ(table.SeenEntry(0).countText, "4");
  EXPECT_EQ(table.ValidPasses(), 1);
  ReadNow(1, 1, 0, 2);
  EXPECT_EQ(table.ValidPasses(), 1);  // counted once per pass

  ReadNow(2, 1, 0, 2);
  ReadNow(2, 1, 0, 1);
  EXPECT_STREQ(table.SeenEntry(1).countText, "*3*");
  EXPECT_EQ(table.ValidPasses(), 2);  // a pass is valid at the limit
}

// ---- Seen table and channel lists ----

TEST_F(TagTableTest, TwoReadersGiveTwoPassesButOneSeenEntry) {
  ReadNow(1, 1, 0, 2);
  ReadNow(1, 2, 0, 3);
  EXPECT_EQ(table.PassCount(), 2);
  ASSERT_EQ(table.SeenLength(), 1);
  EXPECT_EQ(table.SeenEntry(0).count, 5);
  EXPECT_EQ(table.SeenEntry(0).iCount, 5);
  EXPECT_EQ(table.ChannelListCount(0), 1);
  EXPECT_EQ(table.UniqueSeen(0), 1);
  EXPECT_EQ(table.ReadsSeen(0), 2);
  EXPECT_EQ(table.LastSeenIndex(), 0);
}

// A tag parked in the field for weeks: its totals stop at the largest count
// instead of wrapping to a negative one in the log and the lists.
TEST_F(TagTableTest, CountsOfATagThatNeverLeavesStopAtTheLargestValue) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  ReadNow(1, 1, 0, kMax - 5);
  ReadNow(1, 1, 0, 200);
  ReadNow(1, 1, 0, 200);
  ASSERT_EQ(table.PassCount(), 1);
  EXPECT_EQ(table.Pass(0).count, kMax);
  EXPECT_EQ(table.Pass(0).iCountTotal, kMax);
  ASSERT_EQ(table.SeenLength(), 1);
  EXPECT_EQ(table.SeenEntry(0).count, kMax);
  EXPECT_STREQ(table.SeenEntry(0).countText, "2147483647");
  EXPECT_EQ(table.ChannelEntry(0, 0).record.count, kMax);
  EXPECT_EQ(table.IdsThisSecond(), kMax);
  EXPECT_EQ(table.ReadRate().allI[table.ReadRate().current], kMax);
  table.FlushPasses(true);
  ASSERT_EQ(completer.calls.size(), 1u);
  EXPECT_EQ(completer.calls[0].count, kMax);
}

TEST_F(TagTableTest, TamperChangeStartsANewPassAndANewListLine) {
  TagRead read = MakeRead(0x0102030405060708, clock.Now(), 1, 1);
  table.RecordTagRead(read);
  table.RecordTagRead(read);
  read.tamper = true;
  table.RecordTagRead(read);

  EXPECT_EQ(table.PassCount(), 2);
  EXPECT_EQ(table.Pass(1).tamper, 1);
  EXPECT_EQ(table.SeenLength(), 1);
  EXPECT_EQ(table.SeenEntry(0).tamper, 1);  // the seen entry follows the flags
  ASSERT_EQ(table.ChannelListCount(1), 2);
  EXPECT_EQ(table.UniqueSeen(1), 2);
  ASSERT_EQ(windows.appended.size(), 2u);
  EXPECT_EQ(windows.appended[0], "0:01 02 03 04 05 06 07 08 2       1");
  EXPECT_EQ(windows.appended[1], "1:01 02 03 04 05 06 07 08 2 T     1");
  ASSERT_EQ(windows.replaced.size(), 1u);
  EXPECT_EQ(windows.replaced[0], "0:01 02 03 04 05 06 07 08 2       2");
}

TEST_F(TagTableTest, NewSeenEntryCarriesNameIdTextsAndTimes) {
  testing::FakeNameList names;
  names.named.insert(0x0000ff1234560000);
  table.hooks().nameLookup = &names;
  clock.AdvanceMs(250);
  TagRead read = MakeRead(0x0000ff1234560000, WallTime{clock.Now().sec - 2, 100});
  read.qCount = 4;
  table.RecordTagRead(read);
  const TagRecord& entry = table.SeenEntry(0);
  EXPECT_STREQ(entry.hexId, "0000ff1234560000");
  EXPECT_STREQ(entry.nameText, "Named");
  EXPECT_STREQ(table.Pass(0).nameText, "NR-test");  // a pass keeps the read's text
  EXPECT_STREQ(entry.wiegand26Text, "1193046");     // 0x123456
  EXPECT_STREQ(entry.wiegand34Text, "4279383126");  // 0xff123456
  EXPECT_EQ(entry.clockOffsetMs, -2150);
  EXPECT_EQ(entry.activity, 1);
  EXPECT_EQ(entry.pcSeenMs, 250);
  EXPECT_EQ(table.IdsThisSecond(), 5);
  EXPECT_EQ(table.ReadRate().allQ[0], 4);
  ASSERT_EQ(windows.seen.size(), 1u);
  EXPECT_EQ(windows.seen[0], "0000ff1234560000");
}

TEST_F(TagTableTest, UnnamedTagWithoutRegistrationStaysOutOfTheSeenTableButFormsPasses) {
  testing::FakeNameList names;
  names.autoRegister = false;
  table.hooks().nameLookup = &names;
  ReadNow(7);
  ReadNow(7);
  EXPECT_EQ(table.SeenLength(), 0);
  EXPECT_EQ(table.LastSeenIndex(), -1);
  EXPECT_TRUE(windows.seen.empty());
  EXPECT_EQ(table.ChannelListCount(0), 1);
  ASSERT_EQ(table.PassCount(), 1);
  EXPECT_EQ(table.Pass(0).count, 2);
  table.FlushPasses(true);
  EXPECT_EQ(completer.calls.size(), 1u);
}

TEST_F(TagTableTest, FullSeenTableShowsOverflowUntilOldTagsTimeOut) {
  for (uint64_t id = 1; id <= 600; ++id) ReadNow(id);
  ASSERT_EQ(table.SeenLength(), 600);
  EXPECT_EQ(windows.overflow, " ");

  ReadNow(601);
  EXPECT_EQ(table.SeenLength(), 600);
  EXPECT_TRUE(table.SeenTableFull());
  EXPECT_EQ(windows.overflow, ">");
  EXPECT_EQ(windows.seen.back(), "0000000000000259");  // still announced, by the read
  EXPECT_EQ(table.SequenceEntry(0).seenIndex, 599);    // not pointed past the table

  ReadNow(5);  // known tags keep updating
  EXPECT_EQ(table.SeenEntry(4).count, 2);
  EXPECT_EQ(table.LastSeenIndex(), 4);

  // Tags 1..10 go quiet; the rest are heard again.
  clock.AdvanceMs(11'000);
  for (uint64_t id = 11; id <= 600; ++id) ReadNow(id);
  ReadNow(5);
  EXPECT_EQ(table.RemoveSeenEntriesOlderThan(10'000), 591);
  EXPECT_EQ(table.LastSeenIndex(), 0);  // follows tag 5 to its new place
  EXPECT_EQ(table.SeenEntry(0).tagBytes[7], 5);
  EXPECT_EQ(table.SeenEntry(1).tagBytes[7], 11);

  ReadNow(601);
  EXPECT_EQ(table.SeenLength(), 592);
  EXPECT_FALSE(table.SeenTableFull());
  EXPECT_EQ(windows.overflow, " ");
  ReadNow(600);  // still found after the table closed up
  EXPECT_EQ(table.SeenEntry(590).count, 3);
}

TEST_F(TagTableTest, FullChannelListStopsListingButReadsStillCount) {
  table.settings().waitTime = 10;
  for (uint64_t id = 0; id < 10'001; ++id) {
    ReadNow(id, 1, 2);
    if (id % 1000 == 999) {
      clock.AdvanceMs(10);
      table.FlushPasses(false);
    }
  }
  EXPECT_EQ(table.ChannelListCount(2), 10'000);
  EXPECT_EQ(table.UniqueSeen(2), 10'000);
  EXPECT_EQ(table.ReadsSeen(2), 10'001);
  ReadNow(9'999, 1, 2);
  EXPECT_EQ(table.ChannelEntry(2, 9'999).record.count, 2);
}

TEST_F(TagTableTest, SoundBeepsOncePerReadWhileOn) {
  ReadNow(1);
  table.SetSound(true);
  ReadNow(1);
  ReadNow(2);
  EXPECT_EQ(windows.beeps, 2);
}

// ---- Failure handling ----

TEST_F(TagTableTest, FullPassQueueLosesReadsUntilAFlushFreesRecords) {
  for (uint64_t id = 0; id < 10'000; ++id) ReadNow(id, 1, id % 2 == 0 ? 0 : 1);
  ASSERT_TRUE(table.PassQueueFull());
  const int32_t countBefore = table.SeenEntry(0).count;

  ReadNow(0);       // would join an open pass: still lost
  ReadNow(20'000);  // a new tag: lost too
  EXPECT_EQ(table.LostReads(0), 2);
  EXPECT_EQ(table.ReadsSeen(0), 5'002);
  EXPECT_EQ(table.SeenEntry(0).count, countBefore);
  EXPECT_EQ(table.ChannelListCount(0), 5'000);

  clock.AdvanceMs(500);
  table.FlushPasses(false);
  EXPECT_EQ(completer.calls.size(), 10'000u);
  EXPECT_EQ(table.PassCount(), 0);
  ReadNow(20'000);
  EXPECT_EQ(table.LostReads(0), 2);
  EXPECT_EQ(table.PassCount(), 1);
}

TEST_F(TagTableTest, HighestTwoByteSequenceNumberIsIndexed) {
  TagRead read = MakeRead(1, clock.Now());
  read.sequence = 65'535;  // "ffff" with wideKey
  table.RecordTagRead(read);
  EXPECT_EQ(table.SequenceEntry(65'535).id[7], 1);
  EXPECT_EQ(table.SequenceEntry(65'535).passIndex, 0);
  EXPECT_EQ(table.SequenceEntry(65'535).seenIndex, 0);
}

TEST_F(TagTableTest, DataReadsGoToThePageHandlerOnly) {
  TagRead read = MakeRead(1, clock.Now());
  read.dataFlag = 2;
  table.RecordTagRead(read);
  EXPECT_EQ(windows.dataPages, 1);
  EXPECT_EQ(table.ReadsSeen(0), 1);
  EXPECT_EQ(table.PassCount(), 0);
  EXPECT_EQ(table.SeenLength(), 0);
}

// ---- Clears ----

TEST_F(TagTableTest, ClearTagCountersEmptiesPassesAndListsWithoutLogging) {
  ReadNow(1, 1, 0);
  ReadNow(2, 1, 3);
  table.ClearTagCounters();
  EXPECT_TRUE(completer.calls.empty());
  EXPECT_EQ(table.PassCount(), 0);
  EXPECT_EQ(table.ReadsSeen(3), 0);
  EXPECT_EQ(table.UniqueSeen(0), 0);
  EXPECT_EQ(table.ChannelListCount(0), 0);
  EXPECT_EQ(table.SeenLength(), 2);  // the seen table is not the counters'
  EXPECT_EQ(windows.counterClears, 1);

  ReadNow(1, 1, 0);
  EXPECT_EQ(table.Pass(0).count, 1);
  EXPECT_EQ(table.ChannelEntry(0, 0).record.count, 1);
  EXPECT_EQ(windows.appended.back(), "0:00 00 00 00 00 00 00 01 1       1");
}

TEST_F(TagTableTest, ClearSeenTableForgetsTagsAndRates) {
  ReadNow(1);
  ReadNow(2);
  table.ClearSeenTable();
  EXPECT_EQ(table.SeenLength(), 0);
  EXPECT_EQ(table.LastSeenIndex(), -1);
  EXPECT_EQ(table.ReadRate().allI[0], 0);
  EXPECT_EQ(windows.seenClears, 1);
  EXPECT_EQ(table.PassCount(), 2);

  ReadNow(2);
  ASSERT_EQ(table.SeenLength(), 1);
  EXPECT_EQ(table.SeenEntry(0).count, 1);
  EXPECT_STREQ(table.SeenEntry(0).countText, "1");
}

// ---- Page reads ----

// A page read on channel 0 with one page of content.
struct PageRead {
  PageRead(uint64_t id, WallTime at, uint8_t pageSet, int page, const char* text) {
    read = testing::MakeRead(id, at);
    read.pageSet = pageSet;
    read.pages = pages;
    PageContent& content = pages[page].primary;
    std::snprintf(content.text, sizeof content.text, "%s", text);
    content.count = content.iCount = 1;
    content.hasData = 1;
    pages[page].pageReads = 1;
  }
  PageRead(const PageRead&) = delete;
  PageRead& operator=(const PageRead&) = delete;

  TagRead read;
  PageSlot pages[kPageSlotCount];
};

TEST_F(TagTableTest, PageReadsAreKeptPerPageSetAndCountedOnce) {
  table.RecordTagRead(PageRead(1, clock.Now(), 0, 2, "0011223344556677").read);
  const TagRecord& entry = table.SeenEntry(0);
  EXPECT_EQ(entry.pages[2].primary.count, 1);
  EXPECT_EQ(entry.pages[2].pageReads, 1);
  EXPECT_EQ(table.Pass(0).pages[2].primary.count, 1);

  table.RecordTagRead(PageRead(1, clock.Now(), 0, 2, "0011223344556677").read);
  EXPECT_EQ(entry.pages[2].primary.count, 2);
  EXPECT_EQ(table.Pass(0).pages[2].primary.count, 2);
  EXPECT_EQ(table.ChannelEntry(0, 0).record.count, 2);

  table.RecordTagRead(PageRead(1, clock.Now(), 1, 2, "8899aabbccddeeff").read);
  ASSERT_EQ(table.SeenLength(), 2);
  EXPECT_EQ(table.ChannelListCount(0), 2);
  EXPECT_EQ(table.PassCount(), 1);  // passes do not tell page sets apart

  ReadNow(1);  // a plain read updates the first entry of the tag
  EXPECT_EQ(table.SeenEntry(0).count, 3);
  EXPECT_EQ(table.SeenEntry(1).count, 1);
}

struct PageMergeCase : ::testing::Test {
  void Merge(const char* text, int times = 1) {
    PageSlot pages[kPageSlotCount];
    PageContent& content = pages[0].primary;
    std::snprintf(content.text, sizeof content.text, "%s", text);
    content.count = 1;
    pages[0].pageReads = 1;
    for (int k = 0; k < times; ++k) MergePages(entry, pages, options);
  }
  const PageSlot& slot() const { return entry.pages[0]; }
  TagRecord entry;
  PageMergeOptions options;
};

TEST_F(PageMergeCase, LatestContentIsShownWithoutVoting) {
  options = {false, false};
  Merge("aaaaaaaaaaaaaaaa", 3);
  Merge("bbbbbbbbbbbbbbbb");
  EXPECT_STREQ(slot().primary.text, "bbbbbbbbbbbbbbbb");
  Merge("aaaaaaaaaaaaaaaa");
  EXPECT_STREQ(slot().primary.text, "aaaaaaaaaaaaaaaa");
  EXPECT_EQ(slot().primary.count, 4);
  EXPECT_EQ(slot().pageReads, 5);
}

TEST_F(PageMergeCase, PageCountsStopAtTheLargestValue) {
  options = {false, false};
  Merge("aaaaaaaaaaaaaaaa");
  entry.pages[0].primary.count = std::numeric_limits<int32_t>::max();
  entry.pages[0].pageReads = std::numeric_limits<int32_t>::max();
  Merge("aaaaaaaaaaaaaaaa", 2);
  EXPECT_EQ(slot().primary.count, std::numeric_limits<int32_t>::max());
  EXPECT_EQ(slot().pageReads, std::numeric_limits<int32_t>::max());
}

TEST_F(PageMergeCase, VotingKeepsTheMostReadContent) {
  options = {true, false};
  Merge("aaaaaaaaaaaaaaaa", 10);
  Merge("cccccccccccccccc");  // corrupted once
  EXPECT_STREQ(slot().primary.text, "aaaaaaaaaaaaaaaa");
  EXPECT_STREQ(slot().alternate.text, "cccccccccccccccc");
  Merge("dddddddddddddddd");  // a third content replaces the weaker alternate
  EXPECT_STREQ(slot().primary.text, "aaaaaaaaaaaaaaaa");
  EXPECT_STREQ(slot().alternate.text, "dddddddddddddddd");
  Merge("dddddddddddddddd", 10);
  EXPECT_STREQ(slot().primary.text, "dddddddddddddddd");
  EXPECT_EQ(slot().primary.count, 11);
}

}  // namespace
}  // namespace corvalis
