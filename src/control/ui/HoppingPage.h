#pragma once

#include <QWidget>

#include <functional>

#include "control/ReaderConfiguration.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace corvalis {

class AppContext;

// The Hopping tab: fixed frequencies and the FCC, CE and Custom hop plans on
// `cmbHopChannel` / `speHopReaderID`, "Get Setup", and the sweep that steps
// the Custom plan's starting frequency through a band. Every plan goes out
// as one command sequence; "Send" stays disabled until it ends.
class HoppingPage final : public QWidget, public ReaderConfigListener, public HopTimingQuestion {
  Q_OBJECT

 public:
  HoppingPage(AppContext& context, int maxHoppingSpaces, QWidget* parent = nullptr);
  ~HoppingPage() override;

  QComboBox* ChannelControl() const { return cmbHopChannel; }
  QSpinBox* ReaderIdControl() const { return speHopReaderID; }

  // Refusals go here; by default a warning box. Tests answer the timing
  // question through the runner.
  void SetMessageSink(std::function<void(const QString&)> sink) { showMessage_ = std::move(sink); }
  void SetQuestionRunner(std::function<TimingAnswer()> run) { askTiming_ = std::move(run); }

  void Send();
  void GetSetup();

  // ReaderConfigListener
  void SequenceEnded(const std::string& status) override;
  void SweepStepped() override;
  // HopTimingQuestion
  TimingAnswer AskNonStandardTiming() override;

 Q_SIGNALS:
  // The starting frequency the Tags Seen tab shows.
  void startFrequencyChanged(const QString& text);

 private:
  QWidget* BuildFixed();
  QWidget* BuildCustom(int maxHoppingSpaces);
  QWidget* BuildSweep();
  void SyncPlan();
  void UpdateTarget();
  void SweepBandChanged();
  void SweepStepChosen(int index);
  void SliderMoved(int position);
  void ShowSweepPosition();
  void Report(const std::string& message);
  int WidthKhz() const;

  ReaderConfiguration& config_;
  QComboBox* cmbHopChannel;
  QSpinBox* speHopReaderID;
  QButtonGroup* plan_;  // 0 Fcc, 1 CE, 2 Custom
  QButtonGroup* fcc_;   // 0..2 fixed, 3 hopping
  QButtonGroup* ce_;    // 0..3 fixed, 4 CE HOP
  QSpinBox* speHopDwellCE;
  QSpinBox* speHopOffDelayCE;
  QSpinBox* speHopOffTimeCE;
  QLineEdit* edtHopStartFreq;
  QComboBox* cmbHopChannels;
  QComboBox* cmbHopSpaces;
  QButtonGroup* width_;  // ids are the widths in kHz
  QSpinBox* speHopDwell;
  QSpinBox* speHopOffTime;
  QSpinBox* speHopOffDelay;
  QPushButton* btnHopSend;
  QLabel* lblHopStatus;
  QSpinBox* speHopBot;
  QSpinBox* speHopTop;
  QComboBox* cmbHopSweepSteps;
  QSlider* trbHopSweep;
  QSpinBox* speHopInterval;
  QCheckBox* ckbHopSweepDown;
  QCheckBox* ckbHopAutoReverse;
  QCheckBox* ckbHopLoop;
  std::function<void(const QString&)> showMessage_;
  std::function<TimingAnswer()> askTiming_;
  bool moving_ = false;
  bool askingCe_ = false;
};

}  // namespace corvalis
