#include "tagrw/RwStatus.h"

#include "protocol/Hex.h"

namespace corvalis {
namespace {

// Reply header: "ab", reader ID, length, code; data from character 9.
constexpr size_t kDataStart = 8;

bool Header(std::string_view line, uint8_t code, uint8_t& length) {
  uint8_t got = 0;
  if (line.size() < kDataStart || line[0] != 'a' || line[1] != 'b') return false;
  if (!ReadHexByte(line.data() + 4, length) || !ReadHexByte(line.data() + 6, got)) return false;
  return got == code && line.size() >= kDataStart + 2u * length;
}

}  // namespace

std::optional<RwStatus> ParseRwStatus(std::string_view line) {
  uint8_t length = 0;
  if (!Header(line, 0x26, length)) return std::nullopt;
  const bool withCrc = length == 16;
  // Three flag bytes, the optional CRC byte, then 2+1+1+1+1+2+4+12 characters.
  const size_t need = 6 + (withCrc ? 2 : 0) + 24;
  if (2u * length < need) return std::nullopt;
  RwStatus s;
  const char* d = line.data() + kDataStart;
  if (!ReadHexByte(d, s.state) || !ReadHexByte(d + 2, s.timeouts) || !ReadHexByte(d + 4, s.options))
    return std::nullopt;
  size_t at = 6;
  if (withCrc) {
    uint8_t crc = 0;
    if (!ReadHexByte(d + 6, crc)) return std::nullopt;
    s.dataCrc = crc;
    at = 8;
  }
  s.command.assign(d + at, 2);
  s.startPage = d[at + 2];
  s.numPages = d[at + 3];
  s.thisPage = d[at + 4];
  s.pagesRemaining = d[at + 5];
  s.retries.assign(d + at + 6, 2);
  s.code.assign(d + at + 8, 4);
  s.target.assign(d + at + 12, 12);
  return s;
}

std::optional<RwOptions> ParseRwOptions(std::string_view line) {
  uint8_t length = 0;
  if (!Header(line, 0x28, length) || length < 2) return std::nullopt;
  RwOptions o;
  if (!ReadHexByte(line.data() + kDataStart, o.options) ||
      !ReadHexByte(line.data() + kDataStart + 2, o.dataCrc))
    return std::nullopt;
  return o;
}

std::string RwOptionsBody(const RwOptions& options) {
  std::string body = "0228";
  for (uint8_t b : {options.options, options.dataCrc}) {
    body += kLowerHexDigits[b >> 4];
    body += kLowerHexDigits[b & 15];
  }
  return body;
}

}  // namespace corvalis
