#include "logging/ui/TagLogControls.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "tags/TagTable.h"

namespace corvalis {

TagLogControls::TagLogControls(TagLogWriter& writer, TagTable& table, QWidget* parent)
    : QWidget(parent), writer_(writer), table_(table) {
  setObjectName(QStringLiteral("TagLogControls"));

  btnRecord = new QPushButton(tr("Record"));
  btnRecord->setObjectName(QStringLiteral("btnRecord"));
  edtNamePrefix = new QLineEdit;
  edtNamePrefix->setObjectName(QStringLiteral("edtNamePrefix"));
  edtNamePrefix->setToolTip(tr("Test name"));
  speNameSuffix = new QSpinBox;
  speNameSuffix->setObjectName(QStringLiteral("speNameSuffix"));
  speNameSuffix->setRange(0, 999);
  speNameSuffix->setToolTip(tr("Test number"));
  for (size_t i = 0; i < rbtLayout.size(); ++i) {
    rbtLayout[i] = new QRadioButton(QString::number(i + 1));
    rbtLayout[i]->setObjectName(QStringLiteral("rbt%1").arg(i + 1));
    rbtLayout[i]->setToolTip(tr("Record layout %1").arg(i + 1));
  }
  ckbClear = new QCheckBox(tr("Clear"));
  ckbClear->setObjectName(QStringLiteral("ckbClear"));
  lblNotLogging = new QLabel;
  lblNotLogging->setObjectName(QStringLiteral("lblNotLogging"));
  lblManualWarning = new QLabel(QString::fromUtf8(
      kManualWarningText.data(), static_cast<qsizetype>(kManualWarningText.size())));
  lblManualWarning->setObjectName(QStringLiteral("lblManualWarning"));
  lblManualWarning->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));

  auto* recordRow = new QHBoxLayout;
  recordRow->addWidget(btnRecord);
  recordRow->addWidget(edtNamePrefix);
  recordRow->addWidget(speNameSuffix);
  for (auto* button : rbtLayout) recordRow->addWidget(button);
  recordRow->addWidget(ckbClear);
  recordRow->addStretch();
  auto* statusRow = new QHBoxLayout;
  statusRow->addWidget(lblNotLogging);
  statusRow->addStretch();
  statusRow->addWidget(lblManualWarning);
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(0, 0, 0, 0);
  top->addLayout(recordRow);
  top->addLayout(statusRow);

  connect(btnRecord, &QPushButton::clicked, this, [this] { RecordNow(); });
  connect(edtNamePrefix, &QLineEdit::textChanged, this,
          [this](const QString& text) { writer_.Record().testName = text.toStdString(); });
  connect(speNameSuffix, &QSpinBox::valueChanged, this,
          [this](int value) { writer_.Record().testNumber = value; });
  for (size_t i = 0; i < rbtLayout.size(); ++i) {
    connect(rbtLayout[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) writer_.Record().layout = static_cast<int>(i) + 1;
    });
  }
  connect(ckbClear, &QCheckBox::toggled, this, [this](bool on) { writer_.Record().clear = on; });

  Refresh();
}

void TagLogControls::Refresh() {
  const RecordControls& record = writer_.Record();
  {
    const QSignalBlocker b1(edtNamePrefix);
    const QSignalBlocker b2(speNameSuffix);
    const QSignalBlocker b3(ckbClear);
    edtNamePrefix->setText(QString::fromStdString(record.testName));
    speNameSuffix->setValue(record.testNumber);
    ckbClear->setChecked(record.clear);
    for (size_t i = 0; i < rbtLayout.size(); ++i) {
      const QSignalBlocker b(rbtLayout[i]);
      rbtLayout[i]->setChecked(record.layout == static_cast<int>(i) + 1);
    }
  }
  const bool manual = writer_.Settings().showLogging;
  for (QWidget* w : {static_cast<QWidget*>(btnRecord), static_cast<QWidget*>(edtNamePrefix),
                     static_cast<QWidget*>(speNameSuffix), static_cast<QWidget*>(ckbClear)}) {
    w->setVisible(manual);
  }
  for (auto* button : rbtLayout) button->setVisible(manual);
  ShowWriteState();
  lblManualWarning->setVisible(writer_.ManualWarningVisible());
}

void TagLogControls::ShowWriteState() {
  const QString text = QString::fromStdString(writer_.StatusLabelText());
  if (text != lblNotLogging->text()) lblNotLogging->setText(text);
  const bool failing = writer_.IsLogging() && writer_.WriteFailing();
  if (failing != lblNotLogging->property("failing").toBool()) {
    lblNotLogging->setProperty("failing", failing);
    lblNotLogging->setStyleSheet(failing ? QStringLiteral("color: red; font-weight: bold;")
                                         : QString());
  }
}

RecordResult TagLogControls::RecordNow() {
  RecordResult result;
  {
    TagTableLock::Guard guard(table_.Lock());
    const SeenLabel label = seenLabel_ ? seenLabel_() : SeenLabel::kId;
    result = writer_.RecordTagsSeen(table_.SeenEntries(), label);
    if (result.clearTable) table_.ClearSeenTable();
  }
  Refresh();
  return result;
}

}  // namespace corvalis
