#pragma once

namespace corvalis {

// Channel indexes 0..4 stand for channels 1..5 in every per-channel table.
inline constexpr int kChannelCount = 5;
// Channels 1..4 are reader channels; channel 5 is the output port ("Out 1").
inline constexpr int kReaderChannelCount = 4;
inline constexpr int kOutputChannel = 4;

constexpr bool IsValidChannel(int channel) {
  return channel >= 0 && channel < kChannelCount;
}

}  // namespace corvalis
