#include "modbus/ModbusReplyAssembler.h"

#include <cstring>

#include "modbus/ModbusRequest.h"

namespace corvalis {
namespace {

constexpr int kExceptionBit = 0x80;
constexpr int kExceptionLength = 3;  // unit, function code, exception code
constexpr int kShortestLength = 3;
constexpr int kLongestLength = kModbusReplyMax - kMbapHeaderLength;

bool IsTabFunction(int code) {
  return code == 3 || code == 4 || code == 5 || code == 6 || code == 16;
}

}  // namespace

bool ModbusReplyAssembler::HeldBytesPlausible() const {
  // Our requests carry transaction and protocol 0, and servers echo both.
  for (int i = 0; i < fill_ && i < 4; ++i) {
    if (bytes_[static_cast<size_t>(i)] != 0) return false;
  }
  if (fill_ < kMbapHeaderLength) return true;
  const int length = (bytes_[4] << 8) | bytes_[5];
  if (length < kShortestLength || length > kLongestLength) return false;
  if (fill_ < 8) return true;
  const int function = bytes_[7];
  const int base = function & ~kExceptionBit;
  if (expectedFunction_ != 0 ? base != expectedFunction_ : !IsTabFunction(base)) return false;
  if ((function & kExceptionBit) != 0 && length != kExceptionLength) return false;
  return true;
}

int ModbusReplyAssembler::FrameLength() const {
  if (fill_ < kMbapHeaderLength) return 0;
  return kMbapHeaderLength + ((bytes_[4] << 8) | bytes_[5]);
}

void ModbusReplyAssembler::DropFirst() {
  std::memmove(bytes_.data(), bytes_.data() + 1, static_cast<size_t>(fill_ - 1));
  --fill_;
}

}  // namespace corvalis
