#pragma once

#include <vector>

#include "protocol/ReceiveFramer.h"

namespace corvalis {

// The parts that may take a channel's received bytes before or beside the
// receive buffer. Each is optional: with nothing registered the bytes go
// straight to the buffer and the cutter.

// The firmware download owns its channel while it runs: it gets the whole
// event and reads the bytes itself.
class DownloadReceiver {
 public:
  virtual ~DownloadReceiver() = default;
  virtual bool IsRunningOn(int channel) const = 0;
  virtual void TakeBytesWaiting(int channel, int waiting, SerialByteSource& source) = 0;
};

// The Modbus tab's exchange (or its eavesdropping).
class ModbusReceiver {
 public:
  virtual ~ModbusReceiver() = default;
  virtual bool WantsBytes(int channel) const = 0;
  virtual void TakeModbusBytes(int channel, const char* bytes, int count) = 0;
};

// A tab bound to a channel that wants the raw bytes (command console, tag
// simulator, tag read/write tabs).
class RawReceiver {
 public:
  virtual ~RawReceiver() = default;
  virtual bool IsBoundTo(int channel) const = 0;
  virtual void TakeRawBytes(int channel, const char* bytes, int count) = 0;
};

// The raw traffic recording of the reader channels.
class RawRecorder {
 public:
  virtual ~RawRecorder() = default;
  virtual bool IsRecording(int channel) const = 0;
  virtual void RecordBytes(int channel, const char* bytes, int count) = 0;
};

// The script interpreter: its receive text and its state machine.
class ScriptReceiver {
 public:
  virtual ~ScriptReceiver() = default;
  virtual bool IsWaitingOn(int channel) const = 0;
  virtual void AppendReceiveText(int channel, const char* bytes, int count) = 0;
  virtual bool IsMachineRunning() const = 0;
  virtual void RunMachineOnce() = 0;
};

struct ChannelHooks {
  DownloadReceiver* download = nullptr;
  ModbusReceiver* modbus = nullptr;
  RawRecorder* recorder = nullptr;
  ScriptReceiver* script = nullptr;
  std::vector<RawReceiver*> rawReceivers;
};

// The windows that draw the channels (status bar, menus) learn here that the
// channel state or the activity marks changed.
class ChannelStatusListener {
 public:
  virtual ~ChannelStatusListener() = default;
  virtual void ChannelStatusRefreshed() = 0;
  virtual void RepaintStatusBar() = 0;
};

}  // namespace corvalis
