#include "logging/flash/FlashStatus.h"

#include <algorithm>

#include "protocol/Hex.h"

namespace corvalis {
namespace {

constexpr int kDataOffset = 8;   // after "ab", reader ID, length and code
constexpr int kFrameChars = 10;  // those and the LRC
constexpr uint8_t kFormatMarker = 0xd0;

// Reads `bytes` big-endian bytes of the data at byte `index`.
bool ReadField(std::string_view line, int index, int bytes, int& out) {
  int value = 0;
  for (int i = 0; i < bytes; ++i) {
    uint8_t b = 0;
    if (!ReadHexByte(line.data() + kDataOffset + 2 * (index + i), b)) return false;
    value = value << 8 | b;
  }
  out = value;
  return true;
}

int Scaled(int64_t width, int64_t part, int64_t whole) {
  if (whole <= 0 || part <= 0) return 0;
  return static_cast<int>(std::min(width, width * part / whole));
}

}  // namespace

int64_t LoggingStatus::FreeRecords() const {
  return std::max<int64_t>(0, TotalRecords() - DirtyRecords() - RecordedRecords());
}

StatusReply ReadStatusReply(std::string_view line, LoggingStatus& status) {
  StatusReply reply;
  uint8_t n = 0;
  if (line.size() < kFrameChars || !ReadHexByte(line.data() + 4, n)) return reply;
  if (line.size() < kFrameChars + 2u * n) return reply;
  reply.dataLength = n;

  uint8_t first = 0;
  if (n == 3 && ReadHexByte(line.data() + kDataOffset, first) && first == kFormatMarker) {
    if (!ReadField(line, 1, 1, reply.format.progress) ||
        !ReadField(line, 2, 1, reply.format.maximum))
      return reply;
    reply.kind = StatusReply::Kind::kFormatProgress;
    return reply;
  }

  // Field, its first byte, its size, and the n that must be exceeded.
  struct Field {
    int LoggingStatus::*member;
    int index;
    int bytes;
    int needs;
  };
  static constexpr Field kFields[] = {
      {&LoggingStatus::flags, 0, 1, 0},
      {&LoggingStatus::recordedBlocks, 1, 1, 1},
      {&LoggingStatus::recordsInLastBlock, 2, 2, 3},
      {&LoggingStatus::playedBlocks, 4, 1, 4},
      {&LoggingStatus::playedInLastBlock, 5, 2, 6},
      {&LoggingStatus::dirtyBlocks, 7, 1, 7},
      {&LoggingStatus::totalBlocks, 8, 1, 8},
      {&LoggingStatus::recordsPerBlock, 9, 2, 10},
      {&LoggingStatus::indexSlot, 11, 1, 11},
      {&LoggingStatus::lineNumber, 12, 1, 12},
  };
  LoggingStatus read = status;
  for (const Field& field : kFields) {
    if (n <= field.needs) break;
    if (!ReadField(line, field.index, field.bytes, read.*field.member)) return reply;
  }
  status = read;
  reply.kind = StatusReply::Kind::kStatus;
  return reply;
}

MemoryBarLayout LayoutMemoryBar(const LoggingStatus& status, int width) {
  MemoryBarLayout bar;
  if (width <= 0) return bar;
  const int64_t total = status.TotalRecords();
  bar.dirty = Scaled(width, status.DirtyRecords(), total);
  bar.free = Scaled(width, status.FreeRecords(), total);
  bar.played = Scaled(width, status.PlayedRecords(), total);
  bar.unplayed =
      Scaled(width, std::max<int64_t>(0, status.RecordedRecords() - status.PlayedRecords()), total);
  if (status.totalBlocks > 0)
    bar.pixelsPer100Blocks = static_cast<int>(int64_t{width} * 100 / status.totalBlocks);
  return bar;
}

int BlocksForDrag(int pixels, const MemoryBarLayout& bar, const LoggingStatus& status, int width) {
  const int64_t magnitude = pixels < 0 ? -int64_t{pixels} : pixels;
  int64_t blocks = 0;
  if (bar.pixelsPer100Blocks > 0) {
    blocks = (magnitude * 100 + 50) / bar.pixelsPer100Blocks;
  } else if (width > 0) {
    blocks = (magnitude * status.totalBlocks + width / 2) / width;
  }
  blocks = std::min<int64_t>(blocks, 255);
  return static_cast<int>(pixels < 0 ? -blocks : blocks);
}

}  // namespace corvalis
