// Feeds arbitrary bytes to the pass queue's readers: as a segment file, and
// its head as the head file. Every record found must lie inside the bytes,
// end at a line break and read back as the line it came from.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mqtt/QueueFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvalis;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const SegmentScan scan = ScanQueueSegment(bytes);
  if (scan.intactLength > size) __builtin_trap();
  size_t previous = 0;
  for (const ScannedRecord& record : scan.records) {
    if (record.end <= previous || record.end > scan.intactLength) __builtin_trap();
    if (bytes[record.end - 1] != '\n') __builtin_trap();
    const std::string line = QueueRecordLine(record.payload);
    if (bytes.substr(record.end - line.size(), line.size()) != line) __builtin_trap();
    previous = record.end;
  }
  if (const auto head = ParseQueueHead(bytes)) {
    if (FormatQueueHead(*head) != bytes.substr(0, FormatQueueHead(*head).size())) __builtin_trap();
  }
  return 0;
}
