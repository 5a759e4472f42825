#pragma once

#include <string_view>

#include "script/ScriptVariables.h"

namespace corvalis {

// The statistics reply (to "000a", code 0a), data bytes in this order:
// year, month, day, hours, minutes, seconds (one byte each), milliseconds
// (two), E100, controller version major and minor, decoder 1 version major,
// minor and build, decoder 2 major and minor, address, config 1 and 2, CRC
// (two), reboots, noise, filter, baud, flow, flags (bit 0 ASCII, 1 TX on,
// 2 Aux1, 3 Out1), synth, beep. A shorter reply fills the fields it holds;
// the rest keep their values. False when `line` is not a statistics reply.
bool StoreStatsReply(std::string_view line, NamedValues& values);

// A read/write controller status report (code 26, length 0f or 10) saying
// the read is over without success: time-out or retries done, no read
// success.
bool IsFailedReadReport(std::string_view line);

}  // namespace corvalis
