#pragma once

#include <string>

#include "channels/ChannelHooks.h"
#include "channels/ChannelSet.h"
#include "protocol/MessageDispatcher.h"
#include "protocol/ReaderCommandSender.h"
#include "script/ScriptHost.h"

namespace corvalis {

class MachineRegistry;
class ScriptInterpreter;

// The script's view of the program's channels: sends through the command
// sender's raw send (recorded like every command), simulated input through
// the message dispatcher.
class ScriptChannelBinding final : public ScriptChannels {
 public:
  ScriptChannelBinding(ChannelSet& channels, ReaderCommandSender& commands,
                       MessageDispatcher& dispatcher)
      : channels_(channels), commands_(commands), dispatcher_(dispatcher) {}

  bool IsOpen(int channel) const override { return channels_.IsOpen(channel); }
  void Open(int channel) override;
  void Close(int channel) override;
  bool Send(int channel, const char* bytes, int count) override;
  bool IsSerial(int channel) const override;
  void SetBaudRate(int channel, int rate) override;
  bool SetPort(int channel, std::string_view name) override;
  bool SetPortByIndex(int channel, int index) override;
  void SimulateInput(int channel, std::string_view line) override;
  // True while the script's own line is being written.
  const bool* SendingFlag() const { return &sending_; }

 private:
  ChannelSet& channels_;
  ReaderCommandSender& commands_;
  MessageDispatcher& dispatcher_;
  std::string scratch_;
  bool sending_ = false;
};

// What the channels hand the script side after each receive: raw bytes for
// RecordInput, and a walk of the state machines.
class ScriptReceiveHook final : public ScriptReceiver {
 public:
  ScriptReceiveHook(MachineRegistry& machines, ScriptInterpreter* interpreter)
      : machines_(machines), interpreter_(interpreter) {}

  bool IsWaitingOn(int channel) const override;
  void AppendReceiveText(int channel, const char* bytes, int count) override;
  bool IsMachineRunning() const override;
  void RunMachineOnce() override;

 private:
  MachineRegistry& machines_;
  ScriptInterpreter* interpreter_;
};

}  // namespace corvalis
