#include "mqtt/DiskQueue.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "mqtt/QueueFormat.h"

namespace corvalis {
namespace {

constexpr const char* kSegmentSuffix = ".mq";
constexpr const char* kHeadName = "head";

std::optional<uint64_t> SegmentNumber(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  if (name.size() != 16 + std::strlen(kSegmentSuffix) || !name.ends_with(kSegmentSuffix)) {
    return std::nullopt;
  }
  uint64_t number = 0;
  for (size_t i = 0; i < 16; ++i) {
    const char c = name[i];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (digit < 0) return std::nullopt;
    number = number * 16 + static_cast<uint64_t>(digit);
  }
  return number;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

DiskQueue::~DiskQueue() {
  Close();
}

void DiskQueue::Close() {
  if (segmentFd_ >= 0) ::close(segmentFd_);
  if (headFd_ >= 0) ::close(headFd_);
  segmentFd_ = headFd_ = -1;
  entries_.clear();
  segments_.clear();
}

std::string DiskQueue::SegmentPath(uint64_t segment) const {
  char name[32];
  std::snprintf(name, sizeof name, "%016" PRIx64 "%s", segment, kSegmentSuffix);
  return folder_ + "/" + name;
}

QueueOpenResult DiskQueue::Open(const std::string& folder, size_t limit) {
  Close();
  QueueOpenResult result;
  folder_ = folder;
  limit_ = std::max<size_t>(limit, 1);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    result.problem = "Cannot create queue folder " + folder + ": " + error.message();
    return result;
  }

  const std::string headPath = folder + "/" + kHeadName;
  const std::optional<QueueHead> head = ParseQueueHead(ReadWhole(headPath));
  std::vector<uint64_t> found;
  for (const auto& item : std::filesystem::directory_iterator(folder, error)) {
    if (const auto number = SegmentNumber(item.path())) found.push_back(*number);
  }
  std::sort(found.begin(), found.end());

  for (const uint64_t segment : found) {
    const std::string path = SegmentPath(segment);
    if (head && segment < head->segment) {
      std::filesystem::remove(path, error);
      continue;
    }
    const std::string bytes = ReadWhole(path);
    const SegmentScan scan = ScanQueueSegment(bytes);
    result.damaged += scan.damaged;
    if (scan.intactLength < bytes.size()) {
      ++result.damaged;
      if (::truncate(path.c_str(), static_cast<off_t>(scan.intactLength)) != 0) {
        result.problem = "Cannot repair " + path + ": " + std::strerror(errno);
        return result;
      }
    }
    segments_.push_back(segment);
    writeSegment_ = segment;
    writeOffset_ = scan.intactLength;
    writeRecords_ = scan.records.size() + static_cast<size_t>(scan.damaged);
    for (const ScannedRecord& record : scan.records) {
      if (head && segment == head->segment && record.end <= head->offset) continue;
      entries_.push_back({std::string(record.payload), segment, record.end});
    }
  }
  result.restored = entries_.size();

  headFd_ = ::open(headPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (headFd_ < 0) {
    result.problem = "Cannot write " + headPath + ": " + std::strerror(errno);
    return result;
  }
  // A fresh segment never takes the number of one the head has moved past.
  const uint64_t next = std::max(writeSegment_, head ? head->segment : 0) + 1;
  const bool reuse = !segments_.empty() && writeRecords_ < kRecordsPerSegment;
  if (!(reuse ? StartSegment(writeSegment_) : StartSegment(next))) {
    result.problem =
        "Cannot write " + SegmentPath(reuse ? writeSegment_ : next) + ": " + std::strerror(errno);
    Close();
    return result;
  }
  result.ok = true;
  return result;
}

bool DiskQueue::StartSegment(uint64_t segment) {
  const std::string path = SegmentPath(segment);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  if (segmentFd_ >= 0) ::close(segmentFd_);
  segmentFd_ = fd;
  if (segments_.empty() || segments_.back() != segment) {
    segments_.push_back(segment);
    writeSegment_ = segment;
    writeOffset_ = 0;
    writeRecords_ = 0;
  }
  return true;
}

QueueAppend DiskQueue::Append(std::string_view payload) {
  if (!IsOpen()) return QueueAppend::kFailed;
  if (entries_.size() >= limit_) return QueueAppend::kFull;
  const std::string line = QueueRecordLine(payload);
  if (line.empty()) return QueueAppend::kFailed;
  if (writeRecords_ >= kRecordsPerSegment && !StartSegment(writeSegment_ + 1)) {
    return QueueAppend::kFailed;
  }
  if (!WriteAll(segmentFd_, line)) {
    // A part-written line would glue the next record to it.
    if (::ftruncate(segmentFd_, static_cast<off_t>(writeOffset_)) != 0) {
      ::close(segmentFd_);
      segmentFd_ = -1;
    }
    return QueueAppend::kFailed;
  }
  writeOffset_ += line.size();
  ++writeRecords_;
  entries_.push_back({std::string(payload), writeSegment_, writeOffset_});
  return QueueAppend::kQueued;
}

void DiskQueue::PopFront(size_t count) {
  count = std::min(count, entries_.size());
  if (count == 0) return;
  const Entry& last = entries_[count - 1];
  const uint64_t segment = last.segment;
  const uint64_t offset = last.end;
  entries_.erase(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(count));
  WriteHead(segment, offset);
  DeleteSegmentsBefore(entries_.empty() ? segment : entries_.front().segment);
}

void DiskQueue::WriteHead(uint64_t segment, uint64_t offset) {
  if (headFd_ < 0) return;
  const std::string line = FormatQueueHead({segment, offset});
  // A failed head write only repeats passes at the next start.
  [[maybe_unused]] const ssize_t written = ::pwrite(headFd_, line.data(), line.size(), 0);
}

void DiskQueue::DeleteSegmentsBefore(uint64_t segment) {
  while (!segments_.empty() && segments_.front() < segment) {
    ::unlink(SegmentPath(segments_.front()).c_str());
    segments_.pop_front();
  }
}

}  // namespace corvalis
