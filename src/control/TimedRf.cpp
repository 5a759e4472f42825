#include "control/TimedRf.h"

namespace corvalis {

namespace {
constexpr const char* kRfOn = "010601";   // [31]
constexpr const char* kRfOff = "010600";  // [32]
}  // namespace

void TimedRf::Start(int channel, int readerId, int count, bool tenths) {
  channel_ = channel;
  readerId_ = readerId;
  remaining_ = count;
  ticksPerStep_ = tenths ? 1 : 10;
  ticks_ = 0;
  running_ = true;
  sender_.SendCommand(channel_, readerId_, kRfOn);
}

void TimedRf::Tick() {
  if (!running_) return;
  if (remaining_ > 0 && ++ticks_ < ticksPerStep_) return;
  ticks_ = 0;
  if (remaining_ > 0) --remaining_;
  if (remaining_ > 0) return;
  running_ = false;
  sender_.SendCommand(channel_, readerId_, kRfOff);
}

}  // namespace corvalis
