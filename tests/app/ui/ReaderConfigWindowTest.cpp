#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/AppContext.h"
#include "app/MemoStatus.h"
#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "channels/ChannelTestSupport.h"
#include "common/ui/FindNamed.h"
#include "control/ui/HoppingPage.h"
#include "control/ui/ReaderControlMenu.h"
#include "protocol/Checksums.h"

namespace corvalis {
namespace {

using testing::FindNamed;

// The whole console against the bundled simulator on channel 1, driven
// through its windows as an operator would, the window's own timer ticking.
class ReaderConfigWindowTest : public ::testing::Test {
 protected:
  void Start(const QStringList& simArgs) {
    const QString ini = dir_.filePath("Corvalis.ini");
    const int port = testing::StartSimulator(sim_, simArgs);
    ASSERT_GT(port, 0);
    testing::WriteSimulatorChannels(ini, port);
    session_.Start(dir_.path(), {QStringLiteral("corvalis"), QStringLiteral("-i=") + ini});
    window_ = std::make_unique<MainWindow>(session_, context_, status_);
    window_->SetMessageBoxSink(
        [this](QMessageBox::Icon, const QString&, const QString& text) { messages_ << text; });
    window_->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return context_.channels().IsOpen(0); }, 3000));
    menu_ = FindNamed<ReaderControlMenu>(window_.get(), "ReaderControlMenu");
    panel_ = FindNamed<QWidget>(window_.get(), "frmReaderControl");
  }
  void TearDown() override {
    window_.reset();
    context_.channels().CloseAll();
    sim_.terminate();
    sim_.waitForFinished(3000);
  }
  void Trigger(const char* item) { FindNamed<QAction>(window_.get(), item)->trigger(); }
  // The bodies sent on channel 1, reader ID and LRC cut off.
  QStringList SentBodies() {
    QFile file(dir_.filePath("logger1.log"));
    QStringList bodies;
    if (!file.open(QIODevice::ReadOnly)) return bodies;
    for (const QByteArray& line : file.readAll().split('\n')) {
      if (!line.startsWith("> ab")) continue;
      const QByteArray framed = line.trimmed().mid(2);
      bodies << QString::fromLatin1(framed.mid(4, framed.size() - 6));
    }
    return bodies;
  }
  // For the documentation: CORVALIS_SCREENSHOTS=docs/screenshots.
  static void Shot(QWidget* widget, const char* file) {
    if (const char* dir = std::getenv("CORVALIS_SCREENSHOTS")) {
      if (!widget->isVisible()) widget->adjustSize();
      widget->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(file));
    }
  }
  bool Idle() { return !context_.readerConfig().sequence().Running(); }
  QString InfoMemo() { return FindNamed<QPlainTextEdit>(panel_, "memInfo")->toPlainText(); }

  QTemporaryDir dir_;
  SystemClock clock_;
  MemoStatus status_;
  AppContext context_{clock_, status_};
  AppSession session_{context_};
  QProcess sim_;
  std::unique_ptr<MainWindow> window_;
  ReaderControlMenu* menu_ = nullptr;
  QWidget* panel_ = nullptr;
  QStringList messages_;
};

