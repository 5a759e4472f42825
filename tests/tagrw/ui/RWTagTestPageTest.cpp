#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include "channels/ChannelTestSupport.h"
#include "common/ui/FindNamed.h"
#include "tagrw/ui/RWTagTestPage.h"

namespace corvalis {
namespace {

using testing::FindNamed;

// The tab over the page test, with channel 1 on the simulator's read/write
// controller and the tick running.
class RWTagTestPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QObject::connect(&tick, &QTimer::timeout, [this] { context.Tick(); });
    tick.start(100);
    ASSERT_TRUE(testing::OpenChannelOneOnSimulator(
        context, sim, {"--tcp", "0", "--rate", "2", "--reads-per-pass", "1", "--rw-corrupt", "1"},
        dir.filePath("Corvalis.ini"), dir.path()));
    page.resize(1200, 760);
    page.show();
  }
  void TearDown() override {
    tick.stop();
    context.channels().CloseAll();
    sim.terminate();
    sim.waitForFinished(3000);
  }

  QTemporaryDir dir;
  SystemClock clock;
  testing::RecordingStatus status;
  AppContext context{clock, status};
  QProcess sim;
  QTimer tick;
  RWTagTestPage page{context, [] { return RWTagTestPage::Target{0, 0, QString()}; }};
};

TEST_F(RWTagTestPageTest, PageReadShowsTheDataColouredAndCounted) {
  FindNamed<QComboBox>(page, "cmbRWData15")->setEditText("d0006000ffff8001");
  FindNamed<QCheckBox>(page, "ckbRWRead15")->setChecked(true);
  FindNamed<QSpinBox>(page, "speRWPageNo")->setValue(15);
  FindNamed<QPushButton>(page, "btnRWPage")->click();
  auto* panel = FindNamed<QLabel>(page, "pnlRWRead15");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !context.tagRw().Running(); }, 8000));
  EXPECT_EQ(panel->text(), "00006000ffff8001");  // first digit changed by the tag
  EXPECT_TRUE(panel->styleSheet().contains("#008000"));
  EXPECT_EQ(FindNamed<QLabel>(page, "lblNumDarkGreen")->text(), "1");
  EXPECT_EQ(FindNamed<QLabel>(page, "lblNumTot")->text(), "1");
  // CORVALIS_SCREENSHOTS=1 refreshes the documentation's picture.
  if (qEnvironmentVariableIsSet("CORVALIS_SCREENSHOTS"))
    page.grab().save(QStringLiteral(CORVALIS_SOURCE_DIR "/docs/screenshots/rw_tag_test.png"));
}

TEST_F(RWTagTestPageTest, NormalRateSendsThePeriodThenTheTagBaudSequence) {
  std::vector<std::string> lines;
  struct Recorder final : SentLineRecorder {
    explicit Recorder(std::vector<std::string>& l) : lines(l) {}
    bool IsRecording() const override { return true; }
    void RecordSentLine(int, const char* text, int length) override {
      lines.emplace_back(text, static_cast<size_t>(length));
    }
    std::vector<std::string>& lines;
  } recorder(lines);
  context.commands().SetSentLineRecorder(&recorder);
  FindNamed<QPushButton>(page, "btnRWNormal")->click();
  // Each step of the sequence waits for the reply to the one before.
  ASSERT_TRUE(QTest::qWaitFor([&] { return lines.size() >= 4; }, 5000));
  context.commands().SetSentLineRecorder(nullptr);
  EXPECT_EQ(lines[0].substr(0, 10), "ab0001172d");
  EXPECT_EQ(lines[1].substr(0, 18), "ab0005810200020603");
  EXPECT_EQ(lines[2].substr(0, 10), "ab00011203");
  EXPECT_EQ(lines[3].substr(0, 18), "ab0005810300020603");
  EXPECT_EQ(context.tto().ChosenPeriod4(), 45);
}

TEST_F(RWTagTestPageTest, DataToolsFillTheFirstFifteenPages) {
  FindNamed<QPushButton>(page, "btnRWFillByPage")->click();
  EXPECT_EQ(FindNamed<QComboBox>(page, "cmbRWData10")->currentText(), "aaaaaaaaaaaaaaaa");
  EXPECT_EQ(FindNamed<QComboBox>(page, "cmbRWData15")->currentText(), "00000000ffff0000");
  FindNamed<QPushButton>(page, "btnRWInc")->click();
  EXPECT_EQ(FindNamed<QComboBox>(page, "cmbRWData0")->currentText(), "0000000000000001");
  FindNamed<QPushButton>(page, "btnRWFillF")->click();
  EXPECT_EQ(FindNamed<QComboBox>(page, "cmbRWData3")->currentText(), "ffffffffffffffff");
  FindNamed<QCheckBox>(page, "ckbRWContinuous")->setChecked(true);
  EXPECT_TRUE(context.tagRw().options().continuous);
}

}  // namespace
}  // namespace corvalis
