#include "script/firmware/HexRecord.h"

namespace corvalis {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ReadByte(std::string_view digits, size_t at, uint8_t& out) {
  const int high = HexDigit(digits[at]);
  const int low = HexDigit(digits[at + 1]);
  if (high < 0 || low < 0) return false;
  out = static_cast<uint8_t>(high * 16 + low);
  return true;
}

std::string_view TrimEnd(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' ||
                           text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

HexParseError ParseHexRecord(std::string_view line, HexRecord& record) {
  line = TrimEnd(line);
  if (line.empty() || line.front() != ':') return HexParseError::kNoColon;
  const std::string_view digits = line.substr(1);
  if (digits.size() % 2 != 0) return HexParseError::kNotHex;
  for (char c : digits) {
    if (HexDigit(c) < 0) return HexParseError::kNotHex;
  }
  constexpr size_t kFixedBytes = 5;  // count, address (2), type, checksum
  if (digits.size() < kFixedBytes * 2) return HexParseError::kWrongLength;
  uint8_t count = 0;
  ReadByte(digits, 0, count);
  if (digits.size() != (kFixedBytes + count) * 2) return HexParseError::kWrongLength;

  uint8_t sum = 0;
  for (size_t at = 0; at < digits.size(); at += 2) {
    uint8_t value = 0;
    ReadByte(digits, at, value);
    sum = static_cast<uint8_t>(sum + value);
  }
  if (sum != 0) return HexParseError::kBadChecksum;

  uint8_t high = 0;
  uint8_t low = 0;
  ReadByte(digits, 2, high);
  ReadByte(digits, 4, low);
  record.count = count;
  record.address = static_cast<uint16_t>(high << 8 | low);
  ReadByte(digits, 6, record.type);
  for (int i = 0; i < count; ++i) {
    ReadByte(digits, 8 + static_cast<size_t>(i) * 2, record.data[static_cast<size_t>(i)]);
  }
  return HexParseError::kNone;
}

const char* HexParseErrorText(HexParseError error) {
  switch (error) {
    case HexParseError::kNone:
      return "OK";
    case HexParseError::kNoColon:
      return "no record mark";
    case HexParseError::kNotHex:
      return "not hexadecimal";
    case HexParseError::kWrongLength:
      return "length does not match the count";
    case HexParseError::kBadChecksum:
      return "checksum error";
  }
  return "malformed";
}

uint8_t HexChecksum(int count, uint16_t address, uint8_t type, const uint8_t* data) {
  unsigned sum = static_cast<unsigned>(count) + (address >> 8) + (address & 0xffu) + type;
  for (int i = 0; i < count; ++i) sum += data[i];
  return static_cast<uint8_t>(-sum & 0xffu);
}

std::string FormatHexRecord(uint16_t address, uint8_t type, const uint8_t* data, int count) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string line = ":";
  const auto put = [&line](unsigned value) {
    line += kDigits[(value >> 4) & 0xf];
    line += kDigits[value & 0xf];
  };
  put(static_cast<unsigned>(count));
  put(address >> 8u);
  put(address & 0xffu);
  put(type);
  for (int i = 0; i < count; ++i) put(data[i]);
  put(HexChecksum(count, address, type, data));
  return line;
}

}  // namespace corvalis
