#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace corvalis {

namespace hex_detail {
constexpr std::array<int8_t, 256> BuildDigitTable() {
  std::array<int8_t, 256> table{};
  for (auto& value : table) value = -1;
  for (int c = '0'; c <= '9'; ++c)
    table[static_cast<std::size_t>(c)] = static_cast<int8_t>(c - '0');
  for (int c = 'a'; c <= 'f'; ++c)
    table[static_cast<std::size_t>(c)] = static_cast<int8_t>(c - 'a' + 10);
  for (int c = 'A'; c <= 'F'; ++c)
    table[static_cast<std::size_t>(c)] = static_cast<int8_t>(c - 'A' + 10);
  return table;
}
// A table, because every received character goes through it.
inline constexpr std::array<int8_t, 256> kDigitValue = BuildDigitTable();
}  // namespace hex_detail

// Protocol texts write hex in lower case and read it in either case.
constexpr int HexDigitValue(char c) {
  return hex_detail::kDigitValue[static_cast<unsigned char>(c)];
}

constexpr bool IsHexDigit(char c) {
  return HexDigitValue(c) >= 0;
}

// Reads two hex digits at `text`; false when either is not a hex digit.
constexpr bool ReadHexByte(const char* text, uint8_t& out) {
  const int hi = HexDigitValue(text[0]);
  const int lo = HexDigitValue(text[1]);
  if ((hi | lo) < 0) return false;
  out = static_cast<uint8_t>(hi * 16 + lo);
  return true;
}

inline constexpr char kLowerHexDigits[] = "0123456789abcdef";

}  // namespace corvalis
