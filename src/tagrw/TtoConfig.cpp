#include "tagrw/TtoConfig.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "protocol/Checksums.h"
#include "protocol/Hex.h"
#include "tagrw/PageHex.h"

namespace corvalis {
namespace {

std::string Hex(unsigned value, int digits) {
  std::string out(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4)
    out[static_cast<size_t>(i)] = kLowerHexDigits[value & 15];
  return out;
}

unsigned WordOf(const TtoConfig& c) {
  return static_cast<unsigned>((c.tamper & 3) << 14 | (c.delay & 3) << 12 | (c.txRate & 3) << 10 |
                               (c.startPage & 15) << 4 | (c.numPages & 15));
}

}  // namespace

std::optional<TtoConfig> ParseTtoConfig(std::string_view page) {
  if (!IsPageData(page)) return std::nullopt;
  const std::string p = LowerCase(page);
  const unsigned word = static_cast<unsigned>(std::stoul(p.substr(0, 4), nullptr, 16));
  TtoConfig c;
  c.tamper = static_cast<int>(word >> 14 & 3);
  c.delay = static_cast<int>(word >> 12 & 3);
  c.txRate = static_cast<int>(word >> 10 & 3);
  c.startPage = static_cast<int>(word >> 4 & 15);
  c.numPages = static_cast<int>(word & 15);
  c.trim = static_cast<int>(std::stoul(p.substr(4, 2), nullptr, 16));
  c.lockMask = static_cast<uint16_t>(std::stoul(p.substr(12, 4), nullptr, 16));
  return c;
}

std::string ComposeTtoConfig(const TtoConfig& c) {
  return Hex(WordOf(c), 4) + Hex(static_cast<unsigned>(c.trim & 0xFF), 2) + "00ffff" +
         Hex(c.lockMask, 4);
}

std::string LoadConfigWord(const TtoConfig& fields, std::string_view page) {
  const std::string rest = page.size() > 4 ? std::string(page.substr(4)) : std::string();
  return LowerCase(Hex(WordOf(fields), 4) + rest);
}

std::string StepTrim(std::string_view page, int steps) {
  if (page.size() < 6) return std::string(page);
  std::string trim(page.substr(4, 2));
  for (int i = 0; i < (steps < 0 ? -steps : steps); ++i)
    trim = steps > 0 ? IncrementHex(trim) : DecrementHex(trim);
  return WithTrim(page, trim);
}

std::string WithTrim(std::string_view page, std::string_view trim) {
  std::string out(page);
  if (out.size() >= 6 && trim.size() == 2) out.replace(4, 2, LowerCase(trim));
  return out;
}

uint16_t CrcCcitt(const uint8_t* bytes, int count) {
  uint16_t crc = 0xFFFF;
  for (int i = 0; i < count; ++i) {
    crc = static_cast<uint16_t>(crc ^ (bytes[i] << 8));
    for (int bit = 0; bit < 8; ++bit)
      crc = static_cast<uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
  }
  return crc;
}

std::string PageWithCrc(std::string_view data, const PageCrcChoice& choice) {
  std::string id = LowerCase(data.substr(0, std::min<size_t>(12, data.size())));
  id.resize(12, '0');
  uint8_t bytes[6] = {};
  for (int i = 0; i < 6; ++i) {
    if (!ReadHexByte(id.data() + 2 * i, bytes[i])) return std::string(data);
  }
  if (choice.shift) {
    for (int i = 5; i >= 0; --i) {
      const uint8_t carry = i > 0 ? static_cast<uint8_t>(bytes[i - 1] << 7) : 0;
      bytes[i] = static_cast<uint8_t>(bytes[i] >> 1 | carry);
    }
  }
  const uint16_t crc =
      choice.ccitt ? CrcCcitt(bytes, 6) : TagCrc(bytes, 6, choice.kvq ? 0xFFFF : 0x0000);
  return id + Hex(crc, 4);
}

double TtoRate(int periodCount) {
  return periodCount <= 10 ? 0.0 : 670000.0 / periodCount;
}

std::optional<int> TtoPeriodOf(std::string_view line) {
  if (line.size() < 16) return std::nullopt;
  uint8_t high = 0;
  uint8_t low = 0;
  if (!ReadHexByte(line.data() + 12, high) || !ReadHexByte(line.data() + 14, low))
    return std::nullopt;
  return high << 8 | low;
}

RateBand BandOf(double rate) {
  if (rate < 200) return RateBand::kLow;
  if (rate <= 270) return RateBand::kRed;
  if (rate <= 279) return RateBand::kTarget;
  return RateBand::kHigh;
}

std::string FormatRate(double rate) {
  char text[32];
  std::snprintf(text, sizeof text, "%3.0f k", rate);
  return text;
}

bool RatePoller::Tick() {
  if (!polling_) return false;
  if (--countdown_ > 0) return false;
  countdown_ = 8;
  return true;
}

}  // namespace corvalis
