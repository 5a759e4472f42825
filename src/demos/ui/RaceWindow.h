#pragma once

#include <QWidget>

#include "demos/race/SimultaneousRace.h"

class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace corvalis {

class MessageDispatcher;
class TagTable;

// "Tempolink Demo" (objectName "frmTempolinkDemo"): the simultaneous-start
// race. Showing it switches its mode on and the other special modes off;
// hiding it switches it off.
class SimultaneousRaceWindow final : public QWidget, public RaceView, public SpecialModeListener {
  Q_OBJECT

 public:
  SimultaneousRaceWindow(SpecialModes& modes, const Clock& clock, MessageDispatcher& dispatcher,
                         TagTable& table, QWidget* parent = nullptr);
  ~SimultaneousRaceWindow() override;

  SimultaneousRace& Race() { return race_; }
  // The 100 ms timer's work: the race clock and the target panel.
  void RefreshClock();

  bool ConfirmRestart() override;
  void ShowTooManyRunners() override;
  void ShowResult(std::string_view text) override;
  void ClearTagsSeen() override;
  void ResultsChanged() override;
  void UseReaderTimeChosen() override {}
  void SpecialModeSwitchedOff(SpecialMode mode) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void ClearResults(bool stopClock);
  void Record();
  void ApplyTarget();

  SpecialModes& modes_;
  MessageDispatcher& dispatcher_;
  TagTable& table_;
  SimultaneousRace race_;
  QTimer* timer_;

  QTableWidget* stgRaceTimes;
  QLabel* lblElapsedTime;
  QLabel* pnlTargetDelta;
  QLabel* lblResult;
  QSpinBox* spnTargetHours;
  QSpinBox* spnTargetMinutes;
  QSpinBox* spnTargetSeconds;
  QPushButton* btnStart;
  QPushButton* btnStop;
  QPushButton* btnClear;
  QPushButton* btnClearDontStop;
  QPushButton* btnRecord;
};

}  // namespace corvalis
