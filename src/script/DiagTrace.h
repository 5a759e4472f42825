#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvalis {

// Shown by the diagnostics window when it needs repainting.
class DiagTraceListener {
 public:
  virtual ~DiagTraceListener() = default;
  virtual void DiagTraceChanged() = 0;
};

// The filtered trace of the state machines and read/write engines, kept as
// the lines of the diagnostics memo. Tracing happens on every machine step,
// so a call below the level costs one comparison and a written line reuses
// the storage of the line it replaces.
class DiagnosticsTrace {
 public:
  static constexpr int kMinLevel = -10;
  static constexpr int kMaxLevel = 10;
  static constexpr int kDefaultLevel = 3;
  static constexpr int kKeptLines = 100;

  DiagnosticsTrace();

  void SetLevel(int level);
  int Level() const { return level_; }
  void SetListener(DiagTraceListener* listener) { listener_ = listener; }

  // Writes `text` when `level` is at or below the chosen level.
  void DiagTrace(int level, std::string_view text);

  int LineCount() const { return count_; }
  const std::string& Line(int index) const;  // 0 is the oldest
  bool LineOpen() const { return !endedWithLineFeed_; }
  void Clear();

 private:
  void Write(std::string_view text);
  void AppendPiece(std::string_view piece);
  std::string& NewLine();

  int level_ = kDefaultLevel;
  bool endedWithLineFeed_ = true;
  // Ring of lines: the oldest at head_.
  std::vector<std::string> ring_;
  int head_ = 0;
  int count_ = 0;
  DiagTraceListener* listener_ = nullptr;
};

}  // namespace corvalis
