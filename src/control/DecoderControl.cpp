#include "control/DecoderControl.h"

#include <algorithm>
#include <cstdio>

#include "control/DeferredCommandQueue.h"
#include "protocol/Hex.h"
#include "protocol/MessageDispatcher.h"

namespace corvalis {

namespace {

std::string HexByte(int value) {
  char out[3];
  std::snprintf(out, sizeof out, "%02x", value & 0xff);
  return out;
}

bool Bit(int value, int bit) {
  return ((value >> bit) & 1) != 0;
}

}  // namespace

ReplyBytes::ReplyBytes(std::string_view hexData, int dataLength) {
  const int limit = std::min({std::max(dataLength, 0), static_cast<int>(hexData.size() / 2),
                              static_cast<int>(bytes_.size())});
  while (count_ < limit) {
    uint8_t byte = 0;
    if (!ReadHexByte(hexData.data() + 2 * count_, byte)) break;
    bytes_[static_cast<size_t>(count_++)] = byte;
  }
}

std::optional<int> ReplyBytes::At(int index) const {
  if (index < 0 || index >= count_) return std::nullopt;
  return bytes_[static_cast<size_t>(index)];
}

std::optional<int> DecoderStatus::TagBaudIndex() const {
  if (!config) return std::nullopt;
  return 3 - (*config & 3);
}

std::optional<int> DecoderStatus::ExpectedTtoPages() const {
  if (!config) return std::nullopt;
  return (*config >> 2) & 0xf;
}

DecoderStatus ParseDecoderStatus(std::string_view hexData, int dataLength) {
  const ReplyBytes d(hexData, dataLength);
  DecoderStatus status;
  status.errors = d.At(0);
  status.overruns = d.At(1);
  if (dataLength <= 2 || d.Count() <= 2) {
    status.partiallySupported = true;
    return status;
  }
  const int d2 = *d.At(2);
  const int version = d2 & 0xf;
  status.fpgaVersion = version;
  status.timeoutFlag = Bit(d2, 7);
  status.bufferOverrunFlag = Bit(d2, 6);
  status.versionText = HexByte(version).substr(1);

  int s = 3;
  if (version == 15) {
    const std::optional<int> d3 = d.At(3);
    const std::optional<int> d4 = d.At(4);
    if (!d3 || !d4) return status;  // the version bytes themselves are missing
    status.generation = *d3 >> 4;
    status.versionText =
        "v" + HexByte(*d3 >> 4).substr(1) + "." + HexByte(*d3 & 0xf).substr(1) + "." + HexByte(*d4);
    s = 5;
  } else if (version >= 6 && version <= 10) {
    status.generation = version - 5;
  }
  const int g = status.generation;
  if (g == 0) {
    // Unknown layout: the version and the two counts are all that is sure.
    return status;
  }
  status.relabelledBoxes = g == 1 || g == 2 || g == 6;
  int configIndex = 0;
  if (g == 5) {
    status.fourChannels = true;
    for (int i = 0; i < 4; ++i) {
      status.edges[static_cast<size_t>(i)] = d.At(s + i);
      status.crcs[static_cast<size_t>(i)] = d.At(s + 4 + i);
    }
    configIndex = s + 8;
    if (d.At(s + 10))
      status.ioText = std::string(hexData.substr(static_cast<size_t>(2 * (s + 10)), 2));
  } else {
    status.edges[0] = d.At(s);
    status.edges[1] = d.At(s + 1);
    status.crcs[0] = d.At(s + 2);
    status.crcs[1] = d.At(s + 3);
    if (status.relabelledBoxes) {
      configIndex = s + 4;
    } else {
      status.levels[0] = d.At(s + 4);
      status.levels[1] = d.At(s + 5);
      configIndex = s + 6;
    }
  }
  status.config = d.At(configIndex);
  status.control = d.At(configIndex + 1);
  if (g <= 2) {
    if (status.control) status.threshold = *status.control & 0xf;
  } else if (g == 3 || g == 4 || g >= 7) {
    status.threshold = d.At(configIndex + 2);
  }
  return status;
}

std::optional<DecoderConfig> ParseDecoderConfig(std::string_view hexData, int dataLength) {
  const ReplyBytes d(hexData, dataLength);
  if (dataLength < 4 || d.Count() < 4) return std::nullopt;
  const int d0 = *d.At(0);
  const int d1 = *d.At(1);
  const int d3 = *d.At(3);
  DecoderConfig config;
  config.invert = Bit(d0, 7);
  config.filterBypass = Bit(d0, 6);
  config.tagBaud = d0 & 3;
  config.txOffInvert = Bit(d1, 7);
  config.synth = Bit(d1, 6);
  config.dutyCycle = Bit(d1, 5);
  config.modeKvq6 = Bit(d1, 4);
  config.threshold = *d.At(2);
  config.rwTimeout = (d3 >> 2) & 7;
  config.addressMode = d3 & 3;
  return config;
}

std::string SendConfigBody(const DecoderConfig& c) {
  const int b1 = (c.invert ? 0x80 : 0) | (c.filterBypass ? 0x40 : 0) | (c.tagBaud & 3);
  const int b2 = (c.txOffInvert ? 0x80 : 0) | (c.synth ? 0x40 : 0) | (c.dutyCycle ? 0x20 : 0) |
                 (c.modeKvq6 ? 0x10 : 0) | (c.threshold & 0xf);
  const int b4 = (c.useSpecificMode ? 0x80 : 0) | ((c.rwTimeout & 7) << 2) | (c.addressMode & 3);
  return "043b" + HexByte(b1) + HexByte(b2) + HexByte(c.threshold) + HexByte(b4);
}

std::string ExpectedPagesBody(int pages) {
  return "012a" + HexByte(pages);
}

std::optional<std::array<int, 6>> ParseErrorCounts(std::string_view hexData, int dataLength) {
  const ReplyBytes d(hexData, dataLength);
  if (dataLength <= 11 || d.Count() < 12) return std::nullopt;
  std::array<int, 6> counts{};
  for (int i = 0; i < 6; ++i)
    counts[static_cast<size_t>(i)] = *d.At(2 * i) * 256 + *d.At(2 * i + 1);
  return counts;
}

void DecoderControlCommands::UpdateStatus(int channel, int readerId) {
  sender_.SendCommand(channel, readerId, "002b");
}

void DecoderControlCommands::ToggleModulate(int channel, int readerId) {
  sender_.SendCommand(channel, readerId, "013d6d");
}

void DecoderControlCommands::ResetFpga(int channel, int readerId) {
  sender_.SendCommand(channel, readerId, "013d72");
}

void DecoderControlCommands::UpdateErrorCounts(int channel, int readerId) {
  sender_.SendCommand(channel, readerId, "0045");
}

void DecoderControlCommands::GetConfig(int channel, int readerId) {
  sender_.SendCommand(channel, readerId, "ff3b");
}

void DecoderControlCommands::SendConfig(int channel, int readerId, const DecoderConfig& config,
                                        int expectedPages) {
  sender_.SendCommand(channel, readerId, SendConfigBody(config).c_str());
  if (!channels_.IsOpen(channel)) return;
  queue_.SetSlot(0, channel, readerId, ExpectedPagesBody(expectedPages & 0xf));
  queue_.Start(1);
  sendConfigEnabled_ = false;
}

void DecoderControlCommands::TakeReply(int code, std::string_view data, int dataLength) {
  switch (code) {
    case 0x2b:
      status_ = ParseDecoderStatus(data, dataLength);
      if (!status_.partiallySupported) sendConfigEnabled_ = true;
      break;
    case 0x3b:
      if (auto config = ParseDecoderConfig(data, dataLength)) {
        config_ = config;
        sendConfigEnabled_ = true;
      }
      break;
    case 0x45:
      if (auto counts = ParseErrorCounts(data, dataLength)) errorCounts_ = counts;
      break;
    default:
      break;
  }
}

void DecoderAutoUpdate::SetInterval(int seconds) {
  interval_ = std::clamp(seconds, 0, 36000);
  countdown_ = interval_ * 10;
}

bool DecoderAutoUpdate::Tick() {
  if (countdown_ <= 0) return false;
  if (--countdown_ > 0) return false;
  if (interval_ > 0) countdown_ = interval_ * 10;
  return true;
}

}  // namespace corvalis
