#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvalis::readersim {

// Reply codes the simulator sends.
namespace reply_code {
inline constexpr uint8_t kRfControl = 0x06;
inline constexpr uint8_t kMessageFormat = 0x11;
inline constexpr uint8_t kTrigger = 0x2C;  // also sent unsolicited
inline constexpr uint8_t kDateTime = 0x44;
inline constexpr uint8_t kCompositeFormat = 0x4E;
inline constexpr uint8_t kStats = 0x60;
inline constexpr uint8_t kSetReaderId = 0x04;
inline constexpr uint8_t kTtoPages = 0x2A;
inline constexpr uint8_t kDecoderStatus = 0x2B;
inline constexpr uint8_t kDecoderConfig = 0x3B;
inline constexpr uint8_t kDecoderControl = 0x3D;
inline constexpr uint8_t kDecoderErrorCounts = 0x45;
inline constexpr uint8_t kLengthError = 0xF0;  // 240
inline constexpr uint8_t kBadLrc = 0xF1;       // 241
inline constexpr uint8_t kUnknownCommand = 0xF2;
inline constexpr uint8_t kUnsupportedCommand = 0xF4;
inline constexpr uint8_t kUnsupportedSubCommand = 0xF5;
}  // namespace reply_code

// "ab", reader ID, LL, CC, data, the LRC over everything after "ab", CR LF;
// hex in lower case.
std::string FrameReply(int readerId, uint8_t code, std::span<const uint8_t> data);

// An error reply carries no data: "ab" rid "00" code LRC CR LF.
inline std::string ErrorReply(int readerId, uint8_t code) {
  return FrameReply(readerId, code, {});
}

// Lower-case hex of up to `count` bytes of `data` from `from`, as the
// simulator keeps the pages and IDs it was sent.
std::string HexOf(const std::vector<uint8_t>& data, size_t from, size_t count);

}  // namespace corvalis::readersim
