#pragma once

#include <string_view>

namespace corvalis {

// The three warning windows of the command sender. The logic decides when
// each appears and disappears; the windows only show and hide themselves.
// Hide calls come on every timer tick, so hiding a hidden window must be
// cheap and harmless.
class CommandWarnings {
 public:
  virtual ~CommandWarnings() = default;
  virtual void ShowNoReply() = 0;
  virtual void HideNoReply() = 0;
  virtual void ShowChannelClosed() = 0;
  virtual void HideChannelClosed() = 0;
  // `message` is the error reply's text (lines separated by '\n').
  virtual void ShowBadCommand(std::string_view message) = 0;
  virtual void HideBadCommand() = 0;
};

// The status bar's per-channel transmit mark; the status bar repaints only
// when the mark was clear, and its 1 s timer clears the marks again.
class TransmitIndicator {
 public:
  virtual ~TransmitIndicator() = default;
  virtual void MarkTransmit(int channel) = 0;
};

// The script tab's recorder of sent lines ("record reader test" box).
class SentLineRecorder {
 public:
  virtual ~SentLineRecorder() = default;
  virtual bool IsRecording() const = 0;
  virtual void RecordSentLine(int channel, const char* text, int length) = 0;
};

// A reply that passed every check, as handed to the windows that show it.
struct ReplyView {
  int channel = 0;
  int readerId = 0;
  int code = 0;                // CC
  int dataLength = 0;          // LL, in bytes
  const char* text = nullptr;  // the whole line, "ab" first, NUL-terminated
  int length = 0;              // characters, without terminator
  const char* data = nullptr;  // text + 8: 2 * dataLength hex digits
};

// A window or engine that takes replies of the codes it registered for.
class ReplyRoute {
 public:
  virtual ~ReplyRoute() = default;
  virtual void TakeReply(const ReplyView& reply) = 0;
};

}  // namespace corvalis
