#include "app/ui/ConfigDialog.h"
#include "common/ui/Named.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <vector>

#include "app/AppContext.h"
#include "app/Settings.h"
#include "app/SettingsBinding.h"
#include "app/ui/ConfigObserver.h"
#include "app/ui/TagCodeCrc.h"
#include "logging/ui/LoggingSetupDialog.h"
#include "mqtt/ui/MqttConfigPage.h"

namespace corvalis {
namespace {

QSpinBox* Spin(const char* name, int low, int high) {
  auto* spin = Named(new QSpinBox, name);
  spin->setRange(low, high);
  return spin;
}

QString SeedText(uint16_t seed) {
  return QStringLiteral("0x") + QStringLiteral("%1").arg(seed, 4, 16, QLatin1Char('0')).toUpper();
}

// Decimal, or hexadecimal after "0x"; false for anything else, so a half
// typed value never replaces the seed.
bool ParseSeed(const QString& typed, int& value) {
  const QString text = typed.trimmed();
  bool ok = false;
  if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    value = text.mid(2).toInt(&ok, 16);
  } else {
    value = text.toInt(&ok, 10);
  }
  return ok;
}

}  // namespace

ConfigDialog::ConfigDialog(Settings& settings, AppContext& context, ConfigObserver& observer,
                           QWidget* parent)
    : QDialog(parent), settings_(settings), context_(context), observer_(observer) {
  setObjectName(QStringLiteral("frmConfig"));
  setWindowTitle(tr("Configuration Parameters"));
  setModal(false);
  BuildControls();
  LoggingSetup = new LoggingSetupDialog(this);
  RefreshFromSettings();
  Connect();
}

