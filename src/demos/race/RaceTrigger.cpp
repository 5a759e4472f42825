#include "demos/race/RaceTrigger.h"

#include <ctime>

#include "protocol/Hex.h"

namespace corvalis {

namespace {

constexpr int kDataStart = 8;
constexpr int kLrcChars = 2;
constexpr int kReaderTimeChars = 14;  // yymmdd hhmmss and the hundredths byte

bool ReadDecimal(const char* text, int& out) {
  if (text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9') return false;
  out = (text[0] - '0') * 10 + (text[1] - '0');
  return true;
}

std::optional<WallTime> ReadReaderTime(const char* data) {
  int fields[6] = {};
  for (int i = 0; i < 6; ++i) {
    if (!ReadDecimal(data + 2 * i, fields[i])) return std::nullopt;
  }
  uint8_t hundredths = 0;
  if (!ReadHexByte(data + 12, hundredths) || hundredths > 99) return std::nullopt;
  std::tm local{};
  local.tm_year = fields[0] + 100;
  local.tm_mon = fields[1] - 1;
  local.tm_mday = fields[2];
  local.tm_hour = fields[3];
  local.tm_min = fields[4];
  local.tm_sec = fields[5];
  local.tm_isdst = -1;
  const std::time_t seconds = std::mktime(&local);
  if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
  return WallTime{static_cast<int32_t>(seconds), hundredths * 10};
}

}  // namespace

RaceTrigger ParseRaceTrigger(const char* line, int length) {
  RaceTrigger trigger;
  if (line == nullptr || length < kDataStart + kLrcChars || line[0] != 'a' || line[1] != 'b' ||
      line[6] != '2' || line[7] != 'c') {
    return trigger;
  }
  unsigned sum = 0;
  for (int i = 2; i < length - kLrcChars; ++i) sum += static_cast<unsigned char>(line[i]);
  uint8_t lrc = 0;
  if (!ReadHexByte(line + length - kLrcChars, lrc) || (sum & 0xFF) != lrc) {
    trigger.result = TriggerParse::LrcError;
    return trigger;
  }
  trigger.result = TriggerParse::Trigger;
  if (length - kLrcChars - kDataStart >= kReaderTimeChars) {
    trigger.readerTime = ReadReaderTime(line + kDataStart);
  }
  return trigger;
}

}  // namespace corvalis
