#pragma once

#include <QMainWindow>

#include <array>

#include "channels/ChannelHooks.h"
#include "common/ChannelIndex.h"

class QAction;
class QLabel;
class QTimer;

namespace corvalis {

class AppContext;
class MemoStatus;

// The console's main window. Owns no protocol state: it shows what the
// application context holds. Until the Tags Seen view exists, the centre
// shows a plain summary of the channels, the read counts and the latest
// comms messages.
class TForm1 : public QMainWindow, private ChannelStatusListener {
  Q_OBJECT

 public:
  TForm1(AppContext& context, MemoStatus& status, QWidget* parent = nullptr);
  ~TForm1() override;

  // Timer2's work: the receive path's tick, then the view.
  void Timer2Tick();
  // Timer1's work: clears the channel activity marks.
  void Timer1Tick();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void ChannelStatusRefreshed() override;
  void RepaintStatusBar() override;
  void RefreshSummary();

  AppContext& context_;
  MemoStatus& status_;
  bool active_ = false;
  QLabel* lblSummary;
  QTimer* Timer1;
  QTimer* Timer2;
  std::array<QLabel*, kChannelCount> pnlChannel{};
  std::array<QAction*, kChannelCount> CommsOpen{};
  std::array<QAction*, kChannelCount> CommsClose{};
};

}  // namespace corvalis