void ConfigDialog::BuildControls() {
  ckbAutoRegister = Named(new QCheckBox(tr("Auto Register")), "ckbAutoRegister");
  ckbSeparateI_Q = Named(new QCheckBox(tr("Separate I and Q counts")), "ckbSeparateI_Q");
  ckbWantI = Named(new QCheckBox(tr("Count I")), "ckbWantI");
  ckbWantQ = Named(new QCheckBox(tr("Count Q")), "ckbWantQ");
  ckbSumAllPorts = Named(new QCheckBox(tr("Sum All Ports")), "ckbSumAllPorts");
  ckbRecordOutgoing = Named(new QCheckBox(tr("Record Outgoing")), "ckbRecordOutgoing");
  ckbSteppingVisible = Named(new QCheckBox(tr("Stepping Controls Visible")), "ckbSteppingVisible");
  ckbRFControlsVisible = Named(new QCheckBox(tr("RF Controls Visible")), "ckbRFControlsVisible");
  ckbMultiplexControlsVisible =
      Named(new QCheckBox(tr("Multiplex Controls Visible")), "ckbMultiplexControlsVisible");
  ckbLoggingControlsVisible =
      Named(new QCheckBox(tr("Logging Controls Visible")), "ckbLoggingControlsVisible");
  btnLoggingConfigure = Named(new QPushButton(tr("Configure")), "btnLoggingConfigure");
  speNumTags = Spin("speNumTags", 1, 32);
  edtRegenCRCSeed = Named(new QLineEdit, "edtRegenCRCSeed");
  edtRegenCRCSeed->setMaxLength(6);
  edtRegenCRCSeed->setMaximumWidth(
      edtRegenCRCSeed->fontMetrics().horizontalAdvance(QStringLiteral("0xFFFFFF")) + 16);
  ckbShowReadRate = Named(new QCheckBox(tr("Show")), "ckbShowReadRate");
  speRRPeriod = Spin("speRRPeriod", 1, 100);
  speRRNumber = Spin("speRRNumber", 1, 100);
  rbtNone = Named(new QRadioButton(tr("None")), "rbtNone");
  rbtDisplay = Named(new QRadioButton(tr("Display")), "rbtDisplay");
  rbtComposite = Named(new QRadioButton(tr("Composite")), "rbtComposite");
  btnConfigure = Named(new QPushButton(tr("Configure")), "btnConfigure");
  edtTagCode = Named(new QLineEdit, "edtTagCode");
  edtTagCode->setMaxLength(kTagCodeDigits);
  edtTagCode->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,12}")), edtTagCode));
  edtTagCode->setPlaceholderText(QStringLiteral("000000000000"));
  ckbCRCShift = Named(new QCheckBox(tr("Shift")), "ckbCRCShift");
  rbtKVQ = Named(new QRadioButton(tr("KVQ")), "rbtKVQ");
  rbtR5180 = Named(new QRadioButton(tr("R5180")), "rbtR5180");
  rbtCCITT = Named(new QRadioButton(tr("CCITT")), "rbtCCITT");
  rbtKVQ->setChecked(true);
  lblCRC = Named(new QLabel, "lblCRC");
  lblCRC->setFrameShape(QFrame::Panel);
  lblCRC->setFrameShadow(QFrame::Sunken);
  lblCRC->setAlignment(Qt::AlignCenter);
  lblCRC->setMinimumWidth(lblCRC->fontMetrics().horizontalAdvance(QStringLiteral("WWWW")));
  btnClose = Named(new QPushButton(tr("Close")), "btnClose");

  auto* counting = new QGroupBox(tr("Tags"));
  auto* countingLayout = new QVBoxLayout(counting);
  countingLayout->addWidget(ckbAutoRegister);
  countingLayout->addWidget(ckbSeparateI_Q);
  auto* iq = new QHBoxLayout;
  iq->addWidget(ckbWantI);
  iq->addWidget(ckbWantQ);
  iq->addStretch();
  countingLayout->addLayout(iq);
  countingLayout->addWidget(ckbSumAllPorts);
  countingLayout->addWidget(ckbRecordOutgoing);
  auto* show = new QHBoxLayout;
  show->addWidget(new QLabel(tr("Show")));
  show->addWidget(speNumTags);
  show->addWidget(new QLabel(tr("tags")));
  show->addStretch();
  countingLayout->addLayout(show);
  auto* seed = new QHBoxLayout;
  seed->addWidget(new QLabel(tr("Seed for regenerated CRC")));
  seed->addWidget(edtRegenCRCSeed);
  seed->addStretch();
  countingLayout->addLayout(seed);

  auto* visible = new QGroupBox(tr("Controls"));
  auto* visibleLayout = new QVBoxLayout(visible);
  visibleLayout->addWidget(ckbSteppingVisible);
  visibleLayout->addWidget(ckbRFControlsVisible);
  visibleLayout->addWidget(ckbMultiplexControlsVisible);
  auto* logging = new QHBoxLayout;
  logging->addWidget(ckbLoggingControlsVisible);
  logging->addWidget(btnLoggingConfigure);
  visibleLayout->addLayout(logging);
  visibleLayout->addStretch();

  auto* rate = new QGroupBox(tr("ID Receive Rate"));
  auto* rateLayout = new QGridLayout(rate);
  rateLayout->addWidget(ckbShowReadRate, 0, 0, 1, 2);
  rateLayout->addWidget(new QLabel(tr("Update Period")), 1, 0);
  rateLayout->addWidget(speRRPeriod, 1, 1);
  rateLayout->addWidget(new QLabel(tr("Num to Average")), 2, 0);
  rateLayout->addWidget(speRRNumber, 2, 1);

  auto* output = new QGroupBox(tr("Output Port"));
  auto* outputLayout = new QVBoxLayout(output);
  outputLayout->addWidget(rbtNone);
  auto* display = new QHBoxLayout;
  display->addWidget(rbtDisplay);
  display->addWidget(btnConfigure);
  display->addStretch();
  outputLayout->addLayout(display);
  outputLayout->addWidget(rbtComposite);

  auto* crc = new QGroupBox(tr("CRC Calculator"));
  auto* crcLayout = new QGridLayout(crc);
  crcLayout->addWidget(new QLabel(tr("Tag code")), 0, 0);
  crcLayout->addWidget(edtTagCode, 0, 1, 1, 3);
  crcLayout->addWidget(rbtKVQ, 1, 0);
  crcLayout->addWidget(rbtR5180, 1, 1);
  crcLayout->addWidget(rbtCCITT, 1, 2);
  crcLayout->addWidget(ckbCRCShift, 1, 3);
  crcLayout->addWidget(new QLabel(tr("CRC")), 2, 0);
  crcLayout->addWidget(lblCRC, 2, 1);

  auto* grid = new QGridLayout;
  grid->addWidget(counting, 0, 0);
  grid->addWidget(visible, 0, 1);
  grid->addWidget(rate, 1, 0);
  grid->addWidget(output, 1, 1);
  grid->addWidget(crc, 2, 0, 1, 2);
  grpMqtt = new MqttConfigPage(
      settings_, [this] { context_.RestartMqtt(MqttSettingsFrom(settings_)); }, this);
  grid->addWidget(grpMqtt, 0, 2, 3, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnClose);

  auto* top = new QVBoxLayout(this);
  top->addLayout(grid);
  top->addLayout(buttons);
}

