#pragma once

#include <cstdint>
#include <cstring>

#include "tags/TagTableState.h"

namespace corvalis {

// What makes a read join a pass: same reader, same 8 ID bytes, same flags.
struct PassKey {
  int32_t readerId = 0;
  const uint8_t* id = nullptr;
  uint8_t tamper = 0;
  uint8_t flagFS = 0;
  uint8_t flagLS = 0;

  bool Matches(const TagRecord& pass) const {
    return pass.readerId == readerId && std::memcmp(pass.tagBytes, id, kTagIdBytes) == 0 &&
           pass.tamper == tamper && pass.flagFS == flagFS && pass.flagLS == flagLS;
  }
};

inline bool SameId(const TagRecord& record, const uint8_t* id) {
  return std::memcmp(record.tagBytes, id, kTagIdBytes) == 0;
}

// One open-addressing slot: a key's chain of record indexes. The key itself
// is read from the record at `head`, so the index stores no copies of it.
struct ChainSlot {
  uint32_t stamp = 0;  // in use when equal to the index's stamp
  uint32_t hash = 0;
  int32_t head = -1;
  int32_t tail = -1;
};

// Linear probing over a fixed power-of-two array. Keys are never removed one
// by one: whoever moves or drops records clears the index (one stamp
// increment) and adds the survivors again, which keeps chains exact.
class ChainIndex {
 public:
  void Attach(ChainSlot* slotArray, uint32_t size) {
    slots_ = slotArray;
    mask_ = size - 1;
  }

  template <class KeyEq>
  const ChainSlot* Find(uint32_t hash, KeyEq&& keyEq) const {
    for (uint32_t i = hash & mask_;; i = (i + 1) & mask_) {
      const ChainSlot& slot = slots_[i];
      if (slot.stamp != stamp_) return nullptr;
      if (slot.hash == hash && keyEq(slot.head)) return &slot;
    }
  }

  // The key's slot; a new one has head and tail -1.
  template <class KeyEq>
  ChainSlot& FindOrAdd(uint32_t hash, KeyEq&& keyEq) {
    for (uint32_t i = hash & mask_;; i = (i + 1) & mask_) {
      ChainSlot& slot = slots_[i];
      if (slot.stamp != stamp_) {
        slot = ChainSlot{stamp_, hash, -1, -1};
        return slot;
      }
      if (slot.hash == hash && keyEq(slot.head)) return slot;
    }
  }

  void Clear();

 private:
  ChainSlot* slots_ = nullptr;
  uint32_t mask_ = 0;
  uint32_t stamp_ = 1;
};

// Sizes keep the load at most about 0.3 so probe runs stay short.
inline constexpr uint32_t kPassHashSize = 32'768;
inline constexpr uint32_t kSeenHashSize = 2'048;
inline constexpr uint32_t kChannelHashSize = 32'768;

struct HashedIndexStorage {
  ChainSlot passSlots[kPassHashSize];
  ChainSlot seenSlots[kSeenHashSize];
  ChainSlot channelSlots[kReaderChannelCount][kChannelHashSize];
  int32_t passNext[kPassQueueSize];  // next older open pass of the same key
  int32_t seenNext[kSeenTableSize];  // next later seen entry of the same ID
  int32_t channelNext[kReaderChannelCount][kChannelListSize];  // next later entry, same ID
};

uint32_t HashId(const uint8_t* id, uint64_t extra);

// Finds records in constant time and gives the same answers as the linear
// walk of the test kit's LinearTagIndex. Passes: one chain per pass key, newest first, in queue
// order. Seen table: one chain per ID in table order. Channel lists: one
// chain per ID and channel in list order; the few entries of one ID that
// differ in flags or page set are told apart by walking the chain.
class HashedTagIndex {
 public:
  explicit HashedTagIndex(const TagTableStorage& tables);

  template <class GapOk>
  int FindPass(const PassKey& key, int, int, GapOk&& gapOk) const {
    const ChainSlot* slot =
        passes_.Find(PassHash(key), [&](int32_t head) { return key.Matches(Pass(head)); });
    if (slot == nullptr) return -1;
    for (int32_t p = slot->head; p >= 0; p = store_->passNext[p]) {
      if (gapOk(Pass(p))) return p;
    }
    return -1;
  }
  // `slot` is the newest pass in the queue.
  void PassCreated(int slot);
  // After passes were dropped or moved: index the queue again, oldest first.
  void PassesRebuilt(int oldest, int count);

  int FindSeen(const uint8_t* id, int length) const;
  int FindSeenPage(const uint8_t* id, uint8_t pageSet, int length) const;
  // `index` is the last entry of the table.
  void SeenAppended(int index);
  void SeenRebuilt(int length);

  int FindChannelEntry(int channel, const PassKey& flags, int count) const;
  int FindChannelPageEntry(int channel, const uint8_t* id, uint8_t pageSet, int count) const;
  void ChannelEntryAppended(int channel, int index);
  void ChannelListsCleared();

 private:
  static uint32_t PassHash(const PassKey& key);
  const TagRecord& Pass(int32_t p) const { return tables_.passQueue[p]; }
  const ChainSlot* SeenChain(const uint8_t* id) const;
  const ChainSlot* ChannelChain(int channel, const uint8_t* id) const;

  const TagTableStorage& tables_;
  ZeroedPtr<HashedIndexStorage> store_;
  ChainIndex passes_;
  ChainIndex seen_;
  ChainIndex channels_[kReaderChannelCount];
};

}  // namespace corvalis
