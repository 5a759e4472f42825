#include "script/ScriptReplyVariables.h"

#include <array>

namespace corvalis {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int HexByteAt(std::string_view line, size_t at) {
  if (at + 2 > line.size()) return -1;
  const int high = HexDigit(line[at]);
  const int low = HexDigit(line[at + 1]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// Field widths in bytes, in wire order; -1 marks the flags byte.
constexpr std::array<int, 27> kStatsWidths = {1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 1,  1, 1, 1,
                                              1, 1, 1, 1, 2, 1, 1, 1, 1, 1, -1, 1, 1};

}  // namespace

bool StoreStatsReply(std::string_view line, NamedValues& values) {
  if (line.size() < 8 || line.substr(0, 2) != "ab" || HexByteAt(line, 6) != 0x0a) return false;
  const int length = HexByteAt(line, 4);
  if (length <= 0) return false;
  size_t at = 8;
  const size_t end = 8 + 2 * static_cast<size_t>(length);
  size_t field = 0;
  for (const int width : kStatsWidths) {
    const int bytes = width < 0 ? 1 : width;
    if (at + 2 * static_cast<size_t>(bytes) > end) break;
    int value = 0;
    for (int b = 0; b < bytes; ++b) {
      const int byte = HexByteAt(line, at);
      if (byte < 0) return true;
      value = value * 256 + byte;
      at += 2;
    }
    if (width < 0) {
      values.statsAscii = (value & 1) != 0;
      values.statsTxOn = (value & 2) != 0;
      values.statsAux1 = (value & 4) != 0;
      values.statsOut1 = (value & 8) != 0;
    } else {
      values.stats[field++] = value;
    }
  }
  return true;
}

bool IsFailedReadReport(std::string_view line) {
  if (line.size() < 14 || line.substr(0, 2) != "ab") return false;
  const int length = HexByteAt(line, 4);
  if ((length != 0x0f && length != 0x10) || HexByteAt(line, 6) != 0x26) return false;
  const int state = HexByteAt(line, 8);
  const int outcome = HexByteAt(line, 10);
  if (state < 0 || outcome < 0) return false;
  const bool readSuccess = (state & 0x04) != 0;
  const bool over = (outcome & 0x01) != 0 || (outcome & 0x80) != 0;
  return over && !readSuccess;
}

}  // namespace corvalis
