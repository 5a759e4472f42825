#pragma once

#include <cstdint>
#include <string>

namespace corvalis {

// Character positions of a timing tag message, counted from its first "a".
namespace timing_pos {
inline constexpr int kId = 4;
inline constexpr int kTagCode = 16;
inline constexpr int kIdNumber = 22;
inline constexpr int kDateTime = 24;
inline constexpr int kR16 = 40;
inline constexpr int kTimerX = 44;
inline constexpr int kMs10 = 48;
inline constexpr int kUsDelay = 50;
inline constexpr int kPeriod = 58;
inline constexpr int kEndWithoutPeriod = 58;
inline constexpr int kEndWithPeriod = 62;
}  // namespace timing_pos

// One read of a reader reporting millisecond timing fields.
struct TimingRead {
  char id[17] = {};  // as received, 16 characters
  uint16_t tagCode = 0;
  int idNumber = 0;
  // year, month, day, hour, minute, second, hundredths, ten-thousandths
  int dateTime[8] = {};
  uint16_t r16 = 0;
  uint16_t timerX = 0;
  int ms10 = 0;
  bool mis = false;
  uint32_t usDelay = 0;
  int period = 0;
  int timer = 0;     // timerX + 5, or + 1000 more for a missed low timer
  int hourTime = 0;  // milliseconds within the hour

  int Hour() const { return dateTime[3]; }
  int TenThousandths() const { return dateTime[7]; }
  // Reference tags carry an ID beginning "00".
  bool IsReference() const { return id[0] == '0' && id[1] == '0'; }
};

enum class TimingParse {
  Ok,
  NotTiming,  // not "aa", too short, or a field that is not its digits
  BadId,      // the layout holds but the ID is not hexadecimal
};

// Reads a frame of `length` characters. The frame need not be
// NUL-terminated; nothing beyond `length` is read. With `withPeriod` the
// frame must also carry the period field, which then replaces the R16 one.
TimingParse ParseTimingRead(const char* text, int length, bool withPeriod, TimingRead& out);

// The list line of a read, without its jump-back mark.
std::string FormatTimingListLine(const TimingRead& read);

// True when `read` lies more than 10 ms before the previous read's hour
// time: the list marks it ", *" (otherwise ",  ").
bool IsTimingJumpBack(int previousHourTime, const TimingRead& read);

}  // namespace corvalis
