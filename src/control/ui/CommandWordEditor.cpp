#include "control/ui/CommandWordEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

#include "control/ui/HistoryCombo.h"

namespace corvalis {
namespace {

constexpr int kTagIdFirstGen = 12;
constexpr int kTagIdSecondGen = 16;
constexpr int kCommandStringChars = 16;

template <typename T>
T* Named(T* widget, const QString& prefix, const char* kind, const char* role) {
  widget->setObjectName(QLatin1String(kind) + prefix + QLatin1String(role));
  return widget;
}

QString SignedRed(bool red) {
  return red ? QStringLiteral("color: red;") : QString();
}

}  // namespace

CommandWordEditor::CommandWordEditor(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
  const QString p = kind == Kind::kCommander ? QStringLiteral("Cmd") : QStringLiteral("TC");
  setObjectName(QStringLiteral("CommandWordEditor") + p);
  speCommand = Named(new QSpinBox(this), p, "spe", "Command");
  speCommand->setRange(0, kSecondGenCommands - 1);
  speCommand->setValue(kCmdRead);
  cmbCommand = Named(new QComboBox(this), p, "cmb", "Command");
  speStartPage = Named(new QSpinBox(this), p, "spe", "StartPage");
  speStartPage->setRange(0, 15);
  speNumPages = Named(new QSpinBox(this), p, "spe", "NumPages");
  speNumPages->setRange(0, 15);
  cbxTamper = Named(new QComboBox(this), p, "cbx", "Tamper");
  if (kind == Kind::kCommander) {
    cbxTamper->addItems({"Dis", "EXT", "NO", "NC"});
  } else {
    cbxTamper->addItems({"Dis", "Illegal", "NO", "NC"});
  }
  cbxDelay = Named(new QComboBox(this), p, "cbx", "Delay");
  cbxDelay->addItems({"1k", "4k", "16k", "64k"});
  cbxTagTxRate = Named(new QComboBox(this), p, "cbx", "TagTxRate");
  cbxTagTxRate->addItems({"256k", "128k", "64k", "32k"});
  ckbTotal = Named(new QCheckBox(QStringLiteral("TOTAL"), this), p, "ckb", "Total");
  ckbPPE = Named(new QCheckBox(QStringLiteral("PPE"), this), p, "ckb", "PPE");
  ckbScramble = Named(new QCheckBox(QStringLiteral("Scramble"), this), p, "ckb", "Scramble");
  ckbConcat = Named(new QCheckBox(QStringLiteral("Concat"), this), p, "ckb", "Concat");
  ckbGlobal = Named(new QCheckBox(QStringLiteral("Global"), this), p, "ckb", "Global");
  ckbEcho = Named(new QCheckBox(QStringLiteral("Echo"), this), p, "ckb", "Echo");
  ckbLock = Named(new QCheckBox(QStringLiteral("Lock"), this), p, "ckb", "Lock");
  ckbConfig = Named(new QCheckBox(QStringLiteral("Config"), this), p, "ckb", "Config");
  ckbGenerateCRC =
      Named(new QCheckBox(QStringLiteral("Generate CRC"), this), p, "ckb", "GenerateCRC");
  ckbGenerateCRC->setChecked(true);
  ckbGenerateCRC->setAutoFillBackground(true);
  edtCRC5 = Named(new QLineEdit(QStringLiteral("0x00"), this), p, "edt", "CRC5");
  edtCRC5->setMaxLength(6);
  cmbTagID = new QComboBox(this);
  SetUpHistoryCombo(cmbTagID, QStringLiteral("cmb") + p + QStringLiteral("TagID"));
  cmbTagID->setEditText(QStringLiteral("0000000000000000"));
  cmbTagID->setMinimumContentsLength(kTagIdSecondGen);
  edtCommandString = Named(new QLineEdit(this), p, "edt", "CommandString");
  edtCommandString->setMaxLength(kCommandStringChars);
  lblCommand = Named(new QLabel(this), p, "lbl", "Command");
  FillCommandNames();

  auto* grid = new QGridLayout(this);
  auto label = [this](const char* text) { return new QLabel(QLatin1String(text), this); };
  grid->addWidget(label("Command"), 0, 0);
  grid->addWidget(speCommand, 0, 1);
  grid->addWidget(cmbCommand, 0, 2, 1, 2);
  QLabel* startLabel = label("Start Page");
  QLabel* numLabel = label("Num Pages");
  grid->addWidget(startLabel, 1, 0);
  grid->addWidget(speStartPage, 1, 1);
  grid->addWidget(numLabel, 1, 2);
  grid->addWidget(speNumPages, 1, 3);
  QLabel* tamperLabel = label("Tamper");
  grid->addWidget(tamperLabel, 2, 0);
  grid->addWidget(cbxTamper, 2, 1);
  QLabel* delayLabel = label("Delay");
  QLabel* rateLabel = label("Tag Tx Rate");
  grid->addWidget(delayLabel, 3, 0);
  grid->addWidget(cbxDelay, 3, 1);
  grid->addWidget(rateLabel, 3, 2);
  grid->addWidget(cbxTagTxRate, 3, 3);
  grid->addWidget(ckbTotal, 4, 0);
  grid->addWidget(ckbPPE, 4, 1);
  grid->addWidget(ckbScramble, 5, 0);
  grid->addWidget(ckbConcat, 5, 1);
  grid->addWidget(ckbGlobal, 5, 2);
  grid->addWidget(ckbEcho, 6, 0);
  grid->addWidget(ckbLock, 6, 1);
  grid->addWidget(ckbConfig, 6, 2);
  grid->addWidget(ckbGenerateCRC, 7, 0, 1, 2);
  grid->addWidget(label("CRC-5"), 7, 2);
  grid->addWidget(edtCRC5, 7, 3);
  grid->addWidget(label("Tag ID"), 8, 0);
  grid->addWidget(cmbTagID, 8, 1, 1, 3);
  grid->addWidget(label("Command String"), 9, 0);
  grid->addWidget(edtCommandString, 9, 1, 1, 3);
  grid->addWidget(lblCommand, 10, 0, 1, 4);
  pageWidgets_ = {startLabel, speStartPage, numLabel, speNumPages};
  configWidgets_ = {tamperLabel, cbxTamper};
  plainWidgets_ = {delayLabel, cbxDelay, rateLabel, cbxTagTxRate, ckbTotal, ckbPPE};
  extWidgets_ = {ckbScramble, ckbConcat, ckbGlobal, ckbEcho, ckbLock, ckbConfig};

  constexpr int kKeep = -1;
  connect(speCommand, &QSpinBox::valueChanged, this, [this] { Changed(kKeep, false); });
  connect(cmbCommand, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (busy_ || index < 0) return;
    SetCommand(index);
  });
  const int pageCommand = kind == Kind::kConfigureTag ? kCmdTto : kKeep;
  const int configCommand = kind == Kind::kConfigureTag ? kCmdConfig : kKeep;
  const bool forceExt = kind == Kind::kConfigureTag;
  for (QSpinBox* spin : {speStartPage, speNumPages}) {
    connect(spin, &QSpinBox::valueChanged, this, [this, pageCommand] {
      Changed(pageCommand, false);
      Q_EMIT pagesChanged(speStartPage->value(), speNumPages->value());
    });
  }
  for (QComboBox* combo : {cbxTamper, cbxDelay, cbxTagTxRate}) {
    connect(combo, &QComboBox::currentIndexChanged, this,
            [this, configCommand] { Changed(configCommand, false); });
  }
  for (QCheckBox* box : {ckbTotal, ckbPPE}) {
    connect(box, &QCheckBox::toggled, this,
            [this, configCommand] { Changed(configCommand, false); });
  }
  for (QCheckBox* box : {ckbScramble, ckbConcat, ckbGlobal, ckbEcho, ckbLock, ckbConfig}) {
    connect(box, &QCheckBox::toggled, this,
            [this, configCommand, forceExt] { Changed(configCommand, forceExt); });
  }
  connect(ckbGenerateCRC, &QCheckBox::toggled, this, [this] { Changed(kKeep, false); });
  connect(edtCRC5, &QLineEdit::textEdited, this, [this] { Changed(kKeep, false); });
  connect(cmbTagID, &QComboBox::editTextChanged, this, [this] { Changed(kKeep, false); });
  connect(edtCommandString, &QLineEdit::textChanged, this,
          [this](const QString& text) { ShowCommandString(text); });
  Recompute();
}

