#include "tags/TagIndex.h"

#include <cstring>

namespace corvalis {

// ---- ChainIndex ----

void ChainIndex::Clear() {
  if (++stamp_ == 0) {
    // After 2^32 clears old stamps could look current again; start afresh.
    std::memset(static_cast<void*>(slots_), 0, (size_t{mask_} + 1) * sizeof(ChainSlot));
    stamp_ = 1;
  }
}

uint32_t HashId(const uint8_t* id, uint64_t extra) {
  uint64_t h;
  std::memcpy(&h, id, sizeof h);
  h ^= extra * 0x9e3779b97f4a7c15ULL;
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ULL;
  h ^= h >> 33;
  return static_cast<uint32_t>(h);
}

// ---- HashedTagIndex ----

HashedTagIndex::HashedTagIndex(const TagTableStorage& tables)
    : tables_(tables), store_(AllocateZeroed<HashedIndexStorage>()) {
  passes_.Attach(store_->passSlots, kPassHashSize);
  seen_.Attach(store_->seenSlots, kSeenHashSize);
  for (int c = 0; c < kReaderChannelCount; ++c) {
    channels_[c].Attach(store_->channelSlots[c], kChannelHashSize);
  }
}

uint32_t HashedTagIndex::PassHash(const PassKey& key) {
  const uint64_t extra = (uint64_t{static_cast<uint32_t>(key.readerId)} << 24) |
                         (uint64_t{key.tamper} << 16) | (uint64_t{key.flagFS} << 8) | key.flagLS;
  return HashId(key.id, extra);
}

void HashedTagIndex::PassCreated(int slot) {
  const TagRecord& pass = Pass(slot);
  const PassKey key{pass.readerId, pass.tagBytes, pass.tamper, pass.flagFS, pass.flagLS};
  ChainSlot& chain =
      passes_.FindOrAdd(PassHash(key), [&](int32_t head) { return key.Matches(Pass(head)); });
  store_->passNext[slot] = chain.head;
  chain.head = slot;
}

void HashedTagIndex::PassesRebuilt(int oldest, int count) {
  passes_.Clear();
  for (int k = 0; k < count; ++k) PassCreated((oldest + k) % kPassQueueSize);
}

const ChainSlot* HashedTagIndex::SeenChain(const uint8_t* id) const {
  return seen_.Find(HashId(id, 0),
                    [&](int32_t head) { return SameId(tables_.seenTable[head], id); });
}

int HashedTagIndex::FindSeen(const uint8_t* id, int) const {
  const ChainSlot* chain = SeenChain(id);
  return chain == nullptr ? -1 : chain->head;
}

int HashedTagIndex::FindSeenPage(const uint8_t* id, uint8_t pageSet, int) const {
  const ChainSlot* chain = SeenChain(id);
  if (chain == nullptr) return -1;
  for (int32_t k = chain->head; k >= 0; k = store_->seenNext[k]) {
    if (tables_.seenTable[k].pageSet == pageSet) return k;
  }
  return -1;
}

void HashedTagIndex::SeenAppended(int index) {
  const uint8_t* id = tables_.seenTable[index].tagBytes;
  ChainSlot& chain = seen_.FindOrAdd(
      HashId(id, 0), [&](int32_t head) { return SameId(tables_.seenTable[head], id); });
  store_->seenNext[index] = -1;
  if (chain.tail >= 0) {
    store_->seenNext[chain.tail] = index;
  } else {
    chain.head = index;
  }
  chain.tail = index;
}

void HashedTagIndex::SeenRebuilt(int length) {
  seen_.Clear();
  for (int k = 0; k < length; ++k) SeenAppended(k);
}

const ChainSlot* HashedTagIndex::ChannelChain(int channel, const uint8_t* id) const {
  const auto& list = tables_.channelLists[channel];
  return channels_[channel].Find(HashId(id, 0),
                                 [&](int32_t head) { return SameId(list[head].record, id); });
}

int HashedTagIndex::FindChannelEntry(int channel, const PassKey& flags, int) const {
  const ChainSlot* chain = ChannelChain(channel, flags.id);
  if (chain == nullptr) return -1;
  for (int32_t k = chain->head; k >= 0; k = store_->channelNext[channel][k]) {
    const TagRecord& entry = tables_.channelLists[channel][k].record;
    if (entry.tamper == flags.tamper && entry.flagFS == flags.flagFS &&
        entry.flagLS == flags.flagLS) {
      return k;
    }
  }
  return -1;
}

int HashedTagIndex::FindChannelPageEntry(int channel, const uint8_t* id, uint8_t pageSet,
                                         int) const {
  const ChainSlot* chain = ChannelChain(channel, id);
  if (chain == nullptr) return -1;
  for (int32_t k = chain->head; k >= 0; k = store_->channelNext[channel][k]) {
    if (tables_.channelLists[channel][k].record.pageSet == pageSet) return k;
  }
  return -1;
}

void HashedTagIndex::ChannelEntryAppended(int channel, int index) {
  const auto& list = tables_.channelLists[channel];
  const uint8_t* id = list[index].record.tagBytes;
  ChainSlot& chain = channels_[channel].FindOrAdd(
      HashId(id, 0), [&](int32_t head) { return SameId(list[head].record, id); });
  store_->channelNext[channel][index] = -1;
  if (chain.tail >= 0) {
    store_->channelNext[channel][chain.tail] = index;
  } else {
    chain.head = index;
  }
  chain.tail = index;
}

void HashedTagIndex::ChannelListsCleared() {
  for (ChainIndex& index : channels_) index.Clear();
}

}  // namespace corvalis
