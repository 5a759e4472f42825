#pragma once

#include <QWidget>

#include <functional>

#include "demos/race/IndividualRace.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace corvalis {

class MessageDispatcher;
class TagTable;

// "Tempolink Demo 2" (objectName "frmTempolinkDemo2"): the individual-start
// race with laps. Showing it switches its mode on and the other special
// modes off; hiding it switches it off.
class IndividualRaceWindow final : public QWidget, public RaceView, public SpecialModeListener {
  Q_OBJECT

 public:
  // Yes/No questions and warnings; tests answer them without a modal box.
  using Question = std::function<bool(const QString& title, const QString& text)>;
  using Warning = std::function<void(const QString& title, const QString& text)>;

  IndividualRaceWindow(SpecialModes& modes, const Clock& clock, MessageDispatcher& dispatcher,
                       TagTable& table, QWidget* parent = nullptr);
  ~IndividualRaceWindow() override;

  IndividualRace& Race() { return race_; }
  void SetQuestion(Question ask) { ask_ = std::move(ask); }
  void SetWarning(Warning warn) { warn_ = std::move(warn); }
  // Where "Record" writes RaceTiming.csv; empty for the working folder.
  void SetRecordFolder(const std::string& folder) { folder_ = folder; }
  // The 100 ms timer's work: the race clock and the target panel.
  void RefreshClock();
  // "Record"; with Shift held every lap time.
  void Record(bool allLaps);

  bool ConfirmRestart() override;
  void ShowTooManyRunners() override;
  void ShowResult(std::string_view text) override;
  void ClearTagsSeen() override;
  void ResultsChanged() override;
  void UseReaderTimeChosen() override;
  void SpecialModeSwitchedOff(SpecialMode mode) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void ClearResults(bool stopClock);
  void ApplyTarget();
  bool Ask(const QString& title, const QString& text);
  void Warn(const QString& title, const QString& text);

  SpecialModes& modes_;
  MessageDispatcher& dispatcher_;
  TagTable& table_;
  IndividualRace race_;
  QTimer* timer_;
  Question ask_;
  Warning warn_;
  std::string folder_;

  QTableWidget* stgRaceTimes;
  QLabel* lblElapsedTime;
  QLabel* pnlTargetDelta;
  QLabel* lblResult;
  QSpinBox* spnTargetHours;
  QSpinBox* spnTargetMinutes;
  QSpinBox* spnTargetSeconds;
  QSpinBox* spnMinLapTime;
  QSpinBox* spnNumLaps;
  QCheckBox* ckbUseReaderTime;
  QPushButton* btnStart;
  QPushButton* btnStop;
  QPushButton* btnClear;
  QPushButton* btnClearDontStop;
  QPushButton* btnRecord;
};

}  // namespace corvalis
