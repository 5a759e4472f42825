#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <memory>

#include "app/AppContext.h"
#include "app/MemoStatus.h"
#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "channels/ChannelTestSupport.h"
#include "common/ui/FindNamed.h"
#include "control/ui/ReaderControlPanel.h"
#include "control/ui/RfControlsBox.h"
#include "demos/ui/DemosPage.h"
#include "demos/ui/IndividualRaceWindow.h"
#include "demos/ui/PlugTestWindow.h"
#include "demos/ui/RaceWindow.h"
#include "demos/ui/TollingWindow.h"
#include "logging/ui/TimingWindow.h"

namespace corvalis {
namespace {

// The simulated readers' answers to the transmitter commands.
class TxReplies final : public MessageObserver {
 public:
  void ObserveMessage(int channel, const char* text, int length) override {
    const std::string line(text, static_cast<size_t>(length));
    if (channel == 0 && line.rfind("ab0001060", 0) == 0) lines.push_back(line.substr(0, 10));
  }
  std::vector<std::string> lines;
};

// The console with two simulated readers over TCP: channel 1 streams
// millisecond-timing reads and answers the trigger query, channel 2 starts
// with its transmitter off.
class DemosWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const int timingPort =
        testing::StartSimulator(timingSim_, {"--tcp", "0", "--ms-timing", "--tags", "8", "--rate",
                                             "24", "--reads-per-pass", "2", "--seed", "7"});
    const int quietPort = testing::StartSimulator(
        quietSim_, {"--tcp", "0", "--rf-off", "--tags", "4", "--seed", "8"});
    ASSERT_GT(timingPort, 0);
    ASSERT_GT(quietPort, 0);
    const QString ini = dir_.filePath("Corvalis.ini");
    for (int ch = 0; ch < kChannelCount; ++ch) {
      ChannelSettings settings;
      settings.open = ch < 2;
      settings.port = ch >= 2;
      settings.ipAddress = "127.0.0.1";
      settings.ipPort = ch == 0 ? timingPort : quietPort;
      WriteChannelSettings(ini, ch, settings);
    }
    session_.Start(dir_.path(), {QStringLiteral("corvalis"), QStringLiteral("-i=") + ini});
    window_ = std::make_unique<MainWindow>(session_, context_, status_);
    window_->SetMessageBoxSink([](QMessageBox::Icon, const QString&, const QString&) {});
    window_->show();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return context_.channels().IsOpen(0) && context_.channels().IsOpen(1); }, 3000));
    page_ = window_->findChild<DemosPage*>(QStringLiteral("DemosPage"));
    ASSERT_NE(page_, nullptr);
  }
  void TearDown() override {
    window_.reset();
    for (QProcess* sim : {&timingSim_, &quietSim_}) {
      sim->terminate();
      sim->waitForFinished(3000);
    }
  }
  template <class T>
  T* Find(QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  // For the documentation: CORVALIS_SCREENSHOTS=docs/screenshots.
  static void Shoot(QWidget* widget, const char* file) {
    if (const char* dir = std::getenv("CORVALIS_SCREENSHOTS")) {
      widget->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QLatin1String(file)));
    }
  }
  bool On(SpecialMode mode) { return context_.specialModes().IsOn(mode); }

  QTemporaryDir dir_;
  QProcess timingSim_;
  QProcess quietSim_;
  SystemClock clock_;
  MemoStatus status_;
  AppContext context_{clock_, status_};
  AppSession session_{context_};
  std::unique_ptr<MainWindow> window_;
  DemosPage* page_ = nullptr;
};

