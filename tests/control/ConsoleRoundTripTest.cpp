#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTimer>

#include "channels/ChannelTestSupport.h"
#include "control/DeferredCommandQueue.h"

namespace corvalis {
namespace {

// The console's catalogue and free text to the bundled reader simulator over
// loopback TCP, with the real channel layer and the 100 ms tick running.
class ConsoleRoundTripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    iniPath = dir.filePath("Corvalis.ini");
    QObject::connect(&tick, &QTimer::timeout, [this] { context.Tick(); });
    tick.start(100);
    ASSERT_TRUE(testing::OpenChannelOneOnSimulator(context, sim, {"--tcp", "0", "--passes", "1"},
                                                   iniPath, dir.path()));
  }
  void TearDown() override {
    tick.stop();
    context.channels().CloseAll();
    sim.terminate();
    sim.waitForFinished(3000);
  }
  // What the console recorded as sent on channel 1.
  QString Sent() {
    QFile file(dir.filePath("logger1.log"));
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    QString sent;
    for (const QByteArray& line : file.readAll().split('\n')) {
      if (line.startsWith("> ")) sent += QString::fromLatin1(line.mid(2)) + "\n";
    }
    return sent;
  }

  QTemporaryDir dir;
  QString iniPath;
  SystemClock clock;
  testing::RecordingStatus status;
  AppContext context{clock, status};
  QTimer tick;
  QProcess sim;
};

TEST_F(ConsoleRoundTripTest, CatalogueAndFreeTextReachTheReaderFramed) {
  // Extended Get Date/Time: the simulator answers with its clock.
  context.console().SendPredefinedCommand(0, 0 + kExtendedDateTime, kGetDateTime);
  EXPECT_EQ(context.commands().WaitForReply(), WaitResult::kReplied);
  // RF on, typed with a wrong LRC and trailing junk: the console fixes it.
  context.console().SendFreeText(0, "ab00010601zzjunk", false);
  EXPECT_EQ(context.commands().WaitForReply(), WaitResult::kReplied);
  // A code the reader does not know: its error reply ends the wait too.
  context.console().SendFreeText(0, "ab0000021234", false);
  EXPECT_EQ(context.commands().WaitForReply(), WaitResult::kErrorReply);
  EXPECT_EQ(Sent(), "ab00004428\r\nab0001060188\r\nab00000222\r\n");
}

// The deferred queue and the automatic status update run from the context's
// tick alone: no window exists in this test.
TEST_F(ConsoleRoundTripTest, ContextTickSendsTheDeferredQueueAndTheStatusUpdate) {
  DeferredCommandQueue& queue = context.console().deferred();
  queue.SetSlot(0, 0, 0, "010600");
  queue.SetSlot(1, 0, 0, "010601");
  queue.Start(2);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Sent().count('\n') >= 2; }, 3000))
      << Sent().toStdString();
  EXPECT_TRUE(Sent().startsWith("ab0001060188\r\nab00010600")) << Sent().toStdString();

  // One round now: Get Date/Time, then Get Stats, and no repeat with no
  // interval set.
  context.SetStatusUpdateTarget(0, 0);
  context.UpdateStatusNow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Sent().count('\n') >= 4; }, 3000))
      << Sent().toStdString();
  QTest::qWait(1200);
  EXPECT_EQ(Sent().count('\n'), 4) << Sent().toStdString();
}

}  // namespace
}  // namespace corvalis
