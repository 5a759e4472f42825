#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "channels/ChannelTestSupport.h"
#include "common/ui/FindNamed.h"
#include "tagrw/ui/RWStatusWindow.h"

namespace corvalis {
namespace {

using testing::FindNamed;

TEST(RWStatusWindowTest, GetShowsTheStateAndOptionsRoundTrip) {
  QTemporaryDir dir;
  SystemClock clock;
  testing::RecordingStatus status;
  AppContext context{clock, status};
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] { context.Tick(); });
  tick.start(100);
  QProcess sim;
  ASSERT_TRUE(testing::OpenChannelOneOnSimulator(
      context, sim, {"--tcp", "0", "--rate", "2", "--reads-per-pass", "1"},
      dir.filePath("Corvalis.ini"), dir.path()));
  RWStatusWindow window(
      context.commands(), [] { return 0; }, [] { return 0; });
  window.show();
  FindNamed<QCheckBox>(window, "ckbRWOption4")->setChecked(true);  // Continuous
  FindNamed<QRadioButton>(window, "rbtRWCrc3")->setChecked(true);  // CCITT
  window.Send(false);
  ASSERT_EQ(context.commands().WaitForReply(), WaitResult::kReplied);
  FindNamed<QCheckBox>(window, "ckbRWOption4")->setChecked(false);
  window.Send(true);  // "ff28" reads them back
  ASSERT_EQ(context.commands().WaitForReply(), WaitResult::kReplied);
  EXPECT_TRUE(FindNamed<QCheckBox>(window, "ckbRWOption4")->isChecked());
  FindNamed<QPushButton>(window, "btnRWStatusGet")->click();
  ASSERT_EQ(context.commands().WaitForReply(), WaitResult::kReplied);
  EXPECT_EQ(FindNamed<QLabel>(window, "lblTarget")->text(), "000000000000");
  EXPECT_TRUE(FindNamed<QCheckBox>(window, "ckbRWState0")->isChecked());  // data page expected
  EXPECT_TRUE(FindNamed<QRadioButton>(window, "rbtRWCrc3")->isChecked());
  if (qEnvironmentVariableIsSet("CORVALIS_SCREENSHOTS"))
    window.grab().save(QStringLiteral(CORVALIS_SOURCE_DIR "/docs/screenshots/rw_status.png"));
  tick.stop();
  context.channels().CloseAll();
  sim.terminate();
  sim.waitForFinished(3000);
}

}  // namespace
}  // namespace corvalis
