// Feeds TagTable and ReferenceTagTable the same long random stream and
// expects the same passes, seen table, channel lists and counters from both.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "tags/TagTable.h"
#include "tags/TagTableTestSupport.h"
#include "testkit/ReferenceTagTable.h"

namespace corvalis {
namespace {

using testing::FakeNameList;
using testing::RecordingCompleter;
using testing::RecordingWindows;
using testing::SameRecord;

template <class Table>
struct Rig {
  explicit Rig(const Clock& clock) : table(clock) {
    table.hooks().passCompleter = &completer;
    table.hooks().nameLookup = &names;
    windows.AttachTo(table.hooks());
    for (uint64_t id = 0; id < 900; id += 5) names.named.insert(id);
  }
  Table table;
  RecordingCompleter completer;
  RecordingWindows windows;
  FakeNameList names;
};

class Differential {
 public:
  explicit Differential(uint32_t seed) : random_(seed) {}

  void Run(int steps) {
    for (int step = 0; step < steps; ++step) {
      Step(step);
      if (const std::string difference = CounterDifference(); !difference.empty()) {
        ADD_FAILURE() << difference << " differs after step " << step;
        return;
      }
      if (step % 2000 == 1999 && !TablesAgree()) {
        ADD_FAILURE() << "tables differ after step " << step;
        return;
      }
    }
    EXPECT_TRUE(TablesAgree());
    EXPECT_GT(fast_.completer.calls.size(), 1000u);
    EXPECT_TRUE(queueFilled_);
  }

 private:
  int Pick(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random_); }
  bool Chance(int perThousand) { return Pick(1000) < perThousand; }

  template <class Op>
  void Both(Op&& op) {
    op(fast_.table);
    op(reference_.table);
  }

  void Step(int step) {
    clock_.AdvanceMs(Pick(40));
    // A stretch without flushing lets the pass queue fill up.
    const bool flushing = step < 24'000 || step >= 38'000;
    if (flushing && Chance(30)) {
      const bool force = Chance(5);
      Both([&](auto& t) { t.FlushPasses(force); });
    }
    if (Chance(4)) {
      const int64_t timeout = Pick(6000);
      Both([&](auto& t) { t.RemoveSeenEntriesOlderThan(timeout); });
    }
    if (Chance(1)) Both([](auto& t) { t.ClearSeenTable(); });
    if (flushing && Chance(1) && Chance(300)) Both([](auto& t) { t.ClearTagCounters(); });
    if (Chance(2)) {
      static constexpr int kWaits[] = {500, 200, -500, 1000, 0, -10};
      const int wait = kWaits[Pick(6)];
      Both([&](auto& t) { t.settings().waitTime = wait; });
    }
    if (Chance(2)) {
      const int limit = Pick(4);
      Both([&](auto& t) { t.settings().noiseLimit = limit; });
    }
    queueFilled_ = queueFilled_ || fast_.table.PassQueueFull();
    if (Chance(30)) {
      RecordPage();
    } else {
      RecordRead();
    }
  }

  WallTime ReadTime() {
    // Mostly now, sometimes well before or after: negative gaps happen.
    ManualClock at(clock_.Now());
    at.AdvanceMs(Chance(150) ? Pick(4000) - 3000 : -Pick(50));
    return at.Now();
  }