TEST_F(ReaderConfigWindowTest, MenuItemsSendTheirBodiesAndThePanelShowsTheReplies) {
  Start({"--tcp", "0", "--passes", "1"});
  QString typedMask = QStringLiteral("12zz");
  menu_->SetDialogRunner([&typedMask](QDialog& dialog) {
    if (auto* beep = dialog.findChild<QSpinBox*>("speBeepTime")) beep->setValue(5);
    if (auto* timeout = dialog.findChild<QSpinBox*>("speEventTimeout")) timeout->setValue(9);
    if (auto* mask = dialog.findChild<QLineEdit*>("edtSelectMask")) mask->setText(typedMask);
    const QString name = dialog.objectName();
    Shot(&dialog, name == "frmBeepTime"       ? "beep-time.png"
                  : name == "frmSetTagSelect" ? "tag-select.png"
                                              : "event-timeout.png");
    return true;
  });
  // A mask that is not 16 hex digits is refused and nothing is stored.
  Trigger("mnuSpecifyPatterns");
  ASSERT_FALSE(messages_.isEmpty());
  EXPECT_TRUE(messages_.last().contains(QStringLiteral("12zz")));
  EXPECT_EQ(context_.readerConfig().settings().filters.selectMask, "0000000000000000");
  typedMask = QStringLiteral("00000000000000FF");
  Trigger("mnuSpecifyPatterns");
  Trigger("mnuSetBeepDuration");
  EXPECT_EQ(FindNamed<QAction>(window_.get(), "mnuSetBeepDuration")->text(),
            "&Set Beep duration (50ms)...");
  Trigger("mnuSetEventTimeout");
  EXPECT_EQ(FindNamed<QAction>(window_.get(), "mnuSetEventTimeout")->text(),
            "&Set Event Timeout (9s)...");
  EXPECT_EQ(FindNamed<QSpinBox>(panel_, "speTagModeEventTime")->value(), 9);
  EXPECT_TRUE(SentBodies().isEmpty()) << "the dialogs send nothing";

  // One item of every submenu, in the order the reader must get them.
  const char* const items[] = {"mnuBeepOnSeeAndSend",
                               "mnuCrcQ3Q5",
                               "mnuCrcR5180",
                               "mnuModeFirstLastSeen",
                               "mnuTxOn",
                               "mnuSetSynth2",
                               "mnuSleep",
                               "mnuGetStats",
                               "mnuFactDef",
                               "mnuAcceptMask",
                               "mnuRejectMask",
                               "mnuWriteToEEPROM",
                               "mnuFormatStandard",
                               "mnuExpect12TTOPages",
                               "mnuDisableTTO"};
  for (const char* item : items) {
    Trigger(item);
    // Each after the reply to the one before, as the operator would.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !context_.commands().Awaiting(); }, 2000)) << item;
  }
  EXPECT_EQ(SentBodies(),
            (QStringList{"020e6005", "010d82", "02080000", "0309040907", "010601", "010502",
                         "011f01", "000a", "011801", "083100000000000000ff", "0833ffffffffffffffff",
                         "0034", "0a117ffc6161aa000d0a0000", "012a0c", "012a00"}));
  EXPECT_EQ(FindNamed<QComboBox>(panel_, "cmbMessageMode")->currentIndex(), 4);
  // The panel's memo shows each line sent and the simulator's answer to it.
  EXPECT_TRUE(InfoMemo().contains(QStringLiteral("ab00020e6005"))) << InfoMemo().toStdString();
  EXPECT_EQ(InfoMemo().count(QStringLiteral("020e6005")), 2) << InfoMemo().toStdString();
  EXPECT_EQ(InfoMemo().count(QStringLiteral("012a0c")), 2);
  // The standard layout is what channel 1 now expects.
  EXPECT_EQ(context_.formats().format[0].flags1, 0x7f);
}

TEST_F(ReaderConfigWindowTest, TagBaudRunsInOrderEachAfterItsReply) {
  Start({"--tcp", "0", "--passes", "1"});
  Trigger("mnuTagBaud128k");
  EXPECT_TRUE(FindNamed<QRadioButton>(panel_, "rbtTagBaud128k")->isChecked());
  EXPECT_EQ(SentBodies(), QStringList{"05810200020602"}) << "only the first before its reply";
  ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, 5000));
  EXPECT_EQ(SentBodies(), (QStringList{"05810200020602", "011202", "05810300020602"}));
  EXPECT_EQ(context_.readerConfig().sequence().GetState(), CommandSequence::State::kDone);
}

TEST_F(ReaderConfigWindowTest, AnErrorReplyStopsTheTagBaudSequence) {
  Start({"--tcp", "0", "--passes", "1", "--fault-on", "18"});  // 0x12, the controller
  Trigger("mnuTagBaud256k");
  ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, 5000));
  QTest::qWait(400);
  EXPECT_EQ(SentBodies(), (QStringList{"05810200020603", "011203"}));
  EXPECT_EQ(context_.readerConfig().sequence().GetState(), CommandSequence::State::kErrorReply);
  EXPECT_TRUE(QString::fromStdString(context_.readerConfig().sequence().StatusText())
                  .contains(QStringLiteral("Unknown Command")));
}

