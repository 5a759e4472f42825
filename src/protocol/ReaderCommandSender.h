#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/ChannelIndex.h"
#include "common/StatusReporter.h"
#include "protocol/CommandHooks.h"
#include "protocol/MessageDispatcher.h"
#include "protocol/RawDataMonitor.h"
#include "protocol/RecordingFiles.h"
#include "protocol/TagMessageDecoder.h"

class QEventLoop;

namespace corvalis {

inline constexpr int kReplyTicks = 3;        // 0.3 s of 100 ms ticks
inline constexpr int kLongReplyTicks = 600;  // 60 s while a logging window records
inline constexpr int kWarningTicks = 30;     // no-reply and bad-command windows
inline constexpr int kClosedTicks = 30;      // channel-closed window
inline constexpr int kCommandLineMax = 255;  // framed line, CR LF included
inline constexpr int kInfoLineMax = 199;     // information memo line
inline constexpr int kMaxNestedWaits = 4;
// Commands to this address reach every device on the line.
inline constexpr int kBroadcastReaderId = 255;

// The text of an error reply code (240-245, 247), or nullptr for any other.
const char* ErrorReplyText(int code);

// How a WaitForReply ended.
enum class WaitResult {
  kReplied,        // a matching reply (or any reply when reader ID 0 or 255 was framed)
  kErrorReply,     // an error reply ended the wait; the bad-command window shows
  kTimedOut,       // no reply; the no-reply time ran out
  kChannelClosed,  // the last send found its channel closed; nothing was sent
  kNotArmed,       // the last send was too short to arm a wait, or nothing was sent
  kSuperseded,     // another command was sent before this one's reply came
  kAborted,        // AbortWaits, or the event loop was told to quit
  kTooDeep,        // kMaxNestedWaits waits already running; did not wait
};

// The one command sender: frames reader commands, writes them, records them,
// keeps the single reply wait with its three countdowns, checks replies and
// routes them by command code to every window registered for the code.
class ReaderCommandSender final : public CommandSender, public ReplyHandler {
 public:
  ReaderCommandSender(ChannelFormats& formats, StatusReporter& status)
      : formats_(formats), status_(status) {}
  ~ReaderCommandSender() override;
  ReaderCommandSender(const ReaderCommandSender&) = delete;
  ReaderCommandSender& operator=(const ReaderCommandSender&) = delete;

  // Collaborators; any left unset is skipped (a missing writer counts every
  // channel as closed).
  void SetChannelWriter(ChannelWriter* writer) { writer_ = writer; }
  void SetWarnings(CommandWarnings* warnings) { warnings_ = warnings; }
  void SetRawDataMonitor(RawDataMonitor* monitor) { rawMonitor_ = monitor; }
  void SetInformationMemo(TextMemo* memo) { infoMemo_ = memo; }
  void SetTransmitIndicator(TransmitIndicator* indicator) { transmit_ = indicator; }
  void SetSentLineRecorder(SentLineRecorder* recorder) { scriptRecorder_ = recorder; }
  void SetRecordingFiles(RecordingFiles* files) { recordings_ = files; }

  // RecordOutgoing: sent lines go to the channel's recording file with "> ".
  void SetRecordOutgoing(bool on) { recordOutgoing_ = on; }
  // "Show/hide reply not seen": when on, a missing reply shows nothing.
  void SetNoReplySuppressed(bool on) { noReplySuppressed_ = on; }
  bool NoReplySuppressed() const { return noReplySuppressed_; }
  // A logging window that records on the reader waits 60 s for replies.
  void SetLongReplyWait(bool on) { longReplyWait_ = on; }

  // Frames "ab", the reader ID, `body` and the LRC, then CR LF, into `out`
  // (kCommandLineMax + 1 bytes). Sets the expected reader ID. Returns the
  // line's length, or 0 when the line would exceed kCommandLineMax.
  int FormatCommand(char* out, int readerId, std::string_view body);

  // The reader a typed command line is addressed to, read from the line
  // itself; -1 (not hex) matches no reply.
  void SetExpectedReaderId(int readerId) { expectedReaderId_ = readerId; }

  // Frames and sends one command; channels outside 0..4 are ignored.
  void SendCommand(int channel, int readerId, const char* body) override;
  void SendCommand(int channel, int readerId, std::string_view body);

  // The transmit step: memo lines, transmit mark, script recorder, recording
  // file; on an open channel arms the reply wait (when length > 1) and writes.
  void SendLine(int channel, const char* text, int length);

