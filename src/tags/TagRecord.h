#pragma once

#include <cstdint>
#include <limits>

#include "protocol/TagRead.h"

namespace corvalis {

// The record of a tag in the pass queue, the seen table and the channel tag
// lists. Plain data with fixed-size text, so tables of it never allocate.
struct TagRecord {
  int32_t count = 0;
  int32_t readerId = 0;
  int32_t channel = 0;
  int32_t firstSeenSec = 0;
  int32_t firstSeenMs = 0;
  int32_t lastSeenSec = 0;
  int32_t lastSeenMs = 0;
  uint8_t tagBytes[kTagBytesSize] = {};
  char hexId[17] = {};
  char nameText[33] = {};
  char wiegand26Text[11] = {};
  char wiegand34Text[11] = {};
  char countText[12] = {};
  PageSlot pages[kPageSlotCount];
  int32_t activity = 0;
  int32_t activityReads = 0;
  int32_t activityTicks = 0;
  int32_t activityStartSec = 0;
  int32_t activityStartMs = 0;
  int32_t clockOffsetMs = 0;
  int32_t pcSeenSec = 0;
  int32_t pcSeenMs = 0;
  int32_t countAtRefresh = 0;
  uint8_t logged = 0;
  uint8_t outputSent = 0;
  uint8_t published = 0;  // handed to the pass observer
  int32_t iCount = 0;
  int32_t qCount = 0;
  int32_t iCountTotal = 0;
  int32_t qCountTotal = 0;
  int32_t sequence = 0;
  int32_t dataFlag = 0;
  uint8_t tamper = 0;
  uint8_t flagFS = 0;
  uint8_t flagLS = 0;
  uint8_t valid = 0;
  uint8_t pageSet = 0;
};

// Adds reads to a running total. A tag parked in the field of a busy reader
// (a reference tag at a gate) keeps one seen entry and one pass for weeks;
// its totals stop at the largest value instead of wrapping to negative.
inline void AddCount(int32_t& total, int32_t amount) {
  if (__builtin_add_overflow(total, amount, &total)) {
    total = amount > 0 ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int32_t>::min();
  }
}

}  // namespace corvalis
