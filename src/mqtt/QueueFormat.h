#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvalis {

// The on-disk form of the pass queue. A segment file holds one record per
// line, "<crc32 as 8 hex digits> <payload>\n"; the payload holds no line
// break. The head file names the first record not yet delivered.

struct ScannedRecord {
  size_t end = 0;  // offset just past the record's line break
  std::string_view payload;
};

struct SegmentScan {
  std::vector<ScannedRecord> records;
  // Bytes up to the last line break: what follows is a record torn by a
  // kill or a full disk, and is cut off before anything is appended.
  size_t intactLength = 0;
  // Whole lines whose checksum or form is wrong; skipped.
  int damaged = 0;
};

SegmentScan ScanQueueSegment(std::string_view bytes);

// The line for `payload`; empty when the payload holds a line break.
std::string QueueRecordLine(std::string_view payload);

uint32_t Crc32(std::string_view bytes);

struct QueueHead {
  uint64_t segment = 0;
  uint64_t offset = 0;
};

// A fixed-width line, so that it is rewritten in place.
std::string FormatQueueHead(const QueueHead& head);
// Nothing for a torn or foreign head: the caller then sends from the start,
// which repeats passes instead of losing them.
std::optional<QueueHead> ParseQueueHead(std::string_view text);

}  // namespace corvalis
