#pragma once

#include <cstdint>
#include <span>

#include "common/Clock.h"
#include "protocol/ReadSinks.h"
#include "tags/PageMerge.h"
#include "tags/TagIndex.h"
#include "tags/TagRecord.h"
#include "tags/TagTableHooks.h"
#include "tags/TagTableState.h"

namespace corvalis {

// The tag table: every decoded read lands here. It keeps the pass queue (one
// record per pass of a tag past a reader), the seen table behind the Tags
// Seen view, the per-channel unique-tag lists and the read counters. All
// tables are fixed arrays allocated once at construction; nothing is
// allocated per read. `Index` decides how records are found (see TagIndex.h);
// everything else is shared, so the two instantiations behave identically.
template <class Index>
class BasicTagTable : public TagReadSink {
 public:
  explicit BasicTagTable(const Clock& clock, TagTableSettings settings = {});
  BasicTagTable(const BasicTagTable&) = delete;
  BasicTagTable& operator=(const BasicTagTable&) = delete;

  TagTableSettings& settings() { return settings_; }
  const TagTableSettings& settings() const { return settings_; }
  TagTableHooks& hooks() { return hooks_; }

  void RecordTagRead(const TagRead& read) override;

  // Completes and drops every pass quiet for |WaitTime| (all of them when
  // `force`). Skipped while a read is being recorded. While the backlog hook
  // says its reader's bytes wait unread, a pass stays open until the reader's
  // time stamps read so far show it quiet too, for at most kBacklogHoldMs
  // more.
  void FlushPasses(bool force);
  void ClearSeenTable();
  void ClearTagCounters();

  // Drops seen entries not heard for more than `timeoutMs` (computer time);
  // the others close up in order. Returns the new length.
  int RemoveSeenEntriesOlderThan(int64_t timeoutMs);
  // Drops the entries for which `drop(index, entry)` is true, in order, and
  // closes up the rest. Returns the new length.
  template <class Drop>
  int RemoveSeenEntries(Drop&& drop);

  // Open passes, oldest first.
  int PassCount() const { return passCount_; }
  const TagRecord& Pass(int k) const { return tables_->passQueue[(oldest_ + k) % kPassQueueSize]; }
  bool PassQueueFull() const { return passCount_ == kPassQueueSize; }

  int SeenLength() const { return seenLength_; }
  const TagRecord& SeenEntry(int index) const { return tables_->seenTable[index]; }
  // Entries 0 to length-1, for the Record snapshot; read under the lock.
  std::span<const TagRecord> SeenEntries() const {
    return {tables_->seenTable, static_cast<size_t>(seenLength_)};
  }
  // For the view's activity fields and page clears; the ID bytes must stay.
  TagRecord& SeenEntryForUpdate(int index) { return tables_->seenTable[index]; }
  int LastSeenIndex() const { return lastSeenIndex_; }
  bool SeenTableFull() const { return seenTableFull_; }

  int ChannelListCount(int channel) const { return channelCount_[channel]; }
  const ChannelTagEntry& ChannelEntry(int channel, int index) const {
    return tables_->channelLists[channel][index];
  }
  const SequenceSlot& SequenceEntry(int sequence) const { return tables_->sequenceIndex[sequence]; }

  int32_t ReadsSeen(int channel) const { return readsSeen_[channel]; }
  int32_t UniqueSeen(int channel) const { return uniqueSeen_[channel]; }
  int32_t LostReads(int channel) const { return lostReads_[channel]; }
  int32_t ValidPasses() const { return validPasses_; }
  int32_t IdsThisSecond() const { return idsThisSecond_; }
  void ResetIdsThisSecond() { idsThisSecond_ = 0; }
  ReadRateBuckets& ReadRate() { return readRate_; }
  const ReadRateBuckets& ReadRate() const { return readRate_; }

  bool SoundOn() const { return soundOn_; }
  void SetSound(bool on) { soundOn_ = on; }

  TagTableLock& Lock() { return lock_; }
  bool UpdateInProgress() const { return updateDepth_ > 0; }

 private:
  class UpdateScope;

  void RecordRead(const TagRead& read);
  void UpdateChannelList(const TagRead& read);
  void UpdateSeenTable(const TagRead& read);
  void JoinOrOpenPass(const TagRead& read, WallTime now);
  void FinishSeenRemoval(int oldLength, int newLength, const int32_t* newIndexOf);
  PageMergeOptions MergeOptions() const;
  int64_t WaitWindow() const;
  bool HeldForBacklog(const TagRecord& pass, int64_t age, int64_t window, int8_t* waiting) const;

  const Clock& clock_;
  TagTableSettings settings_;
  TagTableHooks hooks_;
  ZeroedPtr<TagTableStorage> tables_;
  Index index_;

  int oldest_ = 0;
  int write_ = 0;
  int passCount_ = 0;
  int seenLength_ = 0;
  int channelCount_[kReaderChannelCount] = {};
  int32_t listLineCounter_ = 0;

  int32_t readsSeen_[kReaderChannelCount] = {};
  int32_t uniqueSeen_[kReaderChannelCount] = {};
  int32_t lostReads_[kReaderChannelCount] = {};
  int32_t validPasses_ = 0;
  // The latest reader time stamp of each channel, in ms since 1970.
  int64_t newestReadMs_[kReaderChannelCount] = {};
  int32_t idsThisSecond_ = 0;
  ReadRateBuckets readRate_;
  int lastSeenIndex_ = -1;
  bool seenTableFull_ = false;
  bool soundOn_ = false;

  TagTableLock lock_;
  int updateDepth_ = 0;
  bool flushing_ = false;
};

template <class Index>
template <class Drop>
int BasicTagTable<Index>::RemoveSeenEntries(Drop&& drop) {
  TagTableLock::Guard guard(lock_);
  int32_t newIndexOf[kSeenTableSize];
  const int oldLength = seenLength_;
  int kept = 0;
  for (int k = 0; k < oldLength; ++k) {
    if (drop(k, static_cast<const TagRecord&>(tables_->seenTable[k]))) {
      newIndexOf[k] = -1;
      continue;
    }
    if (kept != k) tables_->seenTable[kept] = tables_->seenTable[k];
    newIndexOf[k] = kept++;
  }
  FinishSeenRemoval(oldLength, kept, newIndexOf);
  return kept;
}

}  // namespace corvalis
