#include "protocol/LocalMidnight.h"

namespace corvalis {
namespace {

std::time_t MakeLocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year;
  tm.tm_mon = month;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

// True when every second of the day starting at `midnight` has the UTC offset
// of its midnight, and that midnight is 00:00:00 (a switch at midnight moves
// it). The offset at the day's last second tells, as no zone switches twice
// in a day.
bool OffsetHoldsAllDay(std::time_t midnight) {
  std::tm start{};
  std::tm end{};
  const std::time_t lastSecond = midnight + 24 * 3600 - 1;
  if (localtime_r(&midnight, &start) == nullptr || localtime_r(&lastSecond, &end) == nullptr) {
    return false;
  }
  return start.tm_hour == 0 && start.tm_min == 0 && start.tm_sec == 0 &&
         start.tm_gmtoff == end.tm_gmtoff;
}

}  // namespace

std::optional<std::time_t> LocalMidnight::AtNewDateOrSwitchDay(int year, int month, int day,
                                                               int hour, int minute, int second) {
  if (year != year_ || month != month_ || day != day_) {
    midnight_ = MakeLocalTime(year, month, day, 0, 0, 0);
    offsetChanges_ = midnight_ == static_cast<std::time_t>(-1) || !OffsetHoldsAllDay(midnight_);
    year_ = year;
    month_ = month;
    day_ = day;
  }
  if (!offsetChanges_) return midnight_ + hour * 3600 + minute * 60 + second;
  const std::time_t whole = MakeLocalTime(year, month, day, hour, minute, second);
  if (whole == static_cast<std::time_t>(-1)) return std::nullopt;
  return whole;
}

}  // namespace corvalis
