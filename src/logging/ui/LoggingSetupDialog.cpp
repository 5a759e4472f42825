#include "logging/ui/LoggingSetupDialog.h"
#include "common/ui/Named.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "logging/TagLogWriter.h"
#include "tags/TagTableHooks.h"

namespace corvalis {
namespace {

QCheckBox* Box(const char* name, const QString& text) {
  return Named(new QCheckBox(text), name);
}

QLineEdit* TextEdit(const char* name) {
  auto* edit = Named(new QLineEdit, name);
  // The settings keep 19 characters of what is typed.
  edit->setMaxLength(kLogTextChars);
  return edit;
}

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}
std::string S(const QLineEdit* edit) {
  return edit->text().toStdString();
}

}  // namespace

LoggingSetupDialog::LoggingSetupDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("dlgLoggingSetup"));
  setWindowTitle(tr("Logging Setup"));
  setModal(true);

  speNoiseLimit = Named(new QSpinBox, "speNoiseLimit");
  speNoiseLimit->setRange(0, 1'000'000);
  edtSeparator = TextEdit("edtSeparator");
  edtDepotName = Named(new QLineEdit, "edtDepotName");
  edtTamper = TextEdit("edtTamper");
  edtNoTamper = TextEdit("edtNoTamper");
  speWaitTime = Named(new QSpinBox, "speWaitTime");
  speWaitTime->setRange(-3'600'000, 3'600'000);
  speWaitTime->setSuffix(tr(" ms"));

  ckbLogDepot = Box("ckbLogDepot", tr("Depot"));
  ckbLogSteppingNumber = Box("ckbLogSteppingNumber", tr("Stepping Number"));
  ckbLogTagID = Box("ckbLogTagID", tr("Tag ID"));
  ckbLogTagName = Box("ckbLogTagName", tr("Tag Name"));
  ckbLogTamper = Box("ckbLogTamper", tr("Tamper"));
  ckbLogFirstSeenDate = Box("ckbLogFirstSeenDate", tr("First Seen Date"));
  ckbLogFirstSeenTime = Box("ckbLogFirstSeenTime", tr("First Seen Time"));
  ckbFirstSeenIncludeMS = Box("ckbFirstSeenIncludeMS", tr("Include ms"));
  ckbLogLastSeenDate = Box("ckbLogLastSeenDate", tr("Last Seen Date"));
  ckbLogLastSeenTime = Box("ckbLogLastSeenTime", tr("Last Seen Time"));
  ckbLastSeenIncludeMS = Box("ckbLastSeenIncludeMS", tr("Include ms"));
  ckbLogChannelNumber = Box("ckbLogChannelNumber", tr("Channel Number"));
  ckbLogReaderID = Box("ckbLogReaderID", tr("Reader ID"));
  ckbLogIQCount = Box("ckbLogIQCount", tr("I + Q Count"));
  ckbLogICount = Box("ckbLogICount", tr("I Count"));
  ckbLogQCount = Box("ckbLogQCount", tr("Q Count"));
  ckbLogTTODataPages = Box("ckbLogTTODataPages", tr("TTO Data Pages"));
  speNumTTOPages = Named(new QSpinBox, "speNumTTOPages");
  speNumTTOPages->setRange(1, kMaxLogPages);
  ckbOnlyLogNamedTags = Box("ckbOnlyLogNamedTags", tr("Only Log Named Tags"));

  btnRigWatch = Named(new QPushButton(tr("RigWatch")), "btnRigWatch");
  btnStandard = Named(new QPushButton(tr("Standard")), "btnStandard");
  btnStepping = Named(new QPushButton(tr("Stepping")), "btnStepping");
  btnOK = Named(new QPushButton(tr("OK")), "btnOK");
  btnCancel = Named(new QPushButton(tr("Cancel")), "btnCancel");
  btnOK->setDefault(true);

  auto* general = new QGroupBox(tr("General"));
  auto* form = new QFormLayout(general);
  form->addRow(tr("Noise limit"), speNoiseLimit);
  form->addRow(tr("Wait time"), speWaitTime);
  form->addRow(tr("Separator"), edtSeparator);
  form->addRow(tr("Depot name"), edtDepotName);
  form->addRow(tr("Tamper text"), edtTamper);
  form->addRow(tr("No tamper text"), edtNoTamper);
  form->addRow(ckbOnlyLogNamedTags);
  auto* hint = new QLabel(tr("Separator and tamper texts accept \\t, \\r, \\n and \\\\."));
  hint->setWordWrap(true);
  form->addRow(hint);

  // Columns in the order they are written.
  auto* columns = new QGroupBox(tr("Columns"));
  auto* grid = new QGridLayout(columns);
  int row = 0;
  auto add = [&](QWidget* first, QWidget* second = nullptr) {
    grid->addWidget(first, row, 0);
    if (second != nullptr) grid->addWidget(second, row, 1);
    ++row;
  };
  add(ckbLogDepot);
  add(ckbLogSteppingNumber);
  add(ckbLogTagID);
  add(ckbLogTagName);
  add(ckbLogTamper);
  add(ckbLogFirstSeenDate);
  add(ckbLogFirstSeenTime, ckbFirstSeenIncludeMS);
  add(ckbLogLastSeenDate);
  add(ckbLogLastSeenTime, ckbLastSeenIncludeMS);
  add(ckbLogChannelNumber);
  add(ckbLogReaderID);
  add(ckbLogIQCount);
  add(ckbLogICount);
  add(ckbLogQCount);
  auto* pages = new QHBoxLayout;
  pages->addWidget(new QLabel(tr("Pages")));
  pages->addWidget(speNumTTOPages);
  pages->addStretch();
  grid->addWidget(ckbLogTTODataPages, row, 0);
  grid->addLayout(pages, row, 1);

  auto* presets = new QGroupBox(tr("Presets"));
  auto* presetRow = new QHBoxLayout(presets);
  presetRow->addWidget(btnRigWatch);
  presetRow->addWidget(btnStandard);
  presetRow->addWidget(btnStepping);

  auto* left = new QVBoxLayout;
  left->addWidget(general);
  left->addWidget(presets);
  left->addStretch();
  auto* body = new QHBoxLayout;
  body->addLayout(left);
  body->addWidget(columns);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);

  auto* top = new QVBoxLayout(this);
  top->addLayout(body);
  top->addLayout(buttons);

  connect(btnRigWatch, &QPushButton::clicked, this, [this] { ApplyPreset(LogPreset::kRigWatch); });
  connect(btnStandard, &QPushButton::clicked, this, [this] { ApplyPreset(LogPreset::kStandard); });
  connect(btnStepping, &QPushButton::clicked, this, [this] { ApplyPreset(LogPreset::kStepping); });
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ckbLogTTODataPages, &QCheckBox::toggled, speNumTTOPages, &QWidget::setEnabled);

  ShowValues(LogSettings{});
}

