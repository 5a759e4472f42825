#pragma once

#include <cstdint>

namespace corvalis {

// A read time: seconds since 1970-01-01 plus milliseconds 0..999.
struct WallTime {
  int32_t sec = 0;
  int32_t ms = 0;

  friend bool operator==(const WallTime&, const WallTime&) = default;
};

// Milliseconds from `from` to `to`.
constexpr int64_t MillisBetween(WallTime from, WallTime to) {
  return (int64_t{to.sec} - from.sec) * 1000 + (to.ms - from.ms);
}

// Everything that reads the computer's time takes it from here, so tests can
// drive passes, countdowns and time-outs exactly.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual WallTime Now() const = 0;
};

class SystemClock final : public Clock {
 public:
  WallTime Now() const override;
};

class ManualClock final : public Clock {
 public:
  explicit ManualClock(WallTime start = {1'700'000'000, 0}) : now_(start) {}
  WallTime Now() const override { return now_; }
  void Set(WallTime t) { now_ = t; }
  void AdvanceMs(int64_t ms);

 private:
  WallTime now_;
};

}  // namespace corvalis
