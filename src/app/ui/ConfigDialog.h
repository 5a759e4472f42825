#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace corvalis {

class AppContext;
class ConfigObserver;
class Settings;
class LoggingSetupDialog;
class MqttConfigPage;

// "Configuration Parameters": non-modal, no OK or Cancel. Every control
// writes its setting the moment it changes, into the settings model and into
// the live part that reads it (receive path, tag names, log writer); what
// the main window shows is passed on through ConfigObserver. Close hides.
class ConfigDialog final : public QDialog {
  Q_OBJECT

 public:
  ConfigDialog(Settings& settings, AppContext& context, ConfigObserver& observer,
               QWidget* parent = nullptr);

  // View > Configuration Controls: fills the controls from the settings and
  // shows the dialog (or brings it to the front).
  void ShowConfig();
  // Fills every control from the settings model without writing anything.
  void RefreshFromSettings();

  // CRC calculator

  // The Logging Setup dialog opened by btnLoggingConfigure.

 private:
  QCheckBox* ckbAutoRegister;
  QCheckBox* ckbSeparateI_Q;
  QCheckBox* ckbWantI;
  QCheckBox* ckbWantQ;
  QCheckBox* ckbSumAllPorts;
  QCheckBox* ckbRecordOutgoing;
  QCheckBox* ckbSteppingVisible;
  QCheckBox* ckbRFControlsVisible;
  QCheckBox* ckbMultiplexControlsVisible;
  QCheckBox* ckbLoggingControlsVisible;
  QPushButton* btnLoggingConfigure;
  QSpinBox* speNumTags;
  QLineEdit* edtRegenCRCSeed;
  QCheckBox* ckbShowReadRate;
  QSpinBox* speRRPeriod;
  QSpinBox* speRRNumber;
  QRadioButton* rbtNone;
  QRadioButton* rbtDisplay;
  QRadioButton* rbtComposite;
  QPushButton* btnConfigure;
  QLineEdit* edtTagCode;
  QCheckBox* ckbCRCShift;
  QRadioButton* rbtKVQ;
  QRadioButton* rbtR5180;
  QRadioButton* rbtCCITT;
  QLabel* lblCRC;
  QPushButton* btnClose;
  LoggingSetupDialog* LoggingSetup;
  MqttConfigPage* grpMqtt;
  void BuildControls();
  void Connect();
  void WhichChannelsChanged();
  void SeedEdited(const QString& text);
  void OutputPortChosen();
  void LoggingControlsChanged(bool on);
  void ConfigureLogging();
  void UpdateCrc();

  Settings& settings_;
  AppContext& context_;
  ConfigObserver& observer_;
};

}  // namespace corvalis
