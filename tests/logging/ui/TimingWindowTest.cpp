#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QTableWidget>
#include <string>

#include "app/AppContext.h"
#include "common/ui/FindNamed.h"
#include "logging/TimingTestSupport.h"
#include "logging/ui/TimingWindow.h"
#include "support/RecordingStatus.h"

namespace corvalis {
namespace {

struct TimingWindows {
  ManualClock clock;
  testing::RecordingStatus status;
  AppContext context{clock, status};
  TimingWindow ranking{SpecialMode::MsTimingRanking, context.specialModes(),
                       context.spine().dispatcher,   context.spine().formats,
                       &context.tagNames(),          status};
  TimingWindow raw{SpecialMode::MsTimingRaw, context.specialModes(), context.spine().dispatcher,
                   context.spine().formats,  &context.tagNames(),    status};

  void Dispatch(int channel, std::string line) {
    line.push_back('\0');
    context.spine().dispatcher.DispatchMessage(1, channel, line.data(),
                                               static_cast<int>(line.size()) - 1);
  }
};

TEST(TimingWindowTest, ListsAndRanksWhileShownAndGivesWayToAnotherMode) {
  TimingWindows windows;
  testing::FindNamed<QCheckBox>(windows.ranking, "ckbChannel1")->setChecked(true);
  windows.ranking.show();
  EXPECT_TRUE(windows.context.specialModes().IsOn(SpecialMode::MsTimingRanking));

  testing::TimingFrame frame;
  frame.period = 500;
  windows.Dispatch(0, frame.At(5, 30, 50).Text());
  frame.id = "0123456789ab5678";
  windows.Dispatch(0, frame.At(5, 31, 0).Text());
  windows.Dispatch(1, frame.Text());  // channel 2 not ticked
  EXPECT_EQ(testing::FindNamed<QListWidget>(windows.ranking, "lstTimes")->count(), 2);
  auto* ranking = testing::FindNamed<QTableWidget>(windows.ranking, "stgRanking");
  ASSERT_NE(ranking, nullptr);
  ASSERT_NE(ranking->item(1, 3), nullptr);
  EXPECT_EQ(ranking->item(1, 3)->text(), " 0.5000");

  windows.raw.show();  // takes over: the ranking window stops and closes
  EXPECT_TRUE(windows.context.specialModes().IsOn(SpecialMode::MsTimingRaw));
  EXPECT_FALSE(windows.ranking.isVisible());
  windows.Dispatch(0, frame.Text());
  EXPECT_EQ(testing::FindNamed<QListWidget>(windows.ranking, "lstTimes")->count(), 2);
  EXPECT_EQ(testing::FindNamed<QListWidget>(windows.raw, "lstTimes")->count(),
            0);  // its channels are not ticked
  windows.raw.hide();
  EXPECT_FALSE(windows.context.specialModes().AnyOn());
}

}  // namespace
}  // namespace corvalis
