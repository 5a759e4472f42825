#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "logging/timing/TimingRead.h"

namespace corvalis {

// The slot a tag's code hops to whose low 10 bits match the read's R16, and
// the check sum of the steps walked. Slot 40 when no step matches.
struct SlotCheck {
  int slot = 40;
  int sum = 0;
};
SlotCheck FindTimingSlot(uint16_t tagCode, uint16_t r16);

// The low 10 bits R16 carries when `tagCode` is heard in `slot` (0..39); the
// simulator uses it so its reads pass the check.
uint16_t TimingSlotWord(uint16_t tagCode, int slot);

// Turns timing reads into the lines of a recording file: the read as
// received, its list line, and either the reference time or the read's time
// against the last reference with the slot check. Every read gives exactly
// one line ending in a line feed.
class TimingRecorder {
 public:
  // With the hour clock a read's time is its hour time in hundredths of a
  // millisecond plus the timer; without it, ms10 thousands plus the timer.
  void SetHourClock(bool on) { hourClock_ = on; }
  void Reset();

  std::string RecordLine(std::string_view received, const TimingRead& read, bool jumpBack);

 private:
  int64_t BaseTime(const TimingRead& read) const;

  bool hourClock_ = true;
  bool haveReference_ = false;
  int referenceHour_ = 0;
  int64_t referenceTime_ = 0;
  int64_t lastTime_ = 0;
};

}  // namespace corvalis
