#include "demos/tolling/TollingReplies.h"

#include "protocol/Hex.h"

namespace corvalis {
namespace {

constexpr int kMinReplyChars = 12;  // the window ignores anything shorter
constexpr int kFrameChars = 10;     // "ab", reader ID, LL, CC, LRC

// The reply's first `count` data bytes, when it is of `code`, announces at
// least that many and its text holds them.
template <size_t N>
bool DataBytes(const ReplyView& reply, int code, int count, std::array<uint8_t, N>& out) {
  if (reply.code != code || reply.text == nullptr || reply.data == nullptr) return false;
  if (reply.length < kMinReplyChars || reply.dataLength < count) return false;
  if (reply.length < kFrameChars + 2 * count || count > static_cast<int>(N)) return false;
  for (int i = 0; i < count; ++i) {
    if (!ReadHexByte(reply.data + 2 * i, out[static_cast<size_t>(i)])) return false;
  }
  return true;
}

int Word(const std::array<uint8_t, 11>& b, int first) {
  return b[static_cast<size_t>(first)] << 8 | b[static_cast<size_t>(first + 1)];
}

}  // namespace

std::optional<TollingTariffs> ParseTollingTariffs(const ReplyView& reply) {
  std::array<uint8_t, 11> b{};
  if (!DataBytes(reply, kTollingTariffsCode, 11, b)) return std::nullopt;
  TollingTariffs t;
  t.classes = b[0];
  for (int i = 0; i < kTollingClasses; ++i) t.tariffs[static_cast<size_t>(i)] = Word(b, 1 + 2 * i);
  return t;
}

std::optional<TollingReadPoints> ParseTollingReadPoints(const ReplyView& reply) {
  std::array<uint8_t, 2> b{};
  if (!DataBytes(reply, kTollingReadPointCode, 2, b)) return std::nullopt;
  return TollingReadPoints{b[0], b[1]};
}

std::optional<TollingModeReply> ParseTollingMode(const ReplyView& reply) {
  std::array<uint8_t, 5> b{};
  if (DataBytes(reply, kTollingModeCode, 5, b)) {
    const uint32_t credit =
        uint32_t{b[1]} << 24 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 8 | b[4];
    return TollingModeReply{b[0], credit};
  }
  if (!DataBytes(reply, kTollingModeCode, 1, b)) return std::nullopt;
  return TollingModeReply{b[0], std::nullopt};
}

std::optional<std::array<int, kTollingTimeouts>> ParseTollingTimeouts(const ReplyView& reply) {
  std::array<uint8_t, kTollingTimeouts> b{};
  if (!DataBytes(reply, kTollingTimeoutsCode, kTollingTimeouts, b)) return std::nullopt;
  std::array<int, kTollingTimeouts> out{};
  for (size_t i = 0; i < out.size(); ++i) out[i] = b[i];
  return out;
}

}  // namespace corvalis
