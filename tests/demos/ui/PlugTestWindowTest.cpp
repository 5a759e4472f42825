#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include "app/AppContext.h"
#include "common/ui/FindNamed.h"
#include "demos/ui/PlugTestWindow.h"
#include "support/RecordingStatus.h"
#include "tags/TagTableTestSupport.h"

namespace corvalis {
namespace {

struct PlugWindowRig {
  ManualClock clock{WallTime{1'700'000'000, 0}};
  testing::RecordingStatus status;
  AppContext context{clock, status};
  PlugTestWindow window{context};
  QTemporaryDir dir;
  FileExistsChoice choice = FileExistsChoice::Cancel;
  std::vector<QString> asked;

  PlugWindowRig() {
    window.SetFolder(dir.path().toStdString());
    window.SetExistsChooser([this](const QString& name) {
      asked.push_back(name);
      return choice;
    });
    window.show();
  }
  void See(uint64_t id, int channel) {
    context.tagTable().RecordTagRead(testing::MakeRead(id, clock.Now(), 1, channel));
  }
  PlugTestPanelWidget* Panel(int index) const {
    const std::string name = "frmR1" + std::to_string(index + 1);
    return testing::FindNamed<PlugTestPanelWidget>(window, name.c_str());
  }
};

TEST(PlugTestWindowTest, SetupChoosesTheInterrogatorsAndTheDisplayShowsEachPanel) {
  PlugWindowRig rig;
  EXPECT_TRUE(rig.context.specialModes().IsOn(SpecialMode::PlugTest));
  testing::FindNamed<QRadioButton>(rig.window, "rbt2")->click();
  EXPECT_FALSE(testing::FindNamed<QGroupBox>(rig.window, "grpInterrogator2")->isHidden());
  EXPECT_TRUE(testing::FindNamed<QGroupBox>(rig.window, "grpInterrogator3")->isHidden());
  testing::FindNamed<QRadioButton>(rig.window, "rbt4")->click();
  EXPECT_FALSE(testing::FindNamed<QGroupBox>(rig.window, "grpInterrogator4")->isHidden());
  testing::FindNamed<QLineEdit>(rig.window, "edtTestName")->setText("T1");
  testing::FindNamed<QSpinBox>(rig.window, "speTagGroup1")->setValue(3);
  testing::FindNamed<QSpinBox>(rig.window, "speTagGroup4")->setValue(9);
  testing::FindNamed<QPushButton>(rig.window, "btnStartTest")->click();
  EXPECT_EQ(testing::FindNamed<QTabWidget>(rig.window, "pgcPlugTest")->currentIndex(), 1);
  EXPECT_EQ(testing::FindNamed<QLabel>(rig.Panel(0), "lblFileName")->text(),
            "T1.Interrogator1.TagGroup3.Testrun1.csv");
  EXPECT_EQ(testing::FindNamed<QLabel>(rig.Panel(3), "lblFileName")->text(),
            "T1.Interrogator4.TagGroup9.Testrun1.csv");
  EXPECT_FALSE(rig.Panel(3)->isHidden());

  // The existing file of panel 1: Cancel leaves it closed, the others open.
  QFile old(rig.dir.filePath("T1.Interrogator1.TagGroup3.Testrun1.csv"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.close();
  testing::FindNamed<QPushButton>(rig.window, "btnStart")->click();
  EXPECT_EQ(rig.asked, std::vector<QString>{"T1.Interrogator1.TagGroup3.Testrun1.csv"});
  EXPECT_FALSE(testing::FindNamed<QLabel>(rig.Panel(0), "lblFileName")->font().bold());
  EXPECT_TRUE(testing::FindNamed<QLabel>(rig.Panel(3), "lblFileName")->font().bold());

  // Eleven tags on channel 4 fill the grid, which grows by ten rows.
  for (uint64_t id = 1; id <= 11; ++id) rig.See(id, 3);
  rig.See(1, 3);
  QTableWidget* grid = testing::FindNamed<QTableWidget>(rig.Panel(3), "StringGrid1");
  EXPECT_EQ(testing::FindNamed<QLabel>(rig.Panel(3), "lblNumTags")->text(), "11");
  EXPECT_EQ(grid->rowCount(), 20);
  ASSERT_NE(grid->item(10, 0), nullptr);
  EXPECT_TRUE(grid->item(10, 0)->text().startsWith("2023-11-14T221320.00+0000,NR-test,none"));
  EXPECT_EQ(testing::FindNamed<QLabel>(rig.Panel(0), "lblNumTags")->text(), "0");

  testing::FindNamed<QPushButton>(rig.window, "btnStop")->click();
  EXPECT_FALSE(testing::FindNamed<QLabel>(rig.Panel(3), "lblFileName")->font().bold());
  EXPECT_EQ(testing::FindNamed<QLabel>(rig.Panel(3), "lblFileName")->text(),
            "T1.Interrogator4.TagGroup9.Testrun2.csv");
  testing::FindNamed<QPushButton>(rig.window, "btnClear")->click();
  EXPECT_EQ(grid->rowCount(), 10);
  EXPECT_EQ(grid->item(0, 0), nullptr);
  EXPECT_EQ(testing::FindNamed<QLabel>(rig.Panel(3), "lblNumTags")->text(), "0");

  // "Single Output": one panel.
  testing::FindNamed<QCheckBox>(rig.window, "ckbSingleOutput")->click();
  EXPECT_TRUE(rig.Panel(1)->isHidden());
  rig.See(20, 2);
  EXPECT_EQ(testing::FindNamed<QLabel>(rig.Panel(0), "lblNumTags")->text(), "1");
}

TEST(PlugTestWindowTest, TimedRunMovesTheBarOnTheContextsTickAndEndsItself) {
  PlugWindowRig rig;
  testing::FindNamed<QSpinBox>(rig.window, "speSeconds")->setValue(4);
  testing::FindNamed<QPushButton>(rig.window, "btnOK")->click();
  ASSERT_TRUE(rig.window.Test().Armed());
  for (int tick = 0; tick < 25; ++tick) {  // 2.5 s
    rig.clock.AdvanceMs(100);
    rig.context.Tick();
  }
  EXPECT_EQ(testing::FindNamed<QProgressBar>(rig.window, "ProgressBar1")->value(),
            50);  // the first second switched TX on
  for (int tick = 0; tick < 30; ++tick) {
    rig.clock.AdvanceMs(100);
    rig.context.Tick();
  }
  EXPECT_FALSE(rig.window.Test().Armed());
  EXPECT_EQ(testing::FindNamed<QProgressBar>(rig.window, "ProgressBar1")->value(), 100);
  EXPECT_EQ(testing::FindNamed<QLabel>(rig.Panel(0), "lblFileName")->text(),
            "TD_MAIL_0.Interrogator1.TagGroup0.Testrun1.csv");
}

}  // namespace
}  // namespace corvalis
