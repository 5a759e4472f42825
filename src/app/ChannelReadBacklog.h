#pragma once

#include "channels/ChannelSet.h"
#include "common/ChannelIndex.h"
#include "protocol/ProtocolSettings.h"
#include "tags/TagTableHooks.h"

namespace corvalis {

// The tag table's view of the channels' unread input. Under SumAllPorts every
// reader's reads count as channel 0, so any reader channel's input counts.
class ChannelReadBacklog final : public ReadBacklog {
 public:
  ChannelReadBacklog(const ChannelSet& channels, const ProtocolSettings& settings)
      : channels_(channels), settings_(settings) {}

  bool InputWaiting(int channel) const override {
    if (!settings_.sumAllPorts) return channels_.InputWaiting(channel);
    for (int c = 0; c < kReaderChannelCount; ++c) {
      if (channels_.InputWaiting(c)) return true;
    }
    return false;
  }

 private:
  const ChannelSet& channels_;
  const ProtocolSettings& settings_;
};

}  // namespace corvalis
