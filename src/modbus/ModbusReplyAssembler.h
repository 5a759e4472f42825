#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace corvalis {

inline constexpr int kModbusReplyMax = 79;

// Gathers one Modbus TCP reply to the length its header gives. Bytes that
// cannot begin a reply (the header's transaction and protocol are not 0, the
// length does not fit, the function code is not the one asked for) are handed
// back one by one, oldest first, so a reply after noise is still found and
// text lines that share the channel are not swallowed.
class ModbusReplyAssembler {
 public:
  // The function code the outstanding request used; 0 takes any of the
  // codes the tab sends (eavesdropping).
  void Expect(int functionCode) { expectedFunction_ = functionCode; }

  // Takes one byte. Returns true when it completed a reply (see Reply()).
  // A byte that cannot be part of a reply, or an older held byte that no
  // longer fits, goes to `reject(byte)`.
  template <typename Reject>
  bool Push(uint8_t byte, Reject&& reject) {
    if (fill_ == kModbusReplyMax) Clear();
    bytes_[static_cast<std::size_t>(fill_++)] = byte;
    while (fill_ > 0 && !HeldBytesPlausible()) {
      reject(bytes_[0]);
      DropFirst();
    }
    return fill_ > 0 && fill_ == FrameLength();
  }

  void Clear() { fill_ = 0; }
  int Held() const { return fill_; }
  const uint8_t* Bytes() const { return bytes_.data(); }

 private:
  bool HeldBytesPlausible() const;
  int FrameLength() const;  // 0 until the length field is held
  void DropFirst();

  std::array<uint8_t, kModbusReplyMax> bytes_{};
  int fill_ = 0;
  int expectedFunction_ = 0;
};

}  // namespace corvalis
