#pragma once

#include <cstdint>

#include "tags/TagIndex.h"
#include "tags/TagTableState.h"

namespace corvalis {

// Finds records by walking the tables, as an operator would read them: the
// pass queue newest to oldest, the seen table and channel lists in order.
// Needs no upkeep; every lookup costs a walk.
class LinearTagIndex {
 public:
  explicit LinearTagIndex(const TagTableStorage& tables) : tables_(tables) {}

  // The newest open pass of the key whose gap `gapOk` accepts, or -1.
  template <class GapOk>
  int FindPass(const PassKey& key, int oldest, int count, GapOk&& gapOk) const {
    int p = (oldest + count - 1) % kPassQueueSize;
    for (int k = 0; k < count; ++k) {
      const TagRecord& pass = tables_.passQueue[p];
      if (key.Matches(pass) && gapOk(pass)) return p;
      p = p == 0 ? kPassQueueSize - 1 : p - 1;
    }
    return -1;
  }
  void PassCreated(int) {}
  void PassesRebuilt(int, int) {}

  int FindSeen(const uint8_t* id, int length) const;
  int FindSeenPage(const uint8_t* id, uint8_t pageSet, int length) const;
  void SeenAppended(int) {}
  void SeenRebuilt(int) {}

  int FindChannelEntry(int channel, const PassKey& flags, int count) const;
  int FindChannelPageEntry(int channel, const uint8_t* id, uint8_t pageSet, int count) const;
  void ChannelEntryAppended(int, int) {}
  void ChannelListsCleared() {}

 private:
  const TagTableStorage& tables_;
};

}  // namespace corvalis
