#include "protocol/LocalMidnight.h"

namespace corvalis {

std::time_t LocalMidnight::Of(int year, int month, int day) {
  if (year != year_ || month != month_ || day != day_) {
    std::tm tm{};
    tm.tm_year = year;
    tm.tm_mon = month;
    tm.tm_mday = day;
    tm.tm_isdst = -1;
    midnight_ = std::mktime(&tm);
    year_ = year;
    month_ = month;
    day_ = day;
  }
  return midnight_;
}

}  // namespace corvalis
