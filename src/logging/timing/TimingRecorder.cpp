#include "logging/timing/TimingRecorder.h"

#include <cinttypes>
#include <cstdio>

namespace corvalis {

namespace {

// One slot step of the tag's code sequence (16-bit feedback shift).
uint16_t NextCode(uint16_t code) {
  uint16_t next = static_cast<uint16_t>(code << 1);
  if ((code & 0x8000) != 0) next = static_cast<uint16_t>((next ^ 0xA010) | 1);
  return next;
}

constexpr int kSlotSteps = 40;
constexpr int64_t kHourInTimeUnits = 360'000'000;

}  // namespace

SlotCheck FindTimingSlot(uint16_t tagCode, uint16_t r16) {
  SlotCheck check;
  uint16_t code = tagCode;
  unsigned mask = 511;
  for (int step = 0; step < kSlotSteps; ++step) {
    if (step == 2 || step == 4 || step == 6) mask = mask * 2 + 1;
    const uint16_t next = NextCode(code);
    check.sum += static_cast<int>(code & mask);
    if ((next & 0x3FF) == (r16 & 0x3FF)) {
      check.slot = step;
      return check;
    }
    code = next;
  }
  return check;
}

uint16_t TimingSlotWord(uint16_t tagCode, int slot) {
  uint16_t code = tagCode;
  for (int step = 0; step <= slot; ++step) code = NextCode(code);
  return static_cast<uint16_t>(code & 0x3FF);
}

void TimingRecorder::Reset() {
  haveReference_ = false;
  referenceHour_ = 0;
  referenceTime_ = 0;
  lastTime_ = 0;
}

int64_t TimingRecorder::BaseTime(const TimingRead& read) const {
  return hourClock_ ? int64_t{read.hourTime} * 100 + read.timer
                    : int64_t{read.ms10} * 1000 + read.timer;
}

std::string TimingRecorder::RecordLine(std::string_view received, const TimingRead& read,
                                       bool jumpBack) {
  std::string line(received);
  line += ", ";
  line += FormatTimingListLine(read);
  if (jumpBack) line += " *";

  char tail[96];
  if (read.IsReference()) {
    referenceTime_ = lastTime_ = BaseTime(read);
    referenceHour_ = read.Hour();
    haveReference_ = true;
    std::snprintf(tail, sizeof tail, ", PU time = %" PRId64 "\n", referenceTime_);
    return line + tail;
  }
  if (!haveReference_) return line + "\n";

  int64_t t = BaseTime(read);
  if (hourClock_ && read.Hour() > referenceHour_) t += kHourInTimeUnits;
  // Times only run forward: a read that seems earlier belongs to a later
  // millisecond cycle.
  if (t < lastTime_) t += (lastTime_ - t + 999) / 1000 * 1000;
  lastTime_ = t;
  const SlotCheck check = FindTimingSlot(read.tagCode, read.r16);
  std::snprintf(tail, sizeof tail, ", %6" PRId64 ",%3d,%6" PRId64 ",%6d,%5d %c\n", t, check.slot,
                t - referenceTime_, check.sum, read.period,
                check.slot == read.idNumber ? ' ' : '*');
  return line + tail;
}

}  // namespace corvalis
