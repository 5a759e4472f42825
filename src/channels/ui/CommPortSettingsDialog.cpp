#include "channels/ui/CommPortSettingsDialog.h"
#include "common/ui/Named.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "channels/ChannelSet.h"

namespace corvalis {
namespace {

QComboBox* Choices(const char* name, const QStringList& items, QWidget* parent) {
  auto* combo = Named(new QComboBox(parent), name);
  combo->addItems(items);
  return combo;
}

void Select(QComboBox* combo, const QString& text) {
  const int index = combo->findText(text, Qt::MatchFixedString);
  if (index >= 0) combo->setCurrentIndex(index);
}

QString StopBitsText(double value) {
  if (value == 1.5) return QStringLiteral("1.5");
  if (value == 2.0) return QStringLiteral("2");
  return QStringLiteral("1");
}

}  // namespace

CommPortSettingsDialog::CommPortSettingsDialog(QWidget* parent) : QDialog(parent) {
  Named(this, "SetCommDlg");
  setWindowTitle(QStringLiteral("Comm Port Settings"));

  auto* channelGroup = Named(new QGroupBox(QStringLiteral("Channel"), this), "grpChannel");
  rbtPort = Named(new QRadioButton(QStringLiteral("Port"), channelGroup), "rbtPort");
  rbtTCP = Named(new QRadioButton(QStringLiteral("TCP connection"), channelGroup), "rbtTCP");
  auto* channelLayout = new QHBoxLayout(channelGroup);
  channelLayout->addWidget(rbtPort);
  channelLayout->addWidget(rbtTCP);

  pgcTransport = Named(new QStackedWidget(this), "pgcTransport");
  tbsPort = Named(new QWidget(pgcTransport), "tbsPort");
  cmbDeviceName = Named(new QComboBox(tbsPort), "cmbDeviceName");
  cmbDeviceName->setEditable(true);
  cmbBaudRate = Choices("cmbBaudRate",
                        {"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200",
                         "38400", "56000", "57600", "115200", "128000", "256000"},
                        tbsPort);
  cmbDataBits = Choices("cmbDataBits", {"4", "5", "6", "7", "8"}, tbsPort);
  cmbParity = Choices("cmbParity", {"none", "odd", "even", "mark", "space"}, tbsPort);
  cmbStopBits = Choices("cmbStopBits", {"1", "1.5", "2"}, tbsPort);
  cmbFlowControl =
      Choices("cmbFlowControl", {"none", "cts", "dtr", "software", "default"}, tbsPort);
  ckbDTR = Named(new QCheckBox(QStringLiteral("DTR"), tbsPort), "ckbDTR");
  ckbRTS = Named(new QCheckBox(QStringLiteral("RTS"), tbsPort), "ckbRTS");
  auto* portLayout = new QFormLayout(tbsPort);
  portLayout->addRow(QStringLiteral("DEVICENAME"), cmbDeviceName);
  portLayout->addRow(QStringLiteral("BAUDRATE"), cmbBaudRate);
  portLayout->addRow(QStringLiteral("DATABITS"), cmbDataBits);
  portLayout->addRow(QStringLiteral("PARITY"), cmbParity);
  portLayout->addRow(QStringLiteral("STOPBITS"), cmbStopBits);
  portLayout->addRow(QStringLiteral("FLOW CTRL"), cmbFlowControl);
  auto* lines = new QHBoxLayout;
  lines->addWidget(ckbDTR);
  lines->addWidget(ckbRTS);
  portLayout->addRow(lines);

  tbsTCP = Named(new QWidget(pgcTransport), "tbsTCP");
  edtIPAddress = Named(new QLineEdit(tbsTCP), "edtIPAddress");
  edtIPAddress->setPlaceholderText(QStringLiteral("reader address, e.g. 192.168.1.100"));
  edtIPPort = Named(new QLineEdit(tbsTCP), "edtIPPort");
  edtIPPort->setValidator(new QIntValidator(1, 65535, edtIPPort));
  auto* tcpLayout = new QFormLayout(tbsTCP);
  tcpLayout->addRow(QStringLiteral("IP address"), edtIPAddress);
  tcpLayout->addRow(QStringLiteral("IP port"), edtIPPort);
  lblAddressProblem = Named(new QLabel(tbsTCP), "lblAddressProblem");
  lblAddressProblem->setWordWrap(true);
  lblAddressProblem->setStyleSheet(QStringLiteral("color: #b00000"));
  lblAddressProblem->hide();
  tcpLayout->addRow(lblAddressProblem);
  connect(edtIPAddress, &QLineEdit::textEdited, lblAddressProblem, &QLabel::hide);

  pgcTransport->addWidget(tbsPort);
  pgcTransport->addWidget(tbsTCP);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(rbtPort, &QRadioButton::toggled, this, [this] { ShowPage(); });
  connect(rbtTCP, &QRadioButton::toggled, this, [this] { ShowPage(); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(channelGroup);
  layout->addWidget(pgcTransport);
  layout->addWidget(buttons);
  rbtPort->setChecked(true);
}

void CommPortSettingsDialog::accept() {
  if (rbtTCP->isChecked()) {
    const QString problem = ReaderAddressProblem(edtIPAddress->text());
    if (!problem.isEmpty()) {
      lblAddressProblem->setText(problem);
      lblAddressProblem->show();
      edtIPAddress->setFocus();
      return;
    }
  }
  QDialog::accept();
}

void CommPortSettingsDialog::ShowPage() {
  pgcTransport->setCurrentWidget(rbtTCP->isChecked() ? tbsTCP : tbsPort);
}

void CommPortSettingsDialog::ShowValues(const ChannelSettings& settings, const QStringList& ports) {
  cmbDeviceName->clear();
  cmbDeviceName->addItems(ports);
  cmbDeviceName->setCurrentText(settings.name);
  Select(cmbBaudRate, QString::number(settings.baud));
  Select(cmbDataBits, QString::number(settings.databits));
  Select(cmbParity, settings.parity);
  Select(cmbStopBits, StopBitsText(settings.stopbits));
  Select(cmbFlowControl, settings.flowcontrol);
  ckbDTR->setChecked(settings.dtr);
  ckbRTS->setChecked(settings.rts);
  edtIPAddress->setText(settings.ipAddress);
  edtIPPort->setText(QString::number(settings.ipPort));
  rbtPort->setChecked(settings.port);
  rbtTCP->setChecked(!settings.port);
  ShowPage();
}

ChannelSettings CommPortSettingsDialog::Values(const ChannelSettings& base) const {
  ChannelSettings s = base;
  s.port = rbtPort->isChecked();
  s.name = cmbDeviceName->currentText().trimmed();
  s.baud = cmbBaudRate->currentText().toInt();
  s.databits = cmbDataBits->currentText().toInt();
  s.parity = cmbParity->currentText();
  s.stopbits = cmbStopBits->currentText().toDouble();
  s.flowcontrol = cmbFlowControl->currentText();
  s.dtr = ckbDTR->isChecked();
  s.rts = ckbRTS->isChecked();
  s.ipAddress = edtIPAddress->text().trimmed();
  bool ok = false;
  const int port = edtIPPort->text().toInt(&ok);
  if (ok && port >= 1 && port <= 65535) s.ipPort = port;
  return s;
}

bool CommPortSettingsDialog::Edit(QWidget* parent, ChannelSet& channels, int channel) {
  CommPortSettingsDialog dialog(parent);
  dialog.ShowValues(channels.Settings(channel), ChannelSet::AvailablePorts());
  if (dialog.exec() != QDialog::Accepted) return false;
  channels.ApplySettings(channel, dialog.Values(channels.Settings(channel)));
  return true;
}

}  // namespace corvalis
