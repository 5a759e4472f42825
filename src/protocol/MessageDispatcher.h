#pragma once

#include <vector>

#include "common/ChannelIndex.h"
#include "protocol/ReceiveFramer.h"
#include "protocol/TagMessageDecoder.h"

namespace corvalis {

// A passive watcher of every dispatched message (demonstrations, logging and
// timing windows, the raw-data monitor). Each decides itself whether it is
// active.
class MessageObserver {
 public:
  virtual ~MessageObserver() = default;
  virtual void ObserveMessage(int channel, const char* text, int length) = 0;
};

// The script interpreter's reader tester, which may claim a channel's lines.
class ReaderTesterHook {
 public:
  virtual ~ReaderTesterHook() = default;
  virtual bool IsRunningOn(int channel) const = 0;
  virtual bool ClaimMessage(int channel, const char* text, int length) = 0;
};

// The command sender's side: checks and routes replies ("ab" lines).
class ReplyHandler {
 public:
  virtual ~ReplyHandler() = default;
  virtual void HandleReply(int channel, const char* text, int length) = 0;
};

// Writing to a channel, for the composite copy to the output port.
class ChannelWriter {
 public:
  virtual ~ChannelWriter() = default;
  virtual bool IsOpen(int channel) const = 0;
  virtual void WriteToChannel(int channel, const char* bytes, int count) = 0;
};

// Sending a framed reader command, for the automatic format query.
class CommandSender {
 public:
  virtual ~CommandSender() = default;
  virtual void SendCommand(int channel, int readerId, const char* body) = 0;
};

inline constexpr int kMissesBeforeQuery = 5;
inline constexpr int kQueryRepeatTicks = 20;

// Decides who sees each message: the observers, the script hooks, the output
// port, then exactly one decoder chosen by the message's first characters.
// Every hook is optional; nothing registered means nothing called.
class MessageDispatcher final : public MessageReceiver {
 public:
  MessageDispatcher(ChannelFormats& formats, const ProtocolSettings& settings,
                    TagMessageDecoder& decoder)
      : formats_(formats), settings_(settings), decoder_(decoder) {}

  // Observers are called in the order they were added.
  void AddObserver(MessageObserver* observer) { observers_.push_back(observer); }
  void RemoveObserver(MessageObserver* observer);
  void SetScriptLineHook(MessageObserver* hook) { scriptLineHook_ = hook; }
  void SetReaderTesterHook(ReaderTesterHook* hook) { readerTester_ = hook; }
  void SetReplyHandler(ReplyHandler* handler) { replyHandler_ = handler; }
  void SetChannelWriter(ChannelWriter* writer) { channelWriter_ = writer; }
  void SetCommandSender(CommandSender* sender) { commandSender_ = sender; }

  // Takes one message; writes a NUL at text[length] first. Always accepts.
  bool DispatchMessage(int source, int channel, char* text, int length) override;

  // The automatic message-format query, run on each 100 ms tick when
  // AutoQueryMessageFormat is on.
  void RunFormatQueryTick();

 private:
  void CountMiss(int channel);
  bool DispatchRelayedReply(int channel, const char* text, int length);
  void DispatchComposite(int channel, const char* text, int length);

  ChannelFormats& formats_;
  const ProtocolSettings& settings_;
  TagMessageDecoder& decoder_;
  std::vector<MessageObserver*> observers_;
  MessageObserver* scriptLineHook_ = nullptr;
  ReaderTesterHook* readerTester_ = nullptr;
  ReplyHandler* replyHandler_ = nullptr;
  ChannelWriter* channelWriter_ = nullptr;
  CommandSender* commandSender_ = nullptr;
};

}  // namespace corvalis
