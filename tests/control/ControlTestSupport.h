#pragma once

#include <array>
#include <string>

#include "protocol/MessageDispatcher.h"

namespace corvalis::testing {

// Channels that keep what was written to them; channel 5 is closed unless a
// test opens it.
class RecordingChannels final : public ChannelWriter {
 public:
  RecordingChannels() { open.fill(true); }
  bool IsOpen(int channel) const override { return open[static_cast<size_t>(channel)]; }
  void WriteToChannel(int channel, const char* bytes, int count) override {
    written[static_cast<size_t>(channel)].append(bytes, static_cast<size_t>(count));
  }
  // What channel `channel` got since the last call.
  std::string Take(int channel) {
    std::string out;
    out.swap(written[static_cast<size_t>(channel)]);
    return out;
  }

  std::array<bool, 5> open{};
  std::array<std::string, 5> written;
};

}  // namespace corvalis::testing
