#include "control/ui/DecoderControlPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "common/ChannelIndex.h"
#include "common/ui/Named.h"

namespace corvalis {
namespace {

QLabel* Value(const char* name, QWidget* parent) {
  auto* label = Named(new QLabel(QStringLiteral("-"), parent), name);
  label->setMinimumWidth(40);
  return label;
}

QCheckBox* Box(const char* name, const char* caption, QWidget* parent) {
  return Named(new QCheckBox(QString::fromLatin1(caption), parent), name);
}

QString Decimal(const std::optional<int>& value) {
  return value ? QString::number(*value) : QStringLiteral("-");
}

QString Hex2(int value) {
  return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0'));
}

struct ModeCaption {
  const char* caption;
  const char* hint;
};
// The form's captions, then those of generations 1, 2 and 6.
const ModeCaption kModeCaptions[2][4] = {
    {{"Tx Off Polarity Inverted", "Tx Off Polarity Inverted"},
     {"Synth Carrier present", "Synth Carrier present"},
     {"Duty Cycle 100%", "Duty Cycle 100%"},
     {"Mode KV-Q6",
      "The scrambling protocol of KV-Q6 tags; normal KV-Q tags are then not detected"}},
    {{"Data on any channel",
      "unchecked = Data is rejected if it does not come on the same channel as a good ID"},
     {"No Data CRC Checking", "unchecked = Reject data pages with incorrect CCITT CRC"},
     {"Scramble", "checked = Air protocol is scrambled, else clear"},
     {"Concatenation", "checked = process concatenated tag packets, else normal KV-Q packets"}}};

}  // namespace

DecoderControlPage::DecoderControlPage(AppContext& context, std::function<int()> channel,
                                       std::function<int()> readerId, QWidget* parent)
    : QWidget(parent),
      config_(context.readerConfig()),
      channel_(std::move(channel)),
      readerId_(std::move(readerId)) {
  auto* update = Named(new QPushButton(QStringLiteral("&Update"), this), "btnDCUpdateStatus");
  update->setToolTip(QStringLiteral("Read the FPGA status and settings."));
  speDCUpdateInterval = Named(new QSpinBox(this), "speDCUpdateInterval");
  speDCUpdateInterval->setRange(0, 36000);
  speDCUpdateInterval->setSuffix(QStringLiteral(" s"));
  auto* modulate =
      Named(new QPushButton(QStringLiteral("Toggle Modulate"), this), "btnDCToggleModulate");
  auto* reset = Named(new QPushButton(QStringLiteral("Reset FPGA"), this), "btnDCReset");
  auto* getConfig = Named(new QPushButton(QStringLiteral("Get ARM Config"), this), "btnGetConfig");
  btnDCSendConfig = Named(new QPushButton(QStringLiteral("Send Config"), this), "btnDCSendConfig");

  auto* commands = new QHBoxLayout;
  commands->addWidget(update);
  commands->addWidget(new QLabel(QStringLiteral("Auto update:"), this));
  commands->addWidget(speDCUpdateInterval);
  commands->addWidget(modulate);
  commands->addWidget(reset);
  commands->addWidget(getConfig);
  commands->addWidget(btnDCSendConfig);
  commands->addStretch();

  auto* columns = new QHBoxLayout;
  columns->addWidget(BuildStatus());
  auto* right = new QVBoxLayout;
  right->addWidget(BuildConfiguration());
  right->addWidget(BuildErrorCounts());
  right->addStretch();
  columns->addLayout(right);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(commands);
  layout->addLayout(columns);
  layout->addStretch();

  auto send = [this](void (DecoderControlCommands::*command)(int, int)) {
    Target();
    if (IsValidChannel(config_.DecoderChannel())) {
      (config_.decoder().*command)(config_.DecoderChannel(), config_.DecoderReaderId());
    }
  };
  connect(update, &QPushButton::clicked, this,
          [send] { send(&DecoderControlCommands::UpdateStatus); });
  connect(modulate, &QPushButton::clicked, this,
          [send] { send(&DecoderControlCommands::ToggleModulate); });
  connect(reset, &QPushButton::clicked, this, [send] { send(&DecoderControlCommands::ResetFpga); });
  connect(getConfig, &QPushButton::clicked, this,
          [send] { send(&DecoderControlCommands::GetConfig); });
  connect(btnDCSendConfig, &QPushButton::clicked, this, &DecoderControlPage::SendConfig);
  connect(speDCUpdateInterval, &QSpinBox::valueChanged, this, [this](int seconds) {
    Target();
    config_.SetDecoderAutoInterval(seconds);
  });
  config_.AddListener(this);
  cmbDCTagBaud->setCurrentIndex(config_.settings().tagBaud);
}

DecoderControlPage::~DecoderControlPage() {
  config_.RemoveListener(this);
}

QGroupBox* DecoderControlPage::BuildStatus() {
  auto* group = Named(new QGroupBox(QStringLiteral("Status"), this), "grpDCStatus");
  lblDCErrors = Value("lblDCErrors", group);
  lblDCOverruns = Value("lblDCOverruns", group);
  lblDCUnsupportedCommand =
      Named(new QLabel(QStringLiteral("Partially Supported"), group), "lblDCUnsupportedCommand");
  lblDCUnsupportedCommand->setStyleSheet(QStringLiteral("color: red"));
  lblDCUnsupportedCommand->hide();
  auto* counts = new QFormLayout;
  counts->addRow(QStringLiteral("Errors"), lblDCErrors);
  counts->addRow(QStringLiteral("Overruns"), lblDCOverruns);

  statusFields_ = Named(new QWidget(group), "pnlDCStatusFields");
  auto* fields = new QGridLayout(statusFields_);
  fields->setContentsMargins(0, 0, 0, 0);
  lblDCFPGAVersion = Value("lblDCFPGAVersion", statusFields_);
  ckbDCTimeout = Box("ckbDCTimeout", "Timeout", statusFields_);
  ckbDCBufferOverrun = Box("ckbDCBufferOverrun", "Buffer Overrun", statusFields_);
  ckbDCEdgeCountFull = Box("ckbDCEdgeCountFull", "Edge Count Full", statusFields_);
  ckbDCCRCCountFull = Box("ckbDCCRCCountFull", "CRC Count full", statusFields_);
  // Which bits carry the two "full" flags is not known; they stay clear.
  ckbDCEdgeCountFull->setEnabled(false);
  ckbDCCRCCountFull->setEnabled(false);
  fields->addWidget(new QLabel(QStringLiteral("FPGA version"), statusFields_), 0, 0);
  fields->addWidget(lblDCFPGAVersion, 0, 1);
  fields->addWidget(ckbDCTimeout, 1, 0);
  fields->addWidget(ckbDCBufferOverrun, 1, 1);
  fields->addWidget(ckbDCEdgeCountFull, 2, 0);
  fields->addWidget(ckbDCCRCCountFull, 2, 1);

  counters_ = Named(new QWidget(statusFields_), "pnlDCCounters");
  auto* grid = new QGridLayout(counters_);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("Channel"), counters_), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("Edges"), counters_), 1, 0);
  grid->addWidget(new QLabel(QStringLiteral("CRCs"), counters_), 2, 0);
  grid->addWidget(new QLabel(QStringLiteral("Level"), counters_), 3, 0);
  for (int ch = 0; ch < 4; ++ch) {
    auto* title = Named(new QLabel(QString::number(ch + 1), counters_),
                        QStringLiteral("lblDCChannel%1").arg(ch + 1));
    edges_[static_cast<size_t>(ch)] = Named(new QLabel(QStringLiteral("-"), counters_),
                                            QStringLiteral("lblDCEdges%1").arg(ch + 1));
    crcs_[static_cast<size_t>(ch)] = Named(new QLabel(QStringLiteral("-"), counters_),
                                           QStringLiteral("lblDCCRCCount%1").arg(ch + 1));
    grid->addWidget(title, 0, ch + 1);
    grid->addWidget(edges_[static_cast<size_t>(ch)], 1, ch + 1);
    grid->addWidget(crcs_[static_cast<size_t>(ch)], 2, ch + 1);
    if (ch < 2) {
      levels_[static_cast<size_t>(ch)] = Named(new QLabel(QStringLiteral("-"), counters_),
                                               QStringLiteral("lblDCLevel%1").arg(ch + 1));
      grid->addWidget(levels_[static_cast<size_t>(ch)], 3, ch + 1);
    } else {
      channel34_[static_cast<size_t>(ch - 2)] = title;
    }
  }
  lblDCConfig = Value("lblDCConfig", counters_);
  lblDCControl = Value("lblDCControl", counters_);
  lblDCIOsVal = Value("lblDCIOsVal", counters_);
  ckbDCTxOff = Box("ckbDCTxOff", "Tx Off", counters_);
  ckbDCModulate = Box("ckbDCModulate", "Modulate", counters_);
  ckbDCReset = Box("ckbDCReset", "Reset", counters_);
  for (QCheckBox* box : {ckbDCTimeout, ckbDCBufferOverrun, ckbDCTxOff, ckbDCModulate, ckbDCReset}) {
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    box->setFocusPolicy(Qt::NoFocus);
  }
  auto* ioTitle = new QLabel(QStringLiteral("IOs"), counters_);
  channel34_[2] = ioTitle;
  channel34_[3] = lblDCIOsVal;
  grid->addWidget(new QLabel(QStringLiteral("Config"), counters_), 4, 0);
  grid->addWidget(lblDCConfig, 4, 1);
  grid->addWidget(new QLabel(QStringLiteral("Control"), counters_), 4, 2);
  grid->addWidget(lblDCControl, 4, 3);
  grid->addWidget(ioTitle, 5, 0);
  grid->addWidget(lblDCIOsVal, 5, 1);
  grid->addWidget(ckbDCTxOff, 6, 0, 1, 2);
  grid->addWidget(ckbDCModulate, 6, 2, 1, 2);
  grid->addWidget(ckbDCReset, 6, 4);

  auto* zoom = new QGroupBox(QStringLiteral("Show these values enlarged below"), counters_);
  rbtDCZoomEdges = Named(new QRadioButton(QStringLiteral("Edges"), zoom), "rbtDCZoomEdges");
  rbtDCZoomCRC = Named(new QRadioButton(QStringLiteral("CRC"), zoom), "rbtDCZoomCRC");
  rbtDCZoomLevel = Named(new QRadioButton(QStringLiteral("Level"), zoom), "rbtDCZoomLevel");
  rbtDCZoomEdges->setChecked(true);
  lblDCZoom1 = Value("lblDCZoom1", zoom);
  lblDCZoom2 = Value("lblDCZoom2", zoom);
  QFont big = lblDCZoom1->font();
  big.setPointSize(big.pointSize() * 3);
  big.setBold(true);
  lblDCZoom1->setFont(big);
  lblDCZoom2->setFont(big);
  auto* zoomLayout = new QGridLayout(zoom);
  zoomLayout->addWidget(rbtDCZoomEdges, 0, 0);
  zoomLayout->addWidget(rbtDCZoomCRC, 0, 1);
  zoomLayout->addWidget(rbtDCZoomLevel, 0, 2);
  zoomLayout->addWidget(lblDCZoom1, 1, 0);
  zoomLayout->addWidget(lblDCZoom2, 1, 1);
  for (QRadioButton* radio : {rbtDCZoomEdges, rbtDCZoomCRC, rbtDCZoomLevel}) {
    connect(radio, &QRadioButton::clicked, this, &DecoderControlPage::ShowZoom);
  }
  grid->addWidget(zoom, 7, 0, 1, 5);
  fields->addWidget(counters_, 3, 0, 1, 2);

  auto* layout = new QVBoxLayout(group);
  layout->addLayout(counts);
  layout->addWidget(lblDCUnsupportedCommand);
  layout->addWidget(statusFields_);
  layout->addStretch();
  return group;
}