void CommandWordEditor::FillCommandNames() {
  const QSignalBlocker block(cmbCommand);
  const int count = secondGeneration_ ? kSecondGenCommands : kFirstGenCommands;
  while (cmbCommand->count() > count) cmbCommand->removeItem(cmbCommand->count() - 1);
  for (int i = cmbCommand->count(); i < count; ++i) {
    cmbCommand->addItem(QLatin1String(TagCommandName(i)));
  }
  cmbCommand->setCurrentIndex(speCommand->value());
}

CommandWordFields CommandWordEditor::Fields() const {
  CommandWordFields f;
  f.command = speCommand->value();
  f.startPage = speStartPage->value();
  f.numPages = speNumPages->value();
  f.tamper = std::max(cbxTamper->currentIndex(), 0);
  f.delay = std::max(cbxDelay->currentIndex(), 0);
  f.txRate = std::max(cbxTagTxRate->currentIndex(), 0);
  f.total = ckbTotal->isChecked();
  f.ppe = ckbPPE->isChecked();
  f.scramble = ckbScramble->isChecked();
  f.concat = ckbConcat->isChecked();
  f.global = ckbGlobal->isChecked();
  f.echo = ckbEcho->isChecked();
  f.lock = ckbLock->isChecked();
  f.config = ckbConfig->isChecked();
  return f;
}