void ConfigDialog::Connect() {
  auto flag = [this](QCheckBox* box, Setting id, auto then) {
    connect(box, &QCheckBox::toggled, this, [this, id, then](bool on) {
      settings_.SetBool(id, on);
      then(on);
    });
  };
  flag(ckbAutoRegister, Setting::AutoRegister, [this](bool on) { context_.SetAutoRegister(on); });
  flag(ckbSeparateI_Q, Setting::SeparateIQ, [this](bool) { observer_.SeenViewLayoutChanged(); });
  flag(ckbSumAllPorts, Setting::SumAllPorts, [this](bool on) { context_.SetSumAllPorts(on); });
  flag(ckbRecordOutgoing, Setting::RecordOutgoing,
       [this](bool on) { observer_.RecordOutgoingChanged(on); });
  flag(ckbSteppingVisible, Setting::ShowStepping,
       [this](bool) { observer_.ControlGroupsChanged(); });
  flag(ckbRFControlsVisible, Setting::ShowRFControls,
       [this](bool) { observer_.ControlGroupsChanged(); });
  flag(ckbMultiplexControlsVisible, Setting::ShowMPXControls,
       [this](bool) { observer_.ControlGroupsChanged(); });
  flag(ckbShowReadRate, Setting::ShowReadRate, [this](bool) { observer_.SeenViewLayoutChanged(); });
  connect(ckbLoggingControlsVisible, &QCheckBox::toggled, this,
          &ConfigDialog::LoggingControlsChanged);
  connect(ckbWantI, &QCheckBox::toggled, this, &ConfigDialog::WhichChannelsChanged);
  connect(ckbWantQ, &QCheckBox::toggled, this, &ConfigDialog::WhichChannelsChanged);

  connect(speNumTags, &QSpinBox::valueChanged, this, [this](int value) {
    settings_.SetInteger(Setting::NumToShow, value);
    observer_.SeenViewLayoutChanged();
  });
  connect(speRRPeriod, &QSpinBox::valueChanged, this, [this](int value) {
    if (value == 0) return;
    settings_.SetInteger(Setting::ReadRatePeriod, value);
    observer_.SeenViewLayoutChanged();
  });
  connect(speRRNumber, &QSpinBox::valueChanged, this, [this](int value) {
    if (value == 0) return;
    settings_.SetInteger(Setting::ReadRateIntervals, value);
    observer_.SeenViewLayoutChanged();
  });
  connect(edtRegenCRCSeed, &QLineEdit::textChanged, this, &ConfigDialog::SeedEdited);

  for (QRadioButton* button : {rbtNone, rbtDisplay, rbtComposite}) {
    connect(button, &QRadioButton::toggled, this, [this](bool on) {
      if (on) OutputPortChosen();
    });
  }
  connect(btnConfigure, &QPushButton::clicked, this, [this] { observer_.ConfigureDisplay(); });
  connect(btnLoggingConfigure, &QPushButton::clicked, this, &ConfigDialog::ConfigureLogging);

  connect(edtTagCode, &QLineEdit::textChanged, this, &ConfigDialog::UpdateCrc);
  connect(ckbCRCShift, &QCheckBox::toggled, this, &ConfigDialog::UpdateCrc);
  for (QRadioButton* button : {rbtKVQ, rbtR5180, rbtCCITT}) {
    connect(button, &QRadioButton::toggled, this, &ConfigDialog::UpdateCrc);
  }
  connect(btnClose, &QPushButton::clicked, this, &QWidget::hide);
}

void ConfigDialog::ShowConfig() {
  RefreshFromSettings();
  show();
  raise();
  activateWindow();
}

