#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvalis {

inline constexpr int kHexDataMax = 255;

enum class HexRecordType : uint8_t {
  kData = 0,
  kEndOfFile = 1,
  kExtendedSegment = 2,
  kStartSegment = 3,
  kExtendedLinear = 4,
  kStartLinear = 5,
};

// One Intel HEX record line, ":" count address type data checksum.
struct HexRecord {
  int count = 0;
  uint16_t address = 0;
  uint8_t type = 0;
  std::array<uint8_t, kHexDataMax> data{};
};

enum class HexParseError {
  kNone,
  kNoColon,
  kNotHex,       // a character that is not a hexadecimal digit, or an odd count
  kWrongLength,  // fewer or more digits than the count field says
  kBadChecksum,
};

// Parses one line; blanks and a line end after the checksum are allowed.
HexParseError ParseHexRecord(std::string_view line, HexRecord& record);
const char* HexParseErrorText(HexParseError error);

// The two's complement of the byte sum of count, address, type and data.
uint8_t HexChecksum(int count, uint16_t address, uint8_t type, const uint8_t* data);

// ":CCAAAATT" + data + checksum, upper case, without a line end.
std::string FormatHexRecord(uint16_t address, uint8_t type, const uint8_t* data, int count);

}  // namespace corvalis
