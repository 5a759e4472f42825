#include "tagrw/ui/TagSimPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTextBlock>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "app/Settings.h"
#include "common/ui/ChannelCombo.h"
#include "common/ui/Named.h"
#include "script/ScriptVariables.h"
#include "tagrw/PageHex.h"
#include "tagrw/TagSimCommands.h"

namespace corvalis {
namespace {

constexpr int kMemoMaxLines = 100;
constexpr int kMemoTrimLines = 10;
constexpr int kMaxAlgorithm = 12;

QSpinBox* Spin(QWidget* parent, const char* name, int low, int high, int value) {
  auto* spin = Named(new QSpinBox(parent), name);
  spin->setRange(low, high);
  spin->setValue(value);
  return spin;
}

QString Text(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Quoted(std::string_view args) {
  return std::string(args) + "\"";
}

}  // namespace

TagSimPage::TagSimPage(AppContext& context, QWidget* parent) : QWidget(parent), context_(context) {
  cmbSimChannel = NewChannelCombo("cmbSimChannel", this);
  speSimReaderID = Spin(this, "speSimReaderID", 0, 255, 0);
  speSimReaderID->setToolTip(QStringLiteral("255 reaches every device on the channel"));
  edtSimTagID = Named(new QLineEdit(QStringLiteral("123456789abc"), this), "edtSimTagID");
  ckbSimGenerateCRC =
      Named(new QCheckBox(QStringLiteral("Generate CRC"), this), "ckbSimGenerateCRC");
  ckbSimGenerateCRC->setChecked(true);
  edtSimCRC = Named(new QLineEdit(this), "edtSimCRC");
  edtSimCRC->setReadOnly(true);
  edtSimCRC->setMaxLength(4);
  edtSimCRC->setMaximumWidth(70);
  edtSimCRCSeed = Named(new QLineEdit(QStringLiteral("0xffff"), this), "edtSimCRCSeed");
  edtSimCRCSeed->setMaximumWidth(70);
  lblSimCRCSeed = new QLabel(QStringLiteral("CRC Seed"), this);
  speTSTagNo = Spin(this, "speTSTagNo", 0, kSimStackPositions - 1, 0);
  ckbTSInc = Named(new QCheckBox(QStringLiteral("Inc"), this), "ckbTSInc");
  speSimAlgorithmNumber = Spin(this, "speSimAlgorithmNumber", 0, kMaxAlgorithm, 0);
  speSimPeriod_4 = Spin(this, "speSimPeriod_4", 1, 255, 2);
  cmbSimTagType = Named(new QComboBox(this), "cmbSimTagType");
  cmbSimTagType->addItem(QStringLiteral("Choose a standard tag type"));
  for (const SimTagPreset& preset : kSimTagPresets)
    cmbSimTagType->addItem(QLatin1String(preset.name));
  speTSDelay = Spin(this, "speTSDelay", 0, 65535, kSimDefaultDelay);
  speTagSimNumTTOPages = Spin(this, "speTagSimNumTTOPages", 0, 15, 0);
  speTagSimNumRepeats = Spin(this, "speTagSimNumRepeats", 0, 255, 1);
  lblSimStatus = Named(new QLabel(this), "lblSimStatus");
  lblSimStatus->setStyleSheet(QStringLiteral("color: #a00000;"));
  memSimIncoming = Named(new QPlainTextEdit(this), "memSimIncoming");
  memSimIncoming->setReadOnly(true);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Channel"), this));
  top->addWidget(cmbSimChannel);
  top->addWidget(new QLabel(QStringLiteral("Simulator ID"), this));
  top->addWidget(speSimReaderID);
  top->addWidget(cmbSimTagType);
  top->addStretch();
  auto* page = new QVBoxLayout(this);
  page->addLayout(top);
  page->addWidget(BuildCommandsBox());
  page->addWidget(lblSimStatus);
  page->addWidget(new QLabel(QStringLiteral("Incoming"), this));
  page->addWidget(memSimIncoming, 1);

  connect(edtSimTagID, &QLineEdit::textEdited, this, &TagSimPage::UpdateCrc);
  connect(edtSimCRCSeed, &QLineEdit::textEdited, this, &TagSimPage::UpdateCrc);
  connect(ckbSimGenerateCRC, &QCheckBox::toggled, this, &TagSimPage::GenerateCrcToggled);
  connect(cmbSimTagType, &QComboBox::activated, this, &TagSimPage::PresetChosen);
  context_.dispatcher().AddObserver(this);
  GenerateCrcToggled(true);
}

TagSimPage::~TagSimPage() {
  context_.dispatcher().RemoveObserver(this);
}

QWidget* TagSimPage::BuildCommandsBox() {
  auto* box = Named(new QGroupBox(QStringLiteral("Simulator"), this), "grpSimCommands");
  auto* grid = new QGridLayout(box);
  auto button = [this, box](const char* name, const char* caption, auto action) {
    auto* b = Named(new QPushButton(QLatin1String(caption), box), name);
    connect(b, &QPushButton::clicked, this, action);
    return b;
  };
  int row = 0;
  grid->addWidget(new QLabel(QStringLiteral("Tag ID"), box), row, 0);
  grid->addWidget(edtSimTagID, row, 1, 1, 2);
  grid->addWidget(ckbSimGenerateCRC, row, 3);
  grid->addWidget(edtSimCRC, row, 4);
  grid->addWidget(button("btnSimSendID", "Send ID", [this] { SendId(); }), row, 5);
  grid->addWidget(ckbTSInc, row, 6);
  ++row;
  grid->addWidget(lblSimCRCSeed, row, 3);
  grid->addWidget(edtSimCRCSeed, row, 4);
  ++row;
  grid->addWidget(new QLabel(QStringLiteral("Tag No"), box), row, 0);
  grid->addWidget(speTSTagNo, row, 1);
  grid->addWidget(button("btnSimSetTag", "Set Tag", [this] { SetTag(); }), row, 2);
  grid->addWidget(button("btnSimSendNumTags", "Set Num Tags", [this] { SendNumTags(); }), row, 3);
  ++row;
  grid->addWidget(new QLabel(QStringLiteral("Algorithm"), box), row, 0);
  grid->addWidget(speSimAlgorithmNumber, row, 1);
  grid->addWidget(new QLabel(QStringLiteral("Period/4"), box), row, 2);
  grid->addWidget(speSimPeriod_4, row, 3);
  grid->addWidget(button("btnSimSendAlgorithm", "Send", [this] { SendAlgorithm(); }), row, 4);
  ++row;
  grid->addWidget(new QLabel(QStringLiteral("Delay (25.6us)"), box), row, 0);
  grid->addWidget(speTSDelay, row, 1);
  grid->addWidget(button("btnSimSendDelay", "Send", [this] { SendDelay(); }), row, 2);
  ++row;
  grid->addWidget(new QLabel(QStringLiteral("TTO Pages"), box), row, 0);
  grid->addWidget(speTagSimNumTTOPages, row, 1);
  grid->addWidget(button("btnSimSendTTOPages", "Send", [this] { SendTtoPages(); }), row, 2);
  grid->addWidget(new QLabel(QStringLiteral("Repeats"), box), row, 3);
  grid->addWidget(speTagSimNumRepeats, row, 4);
  grid->addWidget(button("btnSimSendRepeats", "Send", [this] { SendRepeats(); }), row, 5);
  ++row;
  grid->addWidget(button("btnSimNewInc", "New Inc", [this] { SendIncrementRoutine(true); }), row,
                  0);
  grid->addWidget(button("btnSimOldInc", "Old Inc", [this] { SendIncrementRoutine(false); }), row,
                  1);
  grid->addWidget(button("btnSimNVWrite", "NV Write", [this] { NvWrite(); }), row, 2);
  grid->addWidget(new QLabel(QStringLiteral("Tx"), box), row, 3);
  grid->addWidget(button("btnSimTxOn", "On", [this] { Transmitter(true); }), row, 4);
  grid->addWidget(button("btnSimTxOff", "Off", [this] { Transmitter(false); }), row, 5);
  grid->setColumnStretch(7, 1);  // spare width right of the controls
  return box;
}

void TagSimPage::LoadFromSettings(const Settings& s) {
  cmbSimChannel->setCurrentIndex(s.Integer(Setting::TagSimChan));
  speSimReaderID->setValue(s.Integer(Setting::TagSimReaderID));
  speSimAlgorithmNumber->setValue(s.Integer(Setting::TagSimAlgorithm));
  speSimPeriod_4->setValue(s.Integer(Setting::TagSimPeriod_4));
  cmbSimTagType->setCurrentIndex(s.Integer(Setting::TagSimTagType));
  edtSimTagID->setText(s.String(Setting::TagSimTagID).left(edtSimTagID->maxLength()));
  edtSimCRCSeed->setText(s.String(Setting::TagSimCRCSeed));
  speTagSimNumRepeats->setValue(s.Integer(Setting::TagSimNumRepeats));
  speTagSimNumTTOPages->setValue(s.Integer(Setting::TagSimNumTTOPages));
  speTSTagNo->setValue(s.Integer(Setting::TagSimTagNo));
  UpdateCrc();
}

void TagSimPage::StoreToSettings(Settings& s) const {
  s.SetInteger(Setting::TagSimChan, cmbSimChannel->currentIndex());
  s.SetInteger(Setting::TagSimReaderID, speSimReaderID->value());
  s.SetInteger(Setting::TagSimAlgorithm, speSimAlgorithmNumber->value());
  s.SetInteger(Setting::TagSimPeriod_4, speSimPeriod_4->value());
  s.SetInteger(Setting::TagSimTagType, cmbSimTagType->currentIndex());
  s.SetString(Setting::TagSimTagID, edtSimTagID->text());
  s.SetString(Setting::TagSimCRCSeed, edtSimCRCSeed->text());
  s.SetInteger(Setting::TagSimNumRepeats, speTagSimNumRepeats->value());
  s.SetInteger(Setting::TagSimNumTTOPages, speTagSimNumTTOPages->value());
  s.SetInteger(Setting::TagSimTagNo, speTSTagNo->value());
}

std::string TagSimPage::TagIdText() const {
  return edtSimTagID->text().toStdString();
}

void TagSimPage::Send(const std::string& body) {
  lblSimStatus->clear();
  context_.console().SendCapturable(cmbSimChannel->currentIndex(), speSimReaderID->value(), body);
}

void TagSimPage::Refuse(const QString& text) {
  lblSimStatus->setText(text);
}

std::optional<uint16_t> TagSimPage::CurrentCrc() {
  const std::string id = edtSimTagID->text().toStdString();
  if (!ParseSimTagId(id, ckbSimGenerateCRC->isChecked())) {
    Refuse(QStringLiteral("The tag ID must be hexadecimal digits, at most %1")
               .arg(ckbSimGenerateCRC->isChecked() ? kSimIdDigitsWithCrc : kSimIdDigits));
    return std::nullopt;
  }
  const std::optional<uint16_t> seed = ParseSimCrcSeed(edtSimCRCSeed->text().toStdString());
  if (!seed) {
    Refuse(QStringLiteral("The CRC seed must be a number between 0 and 0xffff"));
    return std::nullopt;
  }
  return SimIdCrc(id, *seed);
}

void TagSimPage::UpdateCrc() {
  if (!ckbSimGenerateCRC->isChecked()) return;
  lblSimStatus->clear();
  const std::optional<uint16_t> crc = CurrentCrc();
  edtSimCRC->setText(crc ? QStringLiteral("%1").arg(*crc, 4, 16, QLatin1Char('0')).toUpper()
                         : QString());
}

void TagSimPage::GenerateCrcToggled(bool on) {
  for (QWidget* w : std::initializer_list<QWidget*>{edtSimCRC, edtSimCRCSeed, lblSimCRCSeed})
    w->setVisible(on);
  if (on) {
    edtSimTagID->setMaxLength(kSimIdDigitsWithCrc);  // cuts a longer ID
    UpdateCrc();
    return;
  }
  edtSimTagID->setMaxLength(kSimIdDigits);
  if (edtSimTagID->text().size() == kSimIdDigitsWithCrc && !edtSimCRC->text().isEmpty())
    edtSimTagID->setText(edtSimTagID->text() + edtSimCRC->text().toLower());
}

void TagSimPage::PresetChosen(int index) {
  if (index < 1 || index > static_cast<int>(std::size(kSimTagPresets))) return;
  const SimTagPreset& preset = kSimTagPresets[index - 1];
  speSimAlgorithmNumber->setValue(preset.algorithm);
  speSimPeriod_4->setValue(preset.period4);
  edtSimCRCSeed->setText(QLatin1String(preset.seed));
  UpdateCrc();
}

void TagSimPage::SendId() {
  const std::string id = edtSimTagID->text().toStdString();
  const bool generate = ckbSimGenerateCRC->isChecked();
  std::optional<uint16_t> seed;
  if (generate) {
    if (!CurrentCrc()) return;
    seed = ParseSimCrcSeed(edtSimCRCSeed->text().toStdString());
  } else if (!ParseSimTagId(id, false)) {
    Refuse(QStringLiteral("The tag ID must be hexadecimal digits, at most %1").arg(kSimIdDigits));
    return;
  }
  Send(SimSendIdBody(id, generate, seed.value_or(0)));
  if (ckbTSInc->isChecked()) {
    edtSimTagID->setText(Text(IncrementHex(id)));
    UpdateCrc();
  }
}

void TagSimPage::SetTag() {
  const std::string id = edtSimTagID->text().toStdString();
  const bool generate = ckbSimGenerateCRC->isChecked();
  if (generate ? !CurrentCrc() : !ParseSimTagId(id, false)) {
    if (!generate)
      Refuse(QStringLiteral("The tag ID must be hexadecimal digits, at most %1").arg(kSimIdDigits));
    return;
  }
  Send(SimSetTagBody(speTSTagNo->value(), id, generate, edtSimCRC->text().toStdString()));
}

void TagSimPage::SendNumTags() {
  Send(SimNumTagsBody(speTSTagNo->value()));
}

void TagSimPage::SendAlgorithm() {
  Send(SimAlgorithmBody(speSimAlgorithmNumber->value(), speSimPeriod_4->value()));
}

void TagSimPage::SendDelay() {
  Send(SimDelayBody(speTSDelay->value()));
}

void TagSimPage::SendTtoPages() {
  Send(SimTtoPagesBody(speTagSimNumTTOPages->value()));
}

void TagSimPage::SendRepeats() {
  Send(SimRepeatsBody(speTagSimNumRepeats->value()));
}

void TagSimPage::SendIncrementRoutine(bool newer) {
  Send(SimIncrementRoutineBody(newer));
}

void TagSimPage::NvWrite() {
  Send(kSimNvWriteBody);
}

void TagSimPage::Transmitter(bool on) {
  lblSimStatus->clear();
  context_.console().SendPredefinedCommand(cmbSimChannel->currentIndex(), speSimReaderID->value(),
                                           on ? kRfOn : kRfOff);
}

void TagSimPage::ObserveMessage(int channel, const char* text, int length) {
  if (channel != cmbSimChannel->currentIndex() || !isVisible()) return;
  QString line = QString::fromLatin1(text, length);
  line.remove(QLatin1Char('\r'));
  memSimIncoming->appendPlainText(line);
  QTextDocument* doc = memSimIncoming->document();
  if (doc->blockCount() > kMemoMaxLines) {
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, kMemoTrimLines);
    cursor.removeSelectedText();
  }
}

TabOutcome TagSimPage::RunStatement(std::string_view statement, std::string_view args) {
  const auto is = [&](const char* name) { return EqualsIgnoreCase(statement, name); };
  const auto refused = [&](const std::string& text) {
    return TabOutcome{TabOutcome::kRefused, text + Quoted(args)};
  };
  long long n = 0;
  const bool number = ParseScriptInteger(args, &n);
  const auto setSpin = [&](QSpinBox* spin, const char* what) {
    if (!number || n < spin->minimum() || n > spin->maximum()) {
      return refused(std::string(what) + " must be between " + std::to_string(spin->minimum()) +
                     " and " + std::to_string(spin->maximum()) + ": \"");
    }
    spin->setValue(static_cast<int>(n));
    return TabOutcome{TabOutcome::kDone, {}};
  };
  const auto press = [&](auto action) {
    action();
    if (!lblSimStatus->text().isEmpty())
      return TabOutcome{TabOutcome::kRefused, lblSimStatus->text().toStdString()};
    return TabOutcome{TabOutcome::kPressed, {}};
  };

  if (is("TagSimSetID")) {
    if (!ParseSimTagId(args, ckbSimGenerateCRC->isChecked())) {
      return refused(ckbSimGenerateCRC->isChecked()
                         ? "ID must be up to 12 hexadecimal characters: \""
                         : "ID must be up to 16 hexadecimal characters: \"");
    }
    edtSimTagID->setText(Text(args));
    UpdateCrc();
    return {TabOutcome::kDone, {}};
  }
  if (is("TagSimIncID")) {
    edtSimTagID->setText(Text(IncrementHex(edtSimTagID->text().toStdString())));
    UpdateCrc();
    return {TabOutcome::kDone, {}};
  }
  if (is("TagSimSetDelay")) return setSpin(speTSDelay, "Delay");
  if (is("TagSimSetAlgorithm")) return setSpin(speSimAlgorithmNumber, "Algorithm");
  if (is("TagSimSetPeriod")) return setSpin(speSimPeriod_4, "Period/4");
  if (is("TagSimSetTagNo")) return setSpin(speTSTagNo, "Tag number");
  if (is("TagSimSetCRC")) {
    bool on = false;
    if (number && (n == 0 || n == 1)) {
      on = n == 1;
    } else if (EqualsIgnoreCase(args, "on") || EqualsIgnoreCase(args, "off")) {
      on = EqualsIgnoreCase(args, "on");
    } else {
      return refused("Parameter must be 0/1 or off/on \"");
    }
    ckbSimGenerateCRC->setChecked(on);
    return {TabOutcome::kDone, {}};
  }
  if (is("TagSimSetCRCSeed")) {
    const std::optional<uint16_t> seed = ParseSimCrcSeed(args);
    if (!seed) return refused("Data must be a hexadecimal number between 0 and 0xffff: \"");
    edtSimCRCSeed->setText(Text(FormatSimCrcSeed(*seed)));
    UpdateCrc();
    return {TabOutcome::kDone, {}};
  }
  if (is("TagSimSendID")) return press([this] { SendId(); });
  if (is("TagSimSendDelay")) return press([this] { SendDelay(); });
  if (is("TagSimSendAlgorithm")) return press([this] { SendAlgorithm(); });
  if (is("TagSimNVWrite")) return press([this] { NvWrite(); });
  if (is("TagSimSendNumTags")) return press([this] { SendNumTags(); });
  if (is("TagSimSendTagsNo")) return press([this] { SetTag(); });
  return {};
}

}  // namespace corvalis
