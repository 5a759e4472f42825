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
  CommandWordEditor& e = page.Editor();
  e.SetCommand(kCmdRead);
  testing::FindNamed<QSpinBox>(page, "speCmdNumPages")->setValue(1);
  testing::FindNamed<QComboBox>(page, "cmbCmdTagID")->setEditText("0123456789ABCDEF");
  EXPECT_EQ(testing::FindNamed<QLineEdit>(page, "edtCmdCRC5")->text(), "0x17");
  EXPECT_EQ(testing::FindNamed<QLineEdit>(page, "edtCmdCommandString")->text(), "8037456789abcdef");
  EXPECT_EQ(Find<QLabel>(&page, "lblCmdCommand")->text(), "Cmd 8037456789abcdef");
  EXPECT_EQ(testing::FindNamed<QComboBox>(page, "cmbCmdCommand")->currentText(), "Read");

  testing::FindNamed<QCheckBox>(page, "ckbCmdGenerateCRC")->setChecked(false);
  testing::FindNamed<QLineEdit>(page, "edtCmdCRC5")->setText("0x25");
  Q_EMIT testing::FindNamed<QLineEdit>(page, "edtCmdCRC5")->textEdited("0x25");
  EXPECT_EQ(e.Word() & 0x1F, 0x05);
  EXPECT_TRUE(testing::FindNamed<QLineEdit>(page, "edtCmdCRC5")->styleSheet().contains("red"));
  EXPECT_EQ(testing::FindNamed<QLineEdit>(page, "edtCmdCommandString")->text().left(4), "8025");

  // First generation: the first 12 characters, names 0..7 only.
  testing::FindNamed<QCheckBox>(page, "ckbRWManual")->setChecked(true);
  EXPECT_EQ(testing::FindNamed<QComboBox>(page, "cmbCmdTagID")->currentText(), "456789ABCDEF");
  EXPECT_EQ(testing::FindNamed<QComboBox>(page, "cmbCmdCommand")->count(), 8);
  EXPECT_EQ(testing::FindNamed<QPushButton>(page, "btnCmdLoad")->text(), "Load");
  EXPECT_FALSE(testing::FindNamed<QGroupBox>(page, "grpCmdTimeouts")->isVisibleTo(&page));
  QTest::mouseClick(testing::FindNamed<QPushButton>(page, "btnCmdLoad"), Qt::LeftButton);
  EXPECT_EQ(channels.Take(0), Framed(0,
                                     "091500"
                                     "8025456789abcdef"));
}

TEST_F(ControlWidgetsTest, SecondGenerationTransmitAndResumeAdvice) {
  RWCommanderPage page(context);
  testing::FindNamed<QSpinBox>(page, "speCmdReaderID")->setValue(4);
  testing::FindNamed<QComboBox>(page, "cmbCmdChannel")->setCurrentIndex(3);
  testing::FindNamed<QComboBox>(page, "cmbCmdTagID")->setEditText("12ab");
  page.Editor().SetCommand(kCmdResume);
  testing::FindNamed<QComboBox>(page, "cbxCmdTarget")
      ->setCurrentIndex(static_cast<int>(TransmitTarget::kSpecific));
  int advised = 0;
  page.SetAdviceRunner([&](ResumeAdviceWindow& advice) {
    ++advised;
    testing::FindNamed<QCheckBox>(advice, "ckbDontShowAgain")->setChecked(true);
  });
  QTest::mouseClick(testing::FindNamed<QPushButton>(page, "btnCmdTransmit"), Qt::LeftButton);
  EXPECT_EQ(channels.Take(3), Framed(4,
                                     "0b20"
                                     "0000e3"
                                     "12ab000000000000"));
  Reply(3);
  testing::FindNamed<QComboBox>(page, "cbxCmdTarget")
      ->setCurrentIndex(static_cast<int>(TransmitTarget::kAllTags));
  QTest::mouseClick(testing::FindNamed<QPushButton>(page, "btnCmdTransmit"), Qt::LeftButton);
  EXPECT_EQ(channels.Take(3), Framed(4,
                                     "0320"
                                     "0100e1"));
  EXPECT_EQ(advised, 1);  // switched off after the first
  EXPECT_EQ(testing::FindNamed<QComboBox>(page, "cmbCmdTagID")->itemText(0), "12ab000000000000");
}