QGroupBox* DecoderControlPage::BuildConfiguration() {
  configGroup_ = Named(new QGroupBox(QStringLiteral("FPGA Configuration"), this), "grpDCConfig");
  QGroupBox* group = configGroup_;
  ckbDCInvert = Box("ckbDCInvert", "Invert", group);
  ckbDCFilterBypass = Box("ckbDCFilterBypass", "Filter Bypass", group);
  cmbDCTagBaud = Named(new QComboBox(group), "cmbDCTagBaud");
  cmbDCTagBaud->addItems({QStringLiteral("32kb/s"), QStringLiteral("64kb/s"),
                          QStringLiteral("128kb/s"), QStringLiteral("256kb/s")});
  ckbDCTxOffInvert = Box("ckbDCTxOffInvert", "", group);
  ckbDCSynth = Box("ckbDCSynth", "", group);
  ckbDCDutyCycle = Box("ckbDCDutyCycle", "", group);
  ckbDCMode = Box("ckbDCMode", "", group);
  RelabelModeBoxes(false);
  lblDCAttenuation = Named(new QLabel(QStringLiteral("Threshold"), group), "lblDCAttenuation");
  speDCAttenuation = Named(new QSpinBox(group), "speDCAttenuation");
  speDCAttenuation->setRange(0, 255);
  speDCAttenuation->setToolTip(
      QStringLiteral("The level above which tags are accepted on readers with threshold control"));
  ckbUseSpecificMode = Box("ckbUseSpecificMode", "Use Specific Mode", group);
  cmbDCRWTimeout = Named(new QComboBox(group), "cmbDCRWTimeout");
  cmbDCRWTimeout->addItems({QStringLiteral("none"), QStringLiteral("10 ms"),
                            QStringLiteral("30 ms"), QStringLiteral("100 ms"),
                            QStringLiteral("300 ms"), QStringLiteral("1 s"), QStringLiteral("3 s"),
                            QStringLiteral("10 s")});
  cmbDCRWAddressMode = Named(new QComboBox(group), "cmbDCRWAddressMode");
  cmbDCRWAddressMode->addItems(
      {QStringLiteral("Immediate as is"), QStringLiteral("After next ID as is"),
       QStringLiteral("To next any ID only"), QStringLiteral("To next specific ID only")});
  speDCExpectedTTOPages = Named(new QSpinBox(group), "speDCExpectedTTOPages");
  speDCExpectedTTOPages->setRange(0, 15);

  auto* grid = new QGridLayout(group);
  grid->addWidget(ckbDCInvert, 0, 0);
  grid->addWidget(ckbDCFilterBypass, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Tag baud"), group), 1, 0);
  grid->addWidget(cmbDCTagBaud, 1, 1);
  grid->addWidget(ckbDCTxOffInvert, 2, 0);
  grid->addWidget(ckbDCSynth, 2, 1);
  grid->addWidget(ckbDCDutyCycle, 3, 0);
  grid->addWidget(ckbDCMode, 3, 1);
  grid->addWidget(lblDCAttenuation, 4, 0);
  grid->addWidget(speDCAttenuation, 4, 1);
  grid->addWidget(ckbUseSpecificMode, 5, 0);
  grid->addWidget(new QLabel(QStringLiteral("RW timeout"), group), 6, 0);
  grid->addWidget(cmbDCRWTimeout, 6, 1);
  grid->addWidget(new QLabel(QStringLiteral("RW address mode"), group), 7, 0);
  grid->addWidget(cmbDCRWAddressMode, 7, 1);
  grid->addWidget(new QLabel(QStringLiteral("Expected TTO pages"), group), 8, 0);
  grid->addWidget(speDCExpectedTTOPages, 8, 1);
  return group;
}

QGroupBox* DecoderControlPage::BuildErrorCounts() {
  errorGroup_ = Named(new QGroupBox(QStringLiteral("Error Counts"), this), "grpDCErrorCounts");
  const char* const kCounts[6][2] = {{"lblDCTimeoutCount", "Timeouts"},
                                     {"lblDCOverrunCount", "Overruns"},
                                     {"lblDCEdgeCount", "Edges"},
                                     {"lblDCCRCCount", "CRCs"},
                                     {"lblDCRWTimeoutCount", "RW Timeouts"},
                                     {"lblDCSoftTimeoutCount", "Soft Timeouts"}};
  auto* form = new QFormLayout(errorGroup_);
  for (size_t i = 0; i < errorCounts_.size(); ++i) {
    errorCounts_[i] = Value(kCounts[i][0], errorGroup_);
    form->addRow(QString::fromLatin1(kCounts[i][1]), errorCounts_[i]);
  }
  auto* update =
      Named(new QPushButton(QStringLiteral("&Update"), errorGroup_), "btnDCUpdateErrorCounts");
  connect(update, &QPushButton::clicked, this, [this] {
    Target();
    if (IsValidChannel(config_.DecoderChannel())) {
      config_.decoder().UpdateErrorCounts(config_.DecoderChannel(), config_.DecoderReaderId());
    }
  });
  form->addRow(update);
  return errorGroup_;
}

void DecoderControlPage::Target() {
  config_.SetDecoderTarget(channel_(), readerId_());
}

DecoderConfig DecoderControlPage::ConfigShown() const {
  DecoderConfig config;
  config.invert = ckbDCInvert->isChecked();
  config.filterBypass = ckbDCFilterBypass->isChecked();
  config.tagBaud = std::max(cmbDCTagBaud->currentIndex(), 0);
  config.txOffInvert = ckbDCTxOffInvert->isChecked();
  config.synth = ckbDCSynth->isChecked();
  config.dutyCycle = ckbDCDutyCycle->isChecked();
  config.modeKvq6 = ckbDCMode->isChecked();
  config.threshold = speDCAttenuation->value();
  config.useSpecificMode = ckbUseSpecificMode->isChecked();
  config.rwTimeout = std::max(cmbDCRWTimeout->currentIndex(), 0);
  config.addressMode = std::max(cmbDCRWAddressMode->currentIndex(), 0);
  return config;
}

void DecoderControlPage::SendConfig() {
  Target();
  if (!IsValidChannel(config_.DecoderChannel())) return;
  config_.decoder().SendConfig(config_.DecoderChannel(), config_.DecoderReaderId(), ConfigShown(),
                               speDCExpectedTTOPages->value());
  btnDCSendConfig->setEnabled(config_.decoder().SendConfigEnabled());
}

void DecoderControlPage::DecoderReplyTaken(int code) {
  DecoderControlCommands& decoder = config_.decoder();
  if (code == 0x2b) {
    ShowStatus(decoder.Status());
  } else if (code == 0x3b && decoder.Config()) {
    ShowConfig(*decoder.Config());
  } else if (code == 0x45 && decoder.ErrorCounts()) {
    ShowErrorCounts(*decoder.ErrorCounts());
  }
  btnDCSendConfig->setEnabled(decoder.SendConfigEnabled());
}

void DecoderControlPage::RelabelModeBoxes(bool relabelled) {
  const ModeCaption* captions = kModeCaptions[relabelled ? 1 : 0];
  QCheckBox* const boxes[] = {ckbDCTxOffInvert, ckbDCSynth, ckbDCDutyCycle, ckbDCMode};
  for (int i = 0; i < 4; ++i) {
    boxes[i]->setText(QString::fromLatin1(captions[i].caption));
    boxes[i]->setToolTip(QString::fromLatin1(captions[i].hint));
  }
}

void DecoderControlPage::ShowStatus(const DecoderStatus& status) {
  lblDCErrors->setText(Decimal(status.errors));
  lblDCOverruns->setText(Decimal(status.overruns));
  lblDCUnsupportedCommand->setVisible(status.partiallySupported);
  statusFields_->setVisible(!status.partiallySupported);
  configGroup_->setVisible(!status.partiallySupported);
  errorGroup_->setVisible(!status.partiallySupported);
  btnDCSendConfig->setVisible(!status.partiallySupported);
  if (status.partiallySupported) return;

  lblDCFPGAVersion->setText(QString::fromStdString(status.versionText));
  ckbDCTimeout->setChecked(status.timeoutFlag);
  ckbDCBufferOverrun->setChecked(status.bufferOverrunFlag);
  // An unknown generation: its version and the two counts, nothing else.
  counters_->setVisible(status.generation != 0);
  if (status.generation == 0) return;

  RelabelModeBoxes(status.relabelledBoxes);
  lblDCAttenuation->setVisible(!status.relabelledBoxes);
  speDCAttenuation->setVisible(!status.relabelledBoxes);
  for (size_t i = 0; i < 4; ++i) {
    edges_[i]->setText(Decimal(status.edges[i]));
    crcs_[i]->setText(Decimal(status.crcs[i]));
    edges_[i]->setVisible(i < 2 || status.fourChannels);
    crcs_[i]->setVisible(i < 2 || status.fourChannels);
  }
  for (QWidget* field : channel34_) field->setVisible(status.fourChannels);
  for (size_t i = 0; i < 2; ++i) {
    levels_[i]->setText(Decimal(status.levels[i]));
    levels_[i]->setVisible(status.levels[i].has_value());
  }
  lblDCIOsVal->setText(QString::fromStdString(status.ioText));
  if (status.config) {
    const int c = *status.config;
    lblDCConfig->setText(Hex2(c));
    ckbDCInvert->setChecked((c & 0x80) != 0);
    ckbDCFilterBypass->setChecked((c & 0x40) != 0);
    speDCExpectedTTOPages->setValue(*status.ExpectedTtoPages());
    cmbDCTagBaud->setCurrentIndex(*status.TagBaudIndex());
  }
  if (status.control) {
    const int k = *status.control;
    lblDCControl->setText(Hex2(k));
    ckbDCTxOffInvert->setChecked((k & 0x80) != 0);
    ckbDCSynth->setChecked((k & 0x40) != 0);
    ckbDCDutyCycle->setChecked((k & 0x20) != 0);
    ckbDCMode->setChecked((k & 0x10) != 0);
    ckbDCTxOff->setChecked((k & 0x04) != 0);
    ckbDCModulate->setChecked((k & 0x02) != 0);
    ckbDCReset->setChecked((k & 0x01) != 0);
  }
  if (status.threshold) speDCAttenuation->setValue(*status.threshold);
  ShowZoom();
}

void DecoderControlPage::ShowConfig(const DecoderConfig& config) {
  ckbDCInvert->setChecked(config.invert);
  ckbDCFilterBypass->setChecked(config.filterBypass);
  cmbDCTagBaud->setCurrentIndex(config.tagBaud);
  ckbDCTxOffInvert->setChecked(config.txOffInvert);
  ckbDCSynth->setChecked(config.synth);
  ckbDCDutyCycle->setChecked(config.dutyCycle);
  ckbDCMode->setChecked(config.modeKvq6);
  speDCAttenuation->setValue(config.threshold);
  cmbDCRWTimeout->setCurrentIndex(config.rwTimeout);
  cmbDCRWAddressMode->setCurrentIndex(config.addressMode);
}

void DecoderControlPage::ShowErrorCounts(const std::array<int, 6>& counts) {
  for (size_t i = 0; i < counts.size(); ++i) errorCounts_[i]->setText(QString::number(counts[i]));
}

void DecoderControlPage::ShowZoom() {
  const std::array<QLabel*, 4>* pair = rbtDCZoomCRC->isChecked() ? &crcs_ : &edges_;
  if (rbtDCZoomLevel->isChecked()) {
    lblDCZoom1->setText(levels_[0]->text());
    lblDCZoom2->setText(levels_[1]->text());
    return;
  }
  lblDCZoom1->setText((*pair)[0]->text());
  lblDCZoom2->setText((*pair)[1]->text());
}

}  // namespace corvalis
