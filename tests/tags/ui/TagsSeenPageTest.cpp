#include "tags/ui/TagsSeenPage.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "tags/TagTableTestSupport.h"

namespace corvalis {
namespace {

using testing::MakeRead;

class TagsSeenPageTest : public ::testing::Test {
 protected:
  TagsSeenPageTest() {
    page.resize(900, 500);
    page.show();
    grid = page.findChild<QTableWidget*>("grdTagsSeen");
  }

  void ReadNow(uint64_t id, int32_t count = 1) {
    table.RecordTagRead(MakeRead(id, clock.Now(), 1, 0, count));
  }
  QString Text(int row, int column) const { return grid->item(row, column)->text(); }
  template <class T>
  T* Find(const char* name) {
    T* widget = page.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  ManualClock clock{WallTime{1'700'000'000, 0}};
  TagTable table{clock};
  TagsSeenPage page{table, clock};
  QTableWidget* grid = nullptr;
};

TEST_F(TagsSeenPageTest, GridShowsLiveTagsAndAgesThemOutRowsMovingUp) {
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->rowCount(), 4);
  EXPECT_EQ(grid->columnCount(), 3);
  ReadNow(1, 5);
  ReadNow(2);
  page.Tick();
  EXPECT_EQ(Text(0, 0), "0000000000000001");
  EXPECT_EQ(Text(0, 1), "5");
  EXPECT_EQ(Text(1, 0), "0000000000000002");
  EXPECT_EQ(Find<QLabel>("lblNumSeen")->text(), "2");

  clock.AdvanceMs(6'000);
  ReadNow(2);
  clock.AdvanceMs(4'001);
  page.Tick();
  EXPECT_EQ(Text(0, 0), "0000000000000002");
  EXPECT_EQ(Text(0, 1), "2");
  EXPECT_EQ(Text(1, 0), "");
  EXPECT_EQ(Find<QLabel>("lblNumSeen")->text(), "1");

  // A longer time-out typed into the box keeps the tag.
  Find<QSpinBox>("speTimeout")->setValue(30);
  clock.AdvanceMs(20'000);
  page.Tick();
  EXPECT_EQ(Text(0, 0), "0000000000000002");
  EXPECT_EQ(page.CurrentSettings().showTimeoutSec, 30);
}

TEST_F(TagsSeenPageTest, RadioButtonsChangeTheLabelColumn) {
  ReadNow(0x0000010203040506);
  page.Tick();
  Find<QRadioButton>("rbtShowName")->click();
  EXPECT_EQ(Text(0, 0), "NR-test");
  Find<QRadioButton>("rbtShowWiegand34")->click();
  EXPECT_EQ(Text(0, 0), QString::number(0x01020304));
  Find<QRadioButton>("rbtShowID")->click();
  EXPECT_EQ(Text(0, 0), "0000010203040506");
  EXPECT_EQ(page.CurrentSettings().showWhat, SeenLabel::kId);
}

TEST_F(TagsSeenPageTest, CycleDoublesOrWithShiftHalvesTheRowsAndWraps) {
  auto* cycle = Find<QPushButton>("btnCycle");
  EXPECT_EQ(cycle->text(), "4");
  QTest::mouseClick(cycle, Qt::LeftButton);
  EXPECT_EQ(grid->rowCount(), 8);
  EXPECT_EQ(cycle->text(), "8");
  page.SetNumToShow(32);
  QTest::mouseClick(cycle, Qt::LeftButton);
  EXPECT_EQ(grid->rowCount(), 1);
  QTest::mouseClick(cycle, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(grid->rowCount(), 32);
  EXPECT_EQ(page.CurrentSettings().numToShow, 32);
}

TEST_F(TagsSeenPageTest, LayoutWithSeparateIqAndRateRowKeepsTextsInTheirColumns) {
  TagRead read = MakeRead(1, clock.Now(), 1, 0, 7);
  read.iCount = 4;
  read.qCount = 3;
  read.tamper = true;
  table.RecordTagRead(read);
  SeenViewSettings settings = page.CurrentSettings();
  settings.separateIQ = true;
  settings.showReadRate = true;
  page.ApplySettings(settings);
  page.Tick();
  EXPECT_EQ(grid->columnCount(), 4);
  EXPECT_EQ(grid->rowCount(), 5);
  EXPECT_EQ(Text(0, 1), "4");
  EXPECT_EQ(Text(0, 2), "3");
  EXPECT_EQ(Text(0, 3), "T");
  page.SetHopFrequencyText("902.75");
  page.Tick();
  EXPECT_EQ(Text(4, 0), "Rate (IDs/s)  902.75MHz");
  EXPECT_FALSE(Find<QLabel>("lblRRI")->isVisibleTo(&page));

  settings.separateIQ = false;
  page.ApplySettings(settings);
  EXPECT_EQ(Text(0, 1), "7");
  EXPECT_EQ(Text(0, 2), "T");
}

TEST_F(TagsSeenPageTest, RowsFitTheGridAndTheCountColumnGrows) {
  ReadNow(1, 9'999);
  page.Tick();
  const int before = grid->columnWidth(1);
  const QFontMetrics metrics(grid->font());
  EXPECT_GE(before, metrics.horizontalAdvance(Text(0, 1)));
  EXPECT_LE(grid->rowHeight(0) * grid->rowCount(), grid->viewport()->height());
  EXPECT_LE(metrics.height(), grid->rowHeight(0));
  EXPECT_GE(grid->font().pointSize(), 24);  // four rows of a 900 x 500 page
  EXPECT_GE(grid->columnWidth(0), metrics.horizontalAdvance(Text(0, 0)));  // the whole ID

  ReadNow(1, 1);
  page.Tick();
  EXPECT_GT(grid->columnWidth(1), before);
  EXPECT_GE(grid->columnWidth(1), metrics.horizontalAdvance(Text(0, 1)));
  const int used = grid->columnWidth(0) + grid->columnWidth(1) + grid->columnWidth(2);
  EXPECT_LE(used, grid->viewport()->width());
}

TEST_F(TagsSeenPageTest, SoundAndClearButtons) {
  auto* sound = Find<QPushButton>("bbtSound");
  EXPECT_EQ(sound->text(), "Sound");
  sound->click();
  EXPECT_TRUE(table.SoundOn());
  EXPECT_EQ(sound->text(), "Quiet");

  ReadNow(1, 100'000);
  page.Tick();
  auto* clear = Find<QPushButton>("btnClear");
  QTest::mouseClick(clear, Qt::LeftButton, Qt::ShiftModifier);  // page data only
  EXPECT_EQ(table.SeenLength(), 1);
  EXPECT_STREQ(page.View().CountTemplateText(), "999999");
  QTest::mouseClick(clear, Qt::LeftButton);
  EXPECT_EQ(table.SeenLength(), 0);
  EXPECT_EQ(Text(0, 0), "");
  EXPECT_EQ(Find<QLabel>("lblNumSeen")->text(), "0");
  EXPECT_STREQ(page.View().CountTemplateText(), "9999");
}

}  // namespace
}  // namespace corvalis