int CommandWordEditor::Crc5() const {
  const CommandWordFields f = Fields();
  if (ckbGenerateCRC->isChecked()) return CommandCrc5(f.command, FieldA(f), FieldB(f));
  return ParseCrc5Text(edtCRC5->text().toStdString());
}

uint16_t CommandWordEditor::Word() const {
  return CommandWord(Fields(), Crc5());
}

QString CommandWordEditor::CommandText() const {
  return edtCommandString->text();
}

void CommandWordEditor::SetCommandText(const QString& text) {
  edtCommandString->setText(text);
}

bool CommandWordEditor::GeneratesCrc() const {
  return ckbGenerateCRC->isChecked();
}

QString CommandWordEditor::Crc5Text() const {
  return edtCRC5->text();
}

void CommandWordEditor::SetCrc5Text(const QString& text) {
  edtCRC5->setText(text);
}

QString CommandWordEditor::TagIdText() const {
  return cmbTagID->currentText();
}

void CommandWordEditor::SetTagIdText(const QString& text) {
  cmbTagID->setEditText(text);
}

void CommandWordEditor::RememberTagId() {
  AddToHistory(cmbTagID);
}

QStringList CommandWordEditor::TagIdHistory() const {
  return HistoryItems(cmbTagID);
}

void CommandWordEditor::SetCommand(int command) {
  speCommand->setValue(command);
}

void CommandWordEditor::SetPages(int startPage, int numPages) {
  if (speStartPage->value() == startPage && speNumPages->value() == numPages) return;
  const bool wasBusy = busy_;
  busy_ = true;  // a mirror only shows the pages; it does not change the command
  speStartPage->setValue(startPage);
  speNumPages->setValue(numPages);
  busy_ = wasBusy;
  Recompute();
}