  void RecordRead() {
    TagRead read = testing::MakeRead(static_cast<uint64_t>(Pick(900)), ReadTime(), 1 + Pick(3),
                                     Pick(4), 1 + Pick(3));
    if (Chance(200)) {
      ManualClock last(WallTime{read.firstSeenSec, read.firstSeenMs});
      last.AdvanceMs(Pick(3000) - 1000);
      read.lastSeenSec = last.Now().sec;
      read.lastSeenMs = last.Now().ms;
    }
    read.iCount = Pick(3);
    read.qCount = Pick(3);
    const bool hot = Chance(400);  // a few busy tags keep several passes open
    if (hot) {
      testing::WriteId(static_cast<uint64_t>(Pick(8)), read.tagBytes);
      read.readerId = 1;
    }
    read.tamper = !hot && Chance(50);
    read.flagFS = !hot && Chance(30);
    read.flagLS = !hot && Chance(30);
    read.sequence = Pick(65'536);
    read.dataFlag = Chance(10) ? 1 : 0;
    read.text = Chance(500) ? "NR-a" : "a longer text of more than thirty-two characters";
    Both([&](auto& t) { t.RecordTagRead(read); });
  }

  void RecordPage() {
    PageSlot pages[kPageSlotCount];
    const int count = 1 + Pick(2);
    TagRead read = testing::MakeRead(static_cast<uint64_t>(Pick(900)), ReadTime(), 1 + Pick(3),
                                     Pick(4), count);
    read.iCount = count;
    read.pageSet = static_cast<uint8_t>(Pick(3));
    read.tamper = Chance(50);
    read.sequence = Pick(65'536);
    read.pages = pages;
    const int page = Pick(kPageSlotCount);
    PageContent& content = pages[page].primary;
    std::snprintf(content.text, sizeof content.text, "%016x", Pick(3));
    content.count = content.iCount = 1;
    pages[page].pageReads = 1;
    Both([&](auto& t) { t.RecordTagRead(read); });
  }

  // Empty when the cheap per-step state agrees, else what differs.
  std::string CounterDifference() {
    const auto& a = fast_.table;
    const auto& b = reference_.table;
#define CORVALIS_CHECK(expr) \
  if ((a.expr) != (b.expr)) return #expr
    for (int c = 0; c < kReaderChannelCount; ++c) {
      CORVALIS_CHECK(ReadsSeen(c));
      CORVALIS_CHECK(UniqueSeen(c));
      CORVALIS_CHECK(LostReads(c));
      CORVALIS_CHECK(ChannelListCount(c));
    }
    CORVALIS_CHECK(PassCount());
    CORVALIS_CHECK(SeenLength());
    CORVALIS_CHECK(ValidPasses());
    CORVALIS_CHECK(IdsThisSecond());
    CORVALIS_CHECK(LastSeenIndex());
    CORVALIS_CHECK(SeenTableFull());
#undef CORVALIS_CHECK
    if (fast_.completer.calls.size() != reference_.completer.calls.size()) return "completions";
    if (fast_.windows.appended.size() != reference_.windows.appended.size()) return "appended";
    if (fast_.windows.replaced.size() != reference_.windows.replaced.size()) return "replaced";
    if (fast_.windows.seen.size() != reference_.windows.seen.size()) return "seen listener";
    return {};
  }

  bool TablesAgree() {
    const auto& a = fast_.table;
    const auto& b = reference_.table;
    for (int k = 0; k < a.PassCount(); ++k) {
      EXPECT_TRUE(SameRecord(a.Pass(k), b.Pass(k))) << "pass " << k;
      if (!SameRecord(a.Pass(k), b.Pass(k))) return false;
    }
    for (int k = 0; k < a.SeenLength(); ++k) {
      EXPECT_TRUE(SameRecord(a.SeenEntry(k), b.SeenEntry(k))) << "seen " << k;
      if (!SameRecord(a.SeenEntry(k), b.SeenEntry(k))) return false;
    }
    for (int c = 0; c < kReaderChannelCount; ++c) {
      for (int k = 0; k < a.ChannelListCount(c); ++k) {
        const ChannelTagEntry& x = a.ChannelEntry(c, k);
        const ChannelTagEntry& y = b.ChannelEntry(c, k);
        EXPECT_TRUE(SameRecord(x.record, y.record)) << "channel " << c << " entry " << k;
        EXPECT_STREQ(x.line, y.line);
        EXPECT_EQ(x.lineNumber, y.lineNumber);
        if (!SameRecord(x.record, y.record)) return false;
      }
    }
    const auto& passesA = fast_.completer.calls;
    const auto& passesB = reference_.completer.calls;
    for (size_t k = 0; k < passesA.size(); ++k) {
      EXPECT_TRUE(SameRecord(passesA[k], passesB[k])) << "completed pass " << k;
      if (!SameRecord(passesA[k], passesB[k])) return false;
    }
    EXPECT_EQ(fast_.windows.appended, reference_.windows.appended);
    EXPECT_EQ(fast_.windows.replaced, reference_.windows.replaced);
    EXPECT_EQ(fast_.windows.seen, reference_.windows.seen);
    return fast_.windows.appended == reference_.windows.appended &&
           fast_.windows.replaced == reference_.windows.replaced &&
           fast_.windows.seen == reference_.windows.seen;
  }

  std::mt19937 random_;
  bool queueFilled_ = false;
  ManualClock clock_{WallTime{1'700'000'000, 0}};
  Rig<TagTable> fast_{clock_};
  Rig<ReferenceTagTable> reference_{clock_};
};

TEST(TagTableDifferentialTest, IndexedTableMatchesTheLinearWalkOnARandomStream) {
  for (uint32_t seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    Differential(seed).Run(40'000);
  }
}

}  // namespace
}  // namespace corvalis
