#include "common/Clock.h"

#include <chrono>

namespace corvalis {

WallTime SystemClock::Now() const {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
  return {static_cast<int32_t>(ms / 1000), static_cast<int32_t>(ms % 1000)};
}

void ManualClock::AdvanceMs(int64_t ms) {
  const int64_t total = int64_t{now_.sec} * 1000 + now_.ms + ms;
  now_.sec = static_cast<int32_t>(total / 1000);
  now_.ms = static_cast<int32_t>(total % 1000);
}

}  // namespace corvalis
