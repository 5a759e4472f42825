#pragma once

#include <cstdint>
#include <string>

namespace corvalis {

// Clock and finishing times: " hh:mm:ss.t" (or " -hh:mm:ss.t"), tenths
// rounded to nearest, so 950 ms and above carry into the next second.
std::string FormatRaceClock(int64_t ms);

// Gaps and differences: " Sss.hh" with `positiveSign` before a positive
// value ('+' for differences to target, ' ' for gaps) and '-' before a
// negative one; " ss.hh" when the value is zero. Hundredths rounded to
// nearest, so 995 ms and above carry into the next second.
std::string FormatRaceGap(int64_t ms, char positiveSign);

// The target panel: running difference to target as "+0000.0".
std::string FormatTargetPanel(int64_t ms);

}  // namespace corvalis
