#include "control/HoppingSweep.h"

#include <algorithm>

namespace corvalis {

namespace {
constexpr int kTopKhz = 960000;
}

void HoppingSweep::SetBand(int bottomMhz, int topMhz, int stepKhz) {
  bottomKhz_ = bottomMhz * 1000;
  topKhz_ = topMhz * 1000;
  stepKhz_ = std::max(stepKhz, 1);
  // (top - bottom) / step + 0.5, truncated, at least 1.
  const int span = std::max(topKhz_ - bottomKhz_, 0);
  max_ = std::max((2 * span + stepKhz_) / (2 * stepKhz_), 1);
  position_ = std::clamp(position_, 0, max_);
}

void HoppingSweep::SetPosition(int position) {
  position_ = std::clamp(position, 0, max_);
}

int HoppingSweep::FrequencyKhz() const {
  return std::min(bottomKhz_ + position_ * stepKhz_, kTopKhz);
}

std::string HoppingSweep::FrequencyText() const {
  const int khz = FrequencyKhz();
  std::string text = std::to_string(khz / 1000);
  int fraction = khz % 1000;
  if (fraction == 0) return text;
  std::string digits = std::to_string(fraction + 1000).substr(1);
  while (digits.back() == '0') digits.pop_back();
  return text + "." + digits;
}

void HoppingSweep::SetInterval(int ticks) {
  interval_ = std::clamp(ticks, 0, 36000);
  countdown_ = interval_;
}

void HoppingSweep::SetAutoReverse(bool on) {
  autoReverse_ = on;
  if (on) loop_ = false;
}

void HoppingSweep::SetLoop(bool on) {
  loop_ = on;
  if (on) autoReverse_ = false;
}

bool HoppingSweep::Tick() {
  if (countdown_ <= 0 || --countdown_ > 0) return false;
  Step();
  return true;
}

void HoppingSweep::Step() {
  const bool atEnd = down_ ? position_ <= 0 : position_ >= max_;
  if (!atEnd) {
    position_ += down_ ? -1 : 1;
  } else if (autoReverse_) {
    down_ = !down_;
  } else if (loop_) {
    position_ = down_ ? max_ : 0;
  } else {
    return;  // stays at 0: the stepping stops
  }
  countdown_ = interval_;
}

}  // namespace corvalis
