#pragma once

#include <cstdint>

#include "common/Clock.h"

namespace corvalis {

// When a channel that is meant to be open tries its link again. The wait
// doubles after each attempt that fails (first step, 2, 4 ... up to the
// ceiling) and starts over once the link is up. Time comes from the ticks,
// so tests drive it with a manual clock.
class ReconnectBackoff {
 public:
  static constexpr int kDefaultFirstStepMs = 1000;
  static constexpr int kCeilingMs = 30'000;

  // Takes effect from the next wait on; at least 1 ms, at most the ceiling.
  void SetFirstStepMs(int ms);
  int FirstStepMs() const { return firstStepMs_; }

  // The link went down, or an attempt left it down: the next attempt waits
  // one step from the next tick.
  void LinkDown();
  // The link is up, or the operator opened or closed it: nothing waits and
  // the steps start over.
  void Reset();
  // Once per tick: true when an attempt is due now; the step doubles for the
  // one after.
  bool AttemptDue(WallTime now);

  bool Waiting() const { return waiting_; }
  // Attempts since the link was last up.
  int Attempts() const { return attempts_; }
  // The wait the next LinkDown starts.
  int StepMs() const { return stepMs_; }

 private:
  int firstStepMs_ = kDefaultFirstStepMs;
  int stepMs_ = kDefaultFirstStepMs;
  bool waiting_ = false;
  bool deadlineSet_ = false;
  WallTime deadline_;
  int attempts_ = 0;
};

}  // namespace corvalis
