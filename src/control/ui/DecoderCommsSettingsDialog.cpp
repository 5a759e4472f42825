#include "control/ui/DecoderCommsSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace corvalis {

DecoderCommsSettingsDialog::DecoderCommsSettingsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("dlgDecoderCommsSettings"));
  setWindowTitle(QStringLiteral("Decoder Comms Settings"));
  setModal(true);
  cmbBaudRate = new QComboBox(this);
  cmbBaudRate->setObjectName(QStringLiteral("cmbBaudRate"));
  cmbBaudRate->addItems({"4800", "9600", "19200", "38400", "57600", "115200"});
  cmbFlowCtrl = new QComboBox(this);
  cmbFlowCtrl->setObjectName(QStringLiteral("cmbFlowCtrl"));
  cmbFlowCtrl->addItems({"None", "DTR", "Xon/Xoff"});
  ckbASCII = new QCheckBox(QStringLiteral("ASCII"), this);
  ckbASCII->setObjectName(QStringLiteral("ckbASCII"));

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("BAUDRATE"), cmbBaudRate);
  form->addRow(QStringLiteral("FLOW CTRL"), cmbFlowCtrl);
  form->addRow(QString(), ckbASCII);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  SetChoice(DecoderCommsChoice{});
}

void DecoderCommsSettingsDialog::SetChoice(const DecoderCommsChoice& choice) {
  cmbBaudRate->setCurrentIndex(choice.baudItem);
  cmbFlowCtrl->setCurrentIndex(choice.flowItem);
  ckbASCII->setChecked(choice.ascii);
}

DecoderCommsChoice DecoderCommsSettingsDialog::Choice() const {
  DecoderCommsChoice choice;
  choice.ascii = ckbASCII->isChecked();
  choice.baudItem = std::max(cmbBaudRate->currentIndex(), 0);
  choice.flowItem = std::max(cmbFlowCtrl->currentIndex(), 0);
  return choice;
}

}  // namespace corvalis
