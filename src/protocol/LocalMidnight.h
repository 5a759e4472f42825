#pragma once

#include <ctime>
#include <optional>

namespace corvalis {

// Local times of a calendar date, built from the date's midnight remembered
// for the last date asked. Readers stamp every read with the same date for
// hours, and mktime costs more than the rest of a decode. On a day whose UTC
// offset changes (daylight saving starts or ends) midnight plus the time of
// day is an hour out after the switch, so those days go through mktime whole.
class LocalMidnight {
 public:
  // Seconds since 1970 of the local time; `year` counts from 1900, `month`
  // 0..11, and a day past the month's end rolls into the next month. Nothing
  // when the time cannot be represented.
  // The cached path is inline: it runs once per read.
  std::optional<std::time_t> At(int year, int month, int day, int hour, int minute, int second) {
    if (year == year_ && month == month_ && day == day_ && !offsetChanges_) {
      return midnight_ + hour * 3600 + minute * 60 + second;
    }
    return AtNewDateOrSwitchDay(year, month, day, hour, minute, second);
  }

 private:
  std::optional<std::time_t> AtNewDateOrSwitchDay(int year, int month, int day, int hour,
                                                  int minute, int second);

  int year_ = -1;
  int month_ = -1;
  int day_ = -1;
  std::time_t midnight_ = -1;
  bool offsetChanges_ = true;
};

}  // namespace corvalis
