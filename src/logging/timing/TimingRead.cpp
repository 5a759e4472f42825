#include "logging/timing/TimingRead.h"

#include <cstdio>

#include "protocol/Hex.h"

namespace corvalis {

namespace {

bool ReadHexField(const char* text, int digits, uint32_t& out) {
  uint32_t value = 0;
  for (int i = 0; i < digits; ++i) {
    const int digit = HexDigitValue(text[i]);
    if (digit < 0) return false;
    value = value * 16 + static_cast<uint32_t>(digit);
  }
  out = value;
  return true;
}

bool ReadDecimalPair(const char* text, int& out) {
  if (text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9') return false;
  out = (text[0] - '0') * 10 + (text[1] - '0');
  return true;
}

}  // namespace

TimingParse ParseTimingRead(const char* text, int length, bool withPeriod, TimingRead& out) {
  namespace pos = timing_pos;
  const int needed = withPeriod ? pos::kEndWithPeriod : pos::kEndWithoutPeriod;
  if (text == nullptr || length < needed || text[0] != 'a' || text[1] != 'a') {
    return TimingParse::NotTiming;
  }
  TimingRead read;
  uint32_t idNumber = 0, r16 = 0, timerX = 0, ms10 = 0, usDelay = 0, period = 0;
  for (int i = 0; i < 8; ++i) {
    if (!ReadDecimalPair(text + pos::kDateTime + 2 * i, read.dateTime[i])) {
      return TimingParse::NotTiming;
    }
  }
  if (!ReadHexField(text + pos::kIdNumber, 2, idNumber) ||
      !ReadHexField(text + pos::kR16, 4, r16) || !ReadHexField(text + pos::kTimerX, 4, timerX) ||
      !ReadHexField(text + pos::kMs10, 2, ms10) ||
      !ReadHexField(text + pos::kUsDelay, 8, usDelay) ||
      (withPeriod && !ReadHexField(text + pos::kPeriod, 4, period))) {
    return TimingParse::NotTiming;
  }
  for (int i = 0; i < 16; ++i) read.id[i] = text[pos::kId + i];
  read.idNumber = static_cast<int>(idNumber);
  read.r16 = static_cast<uint16_t>(r16);
  read.timerX = static_cast<uint16_t>(timerX);
  read.ms10 = static_cast<int>(ms10 & 0x7F);
  read.mis = (ms10 & 0x80) != 0;
  read.usDelay = usDelay;
  read.period = withPeriod ? static_cast<int>(period) : (read.r16 >> 10) + 50;
  read.timer = static_cast<uint16_t>(read.timerX + 5);
  if (read.mis && read.timer < 500) read.timer += 1000;
  read.hourTime = read.dateTime[4] * 60000 + read.dateTime[5] * 1000 + read.dateTime[6] * 10;

  uint32_t tagCode = 0;
  const bool idIsHex =
      ReadHexField(text + pos::kId, 12, tagCode) && ReadHexField(text + pos::kTagCode, 4, tagCode);
  read.tagCode = static_cast<uint16_t>(tagCode);
  out = read;
  return idIsHex ? TimingParse::Ok : TimingParse::BadId;
}

std::string FormatTimingListLine(const TimingRead& read) {
  const int* d = read.dateTime;
  char line[160];
  std::snprintf(line, sizeof line,
                "%s, %02d-%02d-%02d %02d:%02d:%02d.%02d%02d, (ID %2d), %02d, %c, %5d, %03x, %5d, "
                "%04x, %8u",
                read.id, d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7], read.idNumber, read.ms10,
                read.mis ? '*' : ' ', read.period, read.r16 & 0x3FFu, read.timer, read.timerX,
                read.usDelay);
  return line;
}

bool IsTimingJumpBack(int previousHourTime, const TimingRead& read) {
  return previousHourTime - read.hourTime > 10;
}

}  // namespace corvalis
