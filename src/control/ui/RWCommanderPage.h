#pragma once

#include <QWidget>

#include <array>
#include <functional>

#include "control/CommandWord.h"
#include "protocol/CommandHooks.h"
#include "protocol/MessageDispatcher.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QLineEdit;

namespace corvalis {

class AppContext;
class CommandWordEditor;
class ModifierButton;
class Settings;
class ResumeAdviceWindow;

// The RW Commander tab page: drives a read/write controller that sends
// command words over the air, in the first ("Manual (1G)") or second
// generation. Takes the controller's read-back replies (codes 23, 33, 34,
// 36) and, while "Show" is on, the text received on the commander channel.
class RWCommanderPage final : public QWidget, private ReplyRoute, private MessageObserver {
  Q_OBJECT

 public:
  RWCommanderPage(AppContext& context, QWidget* parent = nullptr);
  ~RWCommanderPage() override;

  // The Q2Command... keys and the cmbCmdTagID, cmbCmdData, cmbCmdMask
  // histories.
  void LoadFromSettings(const Settings& settings);
  void StoreToSettings(Settings& settings) const;

  int CommanderChannel() const;
  // The command word editor, which the Configure Tag tab copies to and from.
  CommandWordEditor& Editor() { return *editor; }
  // Second generation unless "Manual (1G)" is checked.
  bool SecondGenerationChosen() const;
  int ReaderId() const;
  int StartPage() const;
  int NumPages() const;
  // The controls the window's linked selection keeps in step.
  QComboBox* ChannelControl() const { return cmbCmdChannel; }
  QSpinBox* ReaderIdControl() const { return speCmdReaderID; }

  // The buttons, for the Configure Tag tab and tests.
  void Load();      // "Load" / "Get"
  void Transmit();  // "Transmit" / "Send"
  void SendData();  // "Send" of "Data for Write operations"
  void FillData(char digit);
  void SendMask();
  void SendTimeouts();
  void SendAlgorithm(bool readBack);

  // Received text: CR dropped, LF ends a line, a partial line continues.
  void AppendIncoming(const char* text, int length);
  // A line for lsbCmdTagsList (the read/write replies fill it).
  void AddTagLine(const QString& line);
  // The double-click rule: the first eight space-separated bytes as 16 hex
  // digits.
  static QString TagIdFromListLine(const QString& line);

  // How the resume advice is shown; by default modally.
  void SetAdviceRunner(std::function<void(ResumeAdviceWindow&)> run) {
    runAdvice_ = std::move(run);
  }
  bool ResumeAdviceOn() const { return resumeAdvice_; }

 public Q_SLOTS:
  // Mirrors: the other read/write tabs' channel boxes, the RW Data page
  // controls, "Beep" with ckbMultiBeep.
  void SetCommanderChannel(int channel);
  void SetPages(int startPage, int numPages);
  void SetBeep(bool on);
  // "Copy ID to RW Commander": the tag ID box takes the ID, cut to its last
  // 12 characters in the first generation.
  void TakeTagId(const QString& hexId);

 Q_SIGNALS:
  // "Manual (1G)" was switched: the Configure Tag tab follows.
  void generationToggled();
  void commanderChannelChanged(int channel);
  void pagesChanged(int startPage, int numPages);
  void commandNameChanged(const QString& name);  // lblRWDatCommand
  void continuousChanged(bool on);               // ckbRDCont
  void beepChanged(bool on);                     // ckbMultiBeep

 private:
  CommandWordEditor* editor;  // the ...Cmd... controls
  QComboBox* cmbCmdChannel;
  QSpinBox* speCmdReaderID;
  QCheckBox* ckbRWManual;
  QComboBox* cbxCmdTarget;
  QCheckBox* ckbCmdContinuous;
  QCheckBox* ckbCmdAutoSuspend;
  QCheckBox* ckbCmdBeep;
  QPushButton* btnCmdLoad;
  QPushButton* btnCmdTransmit;
  QPushButton* btnCmdTxOn;
  QPushButton* btnCmdTxOff;
  QPushButton* btnCmdStop;
  QPushButton* btnCmdSave;
  QPushButton* btnCmdSuspend;
  QPushButton* btnCmdResume;
  QGroupBox* grpCmdData;
  QComboBox* cmbCmdData;
  QPushButton* btnCmdSendData;
  QPushButton* btnCmdGetData;
  QCheckBox* ckbCmdDataCRC;
  QLineEdit* edtCmdCRC;
  QRadioButton* rbtCmdCCITT;
  QRadioButton* rbtCmdKVQ;
  QRadioButton* rbtCmdR5180;
  std::array<QPushButton*, 6> btnCmdFill{};  // "0", "5", "7", "a", "c", "f"
  QGroupBox* grpCmdMask;
  QComboBox* cmbCmdMask;
  QPushButton* btnCmdSendMask;
  QPushButton* btnCmdGetMask;
  QGroupBox* grpCmdTimeouts;
  QSpinBox* speCmdCommandTimeout;
  QSpinBox* speCmdDataTimeout;
  QSpinBox* speCmdRedoTimeout;
  QSpinBox* speCmdReadDelay;
  QSpinBox* speCmdRetryLimit;
  QSpinBox* speCmdRdRetryLimit;
  QPushButton* btnCmdSendTimeouts;
  QPushButton* btnCmdGetTimeouts;
  QSpinBox* speCmdPeriod_4;
  ModifierButton* btnCmdSendAlgorithm;
  QCheckBox* ckbCmdShowIncoming;
  QPlainTextEdit* memCmdIncoming;
  QListWidget* lsbCmdTagsList;
  ResumeAdviceWindow* frmResumeAdvice;
  void TakeReply(const ReplyView& reply) override;
  void ObserveMessage(int channel, const char* text, int length) override;
  void SetSecondGeneration(bool on);
  void UpdateDataCrc();
  void DataCrcToggled(bool on);
  void Send(const QString& body);
  void SendCapturable(const QString& body);

  AppContext& context_;
  bool resumeAdvice_ = true;
  QString partialLine_;
  std::function<void(ResumeAdviceWindow&)> runAdvice_;
};

}  // namespace corvalis
