#pragma once

#include <QGroupBox>

#include <functional>

#include "control/CommandConsole.h"

class QComboBox;
class QPushButton;
class QSpinBox;

namespace corvalis {

class AppContext;
class ModifierButton;
class Settings;
class DecoderCommsSettingsDialog;

// The Diagnostics tab's "Reader control" group: free text, the predefined
// commands, RF and auxiliary output, Xon/Xoff and the automatic status
// update, all on the send channel with `speReaderID`.
class ReaderControlPanel final : public QGroupBox {
  Q_OBJECT

 public:
  ReaderControlPanel(AppContext& context, QWidget* parent = nullptr);

  // SendChan, SendMsgIndex, ReaderID and the cmbSendOwnText history.
  void LoadFromSettings(const Settings& settings);
  void StoreToSettings(Settings& settings) const;

  // The send channel 0..4, or -1 with none selected.
  int SendChannel() const;
  void SetSendChannel(int channel);
  // The controls the window's linked selection keeps in step.
  QComboBox* ChannelControl() const { return cmbSendChannel; }
  QSpinBox* ReaderIdControl() const { return speReaderID; }
  // "&Send" / Enter: `raw` when Shift was held.
  void SendOwnText(bool raw);
  // "S&end": the chosen catalogue command.
  void SendChosenCommand();
  // Xon (0x02 instead when `shifted`) and Xoff, unframed.
  void SendXon(bool shifted);
  void SendXoff();

  // How the comms dialog is run; by default modally. Tests answer it.
  void SetDialogRunner(std::function<bool(DecoderCommsSettingsDialog&)> run) {
    runDialog_ = std::move(run);
  }

 Q_SIGNALS:
  // The reader control panel of the configuration window shows the choice.
  void commsSettingsChosen(const corvalis::DecoderCommsChoice& choice);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ChooseCommsSettings();
  void SendFramed(const char* body);
  void UpdateStatusTarget();

  AppContext& context_;
  QComboBox* cmbSendChannel;
  QComboBox* cmbSendOwnText;
  ModifierButton* btnSend;
  QComboBox* cmbMessage;
  QPushButton* btnSendCommand;
  QPushButton* btnTxOn;
  QPushButton* btnTxOff;
  QPushButton* btnAuxOn;
  QPushButton* btnAuxOff;
  ModifierButton* btnXon;
  QPushButton* btnXoff;
  QSpinBox* speUpdateInterval;
  QPushButton* btnUpdate;
  QSpinBox* speReaderID;
  DecoderCommsSettingsDialog* commsDialog_;
  std::function<bool(DecoderCommsSettingsDialog&)> runDialog_;
};

}  // namespace corvalis
