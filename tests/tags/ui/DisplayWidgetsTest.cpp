#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>

#include <cstdio>

#include "tags/TagTableTestSupport.h"
#include "tags/ui/DisplaySetupDialog.h"
#include "tags/ui/DisplayWindow.h"
#include "tags/ui/TTODisplayPage.h"

namespace corvalis {
namespace {

template <class T>
T* Find(QWidget* parent, const char* name) {
  T* widget = parent->findChild<T*>(QLatin1String(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

void Screenshot(QWidget& widget, const char* file) {
  const QByteArray dir = qgetenv("CORVALIS_SCREENSHOT_DIR");
  if (!dir.isEmpty()) widget.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(file));
}

// A read of tag `id` that brings `count` reads of page `page` holding `text`.
void ReadPage(TagTable& table, uint64_t id, int page, const char* text, int count, WallTime at) {
  PageSlot pages[kPageSlotCount];
  PageContent& content = pages[page].primary;
  std::snprintf(content.text, sizeof content.text, "%s", text);
  std::snprintf(content.shown, sizeof content.shown, "T%.15s", text);
  content.count = count;
  content.iCount = count;
  content.hasData = 1;
  pages[page].pageReads = 1;
  TagRead read = testing::MakeRead(id, at, 1, 0, count);
  read.pages = pages;
  table.RecordTagRead(read);
}

TEST(TTODisplayPageTest, ShowsThePagesOfTheFirstTagsAndSetsTheMergeOptions) {
  ManualClock clock;
  TagTable table(clock);
  TTODisplayPage page(table);
  page.resize(1000, 300);
  page.show();
  ReadPage(table, 0x41, 15, "0011223344556677", 3, clock.Now());
  ReadPage(table, 0x41, 0, "8899aabbccddeeff", 2, clock.Now());
  ReadPage(table, 0x42, 0, "0102030405060708", 1, clock.Now());

  PageDisplayOptions options;
  options.firstPage = 15;
  options.numPages = 2;
  options.counts = true;
  options.showId = true;
  page.SetRows(3, 0);
  page.SetOptions(options);
  auto* grid = Find<QTableWidget>(&page, "stgTTODisplay");
  ASSERT_EQ(grid->columnCount(), 5);
  ASSERT_EQ(grid->rowCount(), 4);
  const auto cell = [grid](int r, int c) { return grid->item(r, c)->text().toStdString(); };
  EXPECT_EQ(cell(0, 1), "Page 15");
  EXPECT_EQ(cell(0, 3), "Page 0");
  EXPECT_EQ(cell(1, 0), "0000000000000041");
  EXPECT_EQ(cell(1, 1), "0011223344556677");
  EXPECT_EQ(cell(1, 2), "3");
  EXPECT_EQ(cell(1, 3), "8899aabbccddeeff");
  EXPECT_EQ(cell(2, 1), "");
  EXPECT_EQ(cell(2, 3), "0102030405060708");
  EXPECT_EQ(cell(3, 0), "");

  Find<QCheckBox>(&page, "ckbTTOText")->click();
  EXPECT_EQ(cell(1, 1), "T001122334455667");
  EXPECT_TRUE(page.Options().text);

  Find<QCheckBox>(&page, "ckbDataUseVoting")->click();
  Find<QCheckBox>(&page, "ckbOnlyMax")->click();
  EXPECT_TRUE(table.settings().useVoting);
  EXPECT_FALSE(table.settings().onlyMaxCount);
  Screenshot(page, "tto-display.png");
}

TEST(DisplaySetupDialogTest, TypeButtonsShowTheirFieldsAndBadBytesAreRefused) {
  DisplaySetupDialog dialog;
  DisplaySettings settings;
  settings.type = DisplayType::kPolycomp16x5;
  settings.normal.serst = 0xC1;
  settings.windowRows = 3;
  settings.windowPrograms = {"SCROLL UP", "+1", "TAG_NAME"};
  dialog.Load(settings);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Display Setup");
  EXPECT_TRUE(Find<QGroupBox>(&dialog, "grpPolycomp")->isVisible());
  EXPECT_FALSE(Find<QGroupBox>(&dialog, "grpMessageBoard")->isVisible());
  EXPECT_TRUE(Find<QLineEdit>(&dialog, "edtPoly16x5Line3")->isVisible());
  EXPECT_FALSE(Find<QLineEdit>(&dialog, "edtPoly16x1Line")->isVisible());
  Screenshot(dialog, "display-setup.png");

  Find<QLineEdit>(&dialog, "edtIdleSERST")->setText("0xd0");
  Find<QRadioButton>(&dialog, "rbtWindow")->click();
  EXPECT_TRUE(Find<QGroupBox>(&dialog, "grpWindow")->isVisible());
  EXPECT_FALSE(Find<QGroupBox>(&dialog, "grpPolycomp")->isVisible());
  DisplaySettings read;
  QString problem;
  ASSERT_TRUE(dialog.Read(read, problem));
  EXPECT_EQ(read.type, DisplayType::kWindow);
  EXPECT_EQ(read.normal.serst, 0xC1);
  EXPECT_EQ(read.idle.serst, 0xD0);
  EXPECT_EQ(read.windowPrograms, settings.windowPrograms);

  Find<QLineEdit>(&dialog, "edtTempo")->setText("300");
  EXPECT_FALSE(dialog.Read(read, problem));
  Find<QPushButton>(&dialog, "btnOK")->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(Find<QLabel>(&dialog, "lblProblem")->text(),
            "Normal tempo must be 0 to 255 (or 0x00 to 0xff)");

  Find<QPushButton>(&dialog, "btnDefaults")->click();
  ASSERT_TRUE(dialog.Read(read, problem));
  EXPECT_EQ(read.type, DisplayType::kMessageBoard);
  EXPECT_EQ(read.normal.tempo, 226);
  EXPECT_EQ(read.windowPrograms.size(), 5u);
}

TEST(DisplayWindowTest, ShowsTheRowsCannotBeClosedAndClearsOnItsButton) {
  DisplayWindow window;
  DisplaySettings settings;
  settings.windowRows = 3;
  settings.windowCols = 12;
  settings.fontName = "DejaVu Sans Mono";
  window.ApplyLayout(settings, true);
  EXPECT_TRUE(window.isVisible());
  window.ShowRows({"FIRST       ", "SECOND      ", "THIRD       "});
  EXPECT_EQ(window.Text(), "FIRST       \nSECOND      \nTHIRD       ");
  Screenshot(window, "window-display.png");

  EXPECT_FALSE(window.close());
  EXPECT_TRUE(window.isVisible());
  int clears = 0;
  window.SetClearAction([&clears] { ++clears; });
  Find<QPushButton>(&window, "btnClear")->click();
  EXPECT_EQ(clears, 1);
  window.ApplyLayout(settings, false);
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace corvalis
