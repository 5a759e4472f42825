#include "channels/ReconnectBackoff.h"

#include <algorithm>

namespace corvalis {

void ReconnectBackoff::SetFirstStepMs(int ms) {
  firstStepMs_ = std::clamp(ms, 1, kCeilingMs);
  if (attempts_ == 0) stepMs_ = firstStepMs_;
}

void ReconnectBackoff::LinkDown() {
  if (waiting_) return;
  waiting_ = true;
  deadlineSet_ = false;
}

void ReconnectBackoff::Reset() {
  waiting_ = false;
  deadlineSet_ = false;
  attempts_ = 0;
  stepMs_ = firstStepMs_;
}

bool ReconnectBackoff::AttemptDue(WallTime now) {
  if (!waiting_) return false;
  // The wait starts at the first tick after the loss: the transports report
  // without a time.
  if (!deadlineSet_) {
    deadline_ = now;
    deadline_.ms += stepMs_;
    deadline_.sec += deadline_.ms / 1000;
    deadline_.ms %= 1000;
    deadlineSet_ = true;
    return false;
  }
  if (MillisBetween(now, deadline_) > 0) return false;
  waiting_ = false;
  deadlineSet_ = false;
  ++attempts_;
  stepMs_ = std::min(stepMs_ * 2, kCeilingMs);
  return true;
}

}  // namespace corvalis