void LoggingSetupDialog::ShowValues(const LogSettings& s) {
  speNoiseLimit->setValue(s.noiseLimit);
  edtSeparator->setText(Q(s.loggingSeparator));
  edtDepotName->setText(Q(s.depotName));
  edtTamper->setText(Q(s.loggingTamper));
  edtNoTamper->setText(Q(s.loggingNoTamper));
  speWaitTime->setValue(s.waitTime);
  ckbLogDepot->setChecked(s.logDepot);
  ckbLogSteppingNumber->setChecked(s.logSteppingNumber);
  ckbLogTagID->setChecked(s.logTagId);
  ckbLogTagName->setChecked(s.logTagName);
  ckbLogTamper->setChecked(s.logTamper);
  ckbLogFirstSeenDate->setChecked(s.logFirstSeenDate);
  ckbLogFirstSeenTime->setChecked(s.logFirstSeenTime);
  ckbFirstSeenIncludeMS->setChecked(s.firstSeenIncludeMs);
  ckbLogLastSeenDate->setChecked(s.logLastSeenDate);
  ckbLogLastSeenTime->setChecked(s.logLastSeenTime);
  ckbLastSeenIncludeMS->setChecked(s.lastSeenIncludeMs);
  ckbLogChannelNumber->setChecked(s.logChannelNumber);
  ckbLogReaderID->setChecked(s.logReaderId);
  ckbLogIQCount->setChecked(s.logIqCount);
  ckbLogICount->setChecked(s.logICount);
  ckbLogQCount->setChecked(s.logQCount);
  ckbLogTTODataPages->setChecked(s.logTtoDataPages);
  speNumTTOPages->setValue(s.logNumTtoPages);
  speNumTTOPages->setEnabled(s.logTtoDataPages);
  ckbOnlyLogNamedTags->setChecked(s.onlyLogNamedTags);
}

