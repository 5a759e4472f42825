#pragma once

#include "common/ChannelIndex.h"
#include "protocol/CompositeFormat.h"
#include "protocol/MessageFormat.h"

namespace corvalis {

// The per-channel format records the cutter and the decoders share.
struct ChannelFormats {
  MessageFormat format[kChannelCount];
  CompositeFormat composite[kChannelCount];
};

}  // namespace corvalis
