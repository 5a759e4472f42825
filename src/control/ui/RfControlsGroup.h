#pragma once

#include <QWidget>

#include <functional>

#include "control/ReaderConfiguration.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace corvalis {

class AppContext;

// The RF controls of the Tags Seen tab: RF on and off, the Timed RF burst
// and, shown on their own, the multiplexing of RF between the readers.
class RfControlsGroup final : public QWidget, public ReaderConfigListener {
  Q_OBJECT

 public:
  // `channel` and `readerId` are the main send channel and `speReaderID`.
  RfControlsGroup(AppContext& context, std::function<int()> channel, std::function<int()> readerId,
                  QWidget* parent = nullptr);
  ~RfControlsGroup() override;

  // ShowRFControls and ShowMPXControls.
  void SetRfShown(bool shown);
  void SetMultiplexShown(bool shown);

  // ReaderConfigListener
  void RfStateChanged() override;

 private:
  void TimedRfPressed();
  void MultiplexPressed();
  void ShowTimedRf();
  void ShowMultiplex();

  AppContext& context_;
  ReaderConfiguration& config_;
  std::function<int()> channel_;
  std::function<int()> readerId_;
  QWidget* rf_;
  QWidget* multiplex_;
  QPushButton* btnTimedRF;
  QSpinBox* speTimedRFTime;
  QCheckBox* ckbTimed100ms;
  QPushButton* btnMultiplex;
  QSpinBox* speMultiplexTime;
  QLabel* lblMultiplex;
};

}  // namespace corvalis
