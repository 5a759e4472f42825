#include "app/ui/ConfigDialog.h"
#include "common/ui/FindNamed.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include <cstdlib>
#include <vector>

#include "app/AppContext.h"
#include "app/Settings.h"
#include "app/ui/ConfigObserver.h"
#include "logging/ui/LoggingSetupDialog.h"
#include "support/RecordingStatus.h"

namespace corvalis {
namespace {

struct RecordingObserver final : ConfigObserver {
  void SeenViewLayoutChanged() override { ++layouts; }
  void ControlGroupsChanged() override { ++groups; }
  void OutputPortChanged(OutputPortUse use) override { ports.push_back(use); }
  void ConfigureDisplay() override { ++displaySetups; }
  void RecordOutgoingChanged(bool) override { ++other; }
  void LoggingSetupChanged() override { ++loggingSetups; }

  int layouts = 0, groups = 0, displaySetups = 0, loggingSetups = 0, other = 0;
  std::vector<OutputPortUse> ports;
};

class ConfigDialogTest : public ::testing::Test {
 protected:
  ConfigDialogTest() : context_(clock_, status_), dialog_(settings_, context_, observer_) {
    context_.ApplySettings(settings_);
  }

  template <typename W>
  W* Find(const char* name) {
    W* widget = dialog_.findChild<W*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  Settings settings_;
  ManualClock clock_;
  testing::RecordingStatus status_;
  AppContext context_;
  RecordingObserver observer_;
  ConfigDialog dialog_;
};

TEST_F(ConfigDialogTest, OpensWithTheCurrentSettingsWithoutWritingAnything) {
  EXPECT_EQ(Find<QLineEdit>("edtRegenCRCSeed")->text(), "0xFFFF");
  settings_.SetInteger(Setting::WhichChannels, 2);
  settings_.SetInteger(Setting::RegenerateCRCSeed, 0x1D0F);
  settings_.SetOutputPort(OutputPortUse::kDisplay);
  dialog_.ShowConfig();

  EXPECT_FALSE(Find<QCheckBox>("ckbWantI")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("ckbWantQ")->isChecked());
  EXPECT_EQ(Find<QLineEdit>("edtRegenCRCSeed")->text(), "0x1D0F");
  EXPECT_TRUE(Find<QRadioButton>("rbtDisplay")->isChecked());
  EXPECT_TRUE(Find<QPushButton>("btnConfigure")->isVisible());
  // Filling the controls is not a change: nothing told, nothing live touched.
  EXPECT_EQ(observer_.layouts + observer_.groups + observer_.other, 0);
  EXPECT_TRUE(observer_.ports.empty());
  EXPECT_EQ(context_.protocolSettings().crcSeed, 0xFFFF);
}

TEST_F(ConfigDialogTest, CountIAndCountQMakeWhichChannels) {
  auto* wantI = Find<QCheckBox>("ckbWantI");
  auto* wantQ = Find<QCheckBox>("ckbWantQ");
  for (const int which : {2, 0, 1, 3}) {
    wantI->setChecked((which & 1) != 0);
    wantQ->setChecked((which & 2) != 0);
    EXPECT_EQ(settings_.Integer(Setting::WhichChannels), which);
    EXPECT_EQ(context_.protocolSettings().whichChannels, which);
  }
}

TEST_F(ConfigDialogTest, SeedIsParsedDecimalOrHexAndHalfTypedTextIsIgnored) {
  auto* seed = Find<QLineEdit>("edtRegenCRCSeed");
  seed->setText("0x1d0f");
  EXPECT_EQ(settings_.Integer(Setting::RegenerateCRCSeed), 7439);
  EXPECT_EQ(context_.protocolSettings().crcSeed, 0x1D0F);
  seed->setText("4660");
  EXPECT_EQ(context_.protocolSettings().crcSeed, 0x1234);
  for (const char* partial : {"0x", "", "12g", "0xZ"}) {
    seed->setText(partial);
    EXPECT_EQ(settings_.Integer(Setting::RegenerateCRCSeed), 0x1234) << partial;
  }
  dialog_.RefreshFromSettings();
  EXPECT_EQ(seed->text(), "0x1234");
}

TEST_F(ConfigDialogTest, OutputPortChoiceSetsTheUseAndShowsConfigureOnlyForDisplay) {
  dialog_.show();
  auto* configure = Find<QPushButton>("btnConfigure");
  EXPECT_FALSE(configure->isVisible());

  Find<QRadioButton>("rbtDisplay")->click();
  EXPECT_EQ(settings_.OutputPort(), OutputPortUse::kDisplay);
  EXPECT_FALSE(context_.protocolSettings().compositeOutput);
  EXPECT_TRUE(configure->isVisible());
  configure->click();
  EXPECT_EQ(observer_.displaySetups, 1);

  Find<QRadioButton>("rbtComposite")->click();
  EXPECT_EQ(settings_.OutputPort(), OutputPortUse::kComposite);
  EXPECT_TRUE(context_.protocolSettings().compositeOutput);
  EXPECT_FALSE(configure->isVisible());

  Find<QRadioButton>("rbtNone")->click();
  EXPECT_EQ(settings_.OutputPort(), OutputPortUse::kNone);
  EXPECT_EQ(observer_.ports.back(), OutputPortUse::kNone);
}

TEST_F(ConfigDialogTest, ControlsReachTheLivePartsAndTheMainWindowAtOnce) {
  Find<QCheckBox>("ckbAutoRegister")->setChecked(false);
  EXPECT_FALSE(context_.tagNames().AutoRegister());
  Find<QCheckBox>("ckbSumAllPorts")->setChecked(true);
  EXPECT_TRUE(context_.protocolSettings().sumAllPorts);

  Find<QCheckBox>("ckbSeparateI_Q")->setChecked(true);
  Find<QSpinBox>("speNumTags")->setValue(16);
  Find<QCheckBox>("ckbShowReadRate")->setChecked(true);
  EXPECT_EQ(settings_.Integer(Setting::NumToShow), 16);
  EXPECT_EQ(observer_.layouts, 3);

  // Manual logging controls also stop the automatic pass log.
  Find<QCheckBox>("ckbLoggingControlsVisible")->setChecked(true);
  EXPECT_TRUE(settings_.Bool(Setting::ShowLogging));
  EXPECT_TRUE(context_.logWriter().Settings().showLogging);
  EXPECT_EQ(observer_.groups, 1);
}

TEST_F(ConfigDialogTest, CrcCalculatorFollowsCodeShiftAndKind) {
  auto* code = Find<QLineEdit>("edtTagCode");
  auto* crc = Find<QLabel>("lblCRC");
  auto* shift = Find<QCheckBox>("ckbCRCShift");
  code->setText("123456789abc");
  EXPECT_EQ(crc->text(), "1850");
  Find<QRadioButton>("rbtCCITT")->click();
  EXPECT_EQ(crc->text(), "A840");
  shift->setChecked(true);
  EXPECT_EQ(crc->text(), "5D38");
  Find<QRadioButton>("rbtKVQ")->click();
  EXPECT_EQ(crc->text(), "0C9C");
  shift->setChecked(false);
  code->setText("ab");  // padded to ab0000000000
  EXPECT_EQ(crc->text(), "C87B");
  // The calculator never touches the regenerated-CRC seed.
  EXPECT_EQ(context_.protocolSettings().crcSeed, 0xFFFF);
}

TEST_F(ConfigDialogTest, LoggingConfigureStoresWhatTheSetupDialogApplies) {
  LoggingSetupDialog* setup = testing::FindNamed<LoggingSetupDialog>(dialog_, "dlgLoggingSetup");
  QTimer::singleShot(0, setup, [setup] {
    testing::FindNamed<QPushButton>(setup, "btnStandard")->click();
    testing::FindNamed<QSpinBox>(setup, "speWaitTime")->setValue(5);
    testing::FindNamed<QPushButton>(setup, "btnOK")->click();
  });
  Find<QPushButton>("btnLoggingConfigure")->click();

  EXPECT_TRUE(context_.logWriter().Settings().logTagId);
  EXPECT_EQ(context_.tagTable().settings().waitTime, 10);
  EXPECT_TRUE(settings_.Bool(Setting::LogTagID));
  EXPECT_EQ(settings_.Integer(Setting::WaitTime), 10);
  EXPECT_EQ(observer_.loggingSetups, 1);

  QTimer::singleShot(0, setup, [setup] {
    testing::FindNamed<QPushButton>(setup, "btnRigWatch")->click();
    testing::FindNamed<QPushButton>(setup, "btnCancel")->click();
  });
  Find<QPushButton>("btnLoggingConfigure")->click();
  EXPECT_TRUE(settings_.Bool(Setting::LogTagID));
  EXPECT_EQ(context_.tagTable().settings().waitTime, 10);
  EXPECT_EQ(observer_.loggingSetups, 1);
}

TEST_F(ConfigDialogTest, CloseOnlyHides) {
  dialog_.ShowConfig();
  Find<QPushButton>("btnClose")->click();
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(dialog_.result(), 0);
}

TEST_F(ConfigDialogTest, MqttFieldsReachTheSettingsOnlyOnApply) {
  dialog_.ShowConfig();
  ASSERT_NE(Find<QGroupBox>("grpMqtt"), nullptr);
  EXPECT_EQ(Find<QSpinBox>("speMqttPort")->value(), 1883);
  Find<QCheckBox>("ckbMqttEnabled")->setChecked(true);
  Find<QLineEdit>("edtMqttHost")->setText(" broker.site ");
  Find<QComboBox>("cmbMqttQos")->setCurrentIndex(0);
  EXPECT_FALSE(settings_.Bool(Setting::MqttEnabled));  // a half-typed host is never tried
  EXPECT_EQ(settings_.String(Setting::MqttHost), "localhost");
  if (const char* dir = std::getenv("CORVALIS_SCREENSHOTS")) {
    dialog_.grab().save(QString::fromLocal8Bit(dir) + "/config-mqtt.png");
  }
  Find<QPushButton>("btnMqttApply")->click();
  EXPECT_TRUE(settings_.Bool(Setting::MqttEnabled));
  EXPECT_EQ(settings_.String(Setting::MqttHost), "broker.site");
  EXPECT_EQ(settings_.Integer(Setting::MqttQos), 0);
}

}  // namespace
}  // namespace corvalis
