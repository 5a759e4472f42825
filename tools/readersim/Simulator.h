#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "BootLoader.h"
#include "CommandProcessor.h"
#include "ModbusModule.h"
#include "Options.h"
#include "PassScheduler.h"
#include "ReadCycle.h"
#include "ReadStream.h"
#include "ReaderState.h"
#include "common/Clock.h"

namespace corvalis::readersim {

// One simulated reader without its transport: the link feeds it received
// bytes and polls it for due reads, and writes every chunk it returns as a
// separate write.
class Simulator {
 public:
  Simulator(const Options& options, const Clock& clock);

  // A client is there: passes start afresh from now.
  void StartStream();
  // The client is gone: nothing streams until the next one.
  void StopStream();

  void Receive(const char* bytes, size_t count, std::vector<std::string>& chunks);
  // The messages of every read due by now.
  void Poll(std::vector<std::string>& chunks);
  // "--rate max": whole reads of the pre-rendered cycle, at most `maxBytes`
  // (one read at least) as one chunk. False when there is nothing to send.
  bool PollUnlimited(size_t maxBytes, std::vector<std::string>& chunks);
  // With --rw-other-channel: the replies for the second link since the last
  // call.
  void TakeOtherChannel(std::vector<std::string>& chunks) {
    for (std::string& chunk : otherChannel_) chunks.push_back(std::move(chunk));
    otherChannel_.clear();
  }
  // Milliseconds until Poll has something to do; -1 when nothing is due
  // until a command or a new client changes that.
  int64_t MsUntilNextPoll() const;

  const ReaderState& State() const { return state_; }
  const ReadEncoder& Encoder() const { return encoder_; }
  // After a boot command the reader talks to its boot loader until the
  // loader has taken an end record.
  bool InLoader() const { return inLoader_; }
  BootLoader& Loader() { return loader_; }
  // After "025a3020" the network module answers Modbus TCP requests until
  // the exit register is written; no tag lines stream meanwhile.
  bool InModbus() const { return inModbus_; }
  const ModbusModule& Modbus() const { return modbus_; }

 private:
  void Emit(std::string bytes, std::vector<std::string>& chunks);
  // The reader's own commands; the bytes taken.
  size_t ReceiveCommands(const char* bytes, size_t count, std::vector<std::string>& chunks);
  // One read as the reader sends it: `sink` gets any garbage line noise puts
  // first, then the message with its trailer. The noise lines among them, or
  // -1 when the layout leaves no message.
  template <class Sink>
  int RenderRead(const ScheduledRead& read, Sink&& sink);
  // Renders the cycle "--rate max" replays: the reads of the configured tags
  // passing at the rate that keeps the field busy, in reader time from now.
  void RenderCycle();
  void PreloadFlash(const HandheldConfig& config, int tags);

  const Clock& clock_;
  ReaderState state_;
  CommandProcessor commands_;
  PassScheduler scheduler_;
  ReadEncoder encoder_;
  NoiseMaker noise_;
  bool noisy_;
  uint8_t status_;
  bool msTiming_;
  int triggerEveryMs_;
  int64_t nextTriggerMs_ = 0;
  int timingSlot_ = 0;
  bool streaming_ = false;
  uint32_t earlierPasses_ = 0;  // passes of earlier clients
  std::vector<ScheduledRead> due_;
  bool unlimited_;
  SchedulerConfig cycleConfig_;
  ReadCycle cycle_;
  bool cycleStale_ = true;  // rendered before the current client or layout
  BootLoader loader_;
  bool inLoader_ = false;
  std::vector<LoaderFaultSpec> loaderFaults_;
  bool loaderXon_;
  ModbusModule modbus_;
  bool inModbus_ = false;
  std::vector<std::string> otherChannel_;
};

}  // namespace corvalis::readersim