TEST_F(DemosWindowsTest, EachWindowOpensFromTheDemosPageWorksAndTakesOverTheReceiveModes) {
  window_->ShowPage(Page::kDemos);
  Shoot(window_.get(), "demos-page.png");

  // Simultaneous start: the reader's trigger starts the race, tags place.
  testing::FindNamed<QPushButton>(page_, "btnRaceSimultaneous")->click();
  SimultaneousRaceWindow* simultaneous = page_->simultaneousRace();
  ASSERT_TRUE(simultaneous->isVisible());
  EXPECT_TRUE(On(SpecialMode::RaceSimultaneousStart));
  testing::FindNamed<QSpinBox>(simultaneous, "spnTargetSeconds")->setValue(3);
  context_.commands().SendCommand(0, 0, "ff2c");
  ASSERT_TRUE(QTest::qWaitFor([&] { return simultaneous->Race().Running(); }, 3000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return simultaneous->Race().PlaceCount() >= 6; }, 8000));
  simultaneous->RefreshClock();
  Shoot(simultaneous, "race-simultaneous.png");

  // Individual start: the trigger carries the reader's time; laps count
  // once the minimum lap time has passed.
  testing::FindNamed<QPushButton>(page_, "btnRaceIndividual")->click();
  EXPECT_FALSE(simultaneous->isVisible());
  EXPECT_TRUE(On(SpecialMode::RaceIndividualStart));
  IndividualRaceWindow* individual = page_->individualRace();
  testing::FindNamed<QSpinBox>(individual, "spnMinLapTime")->setValue(5);
  testing::FindNamed<QSpinBox>(individual, "spnNumLaps")->setValue(3);
  testing::FindNamed<QSpinBox>(individual, "spnTargetSeconds")->setValue(10);
  context_.commands().SendCommand(0, 0, "ff2c");
  ASSERT_TRUE(QTest::qWaitFor([&] { return individual->Race().Running(); }, 3000));
  EXPECT_TRUE(testing::FindNamed<QCheckBox>(individual, "ckbUseReaderTime")->isChecked());
  auto anyLap = [&] {
    for (int i = 0; i < individual->Race().RunnerCount(); ++i) {
      if (individual->Race().Runner(i).laps > 0) return true;
    }
    return false;
  };
  ASSERT_TRUE(QTest::qWaitFor(anyLap, 12000));
  EXPECT_GE(individual->Race().RunnerCount(), 6);
  individual->RefreshClock();
  Shoot(individual, "race-individual.png");

  // The ranking ms-timing window lists and ranks the timing reads.
  testing::FindNamed<QPushButton>(page_, "btnMsTiming")->click();
  EXPECT_FALSE(individual->isVisible());
  TimingWindow* timing = page_->timingRanking();
  EXPECT_TRUE(On(SpecialMode::MsTimingRanking));
  testing::FindNamed<QCheckBox>(timing, "ckbChannel1")->setChecked(true);
  auto* timingList = testing::FindNamed<QListWidget>(timing, "lstTimes");
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return timingList->count() >= 12 && timing->Tap().Ranking().TagCount() >= 6; }, 8000));
  Shoot(timing, "ms-timing.png");

  // The plug test switches the quiet reader on: its tags appear only now.
  testing::FindNamed<QPushButton>(page_, "btnPlugTest")->click();
  EXPECT_FALSE(timing->isVisible());
  EXPECT_FALSE(On(SpecialMode::MsTimingRanking));
  EXPECT_TRUE(On(SpecialMode::PlugTest));
  PlugTestWindow* plug = page_->plugTest();
  plug->SetFolder(dir_.path().toStdString());
  testing::FindNamed<QLineEdit>(plug, "edtTestName")->setText("T1");
  testing::FindNamed<QRadioButton>(plug, "rbt2")->click();
  testing::FindNamed<QSpinBox>(plug, "speTagGroup1")->setValue(3);
  testing::FindNamed<QSpinBox>(plug, "speTagGroup2")->setValue(4);
  Shoot(plug, "plugtest-setup.png");
  testing::FindNamed<QPushButton>(plug, "btnStartTest")->click();
  EXPECT_EQ(context_.tagTable().ReadsSeen(1), 0);
  testing::FindNamed<QPushButton>(plug, "btnStart")->click();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return plug->Test().Panel(0).lines.size() >= 6 && plug->Test().Panel(1).lines.size() == 4;
      },
      10000));
  auto* secondPanel = testing::FindNamed<PlugTestPanelWidget>(plug, "frmR12");
  auto* secondFileName = testing::FindNamed<QLabel>(secondPanel, "lblFileName");
  EXPECT_EQ(testing::FindNamed<QLabel>(secondPanel, "lblNumTags")->text(), "4");
  EXPECT_TRUE(secondFileName->font().bold());
  Shoot(plug, "plugtest.png");
  testing::FindNamed<QPushButton>(plug, "btnStop")->click();
  EXPECT_TRUE(QFile::exists(dir_.filePath("T1.Interrogator2.TagGroup4.Testrun1.csv")));
  EXPECT_EQ(secondFileName->text(), "T1.Interrogator2.TagGroup4.Testrun2.csv");
  EXPECT_FALSE(secondFileName->font().bold());

  plug->hide();
  EXPECT_FALSE(context_.specialModes().AnyOn());
}

