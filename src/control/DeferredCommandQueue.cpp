#include "control/DeferredCommandQueue.h"

#include "common/ChannelIndex.h"

namespace corvalis {
namespace {
constexpr int kTicksPerSecond = 10;
constexpr int kDateTimeTick = 6;
}  // namespace

void DeferredCommandQueue::Clear() {
  for (DeferredSlot& slot : slots_) slot.channel = -1;
}

void DeferredCommandQueue::SetSlot(int slot, int channel, int readerId, int index) {
  if (slot < 0 || slot >= kDeferredSlots) return;
  DeferredSlot& s = slots_[static_cast<size_t>(slot)];
  s.channel = channel;
  s.readerId = readerId;
  s.index = index;
  s.body.clear();
}

void DeferredCommandQueue::SetSlot(int slot, int channel, int readerId, std::string_view body) {
  if (slot < 0 || slot >= kDeferredSlots) return;
  DeferredSlot& s = slots_[static_cast<size_t>(slot)];
  s.channel = channel;
  s.readerId = readerId;
  s.index = -1;
  s.body.assign(body);
}

std::optional<DeferredSlot> DeferredCommandQueue::Tick(bool awaitingReply) {
  if (countdown_ <= 0 || awaitingReply) return std::nullopt;
  --countdown_;
  if (countdown_ >= kDeferredSlots) return std::nullopt;
  DeferredSlot& slot = slots_[static_cast<size_t>(countdown_)];
  std::optional<DeferredSlot> due;
  if (IsValidChannel(slot.channel)) due = slot;
  slot.channel = -1;
  return due;
}

void AutomaticUpdate::SetInterval(int seconds) {
  interval_ = seconds > 0 ? seconds : 0;
  countdown_ = interval_ * kTicksPerSecond;
}

AutomaticUpdate::Action AutomaticUpdate::Tick() {
  if (countdown_ <= 0) return Action::kNone;
  --countdown_;
  if (countdown_ == kDateTimeTick) return Action::kGetDateTime;
  if (countdown_ == 0) {
    countdown_ = interval_ * kTicksPerSecond;
    return Action::kGetStats;
  }
  return Action::kNone;
}

}  // namespace corvalis
