#include "tags/TagRecordText.h"

#include <charconv>
#include <cstring>

#include "protocol/Hex.h"

namespace corvalis {
namespace {

// Writes `value` right-aligned in at least `width` places, NUL-terminated,
// never past `end`. Returns the position after the digits.
char* WritePadded(char* out, char* end, long long value, int width) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  const int length = static_cast<int>(result.ptr - digits);
  for (int pad = width - length; pad > 0 && out < end - 1; --pad) *out++ = ' ';
  for (int k = 0; k < length && out < end - 1; ++k) *out++ = digits[k];
  *out = '\0';
  return out;
}

}  // namespace

void FormatHexId(const uint8_t id[kTagIdBytes], char (&out)[17]) {
  for (int k = 0; k < kTagIdBytes; ++k) {
    out[2 * k] = kLowerHexDigits[id[k] >> 4];
    out[2 * k + 1] = kLowerHexDigits[id[k] & 0x0f];
  }
  out[16] = '\0';
}

void FormatWiegand26(const uint8_t id[kTagIdBytes], char (&out)[11]) {
  const uint32_t value = (uint32_t{id[3]} << 16) | (uint32_t{id[4]} << 8) | id[5];
  WritePadded(out, out + sizeof out, value, 0);
}

void FormatWiegand34(const uint8_t id[kTagIdBytes], char (&out)[11]) {
  const uint32_t value =
      (uint32_t{id[2]} << 24) | (uint32_t{id[3]} << 16) | (uint32_t{id[4]} << 8) | id[5];
  WritePadded(out, out + sizeof out, value, 0);
}

void FormatSeenCountText(int32_t count, int noiseLimit, bool created, char (&out)[12]) {
  if (count > noiseLimit) {
    WritePadded(out, out + sizeof out, count, 0);
    return;
  }
  char* const end = out + sizeof out;
  out[0] = '*';
  char* next = WritePadded(out + 1, end, count, created ? 3 : 0);
  if (next < end - 1) {
    *next++ = '*';
    *next = '\0';
  }
}

char StatusLetter(uint8_t tamper, uint8_t flagFS, uint8_t flagLS) {
  if (tamper != 0) return 'T';
  if (flagFS != 0) return 'F';
  if (flagLS != 0) return 'L';
  return ' ';
}

void FormatChannelLine(const uint8_t id[kTagIdBytes], int channel, char status, int32_t count,
                       char (&line)[kChannelLineSize]) {
  char* out = line;
  for (int k = 0; k < kTagIdBytes; ++k) {
    *out++ = kLowerHexDigits[id[k] >> 4];
    *out++ = kLowerHexDigits[id[k] & 0x0f];
    *out++ = ' ';
  }
  *out++ = static_cast<char>('0' + (channel + 1) % 10);
  *out++ = ' ';
  *out++ = status;
  *out++ = ' ';
  RewriteChannelLineCount(count, line);
}

void RewriteChannelLineCount(int32_t count, char (&line)[kChannelLineSize]) {
  WritePadded(line + kChannelLineCountColumn, line + sizeof line, count, 5);
}

}  // namespace corvalis
