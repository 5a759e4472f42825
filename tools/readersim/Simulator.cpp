#include "Simulator.h"

#include <algorithm>

#include "FormatPresets.h"
#include "TimingFields.h"

namespace corvalis::readersim {
namespace {

SchedulerConfig SchedulerConfigOf(const Options& o) {
  return {.tags = o.tags,
          .rate = o.rate,
          .readsPerPass = o.readsPerPass,
          .passLimit = o.passes,
          .seed = o.seed};
}

WallTime ToWallTime(int64_t ms) {
  return {static_cast<int32_t>(ms / 1000), static_cast<int32_t>(ms % 1000)};
}

}  // namespace

Simulator::Simulator(const Options& options, const Clock& clock)
    : clock_(clock),
      commands_(state_, clock),
      scheduler_(SchedulerConfigOf(options), clock),
      encoder_(options.tags, options.seed),
      noise_(options.seed),
      noisy_(options.noise),
      status_(StatusByte(options.tamper, options.flagFS, options.flagLS)),
      msTiming_(options.msTiming),
      triggerEveryMs_(options.triggerEveryMs) {
  state_.readerId = options.readerId;
  state_.faultCommand = options.faultCommand;
  state_.faultError = options.faultError;
  state_.faultSilent = options.faultSilent;
  state_.format = MakePresetFormat(options.format);
}

void Simulator::StartStream() {
  streaming_ = true;
  earlierPasses_ = state_.stats.passesCompleted;
  scheduler_.Start();
  const WallTime now = clock_.Now();
  nextTriggerMs_ = int64_t{now.sec} * 1000 + now.ms + triggerEveryMs_;
}

void Simulator::SkipMissedReads() {
  scheduler_.Resume();
}

void Simulator::StopStream() {
  streaming_ = false;
}

void Simulator::Receive(const char* bytes, size_t count, std::vector<std::string>& chunks) {
  std::vector<std::string> replies;
  if (inLoader_) {
    loader_.Receive(bytes, count, replies);
    if (loader_.Done()) inLoader_ = false;  // the new firmware starts
    for (std::string& reply : replies) Emit(std::move(reply), chunks);
    return;
  }
  const bool wasOn = state_.rfOn;
  commands_.Receive(bytes, count, replies);
  if (state_.bootRequested) {
    state_.bootRequested = false;
    inLoader_ = true;
    loader_ = BootLoader();
  }
  if (wasOn && !state_.rfOn) {
    // Without the field every tag in it is gone at once.
    scheduler_.EndPasses();
    state_.stats.passesCompleted =
        earlierPasses_ + static_cast<uint32_t>(scheduler_.PassesCompleted());
  } else if (!wasOn && state_.rfOn) {
    scheduler_.Resume();
  }
  for (std::string& reply : replies) Emit(std::move(reply), chunks);
}

void Simulator::Poll(std::vector<std::string>& chunks) {
  if (!streaming_ || inLoader_) return;
  const WallTime now = clock_.Now();
  if (triggerEveryMs_ > 0 && int64_t{now.sec} * 1000 + now.ms >= nextTriggerMs_) {
    // The start beam is wired to the reader, not to its radio: it triggers
    // with the transmitter off too.
    Emit(TriggerLine(state_.readerId, now), chunks);
    nextTriggerMs_ += triggerEveryMs_;
  }
  if (!state_.rfOn) return;
  due_.clear();
  scheduler_.Poll(due_);
  const MessageFormat& format = state_.format;
  for (const ScheduledRead& read : due_) {
    std::string message =
        encoder_.Encode(format, state_.readerId, read, ToWallTime(read.atMs), status_);
    if (message.empty()) continue;
    if (msTiming_) {
      FillTimingFields(format, encoder_.Id(read.tag), timingSlot_, ToWallTime(read.atMs), message);
      timingSlot_ = (timingSlot_ + 1) % 40;
    }
    ++state_.stats.readsSent;
    if (noisy_) {
      std::string garbage = noise_.MaybeGarbage(format);
      if (!garbage.empty()) {
        ++state_.stats.noiseLines;
        Emit(std::move(garbage), chunks);
      }
      if (noise_.MaybeCorruptLrc(format, message)) ++state_.stats.noiseLines;
    }
    Emit(message + Trailer(format), chunks);
  }
  state_.stats.passesCompleted =
      earlierPasses_ + static_cast<uint32_t>(scheduler_.PassesCompleted());
}

int64_t Simulator::MsUntilNextPoll() const {
  if (!streaming_ || inLoader_) return -1;
  const WallTime now = clock_.Now();
  const int64_t nowMs = int64_t{now.sec} * 1000 + now.ms;
  int64_t next = -1;
  if (state_.rfOn && !scheduler_.Finished()) next = scheduler_.NextSlotMs();
  if (triggerEveryMs_ > 0 && (next < 0 || nextTriggerMs_ < next)) next = nextTriggerMs_;
  return next < 0 ? -1 : std::max<int64_t>(0, next - nowMs);
}

void Simulator::Emit(std::string bytes, std::vector<std::string>& chunks) {
  if (noisy_) {
    noise_.Split(bytes, chunks);
  } else {
    chunks.push_back(std::move(bytes));
  }
}

}  // namespace corvalis::readersim
