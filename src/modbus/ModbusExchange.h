#pragma once

#include <array>
#include <string>
#include <vector>

#include "common/ChannelIndex.h"
#include "common/Clock.h"
#include "modbus/ModbusLog.h"
#include "modbus/ModbusPorts.h"
#include "modbus/ModbusReplyAssembler.h"
#include "modbus/ModbusRequest.h"

namespace corvalis {

inline constexpr int kModbusReplyTicks = 20;  // 2 s of 100 ms ticks

// One Modbus request at a time on the send channel: sends the frames, gathers
// the reply to its header's length, decodes tag IDs and read-backs, keeps the
// tag lists and writes the log.
class ModbusExchange {
 public:
  ModbusExchange(const Clock& clock, ModbusLink& link) : clock_(clock), link_(link) {}

  void SetView(ModbusView* view) { view_ = view; }
  void SetPassOn(ModbusPassOn* passOn) { passOn_ = passOn; }

  // A button: every press starts afresh (buffer emptied, any older request
  // dropped). False when nothing could be written.
  bool Press(ModbusOp op, int channel, int unit, const ModbusFields& fields);

  // True while the channel's bytes belong here instead of the line path.
  bool WantsBytes(int channel) const;
  // A received chunk. Bytes that are not part of a reply, and everything
  // after the reply that completed the request, go on to the line path.
  void Receive(int channel, const char* bytes, int count);

  // One 100 ms tick: the reply time-out and the eavesdrop resynchronisation.
  void Tick();
  // Once a second: the log starts again when the hour turns to the new-file
  // hour (0..23).
  void SecondTick();
  void SetNewFileHour(int hour) { newFileHour_ = hour; }

  // Eavesdrop: every byte of every channel is parsed; a partial reply is
  // dropped after `delayTicks` ticks without a complete one.
  void SetEavesdrop(bool on, int delayTicks);
  bool Eavesdrop() const { return eavesdrop_; }

  void ClearTags();

  ModbusLog& Log() { return log_; }
  bool Outstanding() const { return outstanding_; }
  int OutstandingChannel() const { return channel_; }
  int Held() const { return assembler_.Held(); }
  int EmptyReplies(int channel) const { return emptyReplies_[static_cast<size_t>(channel)]; }
  const std::vector<std::string>& TagLines() const { return tagLines_; }
  const std::vector<std::string>& UniqueTags() const { return uniqueTags_; }
  bool DoItEnabled() const { return doItEnabled_; }

 private:
  void Complete(int channel);
  void TakeTagReply(int channel, const uint8_t* reply);
  void TakeReadBack(const uint8_t* reply);
  void TakeException(const uint8_t* reply);
  void EndRequest();
  void NoteWriteDone(ModbusOp op);
  std::string LogPrefix(int channel) const;

  const Clock& clock_;
  ModbusLink& link_;
  ModbusView* view_ = nullptr;
  ModbusPassOn* passOn_ = nullptr;
  ModbusReplyAssembler assembler_;
  ModbusLog log_;

  bool outstanding_ = false;
  int channel_ = 0;
  int expectedLength_ = 0;
  int readRegister_ = 0;
  int replyTicks_ = 0;
  int newFileHour_ = 6;

  bool eavesdrop_ = false;
  int eavesdropDelay_ = 0;
  int resyncTicks_ = 0;

  std::array<int, kChannelCount> emptyReplies_{};
  std::vector<std::string> tagLines_;
  std::vector<std::string> uniqueTags_;
  bool addressWritten_ = false;
  bool portWritten_ = false;
  bool doItEnabled_ = false;
  std::string response_;
  std::string passOnBuffer_;
};

}  // namespace corvalis
