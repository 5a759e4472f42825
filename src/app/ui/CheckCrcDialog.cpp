#include "app/ui/CheckCrcDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/ui/TagCodeCrc.h"

namespace corvalis {
namespace {

const char* const kMatchProperty = "crcMatches";

QLabel* Panel(const char* name) {
  auto* panel = new QLabel;
  panel->setObjectName(QLatin1String(name));
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Sunken);
  panel->setAlignment(Qt::AlignCenter);
  panel->setAutoFillBackground(true);
  QFont mono(QStringLiteral("monospace"));
  mono.setStyleHint(QFont::Monospace);
  panel->setFont(mono);
  return panel;
}

void ShowCrc(QLabel* panel, uint16_t crc, const QString& expected) {
  const QString text = QStringLiteral("%1").arg(crc, 4, 16, QLatin1Char('0'));
  panel->setText(text);
  const bool match = expected.size() == 4 && text.compare(expected, Qt::CaseInsensitive) == 0;
  panel->setProperty(kMatchProperty, match);
  QPalette palette = panel->palette();
  // Lime for a match, else the colour of an edit field.
  palette.setColor(QPalette::Window, match ? QColor(Qt::green) : QPalette().color(QPalette::Base));
  panel->setPalette(palette);
}

}  // namespace

CheckCrcDialog::CheckCrcDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("dlgCheckCRCFrm"));
  setWindowTitle(tr("Check CRC"));
  setModal(true);

  pnlTagID = Panel("pnlTagID");
  pnlTagID->setMinimumWidth(
      pnlTagID->fontMetrics().horizontalAdvance(QString(18, QLatin1Char('0'))));
  edtTagCode = new QLineEdit;
  edtTagCode->setObjectName(QStringLiteral("edtTagCode"));
  edtTagCode->setMaxLength(kTagCodeDigits);
  edtTagCode->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,12}")), edtTagCode));
  lblCRC_KVQ = Panel("lblCRC_KVQ");
  lblCRC_R5180 = Panel("lblCRC_R5180");
  lblCRC_CCITT = Panel("lblCRC_CCITT");
  btnOK = new QPushButton(tr("OK"));
  btnOK->setObjectName(QStringLiteral("btnOK"));
  btnOK->setDefault(true);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(tr("Tag ID")), 0, 0);
  grid->addWidget(pnlTagID, 0, 1);
  grid->addWidget(new QLabel(tr("Tag code")), 1, 0);
  grid->addWidget(edtTagCode, 1, 1);
  grid->addWidget(new QLabel(tr("KVQ")), 2, 0);
  grid->addWidget(lblCRC_KVQ, 2, 1);
  grid->addWidget(new QLabel(tr("R5180")), 3, 0);
  grid->addWidget(lblCRC_R5180, 3, 1);
  grid->addWidget(new QLabel(tr("CCITT")), 4, 0);
  grid->addWidget(lblCRC_CCITT, 4, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOK);

  auto* top = new QVBoxLayout(this);
  top->addLayout(grid);
  top->addLayout(buttons);

  connect(edtTagCode, &QLineEdit::textChanged, this, &CheckCrcDialog::UpdateCrcs);
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  UpdateCrcs();
}

void CheckCrcDialog::ShowTagId(const QString& tagId) {
  pnlTagID->setText(tagId);
  QString code = tagId.left(kTagCodeDigits);
  // A cell may hold something other than an ID; keep only what the code box takes.
  int pos = 0;
  if (edtTagCode->validator()->validate(code, pos) != QValidator::Acceptable) code.clear();
  edtTagCode->setText(code.leftJustified(kTagCodeDigits, QLatin1Char('0')));
  UpdateCrcs();  // the ID changed even when the code did not
}

void CheckCrcDialog::Check(const QString& tagId) {
  ShowTagId(tagId);
  exec();
}

bool CheckCrcDialog::Matches(const QLabel* panel) {
  return panel->property(kMatchProperty).toBool();
}

void CheckCrcDialog::UpdateCrcs() {
  const TagCode code = TagCodeBytes(edtTagCode->text());
  const QString expected = pnlTagID->text().mid(kTagCodeDigits, 4);
  ShowCrc(lblCRC_KVQ, TagCodeCrc(code, TagCodeCrcKind::kKvq), expected);
  ShowCrc(lblCRC_R5180, TagCodeCrc(code, TagCodeCrcKind::kR5180), expected);
  ShowCrc(lblCRC_CCITT, TagCodeCrc(code, TagCodeCrcKind::kCcitt), expected);
}

}  // namespace corvalis
