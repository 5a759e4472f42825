#include "tagrw/TagSimCommands.h"

#include <algorithm>

#include "control/CommandWord.h"
#include "protocol/Checksums.h"
#include "protocol/Hex.h"
#include "script/ScriptVariables.h"
#include "tagrw/PageHex.h"

namespace corvalis {
namespace {

std::string HexDigits(unsigned value, int digits) {
  std::string out(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i) {
    out[static_cast<size_t>(i)] = kLowerHexDigits[value & 15];
    value >>= 4;
  }
  return out;
}

std::string Byte(int value) {
  return HexDigits(static_cast<unsigned>(std::clamp(value, 0, 255)), 2);
}

std::string IdDigits(std::string_view id) {
  std::string out = LowerCase(id.substr(0, std::min<size_t>(id.size(), kSimIdDigitsWithCrc)));
  out.resize(kSimIdDigitsWithCrc, '0');
  return out;
}

}  // namespace

std::optional<std::string> ParseSimTagId(std::string_view typed, bool generateCrc) {
  const size_t limit = generateCrc ? kSimIdDigitsWithCrc : kSimIdDigits;
  if (typed.empty() || typed.size() > limit) return std::nullopt;
  if (!std::all_of(typed.begin(), typed.end(), IsHexDigit)) return std::nullopt;
  return std::string(typed);
}

std::optional<uint16_t> ParseSimCrcSeed(std::string_view typed) {
  long long value = 0;
  if (!ParseScriptInteger(typed, &value) || value < 0 || value > 0xFFFF) return std::nullopt;
  return static_cast<uint16_t>(value);
}

std::string FormatSimCrcSeed(uint16_t seed) {
  return "0x" + HexDigits(seed, 4);
}

uint16_t SimIdCrc(std::string_view id, uint16_t seed) {
  const std::string digits = IdDigits(id);
  uint8_t bytes[kSimIdDigitsWithCrc / 2] = {};
  for (size_t i = 0; i < sizeof bytes; ++i) ReadHexByte(digits.data() + 2 * i, bytes[i]);
  return TagCrc(bytes, static_cast<int>(sizeof bytes), seed);
}

std::string SimSendIdBody(std::string_view id, bool generateCrc, uint16_t seed) {
  if (generateCrc) return "0811" + IdDigits(id) + HexDigits(SimIdCrc(id, seed), 4);
  return "0811" + LowerCase(PadRight(id, kSimIdDigits));
}

std::string SimSetTagBody(int position, std::string_view id, bool generateCrc,
                          std::string_view crcShown) {
  const std::string where = Byte(position);
  if (generateCrc) return "0915" + where + IdDigits(id) + std::string(crcShown);
  return "0915" + where + LowerCase(PadRight(id, kSimIdDigits));
}

std::string SimNumTagsBody(int count) {
  return "0115" + Byte(count);
}

std::string SimAlgorithmBody(int algorithm, int period4) {
  return "0413" + Byte(algorithm) + "00" + Byte(period4) + "00";
}

std::string SimDelayBody(int delay) {
  const int count = std::clamp(65536 - delay, 0, 65535);
  return "0216" + HexDigits(static_cast<unsigned>(count), 4);
}

std::string SimTtoPagesBody(int pages) {
  return "011d" + Byte(pages);
}

std::string SimRepeatsBody(int repeats) {
  return "011c" + Byte(repeats);
}

std::string SimIncrementRoutineBody(bool newer) {
  return newer ? "011e01" : "011e00";
}

}  // namespace corvalis
