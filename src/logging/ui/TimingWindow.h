#pragma once

#include <QWidget>
#include <array>

#include "logging/timing/TimingTap.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace corvalis {

class MessageDispatcher;

// The two "ms Timing" windows: the raw window (objectName
// "frmRawTiming_ms") lists and records timing reads, the ranking window
// ("frmTiming_ms") also ranks them. Showing the window switches its mode on
// (and the other special modes off); hiding it switches it off.
class TimingWindow final : public QWidget, public TimingListView, public SpecialModeListener {
  Q_OBJECT

 public:
  TimingWindow(SpecialMode mode, SpecialModes& modes, MessageDispatcher& dispatcher,
               const ChannelFormats& formats, TagNameLookup* names, StatusReporter& status,
               QWidget* parent = nullptr);
  ~TimingWindow() override;

  TimingTap& Tap() { return tap_; }
  // The raw window carries the RF controls for one channel and reader.
  void AddRfControls(QWidget* controls);

  void AddListLine(std::string_view line) override;
  void RankingChanged() override;
  void SpecialModeSwitchedOff(SpecialMode mode) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void ToggleRecording();
  void ClearAll();

  SpecialModes& modes_;
  MessageDispatcher& dispatcher_;
  TimingTap tap_;

  std::array<QCheckBox*, 4> ckbChannel{};
  QLineEdit* edtFileName;
  QPushButton* btnRecord;
  QPushButton* btnClear;
  QListWidget* lstTimes;
  QTableWidget* stgRanking = nullptr;  // ranking window only
  QLabel* lblLost = nullptr;
  QLabel* lblError = nullptr;
};

}  // namespace corvalis
