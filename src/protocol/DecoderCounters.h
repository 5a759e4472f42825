#pragma once

#include <array>
#include <cstdint>

#include "common/ChannelIndex.h"

namespace corvalis {

// What the receive path counts for the Diagnostics tab: per channel, the
// messages rejected for their checksum, those rejected for a malformed field
// and the receive-buffer overruns; over all channels, the largest run of
// bytes one receive brought.
struct DecoderCounters {
  struct Channel {
    int32_t checksumErrors = 0;
    int32_t dataErrors = 0;
    int32_t overruns = 0;
  };
  std::array<Channel, kChannelCount> channel{};
  int32_t largestReceive = 0;

  void NoteReceive(int32_t count) {
    if (count > largestReceive) largestReceive = count;
  }
  // The Diagnostics Clear zeroes the error counts; the largest receive is a
  // property of the link and stays.
  void ClearErrorCounts() { channel = {}; }
};

}  // namespace corvalis
