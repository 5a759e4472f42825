#pragma once

#include <QWidget>

#include <functional>

#include "control/RfMultiplex.h"

class QCheckBox;
class QFrame;
class QLabel;
class QSpinBox;
class QTimer;

namespace corvalis {

class AppContext;

// The Diagnostics tab's stepping controls: the reader's output toggles every
// half period to drive an external stepper, and each step flushes the tag
// passes to the log with the step number. It never starts without a log
// file, since its snapshots would go nowhere.
class SteppingGroup final : public QWidget {
  Q_OBJECT

 public:
  // `channel` and `readerId` are the main send channel and `speReaderID`;
  // `ensureLogging` switches logging on (choosing a file if need be) and
  // says whether it is on.
  SteppingGroup(AppContext& context, std::function<int()> channel, std::function<int()> readerId,
                std::function<bool()> ensureLogging, QWidget* parent = nullptr);

  bool Running() const { return run_.Running(); }
  // One half period (the group's own timer).
  void Step();

 Q_SIGNALS:
  // Logging went on or off; the window refreshes its logging labels.
  void loggingChanged();

 private:
  void DoSteppingToggled(bool on);
  void Finish();

  AppContext& context_;
  std::function<int()> channel_;
  std::function<int()> readerId_;
  std::function<bool()> ensureLogging_;
  SteppingRun run_;
  QTimer* timer_;
  QSpinBox* speStepperInterval;
  QFrame* shpStepping;
  QCheckBox* ckbDoStepping;
  QSpinBox* speStepLimit;
  QLabel* lblCurrentStep;
  QSpinBox* speEdge;
  int channelUsed_ = 0;
  int readerIdUsed_ = 0;
};

}  // namespace corvalis