  // Records and writes like SendLine but leaves the reply wait alone, for
  // devices that answer in their own protocol. False when the channel is
  // closed (the closed warning shows) or invalid.
  bool SendRaw(int channel, const char* bytes, int count);

  // The command just sent may be answered with the error code `code` on
  // purpose (a reader refusing a new serial number with f7): that reply from
  // the asked reader ends the wait as an answer, without the bad-command
  // window, and still reaches the code's routes. The next send forgets it.
  void AcceptErrorReply(int code) { acceptedErrorCode_ = code; }

  // One 100 ms tick of the display timer.
  void Tick();

  // Checks an "ab" line, matches it against the wait and routes it.
  void HandleReply(int channel, const char* text, int length) override;

  // Several windows may take one code; each registered route gets it, in
  // registration order. Safe to call from inside a route.
  void AddReplyRoute(int code, ReplyRoute* route);
  void RemoveReplyRoute(int code, ReplyRoute* route);

  // Runs a nested event loop until the wait armed by the last send ends.
  // See docs/decisions-protocol.md for what may run inside it.
  WaitResult WaitForReply();
  // Ends every running WaitForReply with kAborted (shutdown).
  void AbortWaits();
  int NestedWaits() const { return waitDepth_; }
  // Upper bound on one WaitForReply in case the tick timer stops; by default
  // twice the wait's own ticks plus a second.
  void SetWaitLimitMs(int ms) { waitLimitMs_ = ms; }

  // The wait state, for the windows and tests.
  bool Awaiting() const { return awaiting_; }
  int ExpectedChannel() const { return expectedChannel_; }
  int ExpectedReaderId() const { return expectedReaderId_; }
  int ReplyCountdown() const { return replyCountdown_; }
  int WarningCountdown() const { return warningCountdown_; }
  int ClosedCountdown() const { return closedCountdown_; }
  uint32_t MatchedReplies() const { return matchedReplies_; }

 private:
  bool ChannelOpen(int channel) const;
  void ShowChannelClosed();
  void RecordTransmit(int channel, const char* text, int length);
  void EndWait(WaitResult outcome);
  // Every running WaitForReply still waiting for the armed wait gets `outcome`.
  void FinishWaiters(WaitResult outcome);
  // Every running WaitForReply not yet finished gets `outcome` (a new send
  // or an abort).
  void FinishAllWaiters(WaitResult outcome);
  void ApplyFormatReply(const ReplyView& reply);
  void ApplyCompositeReply(const ReplyView& reply);
  void Route(const ReplyView& reply);

  ChannelFormats& formats_;
  StatusReporter& status_;
  ChannelWriter* writer_ = nullptr;
  CommandWarnings* warnings_ = nullptr;
  RawDataMonitor* rawMonitor_ = nullptr;
  TextMemo* infoMemo_ = nullptr;
  TransmitIndicator* transmit_ = nullptr;
  SentLineRecorder* scriptRecorder_ = nullptr;
  RecordingFiles* recordings_ = nullptr;
  bool recordOutgoing_ = true;
  bool noReplySuppressed_ = false;
  bool longReplyWait_ = false;
  int acceptedErrorCode_ = -1;

  // The single wait.
  int expectedChannel_ = 0;
  int expectedReaderId_ = 0;
  bool awaiting_ = false;
  int replyCountdown_ = 0;
  int warningCountdown_ = 0;
  int closedCountdown_ = 0;
  uint32_t matchedReplies_ = 0;

  // Every send attempt gets a new generation. A WaitForReply waits for the
  // wait armed by the latest send and gives up once a later send re-arms it.
  uint64_t generation_ = 0;
  uint64_t armedGeneration_ = 0;
  WaitResult armedOutcome_ = WaitResult::kNotArmed;    // how the armed wait ended
  WaitResult lastSendResult_ = WaitResult::kNotArmed;  // kReplied: it armed the wait

  std::array<std::vector<ReplyRoute*>, 256> routes_;
  int routingDepth_ = 0;
  bool routesToCompact_ = false;

  // The running WaitForReply calls, outermost first; each ends innermost
  // first because each runs inside the one before.
  struct Waiter {
    QEventLoop* loop = nullptr;
    uint64_t generation = 0;
    bool finished = false;
    WaitResult result = WaitResult::kAborted;
  };
  Waiter waiters_[kMaxNestedWaits];
  int waitDepth_ = 0;
  int waitLimitMs_ = 0;
};

}  // namespace corvalis
