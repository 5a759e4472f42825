#include "TagSimulator.h"

#include "ReplyBuilder.h"
#include "protocol/Hex.h"

namespace corvalis::readersim {
namespace {

constexpr int kSetId = 0x11;
constexpr int kSetStackId = 0x15;
constexpr int kAlgorithm = 0x13;
constexpr int kDelay = 0x16;
constexpr int kTtoPages = 0x1d;
constexpr int kRepeats = 0x1c;
constexpr int kIncrementRoutine = 0x1e;
constexpr int kNvWrite = 0x1b;
constexpr int kTransmitter = 0x06;

}  // namespace

std::string TagSimulator::Handle(int address, int ll, int cc, const std::vector<uint8_t>& data) {
  const auto ack = [&] { return FrameReply(address, static_cast<uint8_t>(cc), data); };
  switch (cc) {
    case kSetId:
      if (ll != 8) return {};
      id_ = HexOf(data, 0, 8);
      return ack();
    case kSetStackId:
      // "0915" position + ID; "0115" count (0: increment the ID).
      if (ll == 9) {
        stack_[data[0] % kStackSize] = HexOf(data, 1, 8);
        return ack();
      }
      if (ll != 1) return {};
      tagCount_ = data[0];
      return ack();
    case kAlgorithm:
      if (ll != 4) return {};
      algorithm_ = data[0];
      period4_ = data[2];
      return ack();
    case kDelay:
      if (ll != 2) return {};
      delayCount_ = data[0] << 8 | data[1];
      return ack();
    case kTtoPages:
    case kRepeats:
    case kIncrementRoutine:
    case kTransmitter:
      if (ll != 1) return {};
      if (cc == kTtoPages) ttoPages_ = data[0];
      if (cc == kRepeats) repeats_ = data[0];
      if (cc == kIncrementRoutine) newIncrement_ = data[0] != 0;
      if (cc == kTransmitter) txOn_ = data[0] != 0;
      return ack();
    case kNvWrite:
      if (ll != 0) return {};
      saved_ = true;
      return ack();
    default:
      return {};
  }
}

}  // namespace corvalis::readersim
