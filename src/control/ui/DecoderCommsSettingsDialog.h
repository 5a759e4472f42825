#pragma once

#include <QDialog>

#include "control/CommandConsole.h"

class QCheckBox;
class QComboBox;

namespace corvalis {

// "Decoder Comms Settings": the reader's serial settings that "Set
// Configuration ..." sends.
class DecoderCommsSettingsDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit DecoderCommsSettingsDialog(QWidget* parent = nullptr);

  void SetChoice(const DecoderCommsChoice& choice);
  DecoderCommsChoice Choice() const;

 private:
  QComboBox* cmbBaudRate;
  QComboBox* cmbFlowCtrl;
  QCheckBox* ckbASCII;
};

}  // namespace corvalis
