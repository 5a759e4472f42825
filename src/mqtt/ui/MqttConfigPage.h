#pragma once

#include <QGroupBox>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace corvalis {

class Settings;

// The Configuration dialog's "MQTT Broker" group ("grpMqtt"). The fields are
// written to the [MQTT] section only by Apply ("btnMqttApply"), which then
// calls `apply` to reconnect: a half-typed host would otherwise be tried at
// every key press.
class MqttConfigPage final : public QGroupBox {
  Q_OBJECT

 public:
  MqttConfigPage(Settings& settings, std::function<void()> apply, QWidget* parent = nullptr);

  // Fills the fields from the settings.
  void RefreshFromSettings();
  void Apply();

 private:
  void TlsToggled(bool on);

  Settings& settings_;
  std::function<void()> apply_;
  QCheckBox* ckbMqttEnabled;
  QLineEdit* edtMqttHost;
  QSpinBox* speMqttPort;
  QLineEdit* edtMqttClientId;
  QLineEdit* edtMqttTopicPrefix;
  QComboBox* cmbMqttQos;
  QLineEdit* edtMqttUserName;
  QLineEdit* edtMqttPassword;
  QCheckBox* ckbMqttTls;
  QLineEdit* edtMqttCaFile;
  QPushButton* btnMqttApply;
};

}  // namespace corvalis
