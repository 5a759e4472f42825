#include "tagrw/ui/TtoConfigDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/ui/Named.h"

namespace corvalis {
namespace {

QComboBox* List(const char* name, std::initializer_list<const char*> items) {
  auto* box = Named(new QComboBox, name);
  for (const char* item : items) box->addItem(QString::fromLatin1(item));
  return box;
}

QSpinBox* Spin(const char* name, int maximum) {
  auto* spin = Named(new QSpinBox, name);
  spin->setRange(0, maximum);
  return spin;
}

}  // namespace

TtoConfigDialog::TtoConfigDialog(QWidget* parent)
    : QDialog(parent),
      speTrim(Spin("speTrim", 255)),
      lblTrimHexValue(Named(new QLabel, "lblTrimHexValue")),
      cbxCmdTamper(List("cbxCmdTamper", {"Dis", "Dis", "NO", "NC"})),
      cbxCmdDelay(List("cbxCmdDelay", {"1k", "4k", "16k", "64k"})),
      cbxCmdTagTxRate(List("cbxCmdTagTxRate", {"256k", "128k", "64k", "32k"})),
      speTTOStartPage(Spin("speTTOStartPage", 15)),
      speTTONumPages(Spin("speTTONumPages", 15)),
      ckbShift(Named(new QCheckBox(QStringLiteral("Shift")), "ckbShift")),
      rbtKVQ(Named(new QRadioButton(QStringLiteral("KVQ")), "rbtKVQ")),
      rbtR5180(Named(new QRadioButton(QStringLiteral("R5180")), "rbtR5180")),
      rbtCCITT(Named(new QRadioButton(QStringLiteral("CCITT")), "rbtCCITT")) {
  setObjectName(QStringLiteral("dlgQ2TTOConfig"));
  setWindowTitle(QStringLiteral("Q2-TTO Configuration settings"));
  setModal(true);

  auto* config = new QGroupBox(QStringLiteral("Configuration"));
  auto* form = new QFormLayout(config);
  auto* trimRow = new QHBoxLayout;
  trimRow->addWidget(speTrim);
  trimRow->addWidget(lblTrimHexValue);
  form->addRow(QStringLiteral("Trim"), trimRow);
  form->addRow(QStringLiteral("Tamper"), cbxCmdTamper);
  form->addRow(QStringLiteral("Delay"), cbxCmdDelay);
  form->addRow(QStringLiteral("Tx Rate"), cbxCmdTagTxRate);
  form->addRow(QStringLiteral("First TTO page"), speTTOStartPage);
  form->addRow(QStringLiteral("TTO pages"), speTTONumPages);

  auto* locks = new QGroupBox(QStringLiteral("Lock Pages"));
  auto* lockGrid = new QGridLayout(locks);
  for (int n = 0; n < 16; ++n) {
    ckbLock[static_cast<size_t>(n)] =
        Named(new QCheckBox(QString::number(n)), QStringLiteral("ckbLock%1").arg(n));
    lockGrid->addWidget(ckbLock[static_cast<size_t>(n)], n / 8, n % 8);
  }

  auto* crc = new QGroupBox(QStringLiteral("Page CRC"));
  auto* crcRow = new QHBoxLayout(crc);
  crcRow->addWidget(ckbShift);
  crcRow->addWidget(rbtKVQ);
  crcRow->addWidget(rbtR5180);
  crcRow->addWidget(rbtCCITT);
  rbtKVQ->setChecked(true);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOK"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* top = new QVBoxLayout(this);
  top->addWidget(config);
  top->addWidget(locks);
  top->addWidget(crc);
  top->addWidget(buttons);

  connect(speTrim, &QSpinBox::valueChanged, this, [this](int value) {
    lblTrimHexValue->setText(QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')));
  });
  TakeApart(kDefaultTtoConfig);
}

void TtoConfigDialog::TakeApart(std::string_view page) {
  const auto parsed = ParseTtoConfig(page);
  if (!parsed) return;
  speTrim->setValue(parsed->trim);
  lblTrimHexValue->setText(QStringLiteral("%1").arg(parsed->trim, 2, 16, QLatin1Char('0')));
  cbxCmdTamper->setCurrentIndex(parsed->tamper);
  cbxCmdDelay->setCurrentIndex(parsed->delay);
  cbxCmdTagTxRate->setCurrentIndex(parsed->txRate);
  speTTOStartPage->setValue(parsed->startPage);
  speTTONumPages->setValue(parsed->numPages);
  for (int n = 0; n < 16; ++n)
    ckbLock[static_cast<size_t>(n)]->setChecked((parsed->lockMask >> n & 1) != 0);
}

std::string TtoConfigDialog::Compose() const {
  TtoConfig c;
  c.trim = speTrim->value();
  c.tamper = cbxCmdTamper->currentIndex();
  c.delay = cbxCmdDelay->currentIndex();
  c.txRate = cbxCmdTagTxRate->currentIndex();
  c.startPage = speTTOStartPage->value();
  c.numPages = speTTONumPages->value();
  c.lockMask = 0;
  for (int n = 0; n < 16; ++n)
    if (ckbLock[static_cast<size_t>(n)]->isChecked())
      c.lockMask = static_cast<uint16_t>(c.lockMask | 1u << n);
  return ComposeTtoConfig(c);
}

void TtoConfigDialog::SetCrcChoice(const PageCrcChoice& choice) {
  ckbShift->setChecked(choice.shift);
  (choice.ccitt ? rbtCCITT : choice.kvq ? rbtKVQ : rbtR5180)->setChecked(true);
}

PageCrcChoice TtoConfigDialog::CrcChoice() const {
  PageCrcChoice choice;
  choice.shift = ckbShift->isChecked();
  choice.kvq = rbtKVQ->isChecked();
  choice.ccitt = rbtCCITT->isChecked();
  return choice;
}

}  // namespace corvalis
