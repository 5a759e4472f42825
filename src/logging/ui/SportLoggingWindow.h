#pragma once

#include <functional>

#include "logging/ui/FlashLogWindow.h"

class QAction;
class QMenuBar;

namespace corvalis {

// "Sport Logging": a handheld reader's flash log on the window's own
// channel, with power, battery, antenna, clock, type, and the capture of
// played-back records to a file.
class SportLoggingWindow final : public FlashLogWindow {
 public:
  SportLoggingWindow(AppContext& context, std::function<int()> sendChannel, QWidget* parent);

  void SelectChannel(int channel);
  void Update();
  void Save();

  // FlashLogView
  void ShowReaderType(std::string_view type, ReaderKind kind) override;
  void ShowBattery(std::string_view volts) override;
  void ShowAntenna(bool detected) override;
  void ShowReaderTime(std::string_view text) override;
  void ShowPlayback(const PlaybackProgress& progress) override;
  void PlaybackEnded() override;
  void ShowPowerOff() override;
  void CloseChannel() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void TimerTick() override;

 private:
  QMenuBar* BuildMenus();
  void ShowPower(bool on);
  void ShowChannelState();
  void SetTime();

  std::function<int()> sendChannel_;
  int channel_ = -1;
  int updateTicks_ = 0;  // an update once the opened channel has settled
  int blinkTicks_ = 0;

  QLabel* lblChannelState;
  QLabel* imgPower;
  QLabel* lblBatteryCaption;
  QLabel* lblBattery;
  QLabel* lblAntenna;
  QLabel* lblReaderType;
  QueryLabel* lblReaderTime;
  QPushButton* btnRec;
  QPushButton* btnPlay;
  QProgressBar* pbrPlayback;
  QLabel* lblElapsed;
  QLabel* lblEstimate;
  QAction* channelItems_[4] = {};
};

}  // namespace corvalis
