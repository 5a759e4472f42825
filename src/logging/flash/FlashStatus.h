#pragma once

#include <cstdint>
#include <string_view>

namespace corvalis {

// The reader's flash-log state as its "4b" status reply last gave it.
struct LoggingStatus {
  int flags = 0;  // bit 0 recording, bit 1 replaying
  int recordedBlocks = 0;
  int recordsInLastBlock = 0;
  int playedBlocks = 0;
  int playedInLastBlock = 0;
  int dirtyBlocks = 0;  // recorded blocks marked as deleted
  int totalBlocks = 0;
  int recordsPerBlock = 0;
  int indexSlot = 0;
  int lineNumber = 0;

  bool Recording() const { return (flags & 1) != 0; }
  bool Replaying() const { return (flags & 2) != 0; }

  int64_t TotalRecords() const { return int64_t{totalBlocks} * recordsPerBlock; }
  int64_t DirtyRecords() const { return int64_t{dirtyBlocks} * recordsPerBlock; }
  int64_t RecordedRecords() const {
    return int64_t{recordedBlocks} * recordsPerBlock + recordsInLastBlock;
  }
  int64_t PlayedRecords() const {
    return int64_t{playedBlocks} * recordsPerBlock + playedInLastBlock;
  }
  // Never below 0, even when a reader reports more in use than it holds.
  int64_t FreeRecords() const;
};

// The format's progress: the reader reports it while it erases its flash.
struct FormatProgress {
  int progress = 0;
  int maximum = 0;
};

struct StatusReply {
  enum class Kind { kRejected, kFormatProgress, kStatus };
  Kind kind = Kind::kRejected;
  int dataLength = 0;  // n, the reply's length byte
  FormatProgress format;
};

// Reads a "4b" reply line ("ab", reader ID, n, "4b", data, LRC). A status
// reply updates only the fields its n covers; the others keep their values.
// Fields are read only from data the line really holds, so a line shorter
// than its n says, or one with a non-hex digit, is rejected with `status`
// unchanged.
StatusReply ReadStatusReply(std::string_view line, LoggingStatus& status);

// The memory bar's parts in pixels, for a bar of `width` pixels minus the
// splitter.
struct MemoryBarLayout {
  int dirty = 0;
  int free = 0;
  int played = 0;
  int unplayed = 0;  // recorded, not yet played
  int pixelsPer100Blocks = 0;
};
MemoryBarLayout LayoutMemoryBar(const LoggingStatus& status, int width);

// The blocks a drag of `pixels` on the bar moves the played mark by (negative
// back). A reader with more blocks than a hundred per pixel has no whole
// pixels per 100 blocks, so the drag is then scaled by the blocks per pixel.
int BlocksForDrag(int pixels, const MemoryBarLayout& bar, const LoggingStatus& status, int width);

}  // namespace corvalis
