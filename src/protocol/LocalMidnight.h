#pragma once

#include <ctime>

namespace corvalis {

// Local midnight of a calendar date, remembered for the last date asked.
// Readers stamp every read with the same date for hours, and mktime costs
// more than the rest of a decode.
class LocalMidnight {
 public:
  // `year` counts from 1900, `month` 0..11; a day past the month's end rolls
  // into the next month. (time_t)-1 when the date cannot be represented.
  std::time_t Of(int year, int month, int day);

 private:
  int year_ = -1;
  int month_ = -1;
  int day_ = -1;
  std::time_t midnight_ = -1;
};

}  // namespace corvalis
