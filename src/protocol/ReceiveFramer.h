#pragma once

#include <cstdint>
#include <string>

#include "common/ChannelIndex.h"
#include "common/StatusReporter.h"
#include "protocol/ChannelFormats.h"

namespace corvalis {

inline constexpr int kRxBufferSize = 8192;
// Unterminated data kept at the front of a buffer when a cut finds no message.
// A serial link delivers a few bytes at a time, so this must hold the longest
// message a reader sends whole: a composite "af" with every field and sixteen
// tags is 592 characters, a reply with 255 data bytes 520. It still bounds
// garbage that never sees a line end.
inline constexpr int kRxKeepTail = 1024;
// Ticks of the 100 ms timer a channel must stay quiet before its idle flush.
inline constexpr int kIdleFlushTicks = 5;

// Bytes before `start` are consumed; bytes from `length` on are stale.
struct ChannelRxBuffer {
  char data[kRxBufferSize];
  int32_t length = 0;
  int32_t start = 0;
};

// Where cut messages go: `text` points into the channel's buffer and `length`
// excludes the terminator. The receiver may write a NUL at text[length].
class MessageReceiver {
 public:
  virtual ~MessageReceiver() = default;
  virtual bool DispatchMessage(int source, int channel, char* text, int length) = 0;
};

// The serial port's side of a bytes-waiting event.
class SerialByteSource {
 public:
  virtual ~SerialByteSource() = default;
  // Reads up to `max` bytes into `dest`; the count read, or -1 on failure.
  virtual int Read(char* dest, int max) = 0;
  virtual void PurgeInput() = 0;
  virtual std::string LastErrorText() const = 0;
};

// Cuts each channel's byte stream into messages (text lines or binary frames)
// and hands them, in arrival order, to the receiver. Never mixes channels.
class ReceiveFramer {
 public:
  ReceiveFramer(ChannelFormats& formats, MessageReceiver& receiver, StatusReporter& status)
      : formats_(formats), receiver_(receiver), status_(status) {}

  // A serial bytes-waiting event reporting `waiting` bytes.
  void AppendSerial(int channel, int waiting, SerialByteSource& port);
  // A TCP read: every byte the socket held, fed in buffer-sized chunks.
  void AppendTcp(int channel, const char* bytes, int count);
  // Cuts every complete message held for the channel. With `flush`, a binary
  // frame that cannot complete is moved past instead of waited for.
  void CutMessages(int channel, bool flush);

  // The Clear command: empties the buffers of the reader channels (1..4).
  void ClearReaderChannels();
  // A link that came back starts a fresh stream: the part of a message the
  // old one ended in would spoil the first message of the new.
  void DropPartial(int channel);

  // One tick of the 100 ms timer: a binary channel quiet for five ticks after
  // receiving gets one flushing cut, so a truncated frame cannot sit in front
  // of the next one.
  void Tick();

  const ChannelRxBuffer& Buffer(int channel) const { return buffers_[channel]; }

 private:
  void AfterAppend(int channel);
  void CutText(int channel);
  void CutBinary(int channel, bool flush);
  void Compact(ChannelRxBuffer& buffer);

  ChannelFormats& formats_;  // read, and its counters written
  MessageReceiver& receiver_;
  StatusReporter& status_;
  ChannelRxBuffer buffers_[kChannelCount];
  int idleCountdown_[kChannelCount] = {};
  bool cutting_[kChannelCount] = {};
};

}  // namespace corvalis
