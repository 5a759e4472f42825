#pragma once

#include <QDialog>

#include "channels/ChannelSettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QStackedWidget;
class QWidget;

namespace corvalis {

class ChannelSet;

// "Comm Port Settings": one channel's transport, serial line settings and TCP
// peer. Shows values; applying them is the channel set's part.
class CommPortSettingsDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit CommPortSettingsDialog(QWidget* parent = nullptr);

  // Fills the controls from `settings`; `ports` becomes the device list.
  void ShowValues(const ChannelSettings& settings, const QStringList& ports);
  // The controls' values; keys the dialog does not show keep `base`'s value.
  ChannelSettings Values(const ChannelSettings& base) const;

  // Shows the dialog modally for `channel`; OK applies, Cancel changes nothing.
  static bool Edit(QWidget* parent, ChannelSet& channels, int channel);

  // OK: refused while the TCP page shows an empty or malformed address.
  void accept() override;

 private:
  void ShowPage();

  QRadioButton* rbtPort;
  QRadioButton* rbtTCP;
  QStackedWidget* pgcTransport;
  QWidget* tbsPort;
  QWidget* tbsTCP;
  QComboBox* cmbDeviceName;
  QComboBox* cmbBaudRate;
  QComboBox* cmbDataBits;
  QComboBox* cmbParity;
  QComboBox* cmbStopBits;
  QComboBox* cmbFlowControl;
  QCheckBox* ckbDTR;
  QCheckBox* ckbRTS;
  QLineEdit* edtIPAddress;
  QLineEdit* edtIPPort;
  QLabel* lblAddressProblem;  // why OK was refused
};

}  // namespace corvalis
