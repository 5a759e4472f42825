#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

#include "common/ChannelIndex.h"
#include "tags/TagRecord.h"

namespace corvalis {

inline constexpr int kPassQueueSize = 10'000;
// The longest a pass is kept open beyond its wait time while its reader's
// bytes wait unread; a console that far behind closes passes as before.
inline constexpr int64_t kBacklogHoldMs = 5'000;
inline constexpr int kSeenTableSize = 600;
inline constexpr int kChannelListSize = 10'000;
inline constexpr int kSequenceSlots = 65'536;
inline constexpr int kChannelLineSize = 42;
inline constexpr int kReadRateBuckets = 100;

// One tag (and status) heard on a channel since the counters were cleared,
// with its line in the Diagnostics unique-tags list.
struct ChannelTagEntry {
  TagRecord record;
  char line[kChannelLineSize] = {};
  int32_t lineNumber = 0;
};

// The read that last used a sequence number.
struct SequenceSlot {
  uint8_t id[kTagIdBytes] = {};
  int32_t seenIndex = 0;
  int32_t passIndex = 0;
};

// Read-rate buckets the Tags Seen view evaluates; the table adds each read's
// I and Q to the current bucket of its channel and of all channels.
struct ReadRateBuckets {
  int32_t i[kChannelCount][kReadRateBuckets] = {};
  int32_t q[kChannelCount][kReadRateBuckets] = {};
  int32_t allI[kReadRateBuckets] = {};
  int32_t allQ[kReadRateBuckets] = {};
  // When each bucket became the current one, in ms since 1970; 0 when not
  // known (never started, or cleared since).
  int64_t startedMs[kReadRateBuckets] = {};
  int current = 0;

  void Add(int channel, int32_t iCount, int32_t qCount) {
    AddCount(i[channel][current], iCount);
    AddCount(q[channel][current], qCount);
    AddCount(allI[current], iCount);
    AddCount(allQ[current], qCount);
  }
  void Clear() { *this = ReadRateBuckets{}; }
};

// Guards the seen table and the rate buckets against re-entry from nested
// message processing. Everything runs on one thread, so this only counts:
// nested acquisition is allowed (Record holds it across its own Clear), and
// readers can check that no update is half done.
class TagTableLock {
 public:
  void Acquire() { ++depth_; }
  void Release() { --depth_; }
  bool Held() const { return depth_ > 0; }

  class Guard {
   public:
    explicit Guard(TagTableLock& lock) : lock_(lock) { lock_.Acquire(); }
    ~Guard() { lock_.Release(); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

   private:
    TagTableLock& lock_;
  };

 private:
  int depth_ = 0;
};

// The big fixed tables, in one block.
struct TagTableStorage {
  TagRecord passQueue[kPassQueueSize];
  TagRecord seenTable[kSeenTableSize];
  ChannelTagEntry channelLists[kReaderChannelCount][kChannelListSize];
  SequenceSlot sequenceIndex[kSequenceSlots];
};

struct FreeDeleter {
  void operator()(void* block) const { std::free(block); }
};

template <class T>
using ZeroedPtr = std::unique_ptr<T, FreeDeleter>;

// One zero-filled allocation: the all-zero state is every table's empty
// state, and pages that are never touched stay unmapped.
template <class T>
ZeroedPtr<T> AllocateZeroed() {
  void* block = std::calloc(1, sizeof(T));
  if (block == nullptr) throw std::bad_alloc();
  return ZeroedPtr<T>(static_cast<T*>(block));
}

}  // namespace corvalis
