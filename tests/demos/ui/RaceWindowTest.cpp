#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <string>

#include "app/AppContext.h"
#include "common/ui/FindNamed.h"
#include "demos/DemoTestSupport.h"
#include "demos/ui/RaceWindow.h"
#include "support/RecordingStatus.h"
#include "tags/TagTableTestSupport.h"

namespace corvalis {
namespace {

TEST(RaceWindowTest, TriggerStartsThePlacesFillTheGridAndTheClockRuns) {
  ManualClock clock;
  testing::RecordingStatus status;
  AppContext context{clock, status};
  SimultaneousRaceWindow window(context.specialModes(), clock, context.spine().dispatcher,
                                context.tagTable());
  window.show();
  EXPECT_TRUE(context.specialModes().IsOn(SpecialMode::RaceSimultaneousStart));
  window.findChild<QSpinBox*>("spnTargetMinutes")->setValue(10);

  std::string bad = testing::TriggerLine("", false);
  context.spine().dispatcher.DispatchMessage(1, 0, bad.data(), static_cast<int>(bad.size()));
  EXPECT_EQ(testing::FindNamed<QLabel>(window, "lblResult")->text(), "LRC error");
  std::string trigger = testing::TriggerLine("");
  context.spine().dispatcher.DispatchMessage(1, 0, trigger.data(),
                                             static_cast<int>(trigger.size()));
  ASSERT_TRUE(window.Race().Running());

  clock.AdvanceMs(9 * 60'000 + 58'300);
  context.tagTable().RecordTagRead(testing::MakeRead(42, clock.Now()));
  QTableWidget* grid = window.findChild<QTableWidget*>("stgRaceTimes");
  ASSERT_NE(grid->item(0, 4), nullptr);
  EXPECT_EQ(grid->item(0, 2)->text(), " 00:09:58.3");
  EXPECT_EQ(grid->item(0, 4)->text(), " -01.70");
  window.RefreshClock();
  EXPECT_EQ(window.findChild<QLabel*>("lblElapsedTime")->text(), " 00:09:58.3");
  EXPECT_EQ(window.findChild<QLabel*>("pnlTargetDelta")->text(), "-0001.7");

  window.hide();
  EXPECT_FALSE(context.specialModes().AnyOn());
}

}  // namespace
}  // namespace corvalis
