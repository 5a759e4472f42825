#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace corvalis {

// The newest lines up to a limit, for a memo that shows them later. Busy
// readers bring thousands a second: they go one after another into one text,
// whose front is dropped now and then, so a line costs a copy into memory
// just written and no allocation of its own.
class HeldLines {
 public:
  explicit HeldLines(size_t limit) : limit_(limit) {}

  void Add(std::string_view line);
  bool Empty() const { return lengths_.empty(); }
  // Oldest first, one '\n' between lines; nothing is held afterwards.
  std::string TakeJoined();
  void Clear();

 private:
  size_t limit_;
  std::string text_;            // every line with its '\n', from `dropped_` on
  size_t dropped_ = 0;          // the front of `text_` no longer held
  std::deque<size_t> lengths_;  // of the held lines, '\n' included
};

}  // namespace corvalis
