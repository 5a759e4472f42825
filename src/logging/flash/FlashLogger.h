#pragma once

#include <string>
#include <string_view>

#include "common/Clock.h"
#include "common/TextFile.h"
#include "logging/flash/FlashCommands.h"
#include "logging/flash/FlashStatus.h"
#include "protocol/CommandHooks.h"
#include "protocol/MessageDispatcher.h"

namespace corvalis {

class ReaderCommandSender;

// What the reader type says is on the other end.
struct ReaderKind {
  bool handheld = false;  // "FIT", "UHF HH", "DF HH" or "HH"
  bool antenna = false;   // "FIT": it can report its antenna
};
ReaderKind KindOfReaderType(std::string_view type);

// The playback's progress for the capture gauge and its labels.
struct PlaybackProgress {
  int64_t maximum = 0;   // recorded records
  int64_t position = 0;  // played records
  std::string elapsed;   // "12 s"
  std::string estimate;  // "30 s", "???" while nothing is played yet
};

// The flash-log windows show what the reader answers through this; each
// shows what it has controls for.
class FlashLogView {
 public:
  virtual ~FlashLogView() = default;
  // `dataLength` is the reply's n: above 11 it carries the counters and the
  // bar, above 12 also the line number.
  virtual void ShowStatus(const LoggingStatus& status, int dataLength) = 0;
  virtual void ShowFormatProgress(const FormatProgress& progress, bool finished) = 0;
  virtual void ShowMessage(std::string_view title, std::string_view text) = 0;
  virtual void ShowMode(int mode, int timeout) = 0;
  virtual void ShowSerialNumber(std::string_view serial) = 0;
  virtual void ShowReaderType(std::string_view, ReaderKind) {}
  virtual void ShowBattery(std::string_view) {}
  virtual void ShowAntenna(bool) {}
  virtual void ShowReaderTime(std::string_view) {}
  virtual void ShowPlayback(const PlaybackProgress&) {}
  virtual void PlaybackEnded() {}
  virtual void ShowIncoming(std::string_view line) = 0;
  // A command found its channel closed, or the reader was switched off.
  virtual void ShowPowerOff() {}
  // Two ticks after the power-off command: the window closes its channel.
  virtual void CloseChannel() {}
};

inline constexpr char kRecordPlayWarning[] =
    "If \"Record\" and \"Replay\" are both on then new records will be played back "
    "immediately after they have been recorded.";

// One flash-log window's logic: its commands, their queue, and what the
// reader's replies and lines mean. It takes replies and lines only while
// active and only from its own channel.
class FlashLogger final : public ReplyRoute, public MessageObserver {
 public:
  FlashLogger(ReaderCommandSender& sender, MessageDispatcher& dispatcher,
              const ChannelWriter& channels, const Clock& clock, FlashLogView& view);
  ~FlashLogger() override;
  FlashLogger(const FlashLogger&) = delete;
  FlashLogger& operator=(const FlashLogger&) = delete;

  void SetActive(bool on);
  bool Active() const { return active_; }
  void SetTarget(int channel, int readerId) { queue_.SetTarget(channel, readerId); }
  int Channel() const { return queue_.Channel(); }

  // Sends a body or a sequence to the target; on a closed channel nothing
  // goes out and the view shows the power-off state.
  void Send(std::string_view body, int acceptedErrorCode = -1);
  void Send(const std::vector<std::string_view>& bodies);

  void SetMode(int mode, int timeout);
  // "" when sent, otherwise why not.
  std::string SetSerialNumber(std::string_view serial, bool change);
  void Format();
  void PowerOff();
  // The splitter between played and not played moved by `pixels` on a bar of
  // `width`; false when no drag is taken (none since the last status reply,
  // or it moves no block).
  bool DragPlayedMark(int pixels, int width);

  // Playback with capture: opens the file, sends the start sequence and
  // notes the time. False (nothing sent) when the file cannot be opened.
  bool StartCapture(const std::string& path, TextFile::Mode mode);
  bool Capturing() const { return capture_.IsOpen(); }
  // Stop: a capture ends as at the last record (file closed, end sequence),
  // a plain playback pauses.
  void StopPlayback();

  void Tick();

  const LoggingStatus& Status() const { return status_; }
  const FlashCommandQueue& Queue() const { return queue_; }
  const MemoryBarLayout& Bar() const { return bar_; }
  void LayoutBar(int width);

  void TakeReply(const ReplyView& reply) override;
  void ObserveMessage(int channel, const char* text, int length) override;

 private:
  void TakeStatus(const ReplyView& reply);
  void TakeReaderType(std::string_view type);
  void FollowPlayback();
  void EndCapture();

  ReaderCommandSender& sender_;
  MessageDispatcher& dispatcher_;
  const ChannelWriter& channels_;
  const Clock& clock_;
  FlashLogView& view_;
  FlashCommandQueue queue_;
  bool active_ = false;

  LoggingStatus status_;
  MemoryBarLayout bar_;
  bool warned_ = false;
  bool formatRequested_ = false;
  bool dragAllowed_ = true;
  bool serialRequested_ = false;
  int powerOffTicks_ = 0;

  TextFile capture_;
  bool captureStarted_ = false;  // the start sequence has been answered
  WallTime captureStart_;
};

}  // namespace corvalis
