#include "ReadCycle.h"

#include <algorithm>

namespace corvalis::readersim {

void ReadCycle::Clear() {
  bytes_.clear();
  marks_.clear();
  next_ = 0;
  playsOnce_ = false;
}

void ReadCycle::Append(std::string_view bytes, uint32_t noiseLines, bool endsPass) {
  const Mark before = marks_.empty() ? Mark{} : marks_.back();
  bytes_.append(bytes);
  marks_.push_back({.end = bytes_.size(),
                    .noiseLines = before.noiseLines + noiseLines,
                    .passes = before.passes + (endsPass ? 1u : 0u)});
}

ReadCycle::Chunk ReadCycle::Next(size_t maxBytes) {
  if (Done()) return {};
  if (next_ == marks_.size()) next_ = 0;
  const Mark before = next_ == 0 ? Mark{} : marks_[next_ - 1];
  // The last read that still fits, but one read at least.
  const auto fits = std::upper_bound(
      marks_.begin() + static_cast<std::ptrdiff_t>(next_), marks_.end(), before.end + maxBytes,
      [](size_t limit, const Mark& mark) { return limit < mark.end; });
  const size_t last = std::max(static_cast<size_t>(fits - marks_.begin()), next_ + 1) - 1;
  const Mark& after = marks_[last];
  Chunk chunk{.bytes = std::string_view(bytes_).substr(before.end, after.end - before.end),
              .reads = static_cast<uint32_t>(last + 1 - next_),
              .noiseLines = after.noiseLines - before.noiseLines,
              .passesCompleted = after.passes - before.passes};
  next_ = last + 1;
  return chunk;
}

}  // namespace corvalis::readersim
