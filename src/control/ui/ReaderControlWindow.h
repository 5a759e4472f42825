#pragma once

#include <QWidget>

#include <array>
#include <functional>

#include "control/CommandConsole.h"
#include "control/ReaderConfigBodies.h"
#include "control/ReaderControlBodies.h"
#include "protocol/RawDataMonitor.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;

namespace corvalis {

class AppContext;
class ModifierButton;

// The reader control panel ("Reader Control"): the reader's command buttons
// and its configuration groups, each on the panel's own channel and reader
// ID, which the window keeps equal to the main ones. Shift on a button, or a
// double-click on a group, sends the read-back ("ff" + code) where there is
// one. Its memo is the command sender's information memo.
class ReaderControlWindow final : public QWidget, public TextMemo {
  Q_OBJECT

 public:
  explicit ReaderControlWindow(AppContext& context, QWidget* parent = nullptr);
  ~ReaderControlWindow() override;

  int Channel() const;
  int ReaderId() const;
  QComboBox* ChannelControl() const { return cmbSendChannel; }
  QSpinBox* ReaderIdControl() const { return speReaderID; }

  // A refused typed value is reported here; by default in a warning box.
  void SetMessageSink(std::function<void(const QString&)> sink) { showMessage_ = std::move(sink); }

  // The menu's presets and sends go through the panel's controls.
  void ApplyFormatPreset(FormatPreset preset);
  // "[Message Format]" Send to `channel`: false (nothing sent) when a field
  // is refused.
  bool SendMessageFormat(int channel, int readerId);
  void ShowTagBaud(int code);
  void ShowMessageMode(int mode);
  void ShowEventTimeout(int seconds);
  void ShowCommsChoice(const DecoderCommsChoice& choice);

  // TextMemo: the information memo.
  int LineCount() const override;
  void RemoveOldestLines(int count) override;
  void AppendLine(std::string_view line) override;

 Q_SIGNALS:
  // The pop-up "Hide": both panels go and ShowControlPanel is cleared.
  void hideRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QWidget* BuildButtons();
  QGroupBox* BuildComms();
  QGroupBox* BuildFormat();
  QGroupBox* BuildTagBaud();
  QGroupBox* BuildMessageMode();
  QGroupBox* BuildWiegand();
  QGroupBox* BuildSetId();
  ModifierButton* Button(const char* name, const char* caption, ReaderButton button);
  ModifierButton* IndexButton(const char* name, const char* caption, int index,
                              int shiftReaderOffset = 0);
  void SendBody(const std::string& body);
  void SendIndex(int index, int readerIdOffset = 0);
  void CommsEdited();
  MessageFormatFields FormatFields() const;
  void ShowFormatFields(const MessageFormatFields& fields);
  void Refuse(const QString& text);
  void WatchDoubleClick(QGroupBox* group, ReaderButton readBack);

  AppContext& context_;
  QComboBox* cmbSendChannel;
  QSpinBox* speReaderID;
  QCheckBox* ckbCommsASCII;
  QComboBox* cmbCommsBaud;
  QComboBox* cmbCommsFlow;
  std::array<QCheckBox*, 8> fieldFlags_{};  // "Rdr ID" .. "TTO"
  std::array<QCheckBox*, 8> idBytes_{};     // ckbMfmtB0 .. ckbMfmtB7
  std::array<QLineEdit*, 7> formatEdits_{};
  std::array<QCheckBox*, 5> extraFlags_{};  // "Line #", 1 ms, ms Timing, msT period, msT Raw
  std::array<QRadioButton*, 4> tagBaud_{};
  QButtonGroup* tagBaudGroup_;
  QComboBox* cmbMessageMode;
  QSpinBox* speTagModeEventTime;
  QComboBox* cmbWiegandTpw;
  QComboBox* cmbWiegandTpi;
  QSpinBox* speWiegandInterval;
  QCheckBox* ckbWiegandTransmit;
  QCheckBox* ckbWiegand26Bit;
  QSpinBox* speSetID;
  QPlainTextEdit* memInfo;
  QMenu* popup_;
  std::vector<std::pair<QGroupBox*, ReaderButton>> doubleClickGroups_;
  std::function<void(const QString&)> showMessage_;
  bool showingComms_ = false;
};

}  // namespace corvalis
