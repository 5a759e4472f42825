#include "control/ui/RWCommanderPage.h"
#include "common/ui/ChannelCombo.h"
#include "common/ui/Named.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTextBlock>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "app/Settings.h"
#include "app/ui/TagCodeCrc.h"
#include "control/ui/CommandWordEditor.h"
#include "control/ui/HistoryCombo.h"
#include "control/ui/ModifierButton.h"
#include "control/ui/ResumeAdviceWindow.h"
#include "protocol/Hex.h"

namespace corvalis {
namespace {

constexpr int kPeriodReply = 23;
constexpr int kDataReply = 33;
constexpr int kMaskReply = 34;
constexpr int kTimingReply = 36;
constexpr int kMemoMaxLines = 100;
constexpr int kMemoTrimLines = 10;
constexpr int kDataChars = 16;
constexpr int kDataCharsWithCrc = 12;
const char kFillDigits[] = {'0', '5', '7', 'a', 'c', 'f'};

QSpinBox* ByteSpin(QWidget* parent, const char* name, int value) {
  auto* spin = Named(new QSpinBox(parent), name);
  spin->setRange(0, 255);
  spin->setValue(value);
  return spin;
}

QString Hex2(int value) {
  return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0'));
}

QString PadRight(const QString& text, int width) {
  return text.size() >= width ? text : text + QString(width - text.size(), QLatin1Char('0'));
}

}  // namespace

RWCommanderPage::RWCommanderPage(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  setObjectName(QStringLiteral("tbsQ2Command"));
  editor = new CommandWordEditor(CommandWordEditor::Kind::kCommander, this);
  cmbCmdChannel = NewChannelCombo("cmbCmdChannel", this);
  speCmdReaderID = ByteSpin(this, "speCmdReaderID", 0);
  ckbRWManual = Named(new QCheckBox(QStringLiteral("Manual (1G)"), this), "ckbRWManual");
  cbxCmdTarget = Named(new QComboBox(this), "cbxCmdTarget");
  cbxCmdTarget->addItems({"Immediate", "All Tags", "Addressed", "Specific"});
  cbxCmdTarget->setCurrentIndex(static_cast<int>(TransmitTarget::kSpecific));
  ckbCmdContinuous = Named(new QCheckBox(QStringLiteral("Continuous"), this), "ckbCmdContinuous");
  ckbCmdAutoSuspend =
      Named(new QCheckBox(QStringLiteral("Auto Suspend"), this), "ckbCmdAutoSuspend");
  ckbCmdBeep = Named(new QCheckBox(QStringLiteral("Beep"), this), "ckbCmdBeep");
  btnCmdLoad = Named(new QPushButton(QStringLiteral("Get"), this), "btnCmdLoad");
  btnCmdTransmit = Named(new QPushButton(QStringLiteral("Send"), this), "btnCmdTransmit");
  btnCmdTxOn = Named(new QPushButton(QStringLiteral("Tx On"), this), "btnCmdTxOn");
  btnCmdTxOff = Named(new QPushButton(QStringLiteral("Tx Off"), this), "btnCmdTxOff");
  btnCmdStop = Named(new QPushButton(QStringLiteral("Stop"), this), "btnCmdStop");
  btnCmdSave = Named(new QPushButton(QStringLiteral("Save"), this), "btnCmdSave");
  btnCmdSuspend = Named(new QPushButton(QStringLiteral("Suspend"), this), "btnCmdSuspend");
  btnCmdResume = Named(new QPushButton(QStringLiteral("Resume"), this), "btnCmdResume");

  grpCmdData =
      Named(new QGroupBox(QStringLiteral("Data for Write operations"), this), "grpCmdData");
  cmbCmdData = new QComboBox(grpCmdData);
  SetUpHistoryCombo(cmbCmdData, QStringLiteral("cmbCmdData"));
  cmbCmdData->setMinimumContentsLength(kDataChars);
  btnCmdSendData = Named(new QPushButton(QStringLiteral("Send"), grpCmdData), "btnCmdSendData");
  btnCmdGetData = Named(new QPushButton(QStringLiteral("Get"), grpCmdData), "btnCmdGetData");
  ckbCmdDataCRC = Named(new QCheckBox(QStringLiteral("Generate CRC"), grpCmdData), "ckbCmdDataCRC");
  edtCmdCRC = Named(new QLineEdit(grpCmdData), "edtCmdCRC");
  edtCmdCRC->setReadOnly(true);
  edtCmdCRC->setMaxLength(4);
  rbtCmdCCITT = Named(new QRadioButton(QStringLiteral("CCITT"), grpCmdData), "rbtCmdCCITT");
  rbtCmdKVQ = Named(new QRadioButton(QStringLiteral("KVQ"), grpCmdData), "rbtCmdKVQ");
  rbtCmdR5180 = Named(new QRadioButton(QStringLiteral("R5180"), grpCmdData), "rbtCmdR5180");
  rbtCmdKVQ->setChecked(true);
  auto* dataGrid = new QGridLayout(grpCmdData);
  dataGrid->addWidget(cmbCmdData, 0, 0, 1, 4);
  dataGrid->addWidget(btnCmdSendData, 0, 4);
  dataGrid->addWidget(btnCmdGetData, 0, 5);
  dataGrid->addWidget(ckbCmdDataCRC, 1, 0);
  dataGrid->addWidget(edtCmdCRC, 1, 1);
  dataGrid->addWidget(rbtCmdCCITT, 1, 2);
  dataGrid->addWidget(rbtCmdKVQ, 1, 3);
  dataGrid->addWidget(rbtCmdR5180, 1, 4);
  auto* fillRow = new QHBoxLayout;
  for (size_t i = 0; i < btnCmdFill.size(); ++i) {
    const char digit = kFillDigits[i];
    btnCmdFill[i] = new QPushButton(QString(QLatin1Char(digit)), grpCmdData);
    btnCmdFill[i]->setObjectName(QStringLiteral("btnCmdFill") + QLatin1Char(digit));
    btnCmdFill[i]->setMaximumWidth(32);
    fillRow->addWidget(btnCmdFill[i]);
    connect(btnCmdFill[i], &QPushButton::clicked, this, [this, digit] { FillData(digit); });
  }
  dataGrid->addLayout(fillRow, 2, 0, 1, 6);

  grpCmdMask = Named(new QGroupBox(QStringLiteral("Match Mask"), this), "grpCmdMask");
  cmbCmdMask = new QComboBox(grpCmdMask);
  SetUpHistoryCombo(cmbCmdMask, QStringLiteral("cmbCmdMask"));
  cmbCmdMask->setMinimumContentsLength(kDataChars);
  btnCmdSendMask = Named(new QPushButton(QStringLiteral("Send"), grpCmdMask), "btnCmdSendMask");
  btnCmdGetMask = Named(new QPushButton(QStringLiteral("Get"), grpCmdMask), "btnCmdGetMask");
  auto* maskRow = new QHBoxLayout(grpCmdMask);
  maskRow->addWidget(cmbCmdMask, 1);
  maskRow->addWidget(btnCmdSendMask);
  maskRow->addWidget(btnCmdGetMask);

  grpCmdTimeouts = Named(new QGroupBox(QStringLiteral("Timeouts"), this), "grpCmdTimeouts");
  speCmdCommandTimeout = ByteSpin(grpCmdTimeouts, "speCmdCommandTimeout", 100);
  speCmdDataTimeout = ByteSpin(grpCmdTimeouts, "speCmdDataTimeout", 220);
  speCmdRedoTimeout = ByteSpin(grpCmdTimeouts, "speCmdRedoTimeout", 5);
  speCmdReadDelay = ByteSpin(grpCmdTimeouts, "speCmdReadDelay", 109);
  speCmdRetryLimit = ByteSpin(grpCmdTimeouts, "speCmdRetryLimit", 5);
  speCmdRdRetryLimit = ByteSpin(grpCmdTimeouts, "speCmdRdRetryLimit", 3);
  btnCmdSendTimeouts =
      Named(new QPushButton(QStringLiteral("Send"), grpCmdTimeouts), "btnCmdSendTimeouts");
  btnCmdGetTimeouts =
      Named(new QPushButton(QStringLiteral("Get"), grpCmdTimeouts), "btnCmdGetTimeouts");
  auto* timeGrid = new QGridLayout(grpCmdTimeouts);
  const std::pair<const char*, QSpinBox*> timeRows[] = {
      {"Command", speCmdCommandTimeout}, {"Data (25.6us)", speCmdDataTimeout},
      {"Redo (s)", speCmdRedoTimeout},   {"Read Delay (25.6us)", speCmdReadDelay},
      {"Retry Limit", speCmdRetryLimit}, {"Read Retry Limit", speCmdRdRetryLimit}};
  int row = 0;
  for (const auto& [text, spin] : timeRows) {
    timeGrid->addWidget(new QLabel(QLatin1String(text), grpCmdTimeouts), row / 2, (row % 2) * 2);
    timeGrid->addWidget(spin, row / 2, (row % 2) * 2 + 1);
    ++row;
  }
  timeGrid->addWidget(btnCmdSendTimeouts, 3, 2);
  timeGrid->addWidget(btnCmdGetTimeouts, 3, 3);

  auto* grpRate = Named(new QGroupBox(QStringLiteral("Transmit Rate"), this), "grpCmdRate");
  speCmdPeriod_4 = ByteSpin(grpRate, "speCmdPeriod_4", 2);
  btnCmdSendAlgorithm =
      Named(new ModifierButton(QStringLiteral("Send"), grpRate), "btnCmdSendAlgorithm");
  auto* rateRow = new QHBoxLayout(grpRate);
  rateRow->addWidget(new QLabel(QStringLiteral("Period/4"), grpRate));
  rateRow->addWidget(speCmdPeriod_4);
  rateRow->addWidget(btnCmdSendAlgorithm);

  auto* grpIncoming = Named(new QGroupBox(QStringLiteral("Incoming"), this), "grpCmdIncoming");
  ckbCmdShowIncoming =
      Named(new QCheckBox(QStringLiteral("Show"), grpIncoming), "ckbCmdShowIncoming");
  memCmdIncoming = Named(new QPlainTextEdit(grpIncoming), "memCmdIncoming");
  memCmdIncoming->setReadOnly(true);
  lsbCmdTagsList = Named(new QListWidget(grpIncoming), "lsbCmdTagsList");
  auto* incomingBox = new QVBoxLayout(grpIncoming);
  incomingBox->addWidget(ckbCmdShowIncoming);
  incomingBox->addWidget(memCmdIncoming, 2);
  incomingBox->addWidget(lsbCmdTagsList, 1);
  frmResumeAdvice = new ResumeAdviceWindow(this);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Channel"), this));
  top->addWidget(cmbCmdChannel);
  top->addWidget(new QLabel(QStringLiteral("Reader ID"), this));
  top->addWidget(speCmdReaderID);
  top->addWidget(ckbRWManual);
  top->addStretch();
  auto* targetRow = new QHBoxLayout;
  targetRow->addWidget(cbxCmdTarget);
  targetRow->addWidget(ckbCmdContinuous);
  targetRow->addWidget(ckbCmdAutoSuspend);
  targetRow->addWidget(ckbCmdBeep);
  auto* buttons = new QGridLayout;
  buttons->addWidget(btnCmdLoad, 0, 0);
  buttons->addWidget(btnCmdTransmit, 0, 1);
  buttons->addWidget(btnCmdStop, 0, 2);
  buttons->addWidget(btnCmdSave, 0, 3);
  buttons->addWidget(btnCmdTxOn, 1, 0);
  buttons->addWidget(btnCmdTxOff, 1, 1);
  buttons->addWidget(btnCmdSuspend, 1, 2);
  buttons->addWidget(btnCmdResume, 1, 3);
  auto* left = new QVBoxLayout;
  left->addLayout(top);
  left->addWidget(editor);
  left->addLayout(targetRow);
  left->addLayout(buttons);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(grpCmdData);
  right->addWidget(grpCmdMask);
  right->addWidget(grpCmdTimeouts);
  right->addWidget(grpRate);
  right->addWidget(grpIncoming, 1);
  auto* page = new QHBoxLayout(this);
  page->addLayout(left);
  page->addLayout(right, 1);

  connect(cmbCmdChannel, &QComboBox::currentIndexChanged, this,
          [this](int channel) { Q_EMIT commanderChannelChanged(channel); });
  connect(ckbRWManual, &QCheckBox::toggled, this, [this](bool on) {
    SetSecondGeneration(!on);
    Q_EMIT generationToggled();
  });
  connect(ckbCmdContinuous, &QCheckBox::toggled, this, &RWCommanderPage::continuousChanged);
  connect(ckbCmdBeep, &QCheckBox::toggled, this, &RWCommanderPage::beepChanged);
  connect(editor, &CommandWordEditor::pagesChanged, this, &RWCommanderPage::pagesChanged);
  connect(editor, &CommandWordEditor::commandChanged, this,
          [this](int, const QString& name) { Q_EMIT commandNameChanged(name); });
  connect(btnCmdLoad, &QPushButton::clicked, this, &RWCommanderPage::Load);
  connect(btnCmdTransmit, &QPushButton::clicked, this, &RWCommanderPage::Transmit);
  connect(btnCmdTxOn, &QPushButton::clicked, this, [this] {
    context_.console().SendPredefinedCommand(CommanderChannel(), ReaderId(), kRfOn);
  });
  connect(btnCmdTxOff, &QPushButton::clicked, this, [this] {
    context_.console().SendPredefinedCommand(CommanderChannel(), ReaderId(), kRfOff);
  });
  connect(btnCmdStop, &QPushButton::clicked, this, [this] { Send(QStringLiteral("0023")); });
  connect(btnCmdSave, &QPushButton::clicked, this, [this] { Send(QStringLiteral("0027")); });
  connect(btnCmdSuspend, &QPushButton::clicked, this, [this] { Send(QStringLiteral("0125a0")); });
  connect(btnCmdResume, &QPushButton::clicked, this, [this] { Send(QStringLiteral("0125e0")); });
  connect(btnCmdSendData, &QPushButton::clicked, this, &RWCommanderPage::SendData);
  connect(btnCmdGetData, &QPushButton::clicked, this, [this] { Send(QStringLiteral("ff21")); });
  connect(btnCmdSendMask, &QPushButton::clicked, this, &RWCommanderPage::SendMask);
  connect(btnCmdGetMask, &QPushButton::clicked, this, [this] { Send(QStringLiteral("ff22")); });
  connect(btnCmdSendTimeouts, &QPushButton::clicked, this, &RWCommanderPage::SendTimeouts);
  connect(btnCmdGetTimeouts, &QPushButton::clicked, this, [this] { Send(QStringLiteral("ff24")); });
  connect(btnCmdSendAlgorithm, &QPushButton::clicked, this,
          [this] { SendAlgorithm(btnCmdSendAlgorithm->ShiftHeld()); });
  connect(ckbCmdDataCRC, &QCheckBox::toggled, this, &RWCommanderPage::DataCrcToggled);
  for (QRadioButton* kind : {rbtCmdCCITT, rbtCmdKVQ, rbtCmdR5180}) {
    connect(kind, &QRadioButton::toggled, this, &RWCommanderPage::UpdateDataCrc);
  }
  connect(cmbCmdData, &QComboBox::editTextChanged, this, &RWCommanderPage::UpdateDataCrc);
  connect(lsbCmdTagsList, &QListWidget::itemDoubleClicked, this, [](QListWidgetItem* item) {
    QApplication::clipboard()->setText(TagIdFromListLine(item->text()));
  });

  for (int code : {kPeriodReply, kDataReply, kMaskReply, kTimingReply}) {
    context_.commands().AddReplyRoute(code, this);
  }
  context_.spine().dispatcher.AddObserver(this);
  DataCrcToggled(false);
  SetSecondGeneration(true);
}

RWCommanderPage::~RWCommanderPage() {
  for (int code : {kPeriodReply, kDataReply, kMaskReply, kTimingReply}) {
    context_.commands().RemoveReplyRoute(code, this);
  }
  context_.spine().dispatcher.RemoveObserver(this);
}

void RWCommanderPage::LoadFromSettings(const Settings& s) {
  ckbRWManual->setChecked(s.Bool(Setting::Q2CommandManual));
  SetSecondGeneration(!ckbRWManual->isChecked());
  cmbCmdChannel->setCurrentIndex(s.Integer(Setting::Q2CommandChan));
  speCmdPeriod_4->setValue(s.Integer(Setting::Q2CommandPeriod_4));
  speCmdReaderID->setValue(s.Integer(Setting::Q2CommandReaderID));
  for (const char* name : {"cmbCmdTagID", "cmbCmdData", "cmbCmdMask"}) {
    const QStringList items = s.History(QLatin1String(name));
    if (!items.isEmpty()) SetHistoryItems(findChild<QComboBox*>(QLatin1String(name)), items);
  }
  editor->SetTagIdText(s.String(Setting::Q2CommandTagID));
  CommandWordFields f = editor->Fields();
  f.startPage = s.Integer(Setting::Q2CommandStartPage);
  f.numPages = s.Integer(Setting::Q2CommandNumPages);
  f.tamper = s.Integer(Setting::Q2CommandTamperIndex);
  f.delay = s.Integer(Setting::Q2CommandDelayIndex);
  f.txRate = s.Integer(Setting::Q2CommandTagTxRateIndex);
  f.command = s.Integer(Setting::Q2CommandCommandIndex);
  editor->SetFields(f);
  if (!editor->GeneratesCrc()) editor->SetCrc5Text(s.String(Setting::Q2CommandCRC5));
  editor->Recompute();
  ckbCmdBeep->setChecked(s.Bool(Setting::Q2CommandBeep));
  // A string typed in the first generation comes back as it was, but only
  // while it still carries the word the controls make: a stale string would
  // load a different command than the one shown.
  const QString saved = s.String(Setting::Q2CommandCommandString).toLower();
  if (!editor->SecondGeneration() && saved.left(4) == editor->CommandText().left(4)) {
    editor->SetCommandText(saved);
  }
}

void RWCommanderPage::StoreToSettings(Settings& s) const {
  const CommandWordFields f = editor->Fields();
  s.SetInteger(Setting::Q2CommandChan, cmbCmdChannel->currentIndex());
  s.SetInteger(Setting::Q2CommandPeriod_4, speCmdPeriod_4->value());
  s.SetInteger(Setting::Q2CommandReaderID, speCmdReaderID->value());
  s.SetString(Setting::Q2CommandCommandString, editor->CommandText());
  s.SetInteger(Setting::Q2CommandStartPage, f.startPage);
  s.SetInteger(Setting::Q2CommandNumPages, f.numPages);
  s.SetInteger(Setting::Q2CommandTamperIndex, f.tamper);
  s.SetInteger(Setting::Q2CommandDelayIndex, f.delay);
  s.SetInteger(Setting::Q2CommandTagTxRateIndex, f.txRate);
  s.SetInteger(Setting::Q2CommandCommandIndex, f.command);
  s.SetString(Setting::Q2CommandCRC5, editor->Crc5Text());
  s.SetString(Setting::Q2CommandTagID, editor->TagIdText());
  s.SetBool(Setting::Q2CommandBeep, ckbCmdBeep->isChecked());
  s.SetBool(Setting::Q2CommandManual, ckbRWManual->isChecked());
  s.History(QStringLiteral("cmbCmdTagID")) = editor->TagIdHistory();
  s.History(QStringLiteral("cmbCmdData")) = HistoryItems(cmbCmdData);
  s.History(QStringLiteral("cmbCmdMask")) = HistoryItems(cmbCmdMask);
}

bool RWCommanderPage::SecondGenerationChosen() const {
  return !ckbRWManual->isChecked();
}

int RWCommanderPage::CommanderChannel() const {
  return cmbCmdChannel->currentIndex();
}

int RWCommanderPage::ReaderId() const {
  return speCmdReaderID->value();
}

int RWCommanderPage::StartPage() const {
  return editor->Fields().startPage;
}

int RWCommanderPage::NumPages() const {
  return editor->Fields().numPages;
}

void RWCommanderPage::TakeTagId(const QString& hexId) {
  editor->SetTagIdText(editor->SecondGeneration() ? hexId : hexId.right(12));
}

void RWCommanderPage::SetCommanderChannel(int channel) {
  if (cmbCmdChannel->currentIndex() != channel) cmbCmdChannel->setCurrentIndex(channel);
}

void RWCommanderPage::SetPages(int startPage, int numPages) {
  editor->SetPages(startPage, numPages);
}

void RWCommanderPage::SetBeep(bool on) {
  ckbCmdBeep->setChecked(on);
}

void RWCommanderPage::SetSecondGeneration(bool on) {
  editor->SetSecondGeneration(on);
  for (QWidget* w :
       std::initializer_list<QWidget*>{grpCmdTimeouts, cbxCmdTarget, grpCmdMask, ckbCmdContinuous,
                                       ckbCmdAutoSuspend, btnCmdStop, btnCmdSave, ckbCmdBeep}) {
    w->setVisible(on);
  }
  btnCmdLoad->setText(on ? QStringLiteral("Get") : QStringLiteral("Load"));
  btnCmdTransmit->setText(on ? QStringLiteral("Send") : QStringLiteral("Transmit"));
}

void RWCommanderPage::Send(const QString& body) {
  context_.console().SendReaderCommand(CommanderChannel(), ReaderId(), body.toStdString());
}

void RWCommanderPage::SendCapturable(const QString& body) {
  context_.console().SendCapturable(CommanderChannel(), ReaderId(), body.toStdString());
}

void RWCommanderPage::Load() {
  if (editor->SecondGeneration()) {
    SendCapturable(QStringLiteral("ff20"));
    return;
  }
  const QString command = PadRight(editor->CommandText(), 16);
  editor->RememberTagId();
  SendCapturable(QStringLiteral("091500") + command);
}

void RWCommanderPage::Transmit() {
  if (!editor->SecondGeneration()) {
    SendCapturable(QStringLiteral("0016"));
    return;
  }
  const CommandWordFields f = editor->Fields();
  const auto target = static_cast<TransmitTarget>(std::max(cbxCmdTarget->currentIndex(), 0));
  if (f.command == kCmdResume && target != TransmitTarget::kImmediate && resumeAdvice_) {
    frmResumeAdvice->SetDontShowAgain(false);
    if (runAdvice_) {
      runAdvice_(*frmResumeAdvice);
    } else {
      frmResumeAdvice->exec();
    }
    if (frmResumeAdvice->DontShowAgain()) resumeAdvice_ = false;
  }
  const QString typedId = editor->TagIdText();
  const QString tagId = PadRight(typedId, 16).toLower();
  editor->SetTagIdText(PadRight(typedId, 16));
  editor->RememberTagId();
  const QString block = QString::fromStdString(context_.transmitSequence().NextBlock(
      f, target, ckbCmdContinuous->isChecked(), ckbCmdAutoSuspend->isChecked()));
  if (target == TransmitTarget::kAddressed || target == TransmitTarget::kAllTags) {
    SendCapturable(QStringLiteral("0320") + block);
  } else {
    SendCapturable(QStringLiteral("0b20") + block + tagId);
  }
}

void RWCommanderPage::SendData() {
  AddToHistory(cmbCmdData);
  QString payload;
  if (ckbCmdDataCRC->isChecked()) {
    payload = PadRight(cmbCmdData->currentText().left(kDataCharsWithCrc), kDataCharsWithCrc) +
              edtCmdCRC->text();
  } else {
    payload = PadRight(cmbCmdData->currentText(), kDataChars);
  }
  const QString prefix =
      editor->SecondGeneration() ? QStringLiteral("0821") : QStringLiteral("091501");
  SendCapturable(prefix + payload.toLower());
}

void RWCommanderPage::FillData(char digit) {
  const int width = ckbCmdDataCRC->isChecked() ? kDataCharsWithCrc : kDataChars;
  cmbCmdData->setEditText(QString(width, QLatin1Char(digit)));
  UpdateDataCrc();
  SendData();
}

void RWCommanderPage::SendMask() {
  AddToHistory(cmbCmdMask);
  Send(QStringLiteral("0822") + PadRight(cmbCmdMask->currentText(), kDataChars).toLower());
}

void RWCommanderPage::SendTimeouts() {
  QString body = QStringLiteral("0624");
  for (QSpinBox* spin : {speCmdCommandTimeout, speCmdDataTimeout, speCmdRedoTimeout,
                         speCmdReadDelay, speCmdRetryLimit, speCmdRdRetryLimit}) {
    body += Hex2(spin->value());
  }
  Send(body);
}

void RWCommanderPage::SendAlgorithm(bool readBack) {
  Send(readBack ? QStringLiteral("ff17") : QStringLiteral("0117") + Hex2(speCmdPeriod_4->value()));
}

void RWCommanderPage::UpdateDataCrc() {
  if (!ckbCmdDataCRC->isChecked()) return;
  const QString text = cmbCmdData->currentText();
  if (text.size() > kDataCharsWithCrc) {
    const QSignalBlocker block(cmbCmdData);
    cmbCmdData->setEditText(text.left(kDataCharsWithCrc));
  }
  const TagCodeCrcKind kind = rbtCmdCCITT->isChecked()   ? TagCodeCrcKind::kCcitt
                              : rbtCmdR5180->isChecked() ? TagCodeCrcKind::kR5180
                                                         : TagCodeCrcKind::kKvq;
  const uint16_t crc = TagCodeCrc(TagCodeBytes(cmbCmdData->currentText()), kind);
  edtCmdCRC->setText(QStringLiteral("%1").arg(crc, 4, 16, QLatin1Char('0')).toUpper());
}

void RWCommanderPage::DataCrcToggled(bool on) {
  for (QWidget* w :
       std::initializer_list<QWidget*>{edtCmdCRC, rbtCmdCCITT, rbtCmdKVQ, rbtCmdR5180}) {
    w->setVisible(on);
  }
  cmbCmdData->lineEdit()->setMaxLength(on ? kDataCharsWithCrc : kDataChars);
  if (on) {
    UpdateDataCrc();
  } else if (cmbCmdData->currentText().size() == kDataCharsWithCrc) {
    cmbCmdData->setEditText(cmbCmdData->currentText() + edtCmdCRC->text());
  }
}

void RWCommanderPage::AppendIncoming(const char* text, int length) {
  if (!ckbCmdShowIncoming->isChecked() || !isVisible()) return;
  for (int i = 0; i < length; ++i) {
    const char c = text[i];
    if (c == '\r') continue;
    if (c != '\n') {
      partialLine_ += QLatin1Char(c);
      continue;
    }
    // The memo's last block holds the line in progress; LF finishes it.
    QTextDocument* doc = memCmdIncoming->document();
    QTextCursor cursor(doc->lastBlock());
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.insertText(partialLine_);
    cursor.insertBlock();
    partialLine_.clear();
  }
  if (!partialLine_.isEmpty()) {
    QTextCursor cursor(memCmdIncoming->document()->lastBlock());
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.insertText(partialLine_);
    partialLine_.clear();
  }
  QTextDocument* doc = memCmdIncoming->document();
  if (doc->blockCount() - 1 > kMemoMaxLines) {
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, kMemoTrimLines);
    cursor.removeSelectedText();
  }
}

