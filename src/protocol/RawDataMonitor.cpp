#include "protocol/RawDataMonitor.h"

#include <cstdio>

namespace corvalis {

int FormatRawDataLine(int channel, const char* text, int length, char* out) {
  int n = std::snprintf(out, kRawLineMax + 1, "%2d ", channel + 1);
  if (n < 0) n = 0;
  if (n > kRawLineMax) n = kRawLineMax;
  for (int i = 0; i < length && n < kRawLineMax; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    out[n++] = c < 0x20 ? '.' : static_cast<char>(c);
  }
  out[n] = '\0';
  return n;
}

void RawDataMonitor::ObserveMessage(int channel, const char* text, int length) {
  if (enabled_) ShowLine(channel, text, length);
}

void RawDataMonitor::ShowLine(int channel, const char* text, int length) {
  const int lines = memo_.LineCount();
  if (lines > maxLines_) memo_.RemoveOldestLines(maxLines_ * 10 / 100);
  char line[kRawLineMax + 1];
  const int n = FormatRawDataLine(channel, text, length, line);
  memo_.AppendLine(std::string_view(line, static_cast<size_t>(n)));
}

}  // namespace corvalis
