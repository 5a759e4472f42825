#pragma once

#include <string_view>

#include "protocol/MessageDispatcher.h"

namespace corvalis {

inline constexpr int kRawLineMax = 419;

// A memo of text lines (the raw-data memo of the Diagnostics tab).
class TextMemo {
 public:
  virtual ~TextMemo() = default;
  virtual int LineCount() const = 0;
  virtual void RemoveOldestLines(int count) = 0;
  virtual void AppendLine(std::string_view line) = 0;
};

// "%2d " and the message, control bytes shown as ".", the whole line cut to
// 419 characters. `out` must hold kRawLineMax + 1 bytes; returns the length.
int FormatRawDataLine(int channel, const char* text, int length, char* out);

// The "Show raw data" monitor: one memo line per message while enabled.
class RawDataMonitor final : public MessageObserver {
 public:
  explicit RawDataMonitor(TextMemo& memo) : memo_(memo) {}

  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Enabled() const { return enabled_; }
  // The memo's configured maximum; past it the oldest tenth is dropped.
  void SetMaxLines(int maxLines) { maxLines_ = maxLines; }

  void ObserveMessage(int channel, const char* text, int length) override;
  // Adds the line whatever the check box says (sent commands use this).
  void ShowLine(int channel, const char* text, int length);

 private:
  TextMemo& memo_;
  bool enabled_ = false;
  int maxLines_ = 1000;
};

}  // namespace corvalis
