#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace corvalis {

inline constexpr int kDeferredSlots = 21;

// One queued command: a catalogue index (0 or more), or with index -1 a body.
struct DeferredSlot {
  int channel = -1;  // -1: empty
  int readerId = 0;
  int index = -1;
  std::string body;
};

// Commands a dialog lines up to go out one per 100 ms tick while no reply is
// awaited, so a reader gets a whole configuration without a nested wait.
// Starting at n sends slot n-1 first and slot 0 last.
class DeferredCommandQueue {
 public:
  void Clear();
  void SetSlot(int slot, int channel, int readerId, int index);
  void SetSlot(int slot, int channel, int readerId, std::string_view body);
  void Start(int countdown) { countdown_ = countdown; }
  int Countdown() const { return countdown_; }
  const DeferredSlot& Slot(int slot) const { return slots_[static_cast<size_t>(slot)]; }

  // One tick: the slot due now, if it holds a command on a valid channel.
  // Nothing moves while a reply is awaited.
  std::optional<DeferredSlot> Tick(bool awaitingReply);

 private:
  std::array<DeferredSlot, kDeferredSlots> slots_{};
  int countdown_ = 0;
};

// The automatic status update of the reader control: every interval seconds
// Get Date/Time, then 0.6 s later Get Stats.
class AutomaticUpdate {
 public:
  enum class Action { kNone, kGetDateTime, kGetStats };

  // 0 switches the repetition off; anything else restarts the countdown.
  void SetInterval(int seconds);
  // "&Update": one round within a second.
  void UpdateNow() { countdown_ = 10; }
  Action Tick();
  int Countdown() const { return countdown_; }

 private:
  int interval_ = 0;
  int countdown_ = 0;
};

}  // namespace corvalis
