#pragma once

// Member definitions of BasicTagTable; included only by the files that
// instantiate it.

#include <algorithm>
#include <cstring>
#include <string>

#include "tags/BasicTagTable.h"
#include "tags/PageMerge.h"
#include "tags/RecordFromRead.h"
#include "tags/TagRecordText.h"

namespace corvalis {

// A read's counts join a pass or a seen entry; the second pair of I and Q
// sums is kept equal to the first.
inline void AddReadCounts(TagRecord& record, const TagRead& read) {
  AddCount(record.count, read.count);
  AddCount(record.iCount, read.iCount);
  AddCount(record.iCountTotal, read.iCount);
  AddCount(record.qCount, read.qCount);
  AddCount(record.qCountTotal, read.qCount);
}

// Marks a read in progress so a flush started from inside it (nested message
// processing) leaves the queue alone. Counted, so nesting cannot clear it
// early.
template <class Index>
class BasicTagTable<Index>::UpdateScope {
 public:
  explicit UpdateScope(BasicTagTable& table) : table_(table) { ++table_.updateDepth_; }
  ~UpdateScope() { --table_.updateDepth_; }
  UpdateScope(const UpdateScope&) = delete;
  UpdateScope& operator=(const UpdateScope&) = delete;

 private:
  BasicTagTable& table_;
};

namespace tag_table_detail {

inline int32_t OffsetMs(int32_t sec, int32_t ms, WallTime now) {
  return static_cast<int32_t>(MillisBetween(now, WallTime{sec, ms}));
}

inline int64_t StampMs(int32_t sec, int32_t ms) {
  return int64_t{sec} * 1000 + ms;
}

}  // namespace tag_table_detail

template <class Index>
BasicTagTable<Index>::BasicTagTable(const Clock& clock, TagTableSettings settings)
    : clock_(clock),
      settings_(settings),
      tables_(AllocateZeroed<TagTableStorage>()),
      index_(*tables_) {}

template <class Index>
PageMergeOptions BasicTagTable<Index>::MergeOptions() const {
  return PageMergeOptions{settings_.useVoting, settings_.onlyMaxCount};
}

template <class Index>
int64_t BasicTagTable<Index>::WaitWindow() const {
  const int64_t wait = settings_.waitTime;
  return wait < 0 ? -wait : wait;
}

template <class Index>
void BasicTagTable<Index>::RecordTagRead(const TagRead& read) {
  // Per-channel tables exist for the four reader channels only; anything
  // else would index past them.
  if (read.channel < 0 || read.channel >= kReaderChannelCount) return;
  UpdateScope update(*this);
  ++readsSeen_[read.channel];
  int64_t& newest = newestReadMs_[read.channel];
  newest = std::max(newest, tag_table_detail::StampMs(read.lastSeenSec, read.lastSeenMs));
  // A sequence number indexes a 65,536-slot table: out-of-range ones, either
  // side, drop the read.
  if (read.sequence < 0 || read.sequence >= kSequenceSlots) return;
  if (read.dataFlag != 0) {
    // Data reads belong to the data-page handler and leave these tables alone.
    if (hooks_.dataPageHandler != nullptr) hooks_.dataPageHandler->HandleDataPage(read);
    return;
  }
  std::memcpy(tables_->sequenceIndex[read.sequence].id, read.tagBytes, kTagIdBytes);
  RecordRead(read);
}

template <class Index>
void BasicTagTable<Index>::RecordRead(const TagRead& read) {
  const WallTime now = clock_.Now();
  if (passCount_ == kPassQueueSize) {
    ++lostReads_[read.channel];
    return;
  }
  UpdateChannelList(read);
  UpdateSeenTable(read);
  JoinOrOpenPass(read, now);
}

template <class Index>
void BasicTagTable<Index>::UpdateChannelList(const TagRead& read) {
  const int channel = read.channel;
  auto& list = tables_->channelLists[channel];
  const PassKey flags{read.readerId, read.tagBytes, read.tamper, read.flagFS, read.flagLS};
  const int found = read.pages != nullptr
                        ? index_.FindChannelPageEntry(channel, read.tagBytes, read.pageSet,
                                                      channelCount_[channel])
                        : index_.FindChannelEntry(channel, flags, channelCount_[channel]);
  if (found >= 0) {
    ChannelTagEntry& entry = list[found];
    AddCount(entry.record.count, read.count);
    AddCount(entry.record.iCount, read.iCount);
    AddCount(entry.record.qCount, read.qCount);
    if (read.pages != nullptr) {
      for (int p = 0; p < kPageSlotCount; ++p) {
        AddCount(entry.record.pages[p].pageReads, read.pages[p].pageReads);
      }
    }
    RewriteChannelLineCount(entry.record.count, entry.line);
    if (hooks_.uniqueTagList != nullptr) {
      hooks_.uniqueTagList->ReplaceLine(entry.lineNumber, entry.line);
    }
    return;
  }
  if (channelCount_[channel] >= kChannelListSize) return;

  const int slot = channelCount_[channel];
  ChannelTagEntry& entry = list[slot];
  // A reused entry must not keep fields of the tag that held it before.
  TagRecord& record = entry.record;
  StartRecordFromRead(record, read);
  if (read.pages != nullptr) {
    for (int p = 0; p < kPageSlotCount; ++p) record.pages[p].pageReads = read.pages[p].pageReads;
  }
  entry.lineNumber = listLineCounter_++;
  FormatChannelLine(read.tagBytes, channel, StatusLetter(read.tamper, read.flagFS, read.flagLS),
                    read.count, entry.line);
  channelCount_[channel] = slot + 1;
  index_.ChannelEntryAppended(channel, slot);
  if (hooks_.uniqueTagList != nullptr) {
    hooks_.uniqueTagList->AppendLine(entry.lineNumber, entry.line);
  }
  ++uniqueSeen_[channel];
}

template <class Index>
void BasicTagTable<Index>::UpdateSeenTable(const TagRead& read) {
  TagTableLock::Guard guard(lock_);
  AddCount(idsThisSecond_, read.iCount);
  AddCount(idsThisSecond_, read.qCount);
  readRate_.Add(read.channel, read.iCount, read.qCount);
  const WallTime now = clock_.Now();
  if (soundOn_ && hooks_.beeper != nullptr) hooks_.beeper->Beep();

  int index = read.pages != nullptr ? index_.FindSeenPage(read.tagBytes, read.pageSet, seenLength_)
                                    : index_.FindSeen(read.tagBytes, seenLength_);
  if (index >= 0) {
    TagRecord& entry = tables_->seenTable[index];
    AddReadCounts(entry, read);
    entry.tamper = read.tamper;
    entry.flagFS = read.flagFS;
    entry.flagLS = read.flagLS;
    FormatSeenCountText(entry.count, settings_.noiseLimit, false, entry.countText);
    entry.lastSeenSec = read.lastSeenSec;
    entry.lastSeenMs = read.lastSeenMs;
    entry.pcSeenSec = now.sec;
    entry.pcSeenMs = now.ms;
    lastSeenIndex_ = index;
    if (read.pages != nullptr) MergePages(entry, read.pages, MergeOptions());
  } else {
    seenTableFull_ = false;
    if (seenLength_ == kSeenTableSize) {
      seenTableFull_ = true;
      index = kSeenTableSize;
      if (hooks_.seenView != nullptr) hooks_.seenView->ShowSeenOverflow(">");
    } else {
      // Without a name list every tag is shown under the read's own text.
      std::string looked;
      const char* name = read.text;
      if (hooks_.nameLookup != nullptr) {
        looked = hooks_.nameLookup->LookupTagName(read.tagBytes, read.text);
        if (looked.empty()) return;  // not in the name list and not registering
        name = looked.c_str();
      }

      index = seenLength_;
      TagRecord& entry = tables_->seenTable[index];
      // Slots are reused after time-outs and must not keep the previous
      // tag's fields.
      StartRecordFromRead(entry, read);
      CopyText(entry.nameText, sizeof entry.nameText, name);
      entry.activity = 1;
      entry.clockOffsetMs = tag_table_detail::OffsetMs(read.firstSeenSec, read.firstSeenMs, now);
      entry.pcSeenSec = now.sec;
      entry.pcSeenMs = now.ms;
      FormatSeenCountText(entry.count, settings_.noiseLimit, true, entry.countText);
      // A page read's pages are merged in once, so a new entry counts them
      // once.
      if (read.pages != nullptr) MergePages(entry, read.pages, MergeOptions());
      FormatWiegand26(read.tagBytes, entry.wiegand26Text);
      FormatWiegand34(read.tagBytes, entry.wiegand34Text);
      lastSeenIndex_ = index;
      seenLength_ = index + 1;
      index_.SeenAppended(index);
      if (hooks_.seenView != nullptr) hooks_.seenView->ShowSeenOverflow(" ");
    }
  }
  if (index < kSeenTableSize) {
    tables_->sequenceIndex[read.sequence].seenIndex = index;
  }
  if (hooks_.tagSeenListener != nullptr) {
    // With the table full there is no entry; the read names the same tag.
    char hexId[17];
    FormatHexId(read.tagBytes, hexId);
    hooks_.tagSeenListener->TagSeen(std::string_view(hexId, 16));
  }
  if (index < kSeenTableSize) {
    const TagSighting sighting{tables_->seenTable[index], read.channel,
                               WallTime{read.firstSeenSec, read.firstSeenMs}, now};
    for (TagSightingListener* listener : hooks_.sightingListeners) {
      if (listener != nullptr) listener->TagSighted(sighting);
    }
  }
}

template <class Index>
void BasicTagTable<Index>::JoinOrOpenPass(const TagRead& read, WallTime now) {
  const int64_t window = WaitWindow();
  const PassKey key{read.readerId, read.tagBytes, read.tamper, read.flagFS, read.flagLS};
  const int found = index_.FindPass(key, oldest_, passCount_, [&](const TagRecord& pass) {
    const int64_t gap = MillisBetween(WallTime{pass.lastSeenSec, pass.lastSeenMs},
                                      WallTime{read.firstSeenSec, read.firstSeenMs});
    return gap < window;
  });

  if (found >= 0) {
    TagRecord& pass = tables_->passQueue[found];
    AddReadCounts(pass, read);
    pass.lastSeenSec = read.lastSeenSec;
    pass.lastSeenMs = read.lastSeenMs;
    pass.pcSeenSec = now.sec;
    pass.pcSeenMs = now.ms;
    if (read.pages != nullptr) MergePages(pass, read.pages, MergeOptions());
    if (pass.valid == 0 && pass.count >= settings_.noiseLimit) {
      pass.valid = 1;
      ++validPasses_;
    }
    if (settings_.waitTime < 0 && pass.logged == 0 && hooks_.passCompleter != nullptr) {
      hooks_.passCompleter->CompletePass(pass);
    }
    return;
  }

  const int slot = write_;
  tables_->sequenceIndex[read.sequence].passIndex = slot;
  TagRecord& pass = tables_->passQueue[slot];
  StartRecordFromRead(pass, read);
  pass.valid = read.count >= settings_.noiseLimit ? 1 : 0;
  if (pass.valid != 0) ++validPasses_;
  pass.clockOffsetMs = tag_table_detail::OffsetMs(read.lastSeenSec, read.lastSeenMs, now);
  pass.pcSeenSec = now.sec;
  pass.pcSeenMs = now.ms;
  if (read.pages != nullptr) MergePages(pass, read.pages, MergeOptions());

  // The pass is in the queue before anyone else sees it.
  write_ = (write_ + 1) % kPassQueueSize;
  ++passCount_;
  index_.PassCreated(slot);
  if (settings_.waitTime < 0 && hooks_.passCompleter != nullptr) {
    hooks_.passCompleter->CompletePass(pass);
  }
}

template <class Index>
void BasicTagTable<Index>::FlushPasses(bool force) {
  // A completion that processes messages may fire the timer again; a nested
  // walk would move records under this one.
  if (updateDepth_ > 0 || flushing_) return;
  flushing_ = true;
  const WallTime now = clock_.Now();
  const int64_t window = WaitWindow();
  auto& queue = tables_->passQueue;
  int8_t waiting[kReaderChannelCount];  // asked once per channel and flush
  std::fill(std::begin(waiting), std::end(waiting), int8_t{-1});
  int keep = -1;
  int closed = 0;
  int p = oldest_;
  const int open = passCount_;
  for (int k = 0; k < open; ++k, p = (p + 1) % kPassQueueSize) {
    TagRecord& pass = queue[p];
    const int64_t age = MillisBetween(WallTime{pass.pcSeenSec, pass.pcSeenMs}, now);
    if (force || (age >= window && !HeldForBacklog(pass, age, window, waiting))) {
      if (hooks_.passCompleter != nullptr) hooks_.passCompleter->CompletePass(pass);
      ++closed;
      if (keep >= 0) {
        // Move the oldest kept pass up into the freed record, so the open
        // passes end up together just below the write position.
        queue[p] = queue[keep];
        keep = (keep + 1) % kPassQueueSize;
      }
    } else if (keep < 0) {
      keep = p;
    }
  }
  flushing_ = false;
  if (closed == 0) return;
  passCount_ -= closed;
  oldest_ = passCount_ > 0 ? keep : write_;
  index_.PassesRebuilt(oldest_, passCount_);
}

// On the computer's clock the pass is quiet, but its next read may still wait
// unread in the link. The reader's stamps settle it: once the reader has read
// on for the wait time past the pass, any later read of the tag opens a new
// pass anyway.
template <class Index>
bool BasicTagTable<Index>::HeldForBacklog(const TagRecord& pass, int64_t age, int64_t window,
                                          int8_t* waiting) const {
  if (hooks_.readBacklog == nullptr || age >= window + kBacklogHoldMs) return false;
  const int channel = pass.channel;
  if (channel < 0 || channel >= kReaderChannelCount) return false;
  const int64_t readerQuiet =
      newestReadMs_[channel] - tag_table_detail::StampMs(pass.lastSeenSec, pass.lastSeenMs);
  if (readerQuiet >= window) return false;
  if (waiting[channel] < 0) waiting[channel] = hooks_.readBacklog->InputWaiting(channel) ? 1 : 0;
  return waiting[channel] == 1;
}

template <class Index>
void BasicTagTable<Index>::ClearSeenTable() {
  TagTableLock::Guard guard(lock_);
  lastSeenIndex_ = -1;
  seenLength_ = 0;
  readRate_.Clear();
  index_.SeenRebuilt(0);
  if (hooks_.seenView != nullptr) hooks_.seenView->SeenTableCleared();
  if (hooks_.displayClear != nullptr) hooks_.displayClear->SeenTableCleared();
}

template <class Index>
void BasicTagTable<Index>::ClearTagCounters() {
  for (int c = 0; c < kReaderChannelCount; ++c) {
    readsSeen_[c] = 0;
    uniqueSeen_[c] = 0;
    lostReads_[c] = 0;
    channelCount_[c] = 0;
  }
  listLineCounter_ = 0;
  oldest_ = 0;
  write_ = 0;
  passCount_ = 0;
  index_.PassesRebuilt(0, 0);
  index_.ChannelListsCleared();
  if (hooks_.seenView != nullptr) hooks_.seenView->TagCountersCleared();
}

template <class Index>
int BasicTagTable<Index>::RemoveSeenEntriesOlderThan(int64_t timeoutMs) {
  const WallTime now = clock_.Now();
  return RemoveSeenEntries([&](int, const TagRecord& entry) {
    return MillisBetween(WallTime{entry.pcSeenSec, entry.pcSeenMs}, now) > timeoutMs;
  });
}

template <class Index>
void BasicTagTable<Index>::FinishSeenRemoval(int oldLength, int newLength,
                                             const int32_t* newIndexOf) {
  seenLength_ = newLength;
  // Keep pointing at the same tag, or at none when it left.
  if (lastSeenIndex_ >= 0 && lastSeenIndex_ < oldLength) {
    lastSeenIndex_ = newIndexOf[lastSeenIndex_];
  }
  if (newLength != oldLength) index_.SeenRebuilt(newLength);
}

}  // namespace corvalis
