#pragma once

#include <cstdint>

namespace corvalis {

// Protocol texts write hex in lower case and read it in either case.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr bool IsHexDigit(char c) { return HexDigitValue(c) >= 0; }

// Reads two hex digits at `text`; false when either is not a hex digit.
constexpr bool ReadHexByte(const char* text, uint8_t& out) {
  const int hi = HexDigitValue(text[0]);
  const int lo = HexDigitValue(text[1]);
  if (hi < 0 || lo < 0) return false;
  out = static_cast<uint8_t>(hi * 16 + lo);
  return true;
}

inline constexpr char kLowerHexDigits[] = "0123456789abcdef";

}  // namespace corvalis