void CommandWordEditor::SetFields(const CommandWordFields& f) {
  const bool wasBusy = busy_;
  busy_ = true;
  speCommand->setValue(f.command);
  speStartPage->setValue(f.startPage);
  speNumPages->setValue(f.numPages);
  cbxTamper->setCurrentIndex(f.tamper);
  cbxDelay->setCurrentIndex(f.delay);
  cbxTagTxRate->setCurrentIndex(f.txRate);
  ckbTotal->setChecked(f.total);
  ckbPPE->setChecked(f.ppe);
  ckbScramble->setChecked(f.scramble);
  ckbConcat->setChecked(f.concat);
  ckbGlobal->setChecked(f.global);
  ckbEcho->setChecked(f.echo);
  ckbLock->setChecked(f.lock);
  ckbConfig->setChecked(f.config);
  busy_ = wasBusy;
  Recompute();
}

void CommandWordEditor::CopyFrom(const CommandWordEditor& other) {
  const bool wasBusy = busy_;
  busy_ = true;
  ckbGenerateCRC->setChecked(other.ckbGenerateCRC->isChecked());
  edtCRC5->setText(other.edtCRC5->text());
  SetHistoryItems(cmbTagID, HistoryItems(other.cmbTagID));
  cmbTagID->setEditText(other.cmbTagID->currentText());
  busy_ = wasBusy;
  SetFields(other.Fields());
}

void CommandWordEditor::CopyOptionsFrom(const CommandWordEditor& other) {
  CommandWordFields fields = other.Fields();
  fields.command = speCommand->value();
  SetFields(fields);
}

void CommandWordEditor::SetSecondGeneration(bool on) {
  secondGeneration_ = on;
  const bool wasBusy = busy_;
  busy_ = true;
  speCommand->setMaximum(on ? kSecondGenCommands - 1 : kFirstGenCommands - 1);
  FillCommandNames();
  const QString tag = cmbTagID->currentText();
  cmbTagID->lineEdit()->setMaxLength(on ? kTagIdSecondGen : kTagIdFirstGen);
  if (!on && tag.size() > kTagIdFirstGen) cmbTagID->setEditText(tag.right(kTagIdFirstGen));
  edtCommandString->setReadOnly(on);
  busy_ = wasBusy;
  Recompute();
}

void CommandWordEditor::Changed(int forceCommand, bool forceExt) {
  if (busy_) return;
  busy_ = true;
  if (forceCommand >= 0) speCommand->setValue(forceCommand);
  if (forceExt) cbxTamper->setCurrentIndex(kTamperExt);
  busy_ = false;
  Recompute();
}

void CommandWordEditor::Recompute() {
  if (busy_) return;
  busy_ = true;
  const int command = speCommand->value();
  cmbCommand->setCurrentIndex(command);
  const int crc = Crc5();
  const bool generate = ckbGenerateCRC->isChecked();
  if (generate) edtCRC5->setText(QString::fromStdString(FormatCrc5(crc)));
  edtCRC5->setReadOnly(generate);
  edtCRC5->setStyleSheet(SignedRed(!generate && crc >= 32));
  ckbGenerateCRC->setStyleSheet(generate ? QString()
                                         : QStringLiteral("background-color: red; color: blue;"));
  const std::string text =
      CommandString(Word(), cmbTagID->currentText().toStdString(), secondGeneration_);
  edtCommandString->setText(QString::fromStdString(text));
  UpdateVisibility();
  busy_ = false;
  Q_EMIT commandChanged(command, cmbCommand->currentText());
}

void CommandWordEditor::ShowCommandString(const QString& text) {
  const QString lower = text.toLower();
  if (lower != text) {
    const int cursor = edtCommandString->cursorPosition();
    const QSignalBlocker block(edtCommandString);
    edtCommandString->setText(lower);
    edtCommandString->setCursorPosition(cursor);
  }
  lblCommand->setText(QStringLiteral("Cmd ") + lower);
}

void CommandWordEditor::UpdateVisibility() {
  const bool config = speCommand->value() == kCmdConfig;
  const bool ext = config && cbxTamper->currentIndex() == kTamperExt;
  for (QWidget* w : pageWidgets_) w->setVisible(!config);
  for (QWidget* w : configWidgets_) w->setVisible(config);
  for (QWidget* w : plainWidgets_) w->setVisible(config && !ext);
  for (QWidget* w : extWidgets_) w->setVisible(ext);
}

}  // namespace corvalis