LogSettings LoggingSetupDialog::Values(const LogSettings& base) const {
  LogSettings s = base;
  s.noiseLimit = speNoiseLimit->value();
  s.loggingSeparator = S(edtSeparator);
  s.depotName = S(edtDepotName);
  s.loggingTamper = S(edtTamper);
  s.loggingNoTamper = S(edtNoTamper);
  s.waitTime = WaitTimeFromBox(speWaitTime->value());
  s.logDepot = ckbLogDepot->isChecked();
  s.logSteppingNumber = ckbLogSteppingNumber->isChecked();
  s.logTagId = ckbLogTagID->isChecked();
  s.logTagName = ckbLogTagName->isChecked();
  s.logTamper = ckbLogTamper->isChecked();
  s.logFirstSeenDate = ckbLogFirstSeenDate->isChecked();
  s.logFirstSeenTime = ckbLogFirstSeenTime->isChecked();
  s.firstSeenIncludeMs = ckbFirstSeenIncludeMS->isChecked();
  s.logLastSeenDate = ckbLogLastSeenDate->isChecked();
  s.logLastSeenTime = ckbLogLastSeenTime->isChecked();
  s.lastSeenIncludeMs = ckbLastSeenIncludeMS->isChecked();
  s.logChannelNumber = ckbLogChannelNumber->isChecked();
  s.logReaderId = ckbLogReaderID->isChecked();
  s.logIqCount = ckbLogIQCount->isChecked();
  s.logICount = ckbLogICount->isChecked();
  s.logQCount = ckbLogQCount->isChecked();
  s.logTtoDataPages = ckbLogTTODataPages->isChecked();
  s.logNumTtoPages = speNumTTOPages->value();
  s.onlyLogNamedTags = ckbOnlyLogNamedTags->isChecked();
  return s;
}

void LoggingSetupDialog::ApplyPreset(LogPreset preset) {
  // The preset leaves some fields as the dialog shows them, not as stored.
  LogSettings s = Values(LogSettings{});
  s.waitTime = speWaitTime->value();
  ApplyLogPreset(s, preset);
  ShowValues(s);
}

void LoggingSetupDialog::Load(const TagLogWriter& writer, const TagTableSettings& table) {
  LogSettings s = writer.Settings();
  s.noiseLimit = table.noiseLimit;
  s.waitTime = table.waitTime;
  ShowValues(s);
}

void LoggingSetupDialog::Apply(TagLogWriter& writer, TagTableSettings& table) const {
  const LogSettings s = Values(writer.Settings());
  writer.SetSettings(s);
  table.noiseLimit = s.noiseLimit;
  table.waitTime = s.waitTime;
}

bool LoggingSetupDialog::Execute(TagLogWriter& writer, TagTableSettings& table) {
  Load(writer, table);
  if (exec() != QDialog::Accepted) return false;
  Apply(writer, table);
  return true;
}

}  // namespace corvalis