void RWCommanderPage::ObserveMessage(int channel, const char* text, int length) {
  if (channel != CommanderChannel()) return;
  AppendIncoming(text, length);
  AppendIncoming("\n", 1);
}

void RWCommanderPage::AddTagLine(const QString& line) {
  lsbCmdTagsList->addItem(line);
}

QString RWCommanderPage::TagIdFromListLine(const QString& line) {
  const QStringList bytes = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  QString id;
  for (int i = 0; i < std::min<qsizetype>(8, bytes.size()); ++i) id += bytes[i];
  return id;
}

void RWCommanderPage::TakeReply(const ReplyView& reply) {
  const QString hex = QString::fromLatin1(reply.data, 2 * reply.dataLength);
  switch (reply.code) {
    case kPeriodReply:
      if (reply.dataLength >= 1) speCmdPeriod_4->setValue(hex.left(2).toInt(nullptr, 16));
      break;
    case kDataReply:
    case kMaskReply:
      if (reply.length >= 11) {
        QComboBox* box = reply.code == kDataReply ? cmbCmdData : cmbCmdMask;
        box->setEditText(QString::fromLatin1(reply.text + 8, std::min(16, reply.length - 8)));
      }
      break;
    case kTimingReply: {
      QSpinBox* spins[] = {speCmdCommandTimeout, speCmdDataTimeout, speCmdRedoTimeout,
                           speCmdReadDelay,      speCmdRetryLimit,  speCmdRdRetryLimit};
      for (int i = 0; i < 6 && i < reply.dataLength; ++i) {
        spins[i]->setValue(hex.mid(2 * i, 2).toInt(nullptr, 16));
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace corvalis
