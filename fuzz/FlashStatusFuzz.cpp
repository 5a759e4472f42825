// Feeds arbitrary lines to the flash log's "4b" status reader, one status
// carried from line to line as the windows keep it, then lays out the memory
// bar and converts drags at several widths. Each line is copied into a buffer
// of its exact size, so any read past its end shows under the sanitizers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "logging/flash/FlashStatus.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvalis;
  LoggingStatus status;
  size_t start = 0;
  while (start < size) {
    const uint8_t* end = static_cast<const uint8_t*>(std::memchr(data + start, '\n', size - start));
    const size_t length = end != nullptr ? static_cast<size_t>(end - (data + start)) : size - start;
    std::vector<char> line(data + start, data + start + length);
    const StatusReply reply = ReadStatusReply(std::string_view(line.data(), line.size()), status);
    if (reply.kind == StatusReply::Kind::kStatus) {
      for (const int width : {0, 1, 2, 300, 4096}) {
        const MemoryBarLayout bar = LayoutMemoryBar(status, width);
        if (bar.dirty < 0 || bar.free < 0 || bar.played < 0 || bar.dirty > width ||
            bar.free > width || bar.played > width)
          __builtin_trap();
        BlocksForDrag(width / 3 - 7, bar, status, width);
      }
      if (status.FreeRecords() < 0) __builtin_trap();
    }
    start += length + 1;
  }
  return 0;
}
