#pragma once

#include <QGroupBox>

#include "control/TimedRf.h"

class QComboBox;
class QPushButton;
class QSpinBox;

namespace corvalis {

class AppContext;

// The RF controls for one channel and reader: "RF Tx On", "RF Tx Off" and a
// "Timed RF" burst set in units of 10 ms. The burst ends on the context's
// 100 ms tick, so it lasts whole tenths of a second, rounded up.
class RfControlsBox final : public QGroupBox {
  Q_OBJECT

 public:
  explicit RfControlsBox(AppContext& context, QWidget* parent = nullptr);
  ~RfControlsBox() override;

  const TimedRf& Burst() const { return burst_; }
  // The button's caption and hint follow the burst.
  void Refresh();

 private:
  void TimedRfClicked();

  AppContext& context_;
  TimedRf burst_;

  QComboBox* cmbRfChannel;
  QSpinBox* speRfReaderID;
  QSpinBox* speTimedRF10ms;
  QPushButton* btnTimedRF;
  QPushButton* btnRfTxOn;
  QPushButton* btnRfTxOff;
};

}  // namespace corvalis