TEST_F(ReaderConfigWindowTest, PanelFormatSendSwitchesTheStreamAndRefusesBadFields) {
  Start({"--tcp", "0", "--tags", "3", "--reads-per-pass", "1", "--rate", "10"});
  QLineEdit* ah1 = FindNamed<QLineEdit>(panel_, "edtMfmtAh1");
  for (const char* bad : {"0x1ff", "zz"}) {
    ah1->setText(QLatin1String(bad));
    FindNamed<QPushButton>(panel_, "btnMfmtSend")->click();
    ASSERT_FALSE(messages_.isEmpty()) << bad;
    EXPECT_TRUE(messages_.last().contains(QLatin1String(bad))) << messages_.last().toStdString();
  }
  EXPECT_TRUE(SentBodies().isEmpty());

  FindNamed<QPushButton>(panel_, "btnMfmtStandard")->click();
  EXPECT_EQ(SentBodies(), QStringList{"0a117ffc6161aa000d0a0000"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return !context_.commands().Awaiting(); }, 2000));
  const int before = context_.tagTable().ReadsSeen(0);
  // Reads in the 60-character standard layout still reach the tag table.
  ASSERT_TRUE(QTest::qWaitFor([&] { return context_.tagTable().ReadsSeen(0) > before + 3; }, 5000));
  EXPECT_EQ(context_.formats().format[0].flags1, 0x7f);
  EXPECT_EQ(context_.formats().format[0].idMask, 0xfc);
}

TEST_F(ReaderConfigWindowTest, HoppingCustomPlanIsCheckedBeforeAnythingIsSent) {
  Start({"--tcp", "0", "--passes", "1"});
  window_->ShowPage(Page::kHopping);
  auto* page = FindNamed<HoppingPage>(window_.get(), "HoppingPage");
  int questions = 0;
  page->SetQuestionRunner([&] {
    ++questions;
    return TimingAnswer::kCancel;
  });
  QLineEdit* start = FindNamed<QLineEdit>(page, "edtHopStartFreq");
  QPushButton* send = FindNamed<QPushButton>(page, "btnHopSend");
  const struct {
    const char* frequency;
    const char* message;
  } refused[] = {
      {"961", "Out of range starting freqeuncy"},
      {"915.35", "Not sending configuration, please change starting freqeuncy or channel width"},
      {"", "Add Starting Frequency"}};
  for (const auto& r : refused) {
    start->setText(QLatin1String(r.frequency));
    send->click();
    ASSERT_FALSE(messages_.isEmpty());
    EXPECT_EQ(messages_.last(), QLatin1String(r.message));
    EXPECT_EQ(FindNamed<QLabel>(page, "lblHopStatus")->text(), QLatin1String(r.message));
  }
  EXPECT_TRUE(SentBodies().isEmpty()) << "not even the synthesiser mode";

  start->setText(QStringLiteral("915.3"));
  send->click();
  EXPECT_FALSE(send->isEnabled()) << "disabled while the plan runs";
  ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, 5000));
  EXPECT_TRUE(send->isEnabled());
  EXPECT_EQ(SentBodies(), (QStringList{"010501", "083eaa0001008f640124", "023924fe"}));
  EXPECT_EQ(questions, 0);
  Shot(window_.get(), "hopping.png");

  // Non-standard timing asks; Cancel sends the plan without its timing.
  FindNamed<QSpinBox>(page, "speHopOffTime")->setValue(9);
  send->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, 5000));
  EXPECT_EQ(questions, 1);
  EXPECT_EQ(SentBodies().size(), 5);
  EXPECT_FALSE(SentBodies().back().startsWith(QStringLiteral("0239")));
  FindNamed<QSpinBox>(page, "speHopOffTime")->setValue(14);

  // A 50 kHz sweep: one step up from 840 MHz is 840.05 MHz, sent at once.
  auto* steps = FindNamed<QComboBox>(page, "cmbHopSweepSteps");
  steps->setCurrentIndex(0);
  Q_EMIT steps->activated(0);
  EXPECT_TRUE(FindNamed<QRadioButton>(page, "rbtHopChanWidth50")->isChecked());
  EXPECT_EQ(start->text(), "840.0");
  FindNamed<QSlider>(page, "trbHopSweep")->setValue(1);
  EXPECT_EQ(start->text(), "840.05");
  ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, 5000));
  EXPECT_EQ(SentBodies().mid(5), (QStringList{"010501", "083eaa00210106c80124", "023924fe"}));

  // Get Setup: the hop plan, then the timing, each after its reply.
  FindNamed<QPushButton>(page, "btnHopGetSetup")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, 5000));
  EXPECT_EQ(SentBodies().mid(8), (QStringList{"ff3e", "ff39"}));
}