TEST_F(DemosWindowsTest, TheTollingWindowsChannelAndReaderIdBecomeTheMainWindows) {
  testing::FindNamed<QPushButton>(page_, "btnTolling")->click();
  TollingWindow* tolling = page_->tolling();
  EXPECT_TRUE(On(SpecialMode::Tolling));
  testing::FindNamed<QComboBox>(tolling, "cmbSendChannel")->setCurrentIndex(2);
  testing::FindNamed<QSpinBox>(tolling, "speReaderID")->setValue(9);
  auto* panel = window_->findChild<ReaderControlPanel*>();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->ChannelControl()->currentIndex(), 2);
  EXPECT_EQ(panel->ReaderIdControl()->value(), 9);
  tolling->hide();
  EXPECT_FALSE(context_.specialModes().AnyOn());
}

TEST_F(DemosWindowsTest, RawTimingWindowSwitchesTheReadersTransmitter) {
  testing::FindNamed<QPushButton>(page_, "btnMsTimingRaw")->click();
  TimingWindow* raw = page_->timingRaw();
  EXPECT_TRUE(On(SpecialMode::MsTimingRaw));
  auto* rf = testing::FindNamed<RfControlsBox>(raw, "grpRfControls");
  ASSERT_NE(rf, nullptr);
  TxReplies replies;
  context_.dispatcher().AddObserver(&replies);
  testing::FindNamed<QCheckBox>(raw, "ckbChannel1")->setChecked(true);
  auto* rawList = testing::FindNamed<QListWidget>(raw, "lstTimes");
  ASSERT_TRUE(QTest::qWaitFor([&] { return rawList->count() > 0; }, 5000));

  testing::FindNamed<QPushButton>(rf, "btnRfTxOff")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return replies.lines.size() == 1; }, 3000));
  const int listed = rawList->count();
  QTest::qWait(500);
  EXPECT_EQ(rawList->count(), listed);  // the transmitter is off

  // A 250 ms burst runs three ticks, then switches the transmitter off.
  auto* timedRf = testing::FindNamed<QPushButton>(rf, "btnTimedRF");
  testing::FindNamed<QSpinBox>(rf, "speTimedRF10ms")->setValue(25);
  timedRf->click();
  EXPECT_TRUE(rf->Burst().Running());
  EXPECT_EQ(timedRf->text(), "Cancel 3");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !rf->Burst().Running(); }, 3000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return replies.lines.size() == 3; }, 3000));
  EXPECT_EQ(replies.lines, (std::vector<std::string>{"ab00010600", "ab00010601", "ab00010600"}));
  EXPECT_TRUE(QTest::qWaitFor([&] { return timedRf->text() == "Timed RF"; }, 1000));
  context_.dispatcher().RemoveObserver(&replies);
  Shoot(raw, "ms-timing-raw.png");
}

}  // namespace
}  // namespace corvalis
