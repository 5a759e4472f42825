#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tags/PageDisplay.h"
#include "tags/PageMerge.h"
#include "tags/TagTable.h"

namespace corvalis {
namespace {

// A read of tag `last` on channel 0 with one page of content.
struct PageRead {
  PageRead(uint8_t last, int page, const char* text, int iCount = 1, int qCount = 0) {
    read.tagBytes[7] = last;
    read.readerId = 1;
    read.count = iCount + qCount;
    read.iCount = iCount;
    read.qCount = qCount;
    read.pages = pages;
    PageContent& content = pages[page].primary;
    std::snprintf(content.text, sizeof content.text, "%s", text);
    std::snprintf(content.shown, sizeof content.shown, "<%.14s>", text);
    content.count = iCount + qCount;
    content.iCount = iCount;
    content.qCount = qCount;
    content.hasData = 1;
    pages[page].pageReads = 1;
  }
  PageRead(const PageRead&) = delete;
  PageRead& operator=(const PageRead&) = delete;

  TagRead read;
  PageSlot pages[kPageSlotCount];
};

constexpr const char* kA = "aaaaaaaaaaaaaaaa";
constexpr const char* kB = "bbbbbbbbbbbbbbbb";
constexpr const char* kC = "cccccccccccccccc";

struct MergeCase {
  const char* name;
  PageMergeOptions options;
  std::vector<const char*> reads;
  const char* shown;
  int shownCount;
  const char* alternate;
};

// Each case merges its reads in turn into one entry's page 0.
TEST(PageMergeTest, ShownContentFollowsTheOptions) {
  const std::vector<const char*> tenAThenB = {kA, kA, kA, kA, kA, kA, kA, kA, kA, kA, kB};
  const MergeCase cases[] = {
      // The default options (Only Max cnt, no voting) show the latest of
      // equally read contents.
      {"alternating, defaults", {false, true}, {kA, kB, kA, kB}, kB, 2, kA},
      {"alternating, latest wins", {false, false}, {kA, kB, kA, kB, kA}, kA, 3, kB},
      {"alternating, voting", {true, false}, {kA, kB, kA, kB}, kA, 2, kB},
      {"10 A then B, voting", {true, false}, tenAThenB, kA, 10, kB},
      {"10 A then B, only max", {false, true}, tenAThenB, kA, 10, kB},
      {"10 A then B, latest wins", {false, false}, tenAThenB, kB, 1, kA},
      {"third content, voting", {true, false}, {kA, kA, kB, kC}, kA, 2, kC},
      {"third content, defaults", {false, true}, {kA, kA, kB, kC}, kA, 2, kC},
  };
  for (const MergeCase& c : cases) {
    TagRecord entry;
    for (const char* text : c.reads) MergePages(entry, PageRead(1, 0, text).pages, c.options);
    const PageSlot& slot = entry.pages[0];
    EXPECT_STREQ(slot.primary.text, c.shown) << c.name;
    EXPECT_EQ(slot.primary.count, c.shownCount) << c.name;
    EXPECT_STREQ(slot.alternate.text, c.alternate) << c.name;
    EXPECT_EQ(slot.pageReads, static_cast<int>(c.reads.size())) << c.name;
  }
}

class PageTableTest : public ::testing::Test {
 protected:
  ManualClock clock{WallTime{1'796'000'000, 0}};
  std::unique_ptr<TagTable> table = std::make_unique<TagTable>(clock);
};

// The entry made from a page read holds that read once, in every table.
TEST_F(PageTableTest, NewEntryCountsItsFirstReadOnce) {
  table->RecordTagRead(PageRead(1, 3, kA, 2, 1).read);
  const PageSlot& seen = table->SeenEntry(0).pages[3];
  EXPECT_EQ(seen.primary.count, 3);
  EXPECT_EQ(seen.primary.iCount, 2);
  EXPECT_EQ(seen.primary.qCount, 1);
  EXPECT_EQ(seen.pageReads, 1);
  EXPECT_EQ(table->Pass(0).pages[3].primary.count, 3);
  EXPECT_EQ(table->ChannelEntry(0, 0).record.pages[3].pageReads, 1);
}

TEST_F(PageTableTest, DisplayShowsPrimaryPagesWithCountsAndWrapsPageNumbers) {
  table->RecordTagRead(PageRead(1, 14, kA, 2, 1).read);
  table->RecordTagRead(PageRead(1, 0, kB, 1, 0).read);
  PageDisplay display(*table);
  PageDisplayOptions options;
  options.firstPage = 14;
  options.numPages = 3;
  options.counts = true;
  options.separateIQ = true;
  options.showId = true;
  options.numToShow = 2;
  display.Refresh(options);
  ASSERT_EQ(display.Rows(), 3);
  ASSERT_EQ(display.Columns(), 10);
  EXPECT_EQ(display.Cell(0, 0), "Tag");
  EXPECT_EQ(display.Cell(0, 1), "Page 14");
  EXPECT_EQ(display.Cell(0, 4), "Page 15");
  EXPECT_EQ(display.Cell(0, 7), "Page 0");
  EXPECT_EQ(display.Cell(0, 8), "I");
  EXPECT_EQ(display.Cell(1, 0), "0000000000000001");
  EXPECT_EQ(display.Cell(1, 1), kA);
  EXPECT_EQ(display.Cell(1, 2), "2");
  EXPECT_EQ(display.Cell(1, 3), "1");
  EXPECT_EQ(display.Cell(1, 4), "");  // page 15 never read
  EXPECT_EQ(display.Cell(1, 7), kB);
  EXPECT_EQ(display.Cell(2, 0), "");  // no second tag
  EXPECT_TRUE(display.TakeColumnsChanged());
  EXPECT_FALSE(display.TakeColumnsChanged());

  options.text = true;
  options.counts = false;
  display.Refresh(options);
  EXPECT_EQ(display.Columns(), 4);
  EXPECT_EQ(display.Cell(1, 1), "<aaaaaaaaaaaaaa>");

  ClearPageData(*table);
  display.Refresh(options);
  EXPECT_EQ(display.Cell(1, 1), "");
  EXPECT_EQ(table->SeenEntry(0).pages[14].pageReads, 0);
  EXPECT_EQ(table->SeenEntry(0).count, 4);  // the tag's own counts stay
}

TEST_F(PageTableTest, WideCountGrowsTheTemplateOnce) {
  table->RecordTagRead(PageRead(1, 0, kA, 12345, 0).read);
  PageDisplay display(*table);
  PageDisplayOptions options;
  options.counts = true;
  options.numPages = 1;
  display.Refresh(options);
  display.TakeColumnsChanged();
  EXPECT_EQ(display.CountDigits(), 5);
  display.Refresh(options);
  EXPECT_FALSE(display.TakeColumnsChanged());
}

}  // namespace
}  // namespace corvalis
