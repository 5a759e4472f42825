#include "modbus/ui/ModbusTab.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/ui/Named.h"
#include "protocol/MessageDispatcher.h"

namespace corvalis {
namespace {

QString Text(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QSpinBox* Spin(const char* name, int low, int high, int value) {
  auto* spin = Named(new QSpinBox, name);
  spin->setRange(low, high);
  spin->setValue(value);
  return spin;
}

}  // namespace

ModbusTab::ModbusTab(ModbusExchange& exchange, ModbusTarget& target, const Clock& clock,
                     QWidget* parent)
    : QWidget(parent), exchange_(exchange), target_(target), clock_(clock) {
  setObjectName("tbsModbus");
  exchange_.SetView(this);

  auto* commands = new QGroupBox("Commands");
  auto* commandGrid = new QGridLayout(commands);
  commandGrid->addWidget(RequestButton("btnMdbReadId", "Read an ID", ModbusOp::kReadId), 0, 0);
  commandGrid->addWidget(RequestButton("btnMdbReadLastId", "Read last ID", ModbusOp::kReadLastId),
                         0, 1);
  commandGrid->addWidget(RequestButton("btnMdbRfOff", "Switch RF Tx Off", ModbusOp::kRfTxOff), 1,
                         0);
  commandGrid->addWidget(RequestButton("btnMdbRfOn", "Switch RF Tx On", ModbusOp::kRfTxOn), 1, 1);
  commandGrid->addWidget(RequestButton("btnMdbBeepOn", "Beep On", ModbusOp::kBeepOn), 2, 0);
  commandGrid->addWidget(RequestButton("btnMdbBeepOff", "Beep Off", ModbusOp::kBeepOff), 2, 1);
  btnDebEnterModbus = Named(new QPushButton("Enter  Modbus mode"), "btnDebEnterModbus");
  btnDebEnterModbus->setEnabled(false);
  connect(btnDebEnterModbus, &QPushButton::clicked, this, &ModbusTab::EnterModbusMode);
  commandGrid->addWidget(btnDebEnterModbus, 3, 0);
  commandGrid->addWidget(RequestButton("btnMdbExit", "Exit Modbus mode", ModbusOp::kExitModbusMode),
                         3, 1);

  auto* timing = new QGroupBox("Timing");
  auto* timingGrid = new QGridLayout(timing);
  speMdbOnTime = Spin("speMdbOnTime", 1, 100, 3);
  speMdbEventTime = Spin("speMdbEventTime", 1, 255, 255);
  speMdbEventTime->setToolTip("Timeout before a tag is seen again");
  timingGrid->addWidget(RequestButton("btnMdbOnTime", "RF Tx On Time", ModbusOp::kWriteRfOnTime), 0,
                        0);
  timingGrid->addWidget(speMdbOnTime, 0, 1);
  timingGrid->addWidget(RequestButton("btnMdbReadOnTime", "< Read", ModbusOp::kReadRfOnTime), 0, 2);
  timingGrid->addWidget(RequestButton("btnMdbEventTime", "Event time", ModbusOp::kWriteEventTime),
                        1, 0);
  timingGrid->addWidget(speMdbEventTime, 1, 1);
  timingGrid->addWidget(RequestButton("btnMdbReadEventTime", "< Read", ModbusOp::kReadEventTime), 1,
                        2);
  auto* station =
      RequestButton("btnMdbStation", "Set Station defaults", ModbusOp::kStationDefaults);
  station->setToolTip("Set all defaults foe a normal reading station (RF only on when reading).");
  auto* wide = RequestButton("btnMdbWide", "Set Wide defaults", ModbusOp::kWideDefaults);
  wide->setToolTip("Set all defaults for a wide reading station (RF always on).");
  timingGrid->addWidget(station, 2, 0, 1, 2);
  timingGrid->addWidget(wide, 3, 0, 1, 2);

  auto* network = new QGroupBox("Network module");
  auto* networkGrid = new QGridLayout(network);
  edtMdbIPaddress = Named(new QLineEdit("192.168.2.31"), "edtMdbIPaddress");
  edtMdbIPport = Named(new QLineEdit("502"), "edtMdbIPport");
  networkGrid->addWidget(edtMdbIPaddress, 0, 0);
  networkGrid->addWidget(
      RequestButton("btnMdbWriteIp", "Write IP address", ModbusOp::kWriteIpAddress), 0, 1);
  networkGrid->addWidget(edtMdbIPport, 1, 0);
  networkGrid->addWidget(RequestButton("btnMdbWritePort", "Write IP port", ModbusOp::kWriteIpPort),
                         1, 1);
  networkGrid->addWidget(RequestButton("btnMdbWriteBoth", ">", ModbusOp::kWriteIpBoth), 0, 2, 2, 1);
  btnMdbDoIt = RequestButton("btnMdbDoIt", "Do It", ModbusOp::kDoIt);
  btnMdbDoIt->setToolTip(
      "Write the new IP address and port numer to the WiPort. Reader will restart after about 20  "
      "seconds.");
  btnMdbDoIt->setEnabled(false);
  networkGrid->addWidget(btnMdbDoIt, 0, 3, 2, 1);

  auto* frames = new QFormLayout;
  lblMdbChannels = Named(new QLabel, "lblMdbChannels");
  frames->addRow("Channels:", lblMdbChannels);
  edtMdbOutput = Named(new QLineEdit, "edtMdbOutput");
  edtMdbResponse = Named(new QLineEdit, "edtMdbResponse");
  edtMdbOutput->setReadOnly(true);
  edtMdbResponse->setReadOnly(true);
  frames->addRow("Command:", edtMdbOutput);
  frames->addRow("Response:", edtMdbResponse);
  lblMdbStatus = Named(new QLabel, "lblMdbStatus");
  frames->addRow(lblMdbStatus);

  auto* last = new QGroupBox("Last Tag Seen");
  auto* lastLayout = new QVBoxLayout(last);
  lblMdbLastTag = Named(new QLabel, "lblMdbLastTag");
  lblMdbLastTag->setAutoFillBackground(true);
  lastLayout->addWidget(lblMdbLastTag);

  memMdbTags = Named(new QPlainTextEdit, "memMdbTags");
  memMdbUniqueTags = Named(new QPlainTextEdit, "memMdbUniqueTags");
  memMdbTags->setReadOnly(true);
  memMdbUniqueTags->setReadOnly(true);
  lblMdbTagsSeen = Named(new QLabel("Tags seen 0"), "lblMdbTagsSeen");
  lblMdbUniqueTags = Named(new QLabel("0 Unique tags"), "lblMdbUniqueTags");
  auto* clear = Named(new QPushButton("Clear"), "btnMdbClear");
  connect(clear, &QPushButton::clicked, this, [this] {
    exchange_.ClearTags();
    memMdbTags->clear();
    memMdbUniqueTags->clear();
    UpdateCounts();
  });
  auto* lists = new QGridLayout;
  lists->addWidget(lblMdbTagsSeen, 0, 0);
  lists->addWidget(lblMdbUniqueTags, 0, 1);
  lists->addWidget(memMdbTags, 1, 0);
  lists->addWidget(memMdbUniqueTags, 1, 1);
  lists->addWidget(clear, 2, 1);

  grpMdbPeriodic = Named(new QGroupBox("Periodic read"), "grpMdbPeriodic");
  auto* periodic = new QHBoxLayout(grpMdbPeriodic);
  speMdbDelay = Spin("speMdbDelay", 1, 100, 6);
  btnMdbStartRead = Named(new QPushButton("Start"), "btnMdbStartRead");
  btnMdbStartRead->setToolTip("Load periodic read program in RT and start it.");
  btnMdbStopRead = Named(new QPushButton("Stop"), "btnMdbStopRead");
  btnMdbStartRead->setEnabled(false);
  btnMdbStopRead->setEnabled(false);
  connect(btnMdbStartRead, &QPushButton::clicked, this, [this] {
    if (runner_ == nullptr) return;
    runner_->StopScript();
    runner_->RunMemoScript(PeriodicReadScript(speMdbDelay->value()));
    grpMdbPeriodic->setTitle("Periodic read (running)");
  });
  connect(btnMdbStopRead, &QPushButton::clicked, this, [this] {
    if (runner_ != nullptr) runner_->StopScript();
    grpMdbPeriodic->setTitle("Periodic read");
  });
  ckbMdbEavesdrop = Named(new QCheckBox("Eavesdrop"), "ckbMdbEavesdrop");
  connect(ckbMdbEavesdrop, &QCheckBox::toggled, this,
          [this](bool on) { exchange_.SetEavesdrop(on, speMdbDelay->value()); });
  periodic->addWidget(speMdbDelay);
  periodic->addWidget(btnMdbStartRead);
  periodic->addWidget(btnMdbStopRead);
  periodic->addWidget(ckbMdbEavesdrop);

  auto* logging = new QGroupBox("Log");
  auto* logGrid = new QGridLayout(logging);
  ckbMdbLog = Named(new QCheckBox("Log"), "ckbMdbLog");
  edtMdbLogFilename = Named(new QLineEdit("MdbLog.csv"), "edtMdbLogFilename");
  speMdbNewFileTime = Spin("speMdbNewFileTime", 0, 23, 6);
  ckbMdbNewFile = Named(new QCheckBox("Start a new file each day"), "ckbMdbNewFile");
  lblMdbRecording = Named(new QLabel, "lblMdbRecording");
  lblMdbRecording->hide();
  connect(ckbMdbLog, &QCheckBox::toggled, this, &ModbusTab::ToggleLog);
  logGrid->addWidget(ckbMdbLog, 0, 0);
  logGrid->addWidget(edtMdbLogFilename, 0, 1);
  logGrid->addWidget(ckbMdbNewFile, 1, 0);
  logGrid->addWidget(speMdbNewFileTime, 1, 1);
  logGrid->addWidget(lblMdbRecording, 2, 0, 1, 2);

  auto* left = new QVBoxLayout;
  left->addWidget(commands);
  left->addWidget(timing);
  left->addWidget(network);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addLayout(frames);
  right->addWidget(last);
  right->addLayout(lists);
  right->addWidget(grpMdbPeriodic);
  right->addWidget(logging);
  auto* top = new QHBoxLayout(this);
  top->addLayout(left);
  top->addLayout(right, 1);

  exchange_.SetNewFileHour(speMdbNewFileTime->value());
  connect(speMdbNewFileTime, &QSpinBox::valueChanged, this,
          [this](int hour) { exchange_.SetNewFileHour(hour); });
}

ModbusTab::~ModbusTab() {
  exchange_.SetView(nullptr);
}

QPushButton* ModbusTab::RequestButton(const char* name, const char* caption, ModbusOp op) {
  auto* button = Named(new QPushButton(caption), name);
  connect(button, &QPushButton::clicked, this, [this, op] { Press(op); });
  return button;
}

bool ModbusTab::ReadFields(ModbusOp op, ModbusFields& fields) {
  const bool needsAddress = op == ModbusOp::kWriteIpAddress || op == ModbusOp::kWriteIpBoth;
  if (needsAddress && !ParseIpv4Address(edtMdbIPaddress->text().toStdString(), fields.ipOctets)) {
    QMessageBox::warning(this, "IP Address Error", "Invalid IP4 address");
    return false;
  }
  fields.port = static_cast<uint16_t>(edtMdbIPport->text().toUInt());
  fields.rfOnTime = static_cast<uint16_t>(speMdbOnTime->value());
  fields.eventTime = static_cast<uint16_t>(speMdbEventTime->value());
  return true;
}

void ModbusTab::Press(ModbusOp op) {
  ModbusFields fields;
  if (!ReadFields(op, fields)) return;
  lblMdbStatus->clear();
  if (op == ModbusOp::kExitModbusMode) ckbMdbEavesdrop->setChecked(false);
  exchange_.Press(op, target_.SendChannel(), target_.MainReaderId(), fields);
  btnMdbDoIt->setEnabled(exchange_.DoItEnabled());
}

void ModbusTab::EnterModbusMode() {
  if (commands_ == nullptr) return;
  const std::string body(kEnterModbusBody);
  commands_->SendCommand(target_.SendChannel(), target_.MainReaderId(), body.c_str());
}

void ModbusTab::SetCommandSender(CommandSender* sender) {
  commands_ = sender;
  btnDebEnterModbus->setEnabled(sender != nullptr);
}

void ModbusTab::SetPeriodicReadRunner(PeriodicReadRunner* runner) {
  runner_ = runner;
  btnMdbStartRead->setEnabled(runner != nullptr);
  btnMdbStopRead->setEnabled(runner != nullptr);
}

void ModbusTab::ShowOpenChannels(const QStringList& names) {
  lblMdbChannels->setText(names.join(" + "));
}

void ModbusTab::ShowRequest(std::string_view hex) {
  edtMdbOutput->setText(Text(hex));
}
void ModbusTab::ShowResponse(std::string_view hex) {
  edtMdbResponse->setText(Text(hex));
}

void ModbusTab::ShowTag(std::string_view line, std::string_view id, bool firstSeen) {
  memMdbTags->appendPlainText(Text(line));
  if (firstSeen) memMdbUniqueTags->appendPlainText(Text(id));
  lblMdbLastTag->setText(Text(line));
  lblMdbLastTag->setStyleSheet("background-color: lime;");
  UpdateCounts();
}

void ModbusTab::ShowEmptyReply() {
  lblMdbLastTag->setStyleSheet(QString());
}

void ModbusTab::ShowReadBack(int registerAddress, int value) {
  if (registerAddress == kRegRfOnTime) speMdbOnTime->setValue(value);
  if (registerAddress == kRegEventTime) speMdbEventTime->setValue(value);
}

void ModbusTab::ShowStatus(std::string_view text) {
  lblMdbStatus->setText(Text(text));
}

void ModbusTab::ToggleLog(bool on) {
  exchange_.Log().Close();
  lblMdbRecording->hide();
  if (!on) return;
  const QString name = edtMdbLogFilename->text();
  if (!exchange_.Log().Open(name.toStdString(), clock_.Now())) {
    QMessageBox::warning(this, "Modbus log", "Could not open file (" + name + ") for output!");
    const QSignalBlocker blocker(ckbMdbLog);
    ckbMdbLog->setChecked(false);
    return;
  }
  lblMdbRecording->setText("Rec " + QString::fromStdString(exchange_.Log().FileName()));
  lblMdbRecording->show();
}

void ModbusTab::UpdateCounts() {
  lblMdbTagsSeen->setText(QString("Tags seen %1").arg(exchange_.TagLines().size()));
  lblMdbUniqueTags->setText(QString("%1 Unique tags").arg(exchange_.UniqueTags().size()));
}

}  // namespace corvalis
