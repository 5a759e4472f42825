#include "TimingFields.h"

#include <array>
#include <cstdio>

#include "ReaderState.h"
#include "ReplyBuilder.h"
#include "logging/timing/TimingRecorder.h"
#include "protocol/Checksums.h"

namespace corvalis::readersim {

namespace {

constexpr size_t kIdNumberAt = 22;
constexpr size_t kMillisAt = 38;
constexpr size_t kTimingAt = 40;

bool HasFixedTimingLayout(const MessageFormat& f) {
  bool allId = true;
  for (bool present : f.idByte) allId = allId && present;
  return !f.binary && f.asciiHeader1 != 0 && f.asciiHeader2 != 0 && f.rdrId && allId && f.iCount &&
         f.qCount && f.date && f.time && f.hundredths && f.millis && f.msTiming && f.separator == 0;
}

uint8_t Bcd(int value) {
  return static_cast<uint8_t>((value / 10) * 16 + value % 10);
}

void Put(std::string& message, size_t at, const char* text) {
  message.replace(at, std::char_traits<char>::length(text), text);
}

}  // namespace

bool FillTimingFields(const MessageFormat& format, const TagId& id, int slot, WallTime at,
                      std::string& message) {
  const size_t needed = kTimingAt + field_chars::kMsTiming +
                        (format.msTimingP ? field_chars::kMsTimingExtra : 0) +
                        (format.lrc ? field_chars::kLrc : 0);
  if (!HasFixedTimingLayout(format) || message.size() < needed) return false;
  const auto tagCode = static_cast<uint16_t>(id[6] << 8 | id[7]);
  // A slot whose word an earlier hop also reaches would check as that
  // earlier slot; take the next one that checks as itself (slot 0 always does).
  while (FindTimingSlot(tagCode, TimingSlotWord(tagCode, slot)).slot != slot)
    slot = (slot + 1) % 40;
  const int r16 = (kTimingPeriod - 50) << 10 | TimingSlotWord(tagCode, slot);
  char field[32];
  std::snprintf(field, sizeof field, "%02x", slot);
  Put(message, kIdNumberAt, field);
  std::snprintf(field, sizeof field, "%02d", at.ms % 10 * 10);
  Put(message, kMillisAt, field);
  std::snprintf(field, sizeof field, "%04x%04x%02x%08x", r16, at.ms, (at.ms / 10) & 0x7F,
                slot * 1000);
  Put(message, kTimingAt, field);
  if (format.msTimingP) {
    std::snprintf(field, sizeof field, "%04x", kTimingPeriod);
    Put(message, kTimingAt + field_chars::kMsTiming, field);
  }
  if (format.lrc) {
    const size_t lrcAt = message.size() - field_chars::kLrc;
    FormatLrc(ComputeLrc(message.data() + 2, static_cast<int>(lrcAt - 2)), message.data() + lrcAt);
  }
  return true;
}

std::string TriggerLine(int readerId, WallTime at) {
  const std::tm t = LocalCalendar(at);
  const std::array<uint8_t, 7> data = {Bcd(t.tm_year % 100),
                                       Bcd(t.tm_mon + 1),
                                       Bcd(t.tm_mday),
                                       Bcd(t.tm_hour),
                                       Bcd(t.tm_min),
                                       Bcd(t.tm_sec),
                                       static_cast<uint8_t>(at.ms / 10)};
  return FrameReply(readerId, reply_code::kTrigger, data);
}

}  // namespace corvalis::readersim
