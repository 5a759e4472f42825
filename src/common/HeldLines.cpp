#include "common/HeldLines.h"

namespace corvalis {

void HeldLines::Add(std::string_view line) {
  if (limit_ == 0) return;
  text_.append(line);
  text_ += '\n';
  lengths_.push_back(line.size() + 1);
  if (lengths_.size() <= limit_) return;
  dropped_ += lengths_.front();
  lengths_.pop_front();
  // Moving the held lines down once they fill less than half the text keeps
  // the cost per line constant.
  if (dropped_ * 2 > text_.size()) {
    text_.erase(0, dropped_);
    dropped_ = 0;
  }
}

std::string HeldLines::TakeJoined() {
  std::string joined;
  if (!Empty()) joined.assign(text_, dropped_, text_.size() - dropped_ - 1);
  Clear();
  return joined;
}

void HeldLines::Clear() {
  text_.clear();
  dropped_ = 0;
  lengths_.clear();
}

}  // namespace corvalis
