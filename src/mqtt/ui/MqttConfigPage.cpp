#include "mqtt/ui/MqttConfigPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "app/Settings.h"
#include "common/ui/Named.h"

namespace corvalis {

MqttConfigPage::MqttConfigPage(Settings& settings, std::function<void()> apply, QWidget* parent)
    : QGroupBox(tr("MQTT Broker"), parent), settings_(settings), apply_(std::move(apply)) {
  setObjectName(QStringLiteral("grpMqtt"));
  ckbMqttEnabled = Named(new QCheckBox(tr("Publish passes")), "ckbMqttEnabled");
  edtMqttHost = Named(new QLineEdit, "edtMqttHost");
  speMqttPort = Named(new QSpinBox, "speMqttPort");
  speMqttPort->setRange(1, 65535);
  edtMqttClientId = Named(new QLineEdit, "edtMqttClientId");
  edtMqttClientId->setPlaceholderText(tr("corvalis-<host name>"));
  edtMqttTopicPrefix = Named(new QLineEdit, "edtMqttTopicPrefix");
  cmbMqttQos = Named(new QComboBox, "cmbMqttQos");
  cmbMqttQos->addItems({tr("0 - at most once"), tr("1 - at least once")});
  edtMqttUserName = Named(new QLineEdit, "edtMqttUserName");
  edtMqttPassword = Named(new QLineEdit, "edtMqttPassword");
  edtMqttPassword->setEchoMode(QLineEdit::Password);
  ckbMqttTls = Named(new QCheckBox(tr("TLS")), "ckbMqttTls");
  edtMqttCaFile = Named(new QLineEdit, "edtMqttCaFile");
  edtMqttCaFile->setPlaceholderText(tr("system certificates"));
  btnMqttApply = Named(new QPushButton(tr("Apply")), "btnMqttApply");

  auto* form = new QFormLayout(this);
  form->addRow(ckbMqttEnabled);
  form->addRow(tr("Host"), edtMqttHost);
  form->addRow(tr("Port"), speMqttPort);
  form->addRow(tr("Client ID"), edtMqttClientId);
  form->addRow(tr("Topic prefix"), edtMqttTopicPrefix);
  form->addRow(tr("QoS"), cmbMqttQos);
  form->addRow(tr("User name"), edtMqttUserName);
  form->addRow(tr("Password"), edtMqttPassword);
  form->addRow(ckbMqttTls);
  form->addRow(tr("CA file"), edtMqttCaFile);
  form->addRow(btnMqttApply);

  connect(ckbMqttTls, &QCheckBox::toggled, this, &MqttConfigPage::TlsToggled);
  connect(btnMqttApply, &QPushButton::clicked, this, &MqttConfigPage::Apply);
  RefreshFromSettings();
}

void MqttConfigPage::RefreshFromSettings() {
  ckbMqttEnabled->setChecked(settings_.Bool(Setting::MqttEnabled));
  edtMqttHost->setText(settings_.String(Setting::MqttHost));
  speMqttPort->setValue(settings_.Integer(Setting::MqttPort));
  edtMqttClientId->setText(settings_.String(Setting::MqttClientId));
  edtMqttTopicPrefix->setText(settings_.String(Setting::MqttTopicPrefix));
  cmbMqttQos->setCurrentIndex(settings_.Integer(Setting::MqttQos));
  edtMqttUserName->setText(settings_.String(Setting::MqttUserName));
  edtMqttPassword->setText(settings_.String(Setting::MqttPassword));
  ckbMqttTls->setChecked(settings_.Bool(Setting::MqttTls));
  edtMqttCaFile->setText(settings_.String(Setting::MqttCaFile));
  TlsToggled(ckbMqttTls->isChecked());
}

void MqttConfigPage::Apply() {
  settings_.SetBool(Setting::MqttEnabled, ckbMqttEnabled->isChecked());
  settings_.SetString(Setting::MqttHost, edtMqttHost->text().trimmed());
  settings_.SetInteger(Setting::MqttPort, speMqttPort->value());
  settings_.SetString(Setting::MqttClientId, edtMqttClientId->text().trimmed());
  settings_.SetString(Setting::MqttTopicPrefix, edtMqttTopicPrefix->text().trimmed());
  settings_.SetInteger(Setting::MqttQos, cmbMqttQos->currentIndex());
  settings_.SetString(Setting::MqttUserName, edtMqttUserName->text());
  settings_.SetString(Setting::MqttPassword, edtMqttPassword->text());
  settings_.SetBool(Setting::MqttTls, ckbMqttTls->isChecked());
  settings_.SetString(Setting::MqttCaFile, edtMqttCaFile->text().trimmed());
  if (apply_) apply_();
}

void MqttConfigPage::TlsToggled(bool on) {
  edtMqttCaFile->setEnabled(on);
}

}  // namespace corvalis
