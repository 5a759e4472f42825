#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <string_view>
#include <vector>

#include "common/ChannelIndex.h"
#include "common/HeldLines.h"
#include "protocol/RawDataMonitor.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QSpinBox;
class QTimer;

namespace corvalis {

class AppContext;
class DiagnosticsPage;
class ReaderControlPanel;
class TagTable;
class UnshownPageCounter;

// A memo widget as the raw-data monitor's text sink.
class PlainTextMemo final : public TextMemo {
 public:
  explicit PlainTextMemo(QPlainTextEdit& edit) : edit_(edit) {}
  int LineCount() const override;
  void RemoveOldestLines(int count) override;
  void AppendLine(std::string_view line) override;

 private:
  QPlainTextEdit& edit_;
};

// The Diagnostics tab: the "Reader control" group (whose send channel and
// reader ID the whole window shares), the comms-messages memo, the raw-data
// memo with its switch, the wait time, the last error and the per-channel
// counters.
class DiagnosticsPage final : public QWidget {
  Q_OBJECT

 public:
  explicit DiagnosticsPage(AppContext& context, QWidget* parent = nullptr);

  // A comms-messages line; dropped unless "Show Comms Messages" is chosen.
  void AddCommsLine(std::string_view line);
  // Timer1: the last error, the counters of channels 1 and 2 (the tag
  // table's and the decoder's), the largest receive and the data pages not
  // shown.
  void ShowCounters(const TagTable& table, const QString& lastError);
  void ShowWaitTime(int waitTime);
  // "n chars purged" after a serial overflow; empty hides the label.
  void ShowPurged(const QString& text);
  // The Clear button: the tag counters, both memos, the last error and the
  // purged count.
  void ClearCounters();
  void ShowReadRate(const QString& iText, const QString& qText);
  void ShowReadActivity(int idsThisSecond);

  RawDataMonitor& RawMonitor() { return rawMonitor_; }
  // The "Reader control" group, whose send channel and reader ID the whole
  // window shares.
  ReaderControlPanel& ReaderControl() { return *readerControl_; }
  const ReaderControlPanel& ReaderControl() const { return *readerControl_; }
  void ShowLastError(const QString& text);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void WaitTimeEntered();
  // The comms lines held since the memo last showed them, appended at once.
  void ShowHeldCommsLines();
  // Appends the tags new to the channel lists and rewrites changed counts.
  void ShowUniqueTags(const TagTable& table);
  void ClearUniqueTags();

  ReaderControlPanel* readerControl_;
  QPlainTextEdit* commsMemo_;  // "Memo2"
  HeldLines heldCommsLines_;   // at most the memo's length
  QTimer* commsLinesDue_;
  QRadioButton* rbtShowCommsMessages;
  QRadioButton* rbtShowDecoderStats;
  QStackedWidget* commsOrStats_;  // the memo or the decoder statistics
  QPlainTextEdit* memRawData;
  QCheckBox* rawSwitch_;  // "RawCheckBox"
  QLineEdit* edtWaitTime;
  QLabel* lblLastError;
  QLabel* shpReadRate;
  QLabel* lblRRI;
  QLabel* lblRRQ;
  std::array<QLabel*, 2> lblReadsSeen{};
  std::array<QLabel*, 2> lblUniqueSeen{};
  std::array<QLabel*, 2> lblLostReads{};
  std::array<QLabel*, 2> lblOverruns{};
  std::array<QLabel*, 2> lblDataErrors{};
  std::array<QLabel*, 2> lblChecksumErrors{};
  QLabel* lblLargestReceive;
  QLabel* lblPagesNotShown;  // data pages received with nowhere to show them
  QLabel* lblPurged;
  QListWidget* lsbUniqueTags;
  std::array<std::vector<QListWidgetItem*>, kReaderChannelCount> uniqueItems_;
  QPushButton* btnClearCounters;

  AppContext& context_;

  const UnshownPageCounter& unshownPages_;
  PlainTextMemo rawMemo_;
  RawDataMonitor rawMonitor_;
  int shownActivityClass_ = -1;
};

}  // namespace corvalis
