#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "app/AppContext.h"
#include "app/ComboHistory.h"
#include "app/Settings.h"
#include "common/ui/FindNamed.h"
#include "control/ControlTestSupport.h"
#include "control/ui/CommandWordEditor.h"
#include "control/ui/ConfigureTagPage.h"
#include "control/ui/DecoderCommsSettingsDialog.h"
#include "control/ui/HistoryCombo.h"
#include "control/ui/ModifierButton.h"
#include "control/ui/RWCommanderPage.h"
#include "control/ui/ReaderControlPanel.h"
#include "control/ui/ResumeAdviceWindow.h"
#include "protocol/Checksums.h"
#include "support/RecordingStatus.h"

namespace corvalis {
namespace {

std::string Framed(int readerId, const std::string& body) {
  char id[3];
  std::snprintf(id, sizeof id, "%02x", readerId);
  std::string line = std::string("ab") + id + body;
  char lrc[2];
  FormatLrc(ComputeLrc(line.data() + 2, static_cast<int>(line.size()) - 2), lrc);
  return line + std::string(lrc, 2) + "\r\n";
}

class ControlWidgetsTest : public ::testing::Test {
 protected:
  ControlWidgetsTest() { context.commands().SetChannelWriter(&channels); }

  template <typename T>
  T* Find(QWidget* parent, const char* name) {
    T* child = parent->findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  // Replies so the next command is not a restart of the last wait.
  void Reply(int channel) { context.commands().HandleReply(channel, "ab00000222", 10); }

  ManualClock clock;
  testing::RecordingStatus status;
  AppContext context{clock, status};
  testing::RecordingChannels channels;
};

TEST_F(ControlWidgetsTest, ReaderControlSendsOnTheSendChannel) {
  ReaderControlPanel panel(context);
  testing::FindNamed<QComboBox>(panel, "cmbSendChannel")->setCurrentIndex(1);
  testing::FindNamed<QSpinBox>(panel, "speReaderID")->setValue(3);
  auto* text = Find<QComboBox>(&panel, "cmbSendOwnText");
  auto* send = Find<QPushButton>(&panel, "btnSend");

  text->setEditText("ab0100021234");
  QTest::keyClick(text->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(channels.Take(1), "ab01000223\r\n");
  text->setEditText("ab0100");
  QTest::mouseClick(send, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(channels.Take(1), "ab0100");
  text->setEditText("x");
  QTest::mouseClick(send, Qt::LeftButton);
  EXPECT_EQ(channels.Take(1), "x");
  EXPECT_EQ(text->itemText(0), "x");
  EXPECT_EQ(text->count(), 3);
  // An empty field brings back the last entry and sends nothing.
  text->setEditText("");
  QTest::mouseClick(send, Qt::LeftButton);
  EXPECT_EQ(text->currentText(), "x");
  EXPECT_EQ(channels.Take(1), "");

  QTest::mouseClick(Find<QPushButton>(&panel, "btnXon"), Qt::LeftButton, Qt::ShiftModifier);
  QTest::mouseClick(Find<QPushButton>(&panel, "btnXoff"), Qt::LeftButton);
  EXPECT_EQ(channels.Take(1), "\x02\x13");
  QTest::mouseClick(Find<QPushButton>(&panel, "btnAuxOn"), Qt::LeftButton);
  EXPECT_EQ(channels.Take(1), Framed(3, "010701"));

  // No channel selected: nothing at all.
  testing::FindNamed<QComboBox>(panel, "cmbSendChannel")->setCurrentIndex(-1);
  text->setEditText("ab0100");
  QTest::mouseClick(send, Qt::LeftButton);
  QTest::mouseClick(Find<QPushButton>(&panel, "btnSendCommand"), Qt::LeftButton);
  for (int ch = 0; ch < 5; ++ch) EXPECT_EQ(channels.Take(ch), "");
}

TEST_F(ControlWidgetsTest, SetConfigurationAsksForTheCommsSettings) {
  ReaderControlPanel panel(context);
  testing::FindNamed<QComboBox>(panel, "cmbSendChannel")->setCurrentIndex(0);
  DecoderCommsChoice chosen;
  panel.SetDialogRunner([](DecoderCommsSettingsDialog& dialog) {
    EXPECT_EQ(dialog.Choice().baudItem, 1);  // opens on the current choice
    testing::FindNamed<QComboBox>(dialog, "cmbBaudRate")->setCurrentText("19200");
    testing::FindNamed<QComboBox>(dialog, "cmbFlowCtrl")->setCurrentText("Xon/Xoff");
    testing::FindNamed<QCheckBox>(dialog, "ckbASCII")->setChecked(true);
    return true;
  });
  QObject::connect(&panel, &ReaderControlPanel::commsSettingsChosen,
                   [&](const DecoderCommsChoice& c) { chosen = c; });
  testing::FindNamed<QComboBox>(panel, "cmbMessage")->setCurrentIndex(kSetConfiguration);
  Q_EMIT testing::FindNamed<QComboBox>(panel, "cmbMessage")->activated(kSetConfiguration);
  EXPECT_EQ(chosen.flowItem, 2);
  EXPECT_FALSE(context.spine().formats.format[0].binary);
  QTest::mouseClick(testing::FindNamed<QPushButton>(panel, "btnSendCommand"), Qt::LeftButton);
  EXPECT_EQ(channels.Take(0), Framed(0, "01031d"));
}

TEST_F(ControlWidgetsTest, ContextTickRunsThePanelsAutomaticUpdate) {
  ReaderControlPanel panel(context);
  testing::FindNamed<QComboBox>(panel, "cmbSendChannel")->setCurrentIndex(2);
  QTest::mouseClick(testing::FindNamed<QPushButton>(panel, "btnUpdate"), Qt::LeftButton);
  std::string sent;
  for (int t = 0; t < 10; ++t) {
    context.Tick();
    sent += channels.Take(2);
    Reply(2);
  }
  EXPECT_EQ(sent, Framed(0, "0002") + Framed(0, "000a"));
}

TEST_F(ControlWidgetsTest, CommanderWordStringAndTypedCrc) {
  RWCommanderPage page(context);
  CommandWordEditor& e = *page.editor;
  e.SetCommand(kCmdRead);
  e.speNumPages->setValue(1);
  e.cmbTagID->setEditText("0123456789ABCDEF");
  EXPECT_EQ(e.edtCRC5->text(), "0x17");
  EXPECT_EQ(e.edtCommandString->text(), "8037456789abcdef");
  EXPECT_EQ(Find<QLabel>(&page, "lblCmdCommand")->text(), "Cmd 8037456789abcdef");
  EXPECT_EQ(e.cmbCommand->currentText(), "Read");

  e.ckbGenerateCRC->setChecked(false);
  e.edtCRC5->setText("0x25");
  Q_EMIT e.edtCRC5->textEdited("0x25");
  EXPECT_EQ(e.Word() & 0x1F, 0x05);
  EXPECT_TRUE(e.edtCRC5->styleSheet().contains("red"));
  EXPECT_EQ(e.edtCommandString->text().left(4), "8025");

  // First generation: the first 12 characters, names 0..7 only.
  page.ckbRWManual->setChecked(true);
  EXPECT_EQ(e.cmbTagID->currentText(), "456789ABCDEF");
  EXPECT_EQ(e.cmbCommand->count(), 8);
  EXPECT_EQ(page.btnCmdLoad->text(), "Load");
  EXPECT_FALSE(page.grpCmdTimeouts->isVisibleTo(&page));
  QTest::mouseClick(page.btnCmdLoad, Qt::LeftButton);
  EXPECT_EQ(channels.Take(0), Framed(0,
                                     "091500"
                                     "8025456789abcdef"));
}

TEST_F(ControlWidgetsTest, SecondGenerationTransmitAndResumeAdvice) {
  RWCommanderPage page(context);
  page.speCmdReaderID->setValue(4);
  page.cmbCmdChannel->setCurrentIndex(3);
  page.editor->cmbTagID->setEditText("12ab");
  page.editor->SetCommand(kCmdResume);
  page.cbxCmdTarget->setCurrentIndex(static_cast<int>(TransmitTarget::kSpecific));
  int advised = 0;
  page.SetAdviceRunner([&](ResumeAdviceWindow& advice) {
    ++advised;
    testing::FindNamed<QCheckBox>(advice, "ckbDontShowAgain")->setChecked(true);
  });
  QTest::mouseClick(page.btnCmdTransmit, Qt::LeftButton);
  EXPECT_EQ(channels.Take(3), Framed(4,
                                     "0b20"
                                     "0000e3"
                                     "12ab000000000000"));
  Reply(3);
  page.cbxCmdTarget->setCurrentIndex(static_cast<int>(TransmitTarget::kAllTags));
  QTest::mouseClick(page.btnCmdTransmit, Qt::LeftButton);
  EXPECT_EQ(channels.Take(3), Framed(4,
                                     "0320"
                                     "0100e1"));
  EXPECT_EQ(advised, 1);  // switched off after the first
  EXPECT_EQ(page.editor->cmbTagID->itemText(0), "12ab000000000000");
}

TEST_F(ControlWidgetsTest, DataMaskTimeoutsAndRate) {
  RWCommanderPage page(context);
  page.show();  // clicks land inside laid-out buttons
  page.ckbCmdDataCRC->setChecked(true);
  page.rbtCmdR5180->setChecked(true);
  QTest::mouseClick(page.btnCmdFill[0], Qt::LeftButton);  // twelve "0", CRC seeded 0 is 0
  EXPECT_EQ(channels.Take(0), Framed(0,
                                     "0821"
                                     "000000000000"
                                     "0000"));
  Reply(0);
  page.cmbCmdData->setEditText("0123456789abcdef");
  EXPECT_EQ(page.cmbCmdData->currentText(), "0123456789ab");
  page.ckbCmdDataCRC->setChecked(false);  // the CRC digits join the data
  EXPECT_EQ(page.cmbCmdData->currentText().size(), 16);
  page.cmbCmdMask->setEditText("FF");
  QTest::mouseClick(page.btnCmdSendMask, Qt::LeftButton);
  EXPECT_EQ(channels.Take(0), Framed(0, "0822ff00000000000000"));
  Reply(0);
  QTest::mouseClick(page.btnCmdSendTimeouts, Qt::LeftButton);
  EXPECT_EQ(channels.Take(0), Framed(0, "062464dc056d0503"));
  Reply(0);
  QTest::mouseClick(page.btnCmdSendAlgorithm, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(channels.Take(0), Framed(0, "ff17"));
  // The controller's read-back of the timings fills the spins.
  std::string reply = Framed(0, "06240a0b0c0d0e0f");
  reply.resize(reply.size() - 2);
  context.commands().HandleReply(0, reply.c_str(), static_cast<int>(reply.size()));
  EXPECT_EQ(page.speCmdDataTimeout->value(), 0x0b);
  EXPECT_EQ(page.speCmdRdRetryLimit->value(), 0x0f);
}

TEST_F(ControlWidgetsTest, IncomingMemoAndTagList) {
  RWCommanderPage page(context);
  page.show();
  page.ckbCmdShowIncoming->setChecked(true);
  page.AppendIncoming("ab01\r", 5);
  page.AppendIncoming("23\r\nnext", 8);
  EXPECT_EQ(page.memCmdIncoming->toPlainText(), "ab0123\nnext");
  for (int i = 0; i < 100; ++i) page.AppendIncoming("line\n", 5);
  EXPECT_LE(page.memCmdIncoming->document()->blockCount(), 101);
  EXPECT_TRUE(page.memCmdIncoming->toPlainText().startsWith("line"));

  page.AddTagLine("01 23 45 67 89 ab cd ef  I=3 Q=2");
  Q_EMIT page.lsbCmdTagsList->itemDoubleClicked(page.lsbCmdTagsList->item(0));
  EXPECT_EQ(QApplication::clipboard()->text(), "0123456789abcdef");
}

TEST_F(ControlWidgetsTest, ConfigureTagChangesSetTheCommand) {
  RWCommanderPage commander(context);
  commander.editor->cmbTagID->setEditText("00000000cafe0001");
  ConfigureTagPage tag(commander);
  CommandWordEditor& e = *tag.editor;
  EXPECT_EQ(e.cmbTagID->currentText(), "00000000cafe0001");
  e.speStartPage->setValue(2);
  EXPECT_EQ(e.speCommand->value(), kCmdTto);
  e.ckbTotal->setChecked(true);
  EXPECT_EQ(e.speCommand->value(), kCmdConfig);
  EXPECT_EQ(e.cbxTamper->currentIndex(), 0);
  e.ckbGlobal->setChecked(true);
  EXPECT_EQ(e.cbxTamper->currentIndex(), kTamperExt);
  EXPECT_TRUE(e.ckbGlobal->isVisibleTo(&tag));
  EXPECT_FALSE(e.cbxDelay->isVisibleTo(&tag));
  // Load sends this tab's word through the commander.
  commander.ckbRWManual->setChecked(true);
  const QString shown = e.edtCommandString->text();
  QTest::mouseClick(tag.btnTCLoad, Qt::LeftButton);
  EXPECT_EQ(channels.Take(0), Framed(0, "091500" + shown.toStdString()));
  EXPECT_EQ(commander.editor->speCommand->value(), kCmdConfig);
}

TEST_F(ControlWidgetsTest, ControlsAndHistoriesSurviveARestart) {
  QTemporaryDir dir;
  const QString ini = dir.filePath("Corvalis.ini");
  {
    ReaderControlPanel panel(context);
    RWCommanderPage page(context);
    testing::FindNamed<QComboBox>(panel, "cmbSendChannel")->setCurrentIndex(2);
    testing::FindNamed<QComboBox>(panel, "cmbMessage")->setCurrentIndex(13);
    testing::FindNamed<QSpinBox>(panel, "speReaderID")->setValue(9);
    for (const char* typed : {"ab0100", "ab0200", "ab0100"}) {
      testing::FindNamed<QComboBox>(panel, "cmbSendOwnText")->setEditText(typed);
      panel.SendOwnText(false);
    }
    page.ckbRWManual->setChecked(false);
    page.cmbCmdChannel->setCurrentIndex(1);
    page.speCmdReaderID->setValue(12);
    page.speCmdPeriod_4->setValue(7);
    page.editor->SetCommand(kCmdWriteDate);
    page.editor->speStartPage->setValue(3);
    page.editor->cmbTagID->setEditText("feedface00000001");
    page.cbxCmdTarget->setCurrentIndex(static_cast<int>(TransmitTarget::kAddressed));
    page.Transmit();
    page.cmbCmdMask->setEditText("ffff");
    page.SendMask();
    page.cmbCmdData->setEditText("1234");
    page.SendData();
    page.ckbCmdBeep->setChecked(true);

    Settings settings;
    panel.StoreToSettings(settings);
    page.StoreToSettings(settings);
    ASSERT_TRUE(SaveIniSettings(ini, settings));
    // The main window saves the free-text history itself at shutdown.
    ASSERT_TRUE(SaveComboHistory(ini, "cmbSendOwnText", settings.History("cmbSendOwnText")));
  }
  Settings loaded;
  ASSERT_TRUE(LoadIniSettings(ini, loaded));
  LoadComboHistories(ini, loaded);
  ReaderControlPanel panel(context);
  RWCommanderPage page(context);
  panel.LoadFromSettings(loaded);
  page.LoadFromSettings(loaded);
  EXPECT_EQ(testing::FindNamed<QComboBox>(panel, "cmbSendChannel")->currentIndex(), 2);
  EXPECT_EQ(testing::FindNamed<QComboBox>(panel, "cmbMessage")->currentIndex(), 13);
  EXPECT_EQ(testing::FindNamed<QSpinBox>(panel, "speReaderID")->value(), 9);
  EXPECT_EQ(HistoryItems(testing::FindNamed<QComboBox>(panel, "cmbSendOwnText")),
            (QStringList{"ab0100", "ab0200"}));
  EXPECT_EQ(page.cmbCmdChannel->currentIndex(), 1);
  EXPECT_EQ(page.speCmdReaderID->value(), 12);
  EXPECT_EQ(page.speCmdPeriod_4->value(), 7);
  EXPECT_EQ(page.editor->speCommand->value(), kCmdWriteDate);
  EXPECT_EQ(page.editor->cmbCommand->currentText(), "Write Date");
  EXPECT_EQ(page.editor->speStartPage->value(), 3);
  EXPECT_EQ(page.editor->cmbTagID->currentText(), "feedface00000001");
  EXPECT_EQ(page.cmbCmdMask->itemText(0), "ffff");
  EXPECT_EQ(page.cmbCmdData->itemText(0), "1234");
  EXPECT_TRUE(page.ckbCmdBeep->isChecked());
}

}  // namespace
}  // namespace corvalis
