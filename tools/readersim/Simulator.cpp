#include "Simulator.h"

#include <algorithm>
#include <cstring>

#include "FormatPresets.h"
#include "TimingFields.h"
#include "protocol/Hex.h"

namespace corvalis::readersim {
namespace {

SchedulerConfig SchedulerConfigOf(const Options& o) {
  return {.tags = o.tags,
          .rate = o.rate,
          .readsPerPass = o.readsPerPass,
          .passLimit = o.passes,
          .seed = o.seed};
}

// The cycle replays this much of the stream; a pass limit may stretch it up
// to the larger size, which then plays once.
constexpr size_t kCycleBytes = size_t{4} << 20;
constexpr size_t kOnceCycleBytes = size_t{64} << 20;
constexpr int64_t kRenderStepMs = 10;

SchedulerConfig CycleConfigOf(const Options& o) {
  SchedulerConfig config = SchedulerConfigOf(o);
  config.rate = BusyFieldRate(o.tags, o.readsPerPass);
  return config;
}

bool SameBytes(const FormatBytes& a, const FormatBytes& b) {
  static_assert(sizeof(FormatBytes) == 10, "ten plain bytes");
  return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string IdText(const TagId& id) {
  std::string text;
  for (const uint8_t b : id) {
    text += kLowerHexDigits[b >> 4];
    text += kLowerHexDigits[b & 0x0F];
  }
  return text;
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
      triggerEveryMs_(options.triggerEveryMs),
      unlimited_(options.unlimited),
      cycleConfig_(CycleConfigOf(options)),
      loaderFaults_(options.loaderFaults),
      loaderXon_(options.loaderXon),
      modbus_(encoder_, options.tags) {
  state_.readerId = options.readerId;
  encoder_.FixCounts(options.fixedICount, options.fixedQCount);
  state_.faultCommand = options.faultCommand;
  state_.faultError = options.faultError;
  state_.faultSilent = options.faultSilent;
  state_.format = MakePresetFormat(options.format);
  state_.rfOn = !options.rfOff;
  state_.rw = RwController(options.rwFaults);
  state_.tagSimAddress = options.tagSimAddress;
  state_.tolling = options.tolling;
  state_.toll = TollingReader(options.tags, !options.tollNoMode);
  if (!options.handheld.type.empty()) PreloadFlash(options.handheld, options.tags);
}

// The records the handheld holds when it starts: reads of the tags round
// robin, a second apart, ending now.
void Simulator::PreloadFlash(const HandheldConfig& config, int tags) {
  state_.handheld = HandheldReader(config);
  const WallTime now = clock_.Now();
  const int64_t nowMs = int64_t{now.sec} * 1000 + now.ms;
  for (int i = 0; i < config.storedRecords && tags > 0; ++i) {
    const ScheduledRead read{.tag = i % tags,
                             .atMs = nowMs - int64_t{config.storedRecords - i} * 1000,
                             .readInPass = 1,
                             .pass = i / tags + 1};
    state_.handheld.Preload(
        encoder_.Encode(state_.format, state_.readerId, read, ToWallTime(read.atMs), status_) +
        Trailer(state_.format));
  }
}

void Simulator::StartStream() {
  streaming_ = true;
  earlierPasses_ = state_.stats.passesCompleted;
  scheduler_.Start();
  const WallTime now = clock_.Now();
  nextTriggerMs_ = int64_t{now.sec} * 1000 + now.ms + triggerEveryMs_;
  cycleStale_ = true;
}

void Simulator::StopStream() {
  streaming_ = false;
}

void Simulator::Receive(const char* bytes, size_t count, std::vector<std::string>& chunks) {
  while (count > 0) {
    size_t taken = count;
    if (inLoader_) {
      std::vector<std::string> replies;
      loader_.Receive(bytes, count, replies);
      if (loader_.Done()) inLoader_ = false;  // the new firmware starts
      for (std::string& reply : replies) Emit(std::move(reply), chunks);
    } else if (inModbus_) {
      std::vector<std::string> replies;
      bool exited = false;
      taken = modbus_.Receive(bytes, count, replies, exited);
      if (exited) inModbus_ = false;
      for (std::string& reply : replies) Emit(std::move(reply), chunks);
    } else {
      taken = ReceiveCommands(bytes, count, chunks);
    }
    bytes += taken;
    count -= taken;
  }
}

size_t Simulator::ReceiveCommands(const char* bytes, size_t count,
                                  std::vector<std::string>& chunks) {
  std::vector<std::string> replies;
  const bool wasOn = state_.rfOn;
  const FormatBytes layoutBefore = FormatBytesOf(state_.format);
  const int idBefore = state_.readerId;
  const size_t taken = commands_.Receive(bytes, count, replies);
  const WallTime now = clock_.Now();
  state_.rw.TakeDue(int64_t{now.sec} * 1000 + now.ms, replies, otherChannel_);
  if (!SameBytes(FormatBytesOf(state_.format), layoutBefore) || state_.readerId != idBefore) {
    cycleStale_ = true;
  }
  if (state_.bootRequested) {
    state_.bootRequested = false;
    inLoader_ = true;
    loader_ = BootLoader();
    loader_.SetXonLineEnds(loaderXon_);
    for (const LoaderFaultSpec& spec : loaderFaults_)
      loader_.InjectFault(spec.record, spec.fault, spec.times);
  }
  if (state_.modbusRequested) {
    state_.modbusRequested = false;
    inModbus_ = true;
    modbus_.Reset();
  }
  // The unlimited cycle has no passes to end: it stops and later goes on.
  if (wasOn && !state_.rfOn && !unlimited_) {
    // Without the field every tag in it is gone at once.
    scheduler_.EndPasses();
    state_.stats.passesCompleted =
        earlierPasses_ + static_cast<uint32_t>(scheduler_.PassesCompleted());
  } else if (!wasOn && state_.rfOn) {
    scheduler_.Resume();
  }
  for (std::string& reply : replies) Emit(std::move(reply), chunks);
  return taken;
}

void Simulator::Poll(std::vector<std::string>& chunks) {
  const WallTime now = clock_.Now();
  std::vector<std::string> rwReplies;
  state_.rw.TakeDue(int64_t{now.sec} * 1000 + now.ms, rwReplies, otherChannel_);
  for (std::string& reply : rwReplies) Emit(std::move(reply), chunks);
  if (!streaming_ || inLoader_ || inModbus_) return;
  std::vector<std::string> flashLines;
  state_.handheld.TakeDue(int64_t{now.sec} * 1000 + now.ms, flashLines);
  for (std::string& line : flashLines) Emit(std::move(line), chunks);
  if (triggerEveryMs_ > 0 && int64_t{now.sec} * 1000 + now.ms >= nextTriggerMs_) {
    // The start beam is wired to the reader, not to its radio: it triggers
    // with the transmitter off too.
    Emit(TriggerLine(state_.readerId, now), chunks);
    nextTriggerMs_ += triggerEveryMs_;
  }
  if (!state_.rfOn || unlimited_) return;
  due_.clear();
  scheduler_.Poll(due_);
  for (const ScheduledRead& read : due_) {
    std::string message;
    const int noiseLines = RenderRead(read, [&](std::string bytes) {
      message = bytes;
      Emit(std::move(bytes), chunks);
    });
    if (noiseLines < 0) continue;
    state_.handheld.Record(message);
    ++state_.stats.readsSent;
    state_.stats.noiseLines = static_cast<uint16_t>(state_.stats.noiseLines + noiseLines);
  }
  state_.stats.passesCompleted =
      earlierPasses_ + static_cast<uint32_t>(scheduler_.PassesCompleted());
}

bool Simulator::PollUnlimited(size_t maxBytes, std::vector<std::string>& chunks) {
  if (!streaming_ || inLoader_ || inModbus_ || !state_.rfOn) return false;
  if (cycleStale_) RenderCycle();
  const ReadCycle::Chunk chunk = cycle_.Next(maxBytes);
  if (chunk.reads == 0) return false;
  state_.stats.readsSent += chunk.reads;
  state_.stats.noiseLines = static_cast<uint16_t>(state_.stats.noiseLines + chunk.noiseLines);
  state_.stats.passesCompleted += chunk.passesCompleted;
  Emit(std::string(chunk.bytes), chunks);
  return true;
}

template <class Sink>
int Simulator::RenderRead(const ScheduledRead& read, Sink&& sink) {
  if (state_.tolling) {
    // The tolling application reports each pass once, at its first read.
    if (read.readInPass != 1) return -1;
    sink(state_.toll.Pass(read.tag, IdText(encoder_.Id(read.tag))));
    return 0;
  }
  const MessageFormat& format = state_.format;
  std::string message =
      encoder_.Encode(format, state_.readerId, read, ToWallTime(read.atMs), status_);
  if (message.empty()) return -1;
  if (msTiming_) {
    FillTimingFields(format, encoder_.Id(read.tag), timingSlot_, ToWallTime(read.atMs), message);
    timingSlot_ = (timingSlot_ + 1) % 40;
  }
  int noiseLines = 0;
  if (noisy_) {
    std::string garbage = noise_.MaybeGarbage(format);
    if (!garbage.empty()) {
      ++noiseLines;
      sink(std::move(garbage));
    }
    if (noise_.MaybeCorruptLrc(format, message)) ++noiseLines;
  }
  sink(message + Trailer(format));
  return noiseLines;
}

void Simulator::RenderCycle() {
  cycleStale_ = false;
  cycle_.Clear();
  // The cycle's own time runs ahead at the busy-field rate, so its passes
  // look like real ones to the console however fast they are replayed.
  ManualClock readerTime(clock_.Now());
  PassScheduler scheduler(cycleConfig_, readerTime);
  const size_t size = cycleConfig_.passLimit > 0 ? kOnceCycleBytes : kCycleBytes;
  std::vector<ScheduledRead> due;
  std::string bytes;
  while (cycle_.Size() < size && !scheduler.Finished()) {
    readerTime.AdvanceMs(kRenderStepMs);
    due.clear();
    scheduler.Poll(due);
    for (const ScheduledRead& read : due) {
      bytes.clear();
      const int noiseLines = RenderRead(read, [&](std::string part) { bytes += part; });
      if (noiseLines < 0) continue;
      cycle_.Append(bytes, static_cast<uint32_t>(noiseLines),
                    read.readInPass == cycleConfig_.readsPerPass);
    }
  }
  cycle_.SetPlaysOnce(scheduler.Finished());
}

int64_t Simulator::MsUntilNextPoll() const {
  const WallTime now = clock_.Now();
  const int64_t nowMs = int64_t{now.sec} * 1000 + now.ms;
  const int64_t rwDue = state_.rw.NextDueMs();
  if (!streaming_ || inLoader_ || inModbus_)
    return rwDue < 0 ? -1 : std::max<int64_t>(0, rwDue - nowMs);
  int64_t next = rwDue;
  if (state_.rfOn && unlimited_) {
    if (cycleStale_ || !cycle_.Done()) next = nowMs;
  } else if (state_.rfOn && !scheduler_.Finished()) {
    const int64_t slot = scheduler_.NextSlotMs();
    if (next < 0 || slot < next) next = slot;
  }
  if (triggerEveryMs_ > 0 && (next < 0 || nextTriggerMs_ < next)) next = nextTriggerMs_;
  const int64_t flashDue = state_.handheld.NextDueMs();
  if (flashDue >= 0 && (next < 0 || flashDue < next)) next = flashDue;
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
