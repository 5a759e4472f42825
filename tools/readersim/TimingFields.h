#pragma once

#include <string>

#include "ReadStream.h"
#include "common/Clock.h"
#include "protocol/MessageFormat.h"

namespace corvalis::readersim {

// Period the simulated tags hop with, as R16's high bits carry it (+ 50).
inline constexpr int kTimingPeriod = 100;

// Fills the millisecond-timing fields that `message` (an ASCII message in a
// layout with every field up to the ms-timing block) carries as zeros: ID#
// in the Q-count place, ten-thousandths in the 1 ms place, R16 with the low
// bits the tag's code hops to in `slot`, timerX, ms10, usDelay and the
// period; then the LRC again. False, and `message` unchanged, for layouts
// without those fields at their fixed places.
bool FillTimingFields(const MessageFormat& format, const TagId& id, int slot, WallTime at,
                      std::string& message);

// The reader's start trigger: "ab", reader ID, "07", "2c", date and time as
// decimal pairs, hundredths as a hex byte, LRC, CR LF.
std::string TriggerLine(int readerId, WallTime at);

}  // namespace corvalis::readersim
