#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace corvalis {

struct QueueOpenResult {
  bool ok = false;
  std::string problem;  // why the queue could not be opened
  size_t restored = 0;  // records left from an earlier run
  int damaged = 0;      // records skipped as unreadable, torn ones included
};

enum class QueueAppend { kQueued, kFull, kFailed };

// A bounded first-in first-out queue of text records in append-only segment
// files of one folder, so that what is not delivered outlives the process.
// Records leave from the front only (PopFront), once delivered; the head
// file then moves on and segments wholly delivered are deleted. Writes are
// not synced: a killed process keeps everything, a lost power supply may
// cost the last records (as the log file would). Not thread-safe.
class DiskQueue {
 public:
  static constexpr size_t kRecordsPerSegment = 4096;

  DiskQueue() = default;
  ~DiskQueue();
  DiskQueue(const DiskQueue&) = delete;
  DiskQueue& operator=(const DiskQueue&) = delete;

  QueueOpenResult Open(const std::string& folder, size_t limit);
  void Close();
  bool IsOpen() const { return segmentFd_ >= 0; }

  QueueAppend Append(std::string_view payload);
  size_t Size() const { return entries_.size(); }
  size_t Limit() const { return limit_; }
  const std::string& At(size_t index) const { return entries_[index].payload; }
  // The first `count` records were delivered.
  void PopFront(size_t count);

 private:
  struct Entry {
    std::string payload;
    uint64_t segment = 0;
    uint64_t end = 0;  // offset after the record in its segment
  };
  std::string SegmentPath(uint64_t segment) const;
  bool StartSegment(uint64_t segment);
  void WriteHead(uint64_t segment, uint64_t offset);
  void DeleteSegmentsBefore(uint64_t segment);

  std::string folder_;
  size_t limit_ = 0;
  std::deque<Entry> entries_;
  std::deque<uint64_t> segments_;  // files on disk, oldest first
  int segmentFd_ = -1;
  int headFd_ = -1;
  uint64_t writeSegment_ = 0;
  uint64_t writeOffset_ = 0;
  size_t writeRecords_ = 0;
};

}  // namespace corvalis
