#pragma once

#include <QWidget>

#include <functional>

#include "script/ScriptHost.h"
#include "script/ScriptMessageRepeat.h"
#include "script/ScriptRecorder.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace corvalis {

class AppContext;
class ScriptInterpreter;
class Settings;

// The "RT" tab: the operator's front end to the context's script
// interpreter. Its panes and boxes are the interpreter's output, its memo
// the memo source and the recorder's target.
class ScriptTab final : public QWidget,
                        public ScriptOutput,
                        public ScriptTabs,
                        private RecordedScriptMemo {
  Q_OBJECT

 public:
  using BoxSink = std::function<void(const QString& title, const QString& text)>;

  explicit ScriptTab(AppContext& context, QWidget* parent = nullptr);
  ~ScriptTab() override;

  void LoadFromSettings(const Settings& settings);
  void StoreToSettings(Settings& settings) const;
  // Message boxes go here instead (tests).
  void SetBoxSink(BoxSink sink) { boxSink_ = std::move(sink); }

  QComboBox* ChannelControl() const { return cmbRTChan; }
  QSpinBox* ReaderIdControl() const { return speRTReaderID; }
  bool Tracking() const;
  // Another tab chose a channel or reader ID: followed while tracking.
  void FollowChannel(int channel);
  void FollowReaderId(int readerId);
  // Another tab's program: memo source, the memo replaced, run from the top.
  void RunMemoScript(const QString& text);
  void StopRunningScript();
  // Another tab's generated lines, run on `channel` from the memo. The
  // operator's memo is replaced as one edit, so Undo brings it back.
  void RunGeneratedScript(int channel, const QString& text);
  bool ScriptBusy() const;

  // ScriptOutput
  void ScriptMessage(std::string_view line) override;
  void ScriptTrace(std::string_view text) override;
  void ShowBox(std::string_view title, std::string_view text) override;
  std::optional<bool> AskYesNo(std::string_view question) override;
  std::optional<std::string> AskInput(std::string_view prompt) override;
  void ScriptStateChanged() override;

  // ScriptTabs: the statements this tab answers itself.
  TabOutcome RunTabStatement(std::string_view statement, std::string_view args) override;

 Q_SIGNALS:
  // The operator chose a channel or reader ID here while tracking.
  void channelChosen(int channel);
  void readerIdChosen(int readerId);

 private:
  void BuildControls();
  void BuildInsertMenu();
  void Connect();
  void SendClicked();
  void SendOneClicked();
  void RewindClicked();
  // btnRTReopen: closes an open file, else opens the named one.
  void OpenRtFile();
  // Opens the chosen file when File is the source and none is open; false
  // when the script must not start.
  bool EnsureFileOpen();
  void FileNameEdited();
  void LoadFileIntoMemo();
  void Browse();
  void SourceClicked();
  void LoadStandardTest();
  void ClearMessages();
  void TrackToggled(bool on);
  void SetFileStatus(const QString& status);
  void ShowCurrentLine();
  void Box(const QString& title, const QString& text);

  // RecordedScriptMemo
  std::string LastLine() const override;
  void AppendLine(std::string_view line) override;
  void ReplaceLastLine(std::string_view line) override;

  AppContext& context_;
  ScriptInterpreter& interpreter_;
  BoxSink boxSink_;
  ScriptMessageRepeat repeat_;
  QString fileInUse_;
  bool fileWasOpen_ = false;
  int shownLine_ = -1;

  QRadioButton* rbtRTFile;
  QRadioButton* rbtRTMemo;
  QComboBox* cmbRTFilename;
  QPushButton* btnRTBrowse;
  QPushButton* btnRTReopen;
  QPushButton* btnRTLoad;
  QLabel* lblRTStatusCaption;
  QLabel* lblRTFileStatus;
  QPlainTextEdit* redRTCommands;
  QMenu* pmnuRTCommands;
  QLabel* lblRTStdTests;
  QComboBox* cmbRTStdTests;
  QPushButton* btnRTLoadStandardTest;
  QPushButton* btnRTSend;
  QPushButton* btnRTSendOne;
  QPushButton* btnRTRewind;
  QPushButton* btnRTResend;
  QPushButton* btnRTDone;
  QPushButton* btnRTClearM;
  QPushButton* btnRTClearO;
  QSpinBox* speRTRetryLimit;
  QCheckBox* ckbRTStopOnError;
  QCheckBox* ckbSyntaxCheck;
  QCheckBox* ckbRTRecording;
  QFrame* pnlRTTrack;
  QComboBox* cmbRTChan;
  QSpinBox* speRTReaderID;
  QCheckBox* ckbRTTrack;
  QLabel* lblRTLineNo;
  QLabel* lblRTTimerLeft;
  QLabel* lblRTLinesSent;
  QLabel* lblRTTimeouts;
  QLabel* lblRTErrors;
  QLabel* lblRTSendCount;
  QLabel* pnlRTSentMessage;
  QPlainTextEdit* memRTStatusMessages;
  QPlainTextEdit* memRTIncoming;
};

}  // namespace corvalis
