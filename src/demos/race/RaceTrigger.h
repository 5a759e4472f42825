#pragma once

#include <optional>

#include "common/Clock.h"

namespace corvalis {

enum class TriggerParse { NotTrigger, LrcError, Trigger };

// A reader's start trigger: "ab", reader ID, length, "2c", data, LRC. The
// LRC is the sum of the characters after "ab" up to the LRC, modulo 256.
// When the data holds the reader's date and time (yymmdd hhmmss as decimal
// pairs, then hundredths as a hex byte), `readerTime` gets it as local time.
struct RaceTrigger {
  TriggerParse result = TriggerParse::NotTrigger;
  std::optional<WallTime> readerTime;
};

// Reads at most `length` characters of `line`.
RaceTrigger ParseRaceTrigger(const char* line, int length);

}  // namespace corvalis
