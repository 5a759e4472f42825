#pragma once

namespace corvalis {

// Logic that a window owns but that must run on the context's 100 ms tick,
// so it keeps time with no window refreshing it (the plug test's timed run).
class TickListener {
 public:
  virtual ~TickListener() = default;
  virtual void Tick() = 0;
};

}  // namespace corvalis
