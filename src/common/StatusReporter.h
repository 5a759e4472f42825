#pragma once

#include <string_view>

namespace corvalis {

// The short status texts the logic leaves for the operator. The main window
// implements it with its labels and memos; tests record the texts.
class StatusReporter {
 public:
  virtual ~StatusReporter() = default;
  // The last-error label: a short reason a decoder or command left.
  virtual void SetLastError(std::string_view text) = 0;
  // The purged-characters label of the main window.
  virtual void SetPurgedText(std::string_view text) = 0;
  // One line to the comms-messages memo.
  virtual void DebugLog(std::string_view text) = 0;
};

// For contexts that have nobody to tell (benchmarks, fuzzing, start-up).
class SilentStatus final : public StatusReporter {
 public:
  void SetLastError(std::string_view) override {}
  void SetPurgedText(std::string_view) override {}
  void DebugLog(std::string_view) override {}
};

}  // namespace corvalis
