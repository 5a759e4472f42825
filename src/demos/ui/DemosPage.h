#pragma once

#include <QWidget>

class QPushButton;

namespace corvalis {

class AppContext;
class IndividualRaceWindow;
class PlugTestWindow;
class SimultaneousRaceWindow;
class TimingWindow;
class TollingWindow;

// The "Demos" tab: opens the tolling, race-timing, plug-test and millisecond-timing
// windows. The windows are made once with the page and live as long as it;
// each switches its own receive mode on when shown, and the others off.
class DemosPage final : public QWidget {
  Q_OBJECT

 public:
  // The windows are top-level windows owned by `windowParent`.
  DemosPage(AppContext& context, QWidget* windowParent, QWidget* parent = nullptr);

  SimultaneousRaceWindow* simultaneousRace() const { return simultaneousRace_; }
  IndividualRaceWindow* individualRace() const { return individualRace_; }
  PlugTestWindow* plugTest() const { return plugTest_; }
  TimingWindow* timingRanking() const { return timingRanking_; }
  TimingWindow* timingRaw() const { return timingRaw_; }
  TollingWindow* tolling() const { return tolling_; }

 private:
  SimultaneousRaceWindow* simultaneousRace_;
  IndividualRaceWindow* individualRace_;
  PlugTestWindow* plugTest_;
  TimingWindow* timingRanking_;
  TimingWindow* timingRaw_;
  TollingWindow* tolling_;

  QPushButton* btnRaceSimultaneous;
  QPushButton* btnRaceIndividual;
  QPushButton* btnPlugTest;
  QPushButton* btnMsTiming;
  QPushButton* btnMsTimingRaw;
  QPushButton* btnTolling;
};

}  // namespace corvalis
