#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

#include <fstream>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "common/ui/FindNamed.h"
#include "demos/DemoTestSupport.h"
#include "demos/ui/IndividualRaceWindow.h"
#include "support/RecordingStatus.h"
#include "tags/TagTableTestSupport.h"

namespace corvalis {
namespace {

WallTime Before(WallTime t, int ms) {
  const int64_t total = int64_t{t.sec} * 1000 + t.ms - ms;
  return WallTime{static_cast<int32_t>(total / 1000), static_cast<int32_t>(total % 1000)};
}

struct IndividualRig {
  ManualClock clock{WallTime{1'700'000'000, 0}};  // 2023-11-14 22:13:20 UTC
  testing::RecordingStatus status;
  AppContext context{clock, status};
  IndividualRaceWindow window{context.specialModes(), clock, context.dispatcher(),
                              context.tagTable()};
  std::vector<QString> questions;
  std::vector<QString> warnings;
  bool answer = false;

  IndividualRig() {
    window.SetQuestion([this](const QString&, const QString& text) {
      questions.push_back(text);
      return answer;
    });
    window.SetWarning([this](const QString&, const QString& text) { warnings.push_back(text); });
    window.show();
  }
  void Dispatch(std::string line) {
    context.dispatcher().DispatchMessage(1, 0, line.data(), static_cast<int>(line.size()));
  }
  // A read of tag `id` stamped by the reader `readerLagMs` before now.
  void See(uint64_t id, int readerLagMs = 0) {
    context.tagTable().RecordTagRead(testing::MakeRead(id, Before(clock.Now(), readerLagMs), 1, 0));
  }
  QString Cell(int row, int column) const {
    const QTableWidgetItem* item =
        testing::FindNamed<QTableWidget>(window, "stgRaceTimes")->item(row, column);
    return item != nullptr ? item->text() : QString();
  }
};

TEST(IndividualRaceWindowTest, ReaderTimeTriggerLapsFromTheSpinBoxesAndClearAsksFromOneResult) {
  IndividualRig rig;
  EXPECT_TRUE(rig.context.specialModes().IsOn(SpecialMode::RaceIndividualStart));
  testing::FindNamed<QSpinBox>(rig.window, "spnMinLapTime")->setValue(30);
  testing::FindNamed<QSpinBox>(rig.window, "spnNumLaps")->setValue(2);
  testing::FindNamed<QSpinBox>(rig.window, "spnTargetMinutes")->setValue(1);

  // The reader's clock says 22:13:19.50, half a second behind ours.
  rig.Dispatch(
      testing::TriggerLine("231114221319"
                           "32"));
  ASSERT_TRUE(rig.window.Race().Running());
  EXPECT_TRUE(testing::FindNamed<QCheckBox>(rig.window, "ckbUseReaderTime")->isChecked());
  EXPECT_EQ(rig.window.Race().StartTime().sec, 1'700'000'000 - 1);
  EXPECT_EQ(rig.window.Race().StartTime().ms, 500);

  rig.See(1, 500);  // at the reader's start: the runner starts at 0
  rig.clock.AdvanceMs(20'000);
  rig.See(1, 500);  // 20 s: too soon for a lap
  EXPECT_EQ(rig.Cell(0, 1), "0");
  rig.clock.AdvanceMs(15'000);
  rig.See(1, 500);  // 35 s: lap 1
  rig.clock.AdvanceMs(31'000);
  rig.See(1, 500);  // 66 s: lap 2
  rig.clock.AdvanceMs(31'000);
  rig.See(1, 500);  // beyond the number of laps
  EXPECT_EQ(rig.Cell(0, 0), "NR-test");
  EXPECT_EQ(rig.Cell(0, 1), "2");
  EXPECT_EQ(rig.Cell(0, 2), " 00:00:00.0");
  EXPECT_EQ(rig.Cell(0, 3), " 00:01:37.0");
  EXPECT_EQ(rig.Cell(0, 4), " 00:00:31.0");
  EXPECT_EQ(rig.Cell(0, 5), " +06.00");

  // Record with Shift: the lap times follow the fixed columns.
  QTemporaryDir dir;
  rig.window.SetRecordFolder(dir.path().toStdString());
  rig.window.Record(true);
  std::ifstream file(dir.filePath("RaceTiming.csv").toStdString());
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3],
            "NR-test, 2,  00:00:00.0,  00:01:37.0,  00:00:31.0,  +06.00,  00:00:35.0,  "
            "00:00:31.0");

  // One result not yet recorded is enough to ask; No keeps it.
  rig.See(2);
  testing::FindNamed<QPushButton>(rig.window, "btnClear")->click();
  EXPECT_EQ(rig.questions, std::vector<QString>{"1 record(s) not recorded - discard them?"});
  EXPECT_EQ(rig.window.Race().RunnerCount(), 2);
  rig.answer = true;
  testing::FindNamed<QPushButton>(rig.window, "btnClear")->click();
  EXPECT_EQ(rig.window.Race().RunnerCount(), 0);
  EXPECT_TRUE(rig.Cell(0, 0).isEmpty());
  EXPECT_TRUE(rig.warnings.empty());

  rig.window.hide();
  EXPECT_FALSE(rig.context.specialModes().AnyOn());
}

}  // namespace
}  // namespace corvalis
