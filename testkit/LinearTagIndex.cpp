#include "testkit/LinearTagIndex.h"

namespace corvalis {

int LinearTagIndex::FindSeen(const uint8_t* id, int length) const {
  for (int k = 0; k < length; ++k) {
    if (SameId(tables_.seenTable[k], id)) return k;
  }
  return -1;
}

int LinearTagIndex::FindSeenPage(const uint8_t* id, uint8_t pageSet, int length) const {
  for (int k = 0; k < length; ++k) {
    const TagRecord& entry = tables_.seenTable[k];
    if (SameId(entry, id) && entry.pageSet == pageSet) return k;
  }
  return -1;
}

int LinearTagIndex::FindChannelEntry(int channel, const PassKey& flags, int count) const {
  for (int k = 0; k < count; ++k) {
    const TagRecord& entry = tables_.channelLists[channel][k].record;
    if (SameId(entry, flags.id) && entry.tamper == flags.tamper && entry.flagFS == flags.flagFS &&
        entry.flagLS == flags.flagLS) {
      return k;
    }
  }
  return -1;
}

int LinearTagIndex::FindChannelPageEntry(int channel, const uint8_t* id, uint8_t pageSet,
                                         int count) const {
  for (int k = 0; k < count; ++k) {
    const TagRecord& entry = tables_.channelLists[channel][k].record;
    if (SameId(entry, id) && entry.pageSet == pageSet) return k;
  }
  return -1;
}

}  // namespace corvalis
