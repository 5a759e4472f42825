#pragma once

#include <QDialog>

#include "app/ChannelSettings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QStackedWidget;
class QWidget;

namespace corvalis {

class ChannelSet;

// "Comm Port Settings": one channel's transport, serial line settings and TCP
// peer. Shows values; applying them is the channel set's part.
class TSetCommDlg final : public QDialog {
  Q_OBJECT

 public:
  explicit TSetCommDlg(QWidget* parent = nullptr);

  // Fills the controls from `settings`; `ports` becomes the device list.
  void ShowValues(const ChannelSettings& settings, const QStringList& ports);
  // The controls' values; keys the dialog does not show keep `base`'s value.
  ChannelSettings Values(const ChannelSettings& base) const;

  // Shows the dialog modally for `channel`; OK applies, Cancel changes nothing.
  static bool Edit(QWidget* parent, ChannelSet& channels, int channel);

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

 private:
  void ShowPage();
};

}  // namespace corvalis
