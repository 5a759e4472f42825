#include "protocol/Checksums.h"

#include <array>

#include "protocol/ByteScan.h"
#include "protocol/Hex.h"

namespace corvalis {
namespace {

constexpr uint16_t kPolynomial = 0x8005;
constexpr uint16_t kFinalXor = 0x0000;

constexpr std::array<uint16_t, 256> BuildCrcTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned reg = i << 8;
    for (int bit = 0; bit < 8; ++bit) {
      const bool carry = (reg & 0x8000u) != 0;
      reg = (reg << 1) & 0xFFFFu;
      if (carry) reg ^= kPolynomial;
    }
    table[i] = static_cast<uint16_t>(reg);
  }
  return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = BuildCrcTable();

}  // namespace

uint8_t ComputeLrc(const char* text, int count) {
  return static_cast<uint8_t>(SumBytes(text, count) & 0xFFu);
}

void FormatLrc(uint8_t lrc, char* out) {
  out[0] = kLowerHexDigits[lrc >> 4];
  out[1] = kLowerHexDigits[lrc & 0x0F];
}

bool CheckLrc(const char* text, int length) {
  if (length < 2) return false;
  uint8_t expected = 0;
  if (!ReadHexByte(text + length - 2, expected)) return false;
  return ComputeLrc(text, length - 2) == expected;
}

uint16_t TagCrcFrom(const uint8_t* bytes, int count, uint16_t initial) {
  unsigned crc = initial;
  for (int i = 0; i < count; ++i) {
    crc = kCrcTable[((crc >> 8) ^ bytes[i]) & 0xFFu] ^ ((crc << 8) & 0xFFFFu);
  }
  return static_cast<uint16_t>(crc);
}

uint16_t TagCrc(const uint8_t* bytes, int count, uint16_t seed) {
  return static_cast<uint16_t>(TagCrcFrom(bytes, count, seed) ^ kFinalXor);
}

uint16_t TagCrcTableEntry(uint8_t index) {
  return kCrcTable[index];
}

}  // namespace corvalis
