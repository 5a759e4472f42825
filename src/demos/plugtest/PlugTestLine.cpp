#include "demos/plugtest/PlugTestLine.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace corvalis {

std::string FormatPlugTestLine(WallTime seen, std::string_view name) {
  std::string line;
  const std::time_t seconds = seen.sec;
  std::tm local{};
  if (seen.ms < 0 || seen.ms > 999 || localtime_r(&seconds, &local) == nullptr) {
    line = "1970-01-01T000000.00+00,";
  } else {
    const long offsetMinutes = local.tm_gmtoff / 60;
    const long magnitude = std::labs(offsetMinutes);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d%02d%02d.%02d%c%02ld%02ld,",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, seen.ms / 10, offsetMinutes < 0 ? '-' : '+',
                  magnitude / 60, magnitude % 60);
    line = stamp;
  }
  line += name;
  line += ",none,none,none,none,none,none";
  return line;
}

}  // namespace corvalis
