#include "tagrw/IdSet.h"

namespace corvalis {
namespace {

constexpr size_t kFirstSlots = 4096;

// The eight bytes of 16 lower case hex digits; false for any other text, so
// "0A..." and "0a..." stay two IDs as they were read.
bool PackId(std::string_view id, uint64_t& key) {
  if (id.size() != 16) return false;
  uint64_t value = 0;
  for (const char c : id) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return false;
    }
    value = (value << 4) | static_cast<uint64_t>(digit);
  }
  key = value;
  return true;
}

size_t SlotOf(uint64_t key, size_t mask) {
  // Tag IDs share prefixes: mix every bit into the low ones.
  key ^= key >> 33;
  key *= 0xff51afd7ed558ccdULL;
  key ^= key >> 33;
  return static_cast<size_t>(key) & mask;
}

}  // namespace

bool IdSet::Insert(std::string_view id) {
  uint64_t key = 0;
  if (!PackId(id, key)) return others_.emplace(id).second;
  if (key == 0) {
    const bool added = !hasZero_;
    hasZero_ = true;
    return added;
  }
  return InsertPacked(key);
}

bool IdSet::InsertPacked(uint64_t key) {
  if (slots_.empty()) slots_.assign(kFirstSlots, 0);
  const size_t mask = slots_.size() - 1;
  for (size_t i = SlotOf(key, mask);; i = (i + 1) & mask) {
    if (slots_[i] == key) return false;
    if (slots_[i] == 0) {
      slots_[i] = key;
      // At most half full, so probe runs stay short.
      if (++packedCount_ * 2 > slots_.size()) Grow();
      return true;
    }
  }
}

void IdSet::Grow() {
  std::vector<uint64_t> old(slots_.size() * 2, 0);
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const uint64_t key : old) {
    if (key == 0) continue;
    size_t i = SlotOf(key, mask);
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = key;
  }
}

void IdSet::Clear() {
  slots_.clear();
  packedCount_ = 0;
  hasZero_ = false;
  others_.clear();
}

}  // namespace corvalis
