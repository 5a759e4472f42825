#pragma once

#include <QWidget>

#include <array>

#include "demos/tolling/TollingCommands.h"
#include "demos/tolling/TollingMonitor.h"

class QComboBox;
class QGroupBox;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace corvalis {

class AppContext;

// The tolling demonstration (objectName "frmTolling"): sets the reader's
// tolling mode, registration pages, read point, tariffs and time-outs, and
// shows its transaction reports and read-backs. Showing it switches the
// tolling mode on and the other special modes off; hiding it switches it off.
class TollingWindow final : public QWidget, public TollingView, public SpecialModeListener {
  Q_OBJECT

 public:
  explicit TollingWindow(AppContext& context, QWidget* parent = nullptr);
  ~TollingWindow() override;

  TollingMonitor& Monitor() { return monitor_; }

  void AddIncomingLine(std::string_view line) override;
  void ShowReportError(std::string_view text) override;
  void ShowReport(const TollingReportTexts& texts) override;
  void ShowModeLabel(const std::string& text) override;
  void ShowCredit(uint32_t credit) override;
  void ShowTariffs(const TollingTariffs& tariffs) override;
  void ShowReadPoints(const TollingReadPoints& points) override;
  void ShowTimeouts(const std::array<int, kTollingTimeouts>& timeouts) override;
  void SpecialModeSwitchedOff(SpecialMode mode) override;

 Q_SIGNALS:
  // The operator chose a channel or reader ID here; the main window follows.
  void channelChosen(int channel);
  void readerIdChosen(int readerId);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildModeGroup();
  QWidget* BuildPagesGroup();
  QWidget* BuildReadPointGroup();
  QWidget* BuildTariffGroup();
  QWidget* BuildTimeoutGroup();
  // CRC, Save and the transmitter.
  QWidget* BuildReaderGroup();
  QWidget* BuildDisplay();
  QWidget* BuildIncoming();
  void Send(const std::string& body);
  void SendMode(TollingMode mode);
  void SendPage(int page);
  void CreditChanged(int credit);
  void ClassChanged(int vehicleClass);
  void ShowIncoming(bool on);

  AppContext& context_;
  TollingMonitor monitor_;
  int incomingLines_ = 0;

  QComboBox* cmbSendChannel;
  QSpinBox* speReaderID;
  QGroupBox* grpSetMode;
  QLabel* pnlMode;
  QLineEdit* edtP1;
  QLineEdit* edtP2;
  QSpinBox* speCredit;
  QSpinBox* speClass;
  QGroupBox* grpReadpoint;
  QSpinBox* speReadpoint;
  QSpinBox* speFOCReadpoint;
  QGroupBox* grpTariffs;
  std::array<QSpinBox*, kTollingClasses> speClassTariff{};
  QSpinBox* speVTypes;
  std::array<QSpinBox*, kTollingTimeouts> speTimeout{};
  QCheckBox* ckbModeInMessage;
  QLabel* pnlID;
  QLabel* pnlP1;
  QLabel* pnlP2;
  QLabel* pnlP2Old;
  QLabel* pnlResult;
  QLabel* lblResult;
  QLabel* lblInfo;
  QLabel* lblClass;
  QLabel* lblBalance;
  QLabel* lblReadpoint;
  QLabel* lblOldBalance;
  QLabel* lblOldReadpoint;
  QPushButton* btnShowIncoming;
  QWidget* incoming_;
  QPlainTextEdit* memoIncoming;
};

}  // namespace corvalis
