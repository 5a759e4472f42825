#include "script/DiagTrace.h"

#include <algorithm>

namespace corvalis {

DiagnosticsTrace::DiagnosticsTrace() : ring_(kKeptLines + 16) {}

void DiagnosticsTrace::SetLevel(int level) {
  level_ = std::clamp(level, kMinLevel, kMaxLevel);
}

void DiagnosticsTrace::DiagTrace(int level, std::string_view text) {
  if (level_ < level) return;
  Write(text.empty() ? std::string_view("????\r\n") : text);
  if (listener_ != nullptr) listener_->DiagTraceChanged();
}

const std::string& DiagnosticsTrace::Line(int index) const {
  return ring_[static_cast<size_t>((head_ + index) % static_cast<int>(ring_.size()))];
}

void DiagnosticsTrace::Clear() {
  head_ = 0;
  count_ = 0;
  endedWithLineFeed_ = true;
}

void DiagnosticsTrace::Write(std::string_view text) {
  // Cut the memo to its kept lines first, so one long text still shows whole.
  if (count_ > kKeptLines) {
    const int drop = count_ - kKeptLines;
    head_ = (head_ + drop) % static_cast<int>(ring_.size());
    count_ = kKeptLines;
  }
  size_t start = 0;
  while (start <= text.size()) {
    const size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) {
      if (start < text.size()) {
        AppendPiece(text.substr(start));
        endedWithLineFeed_ = false;
      }
      break;
    }
    AppendPiece(text.substr(start, lf - start));
    endedWithLineFeed_ = true;
    start = lf + 1;
  }
}

void DiagnosticsTrace::AppendPiece(std::string_view piece) {
  std::string& line =
      (endedWithLineFeed_ || count_ == 0)
          ? NewLine()
          : ring_[static_cast<size_t>((head_ + count_ - 1) % static_cast<int>(ring_.size()))];
  for (const char c : piece) {
    if (c != '\r') line.push_back(c);
  }
}

std::string& DiagnosticsTrace::NewLine() {
  if (count_ == static_cast<int>(ring_.size())) {
    // One text with more lines than the ring holds: unroll and grow.
    std::rotate(ring_.begin(), ring_.begin() + head_, ring_.end());
    head_ = 0;
    ring_.resize(ring_.size() * 2);
  }
  std::string& line = ring_[static_cast<size_t>((head_ + count_) % static_cast<int>(ring_.size()))];
  line.clear();
  ++count_;
  return line;
}

}  // namespace corvalis