TEST_F(ReaderConfigWindowTest, HoppingSendComesBackWhenTheReaderRefusesThePlan) {
  Start({"--tcp", "0", "--passes", "1", "--fault-on", "62"});  // 0x3e, the hop command
  window_->ShowPage(Page::kHopping);
  auto* page = FindNamed<HoppingPage>(window_.get(), "HoppingPage");
  QPushButton* send = FindNamed<QPushButton>(page, "btnHopSend");
  send->click();
  EXPECT_FALSE(send->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return send->isEnabled(); }, 3000));
  EXPECT_EQ(SentBodies(), (QStringList{"010501", "083eaa0001008f640124"}));
  EXPECT_TRUE(FindNamed<QLabel>(page, "lblHopStatus")->text().startsWith("Sequence stopped"));
}

TEST_F(ReaderConfigWindowTest, DecoderControlShowsTheStatusAndSendsTheConfiguration) {
  Start({"--tcp", "0", "--passes", "1"});
  window_->ShowPage(Page::kDecoderControl);
  QWidget* page = FindNamed<QWidget>(window_.get(), "DecoderControlPage");
  FindNamed<QPushButton>(page, "btnDCUpdateStatus")->click();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return FindNamed<QLabel>(page, "lblDCFPGAVersion")->text() == "8"; }, 3000));
  // The simulator's version-8 decoder: edges 10 11, CRCs 1 2, levels 64 65.
  EXPECT_EQ(FindNamed<QLabel>(page, "lblDCEdges1")->text(), "10");
  EXPECT_EQ(FindNamed<QLabel>(page, "lblDCCRCCount2")->text(), "2");
  EXPECT_EQ(FindNamed<QLabel>(page, "lblDCLevel2")->text(), "65");
  EXPECT_TRUE(FindNamed<QLabel>(page, "lblDCEdges3")->isHidden());
  EXPECT_TRUE(FindNamed<QLabel>(page, "lblDCUnsupportedCommand")->isHidden());
  EXPECT_EQ(FindNamed<QLabel>(page, "lblDCZoom1")->text(), "10");
  EXPECT_EQ(FindNamed<QSpinBox>(page, "speDCAttenuation")->value(), 5);
  FindNamed<QPushButton>(page, "btnDCUpdateErrorCounts")->click();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return FindNamed<QLabel>(page, "lblDCSoftTimeoutCount")->text() == "256"; }, 3000));
  Shot(window_.get(), "decoder-control.png");

  FindNamed<QCheckBox>(page, "ckbDCInvert")->setChecked(true);
  FindNamed<QCheckBox>(page, "ckbDCFilterBypass")->setChecked(false);
  FindNamed<QCheckBox>(page, "ckbDCSynth")->setChecked(true);
  FindNamed<QComboBox>(page, "cmbDCTagBaud")->setCurrentIndex(2);
  FindNamed<QComboBox>(page, "cmbDCRWTimeout")->setCurrentIndex(2);
  FindNamed<QComboBox>(page, "cmbDCRWAddressMode")->setCurrentIndex(1);
  FindNamed<QSpinBox>(page, "speDCExpectedTTOPages")->setValue(12);
  QPushButton* sendConfig = FindNamed<QPushButton>(page, "btnDCSendConfig");
  sendConfig->click();
  EXPECT_FALSE(sendConfig->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return SentBodies().size() == 4; }, 3000));
  EXPECT_EQ(SentBodies(), (QStringList{"002b", "0045", "043b82450509", "012a0c"}));
  EXPECT_TRUE(sendConfig->isEnabled()) << "the configuration reply gives it back";
}