TEST_F(ControlWidgetsTest, DataMaskTimeoutsAndRate) {
  RWCommanderPage page(context);
  page.show();  // clicks land inside laid-out buttons
  testing::FindNamed<QCheckBox>(page, "ckbCmdDataCRC")->setChecked(true);
  testing::FindNamed<QRadioButton>(page, "rbtCmdR5180")->setChecked(true);
  QTest::mouseClick(testing::FindNamed<QPushButton>(page, "btnCmdFill0"),
                    Qt::LeftButton);  // twelve "0", CRC seeded 0 is 0
  EXPECT_EQ(channels.Take(0), Framed(0,
                                     "0821"
                                     "000000000000"
                                     "0000"));
  Reply(0);
  testing::FindNamed<QComboBox>(page, "cmbCmdData")->setEditText("0123456789abcdef");
  EXPECT_EQ(testing::FindNamed<QComboBox>(page, "cmbCmdData")->currentText(), "0123456789ab");
  testing::FindNamed<QCheckBox>(page, "ckbCmdDataCRC")
      ->setChecked(false);  // the CRC digits join the data
  EXPECT_EQ(testing::FindNamed<QComboBox>(page, "cmbCmdData")->currentText().size(), 16);
  testing::FindNamed<QComboBox>(page, "cmbCmdMask")->setEditText("FF");
  QTest::mouseClick(testing::FindNamed<QPushButton>(page, "btnCmdSendMask"), Qt::LeftButton);
  EXPECT_EQ(channels.Take(0), Framed(0, "0822ff00000000000000"));
  Reply(0);
  QTest::mouseClick(testing::FindNamed<QPushButton>(page, "btnCmdSendTimeouts"), Qt::LeftButton);
  EXPECT_EQ(channels.Take(0), Framed(0, "062464dc056d0503"));
  Reply(0);
  QTest::mouseClick(testing::FindNamed<QPushButton>(page, "btnCmdSendAlgorithm"), Qt::LeftButton,
                    Qt::ShiftModifier);
  EXPECT_EQ(channels.Take(0), Framed(0, "ff17"));
  // The controller's read-back of the timings fills the spins.
  std::string reply = Framed(0, "06240a0b0c0d0e0f");
  reply.resize(reply.size() - 2);
  context.commands().HandleReply(0, reply.c_str(), static_cast<int>(reply.size()));
  EXPECT_EQ(testing::FindNamed<QSpinBox>(page, "speCmdDataTimeout")->value(), 0x0b);
  EXPECT_EQ(testing::FindNamed<QSpinBox>(page, "speCmdRdRetryLimit")->value(), 0x0f);
}

TEST_F(ControlWidgetsTest, IncomingMemoAndTagList) {
  RWCommanderPage page(context);
  page.show();
  testing::FindNamed<QCheckBox>(page, "ckbCmdShowIncoming")->setChecked(true);
  page.AppendIncoming("ab01\r", 5);
  page.AppendIncoming("23\r\nnext", 8);
  EXPECT_EQ(testing::FindNamed<QPlainTextEdit>(page, "memCmdIncoming")->toPlainText(),
            "ab0123\nnext");
  for (int i = 0; i < 100; ++i) page.AppendIncoming("line\n", 5);
  EXPECT_LE(testing::FindNamed<QPlainTextEdit>(page, "memCmdIncoming")->document()->blockCount(),
            101);
  EXPECT_TRUE(
      testing::FindNamed<QPlainTextEdit>(page, "memCmdIncoming")->toPlainText().startsWith("line"));

  page.AddTagLine("01 23 45 67 89 ab cd ef  I=3 Q=2");
  Q_EMIT testing::FindNamed<QListWidget>(page, "lsbCmdTagsList")
      ->itemDoubleClicked(testing::FindNamed<QListWidget>(page, "lsbCmdTagsList")->item(0));
  EXPECT_EQ(QApplication::clipboard()->text(), "0123456789abcdef");
}

TEST_F(ControlWidgetsTest, ConfigureTagChangesSetTheCommand) {
  RWCommanderPage commander(context);
  testing::FindNamed<QComboBox>(commander, "cmbCmdTagID")->setEditText("00000000cafe0001");
  ConfigureTagPage tag(commander);
  // The tab has a tag ID of its own.
  EXPECT_EQ(testing::FindNamed<QComboBox>(tag, "cmbTCTagID")->currentText(), "0000000000000000");
  testing::FindNamed<QSpinBox>(tag, "speTCStartPage")->setValue(2);
  EXPECT_EQ(testing::FindNamed<QSpinBox>(tag, "speTCCommand")->value(), kCmdTto);
  testing::FindNamed<QCheckBox>(tag, "ckbTCTotal")->setChecked(true);
  EXPECT_EQ(testing::FindNamed<QSpinBox>(tag, "speTCCommand")->value(), kCmdConfig);
  EXPECT_EQ(testing::FindNamed<QComboBox>(tag, "cbxTCTamper")->currentIndex(), 0);
  testing::FindNamed<QCheckBox>(tag, "ckbTCGlobal")->setChecked(true);
  EXPECT_EQ(testing::FindNamed<QComboBox>(tag, "cbxTCTamper")->currentIndex(), kTamperExt);
  EXPECT_TRUE(testing::FindNamed<QCheckBox>(tag, "ckbTCGlobal")->isVisibleTo(&tag));
  EXPECT_FALSE(testing::FindNamed<QComboBox>(tag, "cbxTCDelay")->isVisibleTo(&tag));
  // Load sends this tab's word through the commander.
  testing::FindNamed<QCheckBox>(commander, "ckbRWManual")->setChecked(true);
  const QString shown = testing::FindNamed<QLineEdit>(tag, "edtTCCommandString")->text();
  QTest::mouseClick(testing::FindNamed<QPushButton>(tag, "btnTCLoad"), Qt::LeftButton);
  EXPECT_EQ(channels.Take(0), Framed(0, "091500" + shown.toStdString()));
  EXPECT_EQ(testing::FindNamed<QSpinBox>(commander, "speCmdCommand")->value(), kCmdConfig);
}

