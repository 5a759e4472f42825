#pragma once

#include "common/TickListener.h"
#include "protocol/MessageDispatcher.h"

namespace corvalis {

// The Timed RF burst: RF on at once, RF off when the count runs out. The
// channel and reader are latched at the start so the burst ends where it
// began, whatever the operator selects meanwhile.
class TimedRf final : public TickListener {
 public:
  explicit TimedRf(CommandSender& sender) : sender_(sender) {}
  // `count` seconds, or tenths with `tenths`; channel 0..4.
  void Start(int channel, int readerId, int count, bool tenths);
  // Pressing the button again: the burst ends at the next step.
  void Cancel() { remaining_ = 0; }
  // One 100 ms tick.
  void Tick() override;
  bool Running() const { return running_; }
  int Remaining() const { return remaining_; }

 private:
  CommandSender& sender_;
  bool running_ = false;
  int channel_ = 0;
  int readerId_ = 0;
  int remaining_ = 0;
  int ticksPerStep_ = 10;
  int ticks_ = 0;
};

}  // namespace corvalis
