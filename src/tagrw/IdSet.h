#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace corvalis {

// The IDs a list has shown, asked for every tag read. A tag's ID, 16 lower
// case hex digits, is kept as its eight bytes in an open-addressed table: a
// busy reader's read then costs one probe into memory the cache still holds,
// where a set of strings walks a node and a heap text. Any other text is kept
// as it is.
class IdSet {
 public:
  // True when `id` was not in the set yet.
  bool Insert(std::string_view id);
  void Clear();

 private:
  bool InsertPacked(uint64_t key);
  void Grow();

  // Zero marks a free slot; the ID 0000000000000000 has its own flag.
  std::vector<uint64_t> slots_;
  size_t packedCount_ = 0;
  bool hasZero_ = false;
  std::unordered_set<std::string> others_;
};

}  // namespace corvalis