void ConfigDialog::RefreshFromSettings() {
  const QList<QWidget*> controls = findChildren<QWidget*>();
  std::vector<QSignalBlocker> blockers;
  blockers.reserve(static_cast<size_t>(controls.size()));
  for (QWidget* control : controls) blockers.emplace_back(control);

  ckbAutoRegister->setChecked(settings_.Bool(Setting::AutoRegister));
  ckbSeparateI_Q->setChecked(settings_.Bool(Setting::SeparateIQ));
  const int which = settings_.Integer(Setting::WhichChannels);
  ckbWantI->setChecked((which & 1) != 0);
  ckbWantQ->setChecked((which & 2) != 0);
  ckbSumAllPorts->setChecked(settings_.Bool(Setting::SumAllPorts));
  ckbRecordOutgoing->setChecked(settings_.Bool(Setting::RecordOutgoing));
  ckbSteppingVisible->setChecked(settings_.Bool(Setting::ShowStepping));
  ckbRFControlsVisible->setChecked(settings_.Bool(Setting::ShowRFControls));
  ckbMultiplexControlsVisible->setChecked(settings_.Bool(Setting::ShowMPXControls));
  ckbLoggingControlsVisible->setChecked(settings_.Bool(Setting::ShowLogging));
  speNumTags->setValue(settings_.Integer(Setting::NumToShow));
  edtRegenCRCSeed->setText(SeedText(settings_.RegenerateCrcSeed()));
  ckbShowReadRate->setChecked(settings_.Bool(Setting::ShowReadRate));
  speRRPeriod->setValue(settings_.Integer(Setting::ReadRatePeriod));
  speRRNumber->setValue(settings_.Integer(Setting::ReadRateIntervals));
  const OutputPortUse use = settings_.OutputPort();
  rbtNone->setChecked(use == OutputPortUse::kNone);
  rbtDisplay->setChecked(use == OutputPortUse::kDisplay);
  rbtComposite->setChecked(use == OutputPortUse::kComposite);
  btnConfigure->setVisible(use == OutputPortUse::kDisplay);
  grpMqtt->RefreshFromSettings();
  UpdateCrc();
}

void ConfigDialog::WhichChannelsChanged() {
  const int which = (ckbWantI->isChecked() ? 1 : 0) + (ckbWantQ->isChecked() ? 2 : 0);
  settings_.SetInteger(Setting::WhichChannels, which);
  context_.SetWhichChannels(which);
}

void ConfigDialog::SeedEdited(const QString& text) {
  int value = 0;
  if (!ParseSeed(text, value)) return;
  settings_.SetInteger(Setting::RegenerateCRCSeed, value);
  context_.SetCrcSeed(settings_.RegenerateCrcSeed());
}

void ConfigDialog::OutputPortChosen() {
  const OutputPortUse use = rbtDisplay->isChecked()     ? OutputPortUse::kDisplay
                            : rbtComposite->isChecked() ? OutputPortUse::kComposite
                                                        : OutputPortUse::kNone;
  settings_.SetOutputPort(use);
  context_.SetCompositeOutput(use == OutputPortUse::kComposite);
  btnConfigure->setVisible(use == OutputPortUse::kDisplay);
  observer_.OutputPortChanged(use);
}

void ConfigDialog::LoggingControlsChanged(bool on) {
  settings_.SetBool(Setting::ShowLogging, on);
  // While the Record controls are shown, passes are recorded by hand only.
  LogSettings live = context_.logWriter().Settings();
  live.showLogging = on;
  context_.SetLogSettings(live);
  observer_.ControlGroupsChanged();
}

void ConfigDialog::ConfigureLogging() {
  if (!LoggingSetup->Execute(context_.logWriter(), context_.tagTable().settings())) return;
  StoreLogSettings(context_.logWriter().Settings(), settings_);
  StoreTagTableSettings(context_.tagTable().settings(), settings_);
  observer_.LoggingSetupChanged();
}

void ConfigDialog::UpdateCrc() {
  const TagCodeCrcKind kind = rbtR5180->isChecked()   ? TagCodeCrcKind::kR5180
                              : rbtCCITT->isChecked() ? TagCodeCrcKind::kCcitt
                                                      : TagCodeCrcKind::kKvq;
  const uint16_t crc = TagCodeCrc(TagCodeBytes(edtTagCode->text(), ckbCRCShift->isChecked()), kind);
  lblCRC->setText(QStringLiteral("%1").arg(crc, 4, 16, QLatin1Char('0')).toUpper());
}

}  // namespace corvalis