TEST_F(ReaderConfigWindowTest, ReaderControlPanelShowsWithTheMenuAndHidesBoth) {
  Start({"--tcp", "0", "--passes", "1"});
  QWidget* io = FindNamed<QWidget>(window_.get(), "frmConfigReader2");
  EXPECT_FALSE(panel_->isVisible());
  Trigger("mnuReaderControlPanel");
  EXPECT_TRUE(panel_->isVisible());
  EXPECT_TRUE(io->isVisible());
  EXPECT_TRUE(session_.settings().Bool(Setting::ShowControlPanel));
  // Shift on Fact Def sends the other defaults; the I/O panel reads and sets.
  QTest::mouseClick(FindNamed<QPushButton>(panel_, "btnFactDef"), Qt::LeftButton,
                    Qt::ShiftModifier);
  // Shift, or a double-click on the group, reads the setting back instead.
  QTest::mouseClick(FindNamed<QPushButton>(panel_, "btnMfmtSend"), Qt::LeftButton,
                    Qt::ShiftModifier);
  QTest::mouseDClick(FindNamed<QWidget>(panel_, "grpMessageMode"), Qt::LeftButton);
  QTest::mouseClick(FindNamed<QPushButton>(panel_, "btnGetTime"), Qt::LeftButton,
                    Qt::ShiftModifier);
  FindNamed<QPushButton>(io, "btnIoGet")->click();
  FindNamed<QCheckBox>(io, "ckbOut1IsTxStat")->setChecked(true);
  FindNamed<QCheckBox>(io, "ckbKeepAlive")->setChecked(true);
  FindNamed<QCheckBox>(io, "ckbIQActivity")->setChecked(true);
  FindNamed<QPushButton>(io, "btnIoSend")->click();
  EXPECT_EQ(SentBodies(), (QStringList{"011803", "ff11", "ff09", "0044", "001b", "0319040880"}));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !context_.commands().Awaiting(); }, 2000));
  Shot(panel_, "reader-control-panel.png");
  Shot(io, "reader-io-panel.png");
  FindNamed<QAction>(panel_, "mnuHidePanels")->trigger();
  EXPECT_FALSE(panel_->isVisible());
  EXPECT_FALSE(io->isVisible());
  EXPECT_FALSE(session_.settings().Bool(Setting::ShowControlPanel));
}

TEST_F(ReaderConfigWindowTest, ControlGroupsFollowTheirShowKeysAndTimedRfEndsWithRfOff) {
  Start({"--tcp", "0", "--passes", "1"});
  QWidget* timed = FindNamed<QWidget>(window_.get(), "btnTimedRF");
  QWidget* multiplex = FindNamed<QWidget>(window_.get(), "btnMultiplex");
  QWidget* stepping = FindNamed<QWidget>(window_.get(), "ckbDoStepping");
  EXPECT_TRUE(timed->isHidden() || !timed->parentWidget()->isVisibleTo(window_.get()));
  Settings& settings = session_.settings();
  settings.SetBool(Setting::ShowRFControls, true);
  settings.SetBool(Setting::ShowMPXControls, true);
  settings.SetBool(Setting::ShowStepping, true);
  window_->ControlGroupsChanged();
  EXPECT_TRUE(timed->isVisibleTo(window_.get()));
  EXPECT_TRUE(multiplex->isVisibleTo(window_.get()));
  Shot(window_.get(), "tags-seen-rf-controls.png");

  FindNamed<QSpinBox>(window_.get(), "speTimedRFTime")->setValue(3);
  FindNamed<QCheckBox>(window_.get(), "ckbTimed100ms")->setChecked(true);
  auto* button = FindNamed<QPushButton>(window_.get(), "btnTimedRF");
  button->click();
  EXPECT_EQ(button->text(), "Cancel");
  ASSERT_TRUE(QTest::qWaitFor([&] { return button->text() == "Timed RF"; }, 3000));
  EXPECT_EQ(SentBodies(), (QStringList{"010601", "010600"}));

  window_->ShowPage(Page::kDiagnostics);
  EXPECT_TRUE(stepping->isVisibleTo(window_.get()));
  Shot(window_.get(), "diagnostics-stepping.png");

  // Stepping with a log open: level 1 - edge first, a snapshot on each
  // return to the edge's level, logging off at the step limit.
  ASSERT_TRUE(context_.logWriter().StartLogging(dir_.filePath("steps.log").toStdString()).ok);
  FindNamed<QSpinBox>(window_.get(), "speStepperInterval")->setValue(20);
  FindNamed<QSpinBox>(window_.get(), "speStepLimit")->setValue(2);
  auto* doStepping = FindNamed<QCheckBox>(window_.get(), "ckbDoStepping");
  doStepping->setChecked(true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !doStepping->isChecked(); }, 3000));
  EXPECT_EQ(SentBodies().mid(2), (QStringList{"010501", "010500", "010501", "010500"}));
  EXPECT_FALSE(context_.logWriter().IsLogging());
  EXPECT_EQ(FindNamed<QLabel>(window_.get(), "lblCurrentStep")->text(), "Current: 2");
}

