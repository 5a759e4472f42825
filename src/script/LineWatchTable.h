#pragma once

#include <regex.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace corvalis {

// Told of every watched line that matched (the interpreter shows it and
// wakes the state machines).
class LineWatchListener {
 public:
  virtual ~LineWatchListener() = default;
  virtual void WatchMatched(int index, int channel, std::string_view line) = 0;
};

// Up to 20 grep-style patterns that every received line is tried against;
// each keeps the last lines it matched.
class LineWatchTable {
 public:
  static constexpr int kMaxWatches = 20;
  static constexpr int kKeptLines = 11;
  static constexpr int kAnyChannel = -1;

  LineWatchTable() = default;
  ~LineWatchTable();
  LineWatchTable(const LineWatchTable&) = delete;
  LineWatchTable& operator=(const LineWatchTable&) = delete;

  void SetListener(LineWatchListener* listener) { listener_ = listener; }

  // The new entry's index; -1 when the table is full ("Watch table full") or
  // the pattern does not compile ("Error setting regex" and the reason), with
  // `error` set.
  int AddWatch(int channel, std::string_view pattern, const void* owner, std::string* error);
  // Gives an existing entry a new pattern and channel, dropping its lines.
  bool ReplaceWatch(int index, int channel, std::string_view pattern, std::string* error);
  void ClearWatchLines(int index);
  int WatchCount(int index) const;
  // The newest kept line (empty when none) and its channel (1-based, 0 when none).
  std::string_view LastWatchLine(int index, int* channel = nullptr) const;
  void RemoveWatchesFrom(int index);
  int WatchTableSize() const { return size_; }

  // Tries `line` (NUL-terminated) against every entry for its channel.
  // True when any matched.
  bool WatchLine(int channel, const char* line);

 private:
  struct Entry {
    std::vector<regex_t> alternatives;  // the pattern's newline-separated parts
    int channel = kAnyChannel;
    const void* owner = nullptr;
    std::array<std::string, kKeptLines> lines;
    std::array<int, kKeptLines> lineChannels{};
    int first = 0;
    int count = 0;
  };

  static bool Compile(std::string_view pattern, std::vector<regex_t>& out, std::string* error);
  static void Free(std::vector<regex_t>& alternatives);

  std::array<Entry, kMaxWatches> entries_;
  int size_ = 0;
  LineWatchListener* listener_ = nullptr;
};

}  // namespace corvalis
