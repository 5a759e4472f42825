#include "control/RfMultiplex.h"

namespace corvalis {

namespace {
constexpr const char* kRfOn = "010601";
constexpr const char* kRfOff = "010600";
constexpr int kReaderChannels = 4;
}  // namespace

void RfMultiplex::Start(int periodTicks) {
  period_ = periodTicks < 1 ? 1 : periodTicks;
  count_ = period_;
  current_ = 0;
  switched_ = false;
  running_ = true;
  sender_.SendCommand(0, 0, kRfOn);
  for (int channel = 1; channel < kReaderChannels; ++channel)
    sender_.SendCommand(channel, 0, kRfOff);
}

void RfMultiplex::Stop() {
  if (!running_) return;
  running_ = false;
  sender_.SendCommand(current_, 0, kRfOff);
}

void RfMultiplex::Tick() {
  if (!running_ || --count_ >= 1) return;
  sender_.SendCommand(current_, 0, kRfOff);
  for (int step = 1; step <= kReaderChannels; ++step) {
    const int next = (current_ + step) % kReaderChannels;
    if (channels_.IsOpen(next)) {
      current_ = next;
      break;
    }
  }
  sender_.SendCommand(current_, 0, kRfOn);
  count_ = period_;
  switched_ = true;
}

bool SteppingRun::Start(bool logFileOpen, int edge, int stepLimit) {
  if (!logFileOpen) return false;
  edge_ = edge & 1;
  level_ = 1 - edge_;
  steps_ = 0;
  limit_ = stepLimit;
  running_ = true;
  return true;
}

int SteppingRun::Tick(bool& snapshot) {
  snapshot = false;
  if (!running_) return level_;
  level_ = 1 - level_;
  if (level_ == edge_) {
    snapshot = true;
    if (++steps_ >= limit_) running_ = false;
  }
  return level_;
}

}  // namespace corvalis
