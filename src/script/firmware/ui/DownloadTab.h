#pragma once

#include <QWidget>

#include "script/firmware/FirmwareDownload.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace corvalis {

class Settings;

// The "Download" tab page: boots the reader into its loader, keeps it awake,
// sends a HEX file or the memo record by record, erases and cleans files.
class DownloadTab final : public QWidget, public DownloadView {
  Q_OBJECT

 public:
  DownloadTab(FirmwareDownload& download, QWidget* parent = nullptr);
  // The file and memo sources die with the tab: a run still going stops.
  ~DownloadTab() override;

  // DownloadView
  void ShowStatusMessage(std::string_view text) override;
  void ShowSentLine(std::string_view line, int resendCount) override;
  void ShowIncoming(std::string_view text) override;
  void ShowState() override;
  void CloseNoReplyNotice() override {}

  void CleanFile();

  // The file name drop-down's history.
  void LoadFromSettings(const Settings& settings);
  void StoreToSettings(Settings& settings) const;

 private:
  void ApplySettings();
  void UseSource();
  void OpenFile();

  QComboBox* cmbDownloadChan;
  QSpinBox* speDownLoadReaderID;
  QRadioButton* rbtFile;
  QRadioButton* rbtMemo;
  QComboBox* cmbDownloadFilename;
  QLabel* lblFileStatus;
  QPlainTextEdit* redHexCode;
  QPushButton* btnDownloadSend;
  QPushButton* btnErasePIC;
  QPushButton* btnCapture;
  QSpinBox* speRetryLimit;
  QCheckBox* ckbDownload9600;
  QPlainTextEdit* memIncoming;
  QPlainTextEdit* memStatusMessages;
  QLabel* pnlSentMessage;
  QLabel* lblSendCount;

  FirmwareDownload& download_;
  FileLineSource file_;
  MemoLineSource memo_;
};

}  // namespace corvalis
