#pragma once

#include <QLabel>
#include <QWidget>
#include <functional>

#include "common/SpecialModes.h"
#include "logging/flash/FlashLogger.h"

class QButtonGroup;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QProgressDialog;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;

namespace corvalis {

class AppContext;
class FlashMemoryBar;

// A label that answers a double-click (the status, mode and clock queries).
class QueryLabel final : public QLabel {
 public:
  explicit QueryLabel(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent) {}
  std::function<void()> onDoubleClicked;

 protected:
  void mouseDoubleClickEvent(QMouseEvent*) override {
    if (onDoubleClicked) onDoubleClicked();
  }
};

// The questions and messages of the flash-log windows; tests replace them.
struct FlashPrompts {
  // OK / Cancel; true for OK.
  std::function<bool(const QString& title, const QString& text)> confirm;
  std::function<void(const QString& title, const QString& text)> inform;
  // "Save to": the chosen path, empty when cancelled.
  std::function<QString(const QString& caption)> chooseSaveFile;
  // The file-exists dialog.
  enum class Exists { kOverwrite, kAppend, kCancel };
  std::function<Exists(const QString& path)> fileExists;
};

// What both flash-log windows share: the logic, the status display with its
// memory bar, the mode and serial-number controls, the incoming memo, the
// confirmations and the receive mode that follows the window's visibility.
class FlashLogWindow : public QWidget, public FlashLogView, public SpecialModeListener {
 public:
  FlashLogWindow(AppContext& context, SpecialMode mode, QWidget* parent);
  ~FlashLogWindow() override;

  FlashLogger& Logger() { return logger_; }
  FlashPrompts& Prompts() { return prompts_; }

  // The buttons' actions, confirmations included.
  void Erase();
  void Flush();
  void Format();
  void SetSerialNumber(bool change);
  // Playback with capture; false when nothing was sent.
  bool PlayWithCapture();

  // FlashLogView
  void ShowStatus(const LoggingStatus& status, int dataLength) override;
  void ShowFormatProgress(const FormatProgress& progress, bool finished) override;
  void ShowMessage(std::string_view title, std::string_view text) override;
  void ShowMode(int mode, int timeout) override;
  void ShowSerialNumber(std::string_view serial) override;
  void ShowIncoming(std::string_view line) override;

  void SpecialModeSwitchedOff(SpecialMode mode) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Every 100 ms while shown, after the logic's tick.
  virtual void TimerTick() {}
  // "Save to" with the file-exists choices; false when cancelled.
  bool ChooseOutputFile(const QString& caption, QString& path, TextFile::Mode& mode);

  QWidget* StatusBox();
  QWidget* ModeBox();
  QWidget* SerialBox();
  QPushButton* Button(const QString& text, const char* name, std::function<void()> action);

  AppContext& context_;
  FlashLogger logger_;
  QPlainTextEdit* memIncoming;
  QProgressBar* pbrErase;

 private:
  void LayoutBar();

  SpecialMode mode_;
  FlashPrompts prompts_;
  QTimer* timer_;
  QProgressDialog* busy_;

  QLabel* lblRecording;
  QLabel* lblTotalRecords;
  QLabel* lblRecordedRecords;
  QLabel* lblPlayedRecords;
  QLabel* lblDirtyRecords;
  QLabel* lblFreeRecords;
  QLabel* lblIndexSlot;
  QLabel* lblLineNumber;
  FlashMemoryBar* pnlMemory;
  QButtonGroup* modes_;
  QSpinBox* speTimeout;
  QLineEdit* edtSerialNumber;
  QueryLabel* lblSerialNumber;
};

}  // namespace corvalis
