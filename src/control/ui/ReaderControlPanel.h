#pragma once

#include <QGroupBox>

#include <functional>

#include "control/CommandConsole.h"
#include "control/DeferredCommandQueue.h"

class QComboBox;
class QPushButton;
class QSpinBox;

namespace corvalis {

class AppContext;
class ModifierButton;
class Settings;
class TdlgDecoderCommsSettings;

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

  // The 100 ms tick (the main window's Timer2): the deferred queue, then the
  // automatic update.
  void Tick();

  // The send channel 0..4, or -1 with none selected.
  int SendChannel() const;
  // "&Send" / Enter: `raw` when Shift was held.
  void SendOwnText(bool raw);
  // "S&end": the chosen catalogue command.
  void SendChosenCommand();
  // Xon (0x02 instead when `shifted`) and Xoff, unframed.
  void SendXon(bool shifted);
  void SendXoff();

  // How the comms dialog is run; by default modally. Tests answer it.
  void SetDialogRunner(std::function<bool(TdlgDecoderCommsSettings&)> run) {
    runDialog_ = std::move(run);
  }

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
  TdlgDecoderCommsSettings* dlgDecoderCommsSettings;

 Q_SIGNALS:
  // The reader control panel of the configuration window shows the choice.
  void commsSettingsChosen(const corvalis::DecoderCommsChoice& choice);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ChooseCommsSettings();
  void SendFramed(const char* body);

  AppContext& context_;
  AutomaticUpdate update_;
  std::function<bool(TdlgDecoderCommsSettings&)> runDialog_;
};

}  // namespace corvalis
