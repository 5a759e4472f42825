#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvalis::readersim {

// A stretch of the tag stream rendered once and then replayed for
// "--rate max", so sending costs no formatting and goes out in big writes.
// It is kept as whole reads: a chunk never ends inside a message.
class ReadCycle {
 public:
  // What one chunk carries, for the statistics.
  struct Chunk {
    std::string_view bytes;
    uint32_t reads = 0;
    uint32_t noiseLines = 0;
    uint32_t passesCompleted = 0;
  };

  void Clear();
  // One read's bytes (any garbage line before it included), the noise lines
  // among them and whether the read ended its tag's pass.
  void Append(std::string_view bytes, uint32_t noiseLines, bool endsPass);
  // A cycle that plays once stops at its end instead of starting over.
  void SetPlaysOnce(bool once) { playsOnce_ = once; }

  size_t Size() const { return bytes_.size(); }
  bool Empty() const { return marks_.empty(); }
  // Nothing more to send: empty, or played once to its end.
  bool Done() const { return marks_.empty() || (playsOnce_ && next_ == marks_.size()); }
  // Sending starts again from the first read.
  void Rewind() { next_ = 0; }

  // Whole reads from where the last chunk ended, at most `maxBytes` of them
  // but at least one read; never across the cycle's end. Empty when Done().
  Chunk Next(size_t maxBytes);

 private:
  // Running totals up to and including one read.
  struct Mark {
    size_t end = 0;
    uint32_t noiseLines = 0;
    uint32_t passes = 0;
  };

  std::string bytes_;
  std::vector<Mark> marks_;
  size_t next_ = 0;  // index of the next read to send
  bool playsOnce_ = false;
};

}  // namespace corvalis::readersim
