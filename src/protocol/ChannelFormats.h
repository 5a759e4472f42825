#pragma once

#include "common/ChannelIndex.h"
#include "protocol/CompositeFormat.h"
#include "protocol/DecoderCounters.h"
#include "protocol/MessageFormat.h"

namespace corvalis {

// The per-channel format records the cutter and the decoders share, with the
// counters they keep.
struct ChannelFormats {
  MessageFormat format[kChannelCount];
  CompositeFormat composite[kChannelCount];
  DecoderCounters counters;
};

}  // namespace corvalis
