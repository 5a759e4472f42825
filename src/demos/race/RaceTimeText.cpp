#include "demos/race/RaceTimeText.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace corvalis {

std::string FormatRaceClock(int64_t ms) {
  const int64_t tenths = (std::llabs(ms) + 50) / 100;
  const int64_t seconds = tenths / 10;
  char text[48];
  std::snprintf(text, sizeof text,
                ms < 0 ? " -%02" PRId64 ":%02d:%02d.%01d" : " %02" PRId64 ":%02d:%02d.%01d",
                seconds / 3600, static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
                static_cast<int>(tenths % 10));
  return text;
}

std::string FormatRaceGap(int64_t ms, char positiveSign) {
  const int64_t hundredths = (std::llabs(ms) + 5) / 10;
  const int64_t seconds = hundredths / 100;
  char text[48];
  if (ms == 0) {
    std::snprintf(text, sizeof text, " %02d.%02d", 0, 0);
  } else {
    std::snprintf(text, sizeof text, " %c%02" PRId64 ".%02d", ms < 0 ? '-' : positiveSign, seconds,
                  static_cast<int>(hundredths % 100));
  }
  return text;
}

std::string FormatTargetPanel(int64_t ms) {
  const int64_t tenths = (std::llabs(ms) + 50) / 100;
  char text[48];
  std::snprintf(text, sizeof text, "%c%04" PRId64 ".%01d", ms < 0 ? '-' : '+', tenths / 10,
                static_cast<int>(tenths % 10));
  return text;
}

}  // namespace corvalis
