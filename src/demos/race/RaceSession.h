#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Clock.h"
#include "common/SpecialModes.h"
#include "common/TextFile.h"
#include "protocol/MessageDispatcher.h"
#include "tags/TagTableHooks.h"

namespace corvalis {

// What a race window does for its logic: the modal questions and messages,
// and the Tags Seen tab's Clear.
class RaceView {
 public:
  virtual ~RaceView() = default;
  // "Race Already Started": true for Yes.
  virtual bool ConfirmRestart() = 0;
  // "Too many runners" titled "Limits exceeded".
  virtual void ShowTooManyRunners() = 0;
  // The result label (`lblResult`), e.g. "LRC error".
  virtual void ShowResult(std::string_view text) = 0;
  // Empties the Tags Seen table and the tag list.
  virtual void ClearTagsSeen() = 0;
  virtual void ResultsChanged() = 0;
  // A trigger carried the reader's time: tick "Use Reader Time".
  virtual void UseReaderTimeChosen() = 0;
};

inline constexpr const char* kRaceFileName = "RaceTiming.csv";

// What both race windows share: the trigger and Start, the race clock, the
// target time, Clear with its question, and writing "RaceTiming.csv". Each
// window's logic looks at lines and sightings only while its mode is on.
class RaceSession : public MessageObserver, public TagSightingListener {
 public:
  RaceSession(SpecialMode mode, SpecialModes& modes, const Clock& clock, RaceView& view)
      : mode_(mode), modes_(modes), clock_(clock), view_(view) {}

  // A trigger line or "&Start". Asks before resetting a running race;
  // false when nothing started.
  bool Start(const WallTime* readerTime = nullptr);
  void Stop();
  bool Running() const { return running_; }
  WallTime StartTime() const { return start_; }

  void SetTarget(int hours, int minutes, int seconds);
  int64_t TargetMs() const { return targetMs_; }
  int64_t ElapsedMs() const;
  // The race-time label, the target panel and its colour.
  std::string ElapsedText() const;
  std::string TargetPanelText() const;
  bool TargetPanelGreen() const { return ElapsedMs() < targetMs_; }

  // Clear asks first when any result has not been recorded.
  int UnrecordedResults() const { return unrecorded_; }
  bool ClearNeedsConfirmation() const { return unrecorded_ > 0; }
  std::string ClearQuestion() const;
  // "Clear" (stopClock, also resets the clock) or "Clear Don't Stop timer".
  void Clear(bool stopClock);

  // "Record": writes RaceTiming.csv in `folder`. On failure `error` holds
  // "Unable to open file for writing" (titled "File open error").
  bool Record(const std::string& folder, bool allLaps, std::string& error);

  void ObserveMessage(int channel, const char* text, int length) override;
  void TagSighted(const TagSighting& sighting) override;

 protected:
  virtual void ClearResults() = 0;
  virtual void PlaceSighting(const TagSighting& sighting) = 0;
  // False when a line did not reach the file.
  virtual bool WriteResults(TextFile& file, bool allLaps) const = 0;
  virtual void TriggerCarriedReaderTime() {}

  void ResultAdded() { ++unrecorded_; }
  const Clock& clock() const { return clock_; }
  RaceView& view() { return view_; }

 private:
  SpecialMode mode_;
  SpecialModes& modes_;
  const Clock& clock_;
  RaceView& view_;
  bool running_ = false;
  WallTime start_;
  int64_t stoppedElapsedMs_ = 0;
  int64_t targetMs_ = 0;
  int unrecorded_ = 0;
};

// Local date and time as "YYYY-MM-DD hh:mm:ss".
std::string FormatLocalDateTime(WallTime time);

}  // namespace corvalis