TEST_F(ReaderConfigWindowTest, LinkedSelectionReachesThePanelAndTheHoppingTab) {
  Start({"--tcp", "0", "--passes", "1"});
  auto* send = FindNamed<QComboBox>(window_.get(), "cmbSendChannel");
  auto* hop = FindNamed<QComboBox>(window_.get(), "cmbHopChannel");
  send->setCurrentIndex(2);
  EXPECT_EQ(FindNamed<QComboBox>(panel_, "cmbSendChannel")->currentIndex(), 2);
  EXPECT_EQ(hop->currentIndex(), 2);
  FindNamed<QSpinBox>(panel_, "speReaderID")->setValue(7);
  EXPECT_EQ(FindNamed<QSpinBox>(window_.get(), "speHopReaderID")->value(), 7);
}

// A reply line from reader 0 on channel 1: code and data as hex text.
void HandleReply(AppContext& context, int dataLength, const std::string& codeAndData) {
  char head[5];
  std::snprintf(head, sizeof head, "00%02x", dataLength);
  std::string line = "ab" + std::string(head) + codeAndData;
  char lrc[3] = {};
  FormatLrc(ComputeLrc(line.data() + 2, static_cast<int>(line.size()) - 2), lrc);
  line += lrc;
  context.commands().HandleReply(0, line.data(), static_cast<int>(line.size()));
}

TEST_F(ReaderConfigWindowTest, DecoderControlShowsWhatEachGenerationHas) {
  Start({"--tcp", "0", "--passes", "1"});
  window_->ShowPage(Page::kDecoderControl);
  QWidget* page = FindNamed<QWidget>(window_.get(), "DecoderControlPage");
  QWidget* fields = FindNamed<QWidget>(page, "pnlDCStatusFields");
  QWidget* counters = FindNamed<QWidget>(page, "pnlDCCounters");
  QCheckBox* txOffInvert = FindNamed<QCheckBox>(page, "ckbDCTxOffInvert");

  HandleReply(context_, 2, "2b0708");  // only the two counts
  EXPECT_EQ(FindNamed<QLabel>(page, "lblDCErrors")->text(), "7");
  EXPECT_EQ(FindNamed<QLabel>(page, "lblDCOverruns")->text(), "8");
  EXPECT_FALSE(FindNamed<QLabel>(page, "lblDCUnsupportedCommand")->isHidden());
  EXPECT_TRUE(fields->isHidden());
  EXPECT_TRUE(FindNamed<QPushButton>(page, "btnDCSendConfig")->isHidden());

  // Version 15 names generation 2: relabelled boxes, no threshold.
  HandleReply(context_, 11, "2b01020f21070a0b0102c1f3");
  EXPECT_TRUE(FindNamed<QLabel>(page, "lblDCUnsupportedCommand")->isHidden());
  EXPECT_FALSE(fields->isHidden());
  EXPECT_EQ(FindNamed<QLabel>(page, "lblDCFPGAVersion")->text(), "v2.1.07");
  EXPECT_EQ(txOffInvert->text(), "Data on any channel");
  EXPECT_TRUE(txOffInvert->isChecked());  // K bit 7
  EXPECT_TRUE(FindNamed<QSpinBox>(page, "speDCAttenuation")->isHidden());
  EXPECT_EQ(FindNamed<QLabel>(page, "lblDCCRCCount2")->text(), "2");
  EXPECT_EQ(FindNamed<QLabel>(page, "lblDCConfig")->text(), "c1");
  EXPECT_EQ(FindNamed<QComboBox>(page, "cmbDCTagBaud")->currentIndex(), 2);  // 3 - 1
  EXPECT_TRUE(FindNamed<QCheckBox>(page, "ckbDCInvert")->isChecked());

  // An unknown version: its digit and the counts, nothing more.
  HandleReply(context_, 6, "2b0304030a0b01");
  EXPECT_EQ(FindNamed<QLabel>(page, "lblDCFPGAVersion")->text(), "3");
  EXPECT_EQ(FindNamed<QLabel>(page, "lblDCErrors")->text(), "3");
  EXPECT_TRUE(counters->isHidden());

  // Generation 3 again: the form's captions and the threshold come back.
  HandleReply(context_, 11, "2b000008010203044041c1f3");
  EXPECT_EQ(txOffInvert->text(), "Tx Off Polarity Inverted");
  EXPECT_FALSE(FindNamed<QSpinBox>(page, "speDCAttenuation")->isHidden());
  EXPECT_FALSE(counters->isHidden());
}

}  // namespace
}  // namespace corvalis