TEST_F(ControlWidgetsTest, SavedCommandStringComesBackOnlyWithTheWordTheControlsMake) {
  Settings settings;
  settings.SetBool(Setting::Q2CommandManual, true);
  settings.SetString(Setting::Q2CommandTagID, "000000000000");
  // The default saved string carries 81f2, not the word of a plain Read.
  RWCommanderPage stale(context);
  stale.LoadFromSettings(settings);
  CommandWordFields read;
  read.command = kCmdRead;
  const QString word = QString::fromStdString(CommandString(CommandWord(read), "", false)).left(4);
  ASSERT_NE(word, "81f2");
  EXPECT_EQ(testing::FindNamed<QLineEdit>(stale, "edtCmdCommandString")->text(),
            word + "000000000000");

  settings.SetString(Setting::Q2CommandCommandString, word.toUpper() + "0123456789AB");
  RWCommanderPage typed(context);
  typed.LoadFromSettings(settings);
  EXPECT_EQ(testing::FindNamed<QLineEdit>(typed, "edtCmdCommandString")->text(),
            word + "0123456789ab");
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
    testing::FindNamed<QCheckBox>(page, "ckbRWManual")->setChecked(false);
    testing::FindNamed<QComboBox>(page, "cmbCmdChannel")->setCurrentIndex(1);
    testing::FindNamed<QSpinBox>(page, "speCmdReaderID")->setValue(12);
    testing::FindNamed<QSpinBox>(page, "speCmdPeriod_4")->setValue(7);
    page.Editor().SetCommand(kCmdWriteDate);
    testing::FindNamed<QSpinBox>(page, "speCmdStartPage")->setValue(3);
    testing::FindNamed<QComboBox>(page, "cmbCmdTagID")->setEditText("feedface00000001");
    testing::FindNamed<QComboBox>(page, "cbxCmdTarget")
        ->setCurrentIndex(static_cast<int>(TransmitTarget::kAddressed));
    page.Transmit();
    testing::FindNamed<QComboBox>(page, "cmbCmdMask")->setEditText("ffff");
    page.SendMask();
    testing::FindNamed<QComboBox>(page, "cmbCmdData")->setEditText("1234");
    page.SendData();
    testing::FindNamed<QCheckBox>(page, "ckbCmdBeep")->setChecked(true);

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
  EXPECT_EQ(testing::FindNamed<QComboBox>(page, "cmbCmdChannel")->currentIndex(), 1);
  EXPECT_EQ(testing::FindNamed<QSpinBox>(page, "speCmdReaderID")->value(), 12);
  EXPECT_EQ(testing::FindNamed<QSpinBox>(page, "speCmdPeriod_4")->value(), 7);
  EXPECT_EQ(testing::FindNamed<QSpinBox>(page, "speCmdCommand")->value(), kCmdWriteDate);
  EXPECT_EQ(testing::FindNamed<QComboBox>(page, "cmbCmdCommand")->currentText(), "Write Date");
  EXPECT_EQ(testing::FindNamed<QSpinBox>(page, "speCmdStartPage")->value(), 3);
  EXPECT_EQ(testing::FindNamed<QComboBox>(page, "cmbCmdTagID")->currentText(), "feedface00000001");
  EXPECT_EQ(testing::FindNamed<QComboBox>(page, "cmbCmdMask")->itemText(0), "ffff");
  EXPECT_EQ(testing::FindNamed<QComboBox>(page, "cmbCmdData")->itemText(0), "1234");
  EXPECT_TRUE(testing::FindNamed<QCheckBox>(page, "ckbCmdBeep")->isChecked());
}

}  // namespace
}  // namespace corvalis
