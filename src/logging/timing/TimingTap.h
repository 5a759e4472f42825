#pragma once

#include <array>
#include <string>
#include <string_view>

#include "common/SpecialModes.h"
#include "common/TextFile.h"
#include "logging/timing/TimingRanking.h"
#include "logging/timing/TimingRecorder.h"
#include "protocol/MessageDispatcher.h"

namespace corvalis {

struct ChannelFormats;

// What a timing window shows: each list line, and that the ranking changed.
class TimingListView {
 public:
  virtual ~TimingListView() = default;
  virtual void AddListLine(std::string_view line) = 0;
  virtual void RankingChanged() = 0;
};

// The tap of one "ms Timing" window on the received frames: the raw window
// (MsTimingRaw) lists and records reads, the ranking window (MsTimingRanking)
// also ranks them. It looks at frames only while its mode is on, so closing
// the window (mode off) stops it and leaves the ranking until Clear.
class TimingTap final : public MessageObserver {
 public:
  TimingTap(SpecialMode mode, SpecialModes& modes, const ChannelFormats& formats,
            TagNameLookup* names, StatusReporter& status);

  void SetView(TimingListView* view) { view_ = view; }
  // "Input channels": channels 0..3.
  void SetChannelSelected(int channel, bool selected);
  bool ChannelSelected(int channel) const;
  // Whether the hour time or ms10 is the time base (shared by both windows).
  void SetHourClock(bool on);

  // The Record button. On failure `error` holds the operator's message.
  bool StartRecording(const std::string& path, std::string& error);
  void StopRecording();
  bool IsRecording() const { return recording_.IsOpen(); }

  // Clear: the ranking window also empties its ranking.
  void Clear();

  void ObserveMessage(int channel, const char* text, int length) override;
  // Every frame of the reader channels; frames that are not timing reads of
  // a selected channel are ignored.
  void TapFrame(int channel, const char* frame, int length);

  const TimingRanking& Ranking() const { return ranking_; }
  SpecialMode Mode() const { return mode_; }

 private:
  SpecialMode mode_;
  SpecialModes& modes_;
  const ChannelFormats& formats_;
  TimingListView* view_ = nullptr;
  std::array<bool, 4> selected_{};
  TimingRecorder recorder_;
  TimingRanking ranking_;
  TextFile recording_;
  bool havePrevious_ = false;
  int previousHourTime_ = 0;
};

}  // namespace corvalis
