#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvalis {

// Where the interpreter's output goes: the script tab's panes and message
// boxes, or the headless runner's stdout, stderr and stdin.
class ScriptOutput {
 public:
  virtual ~ScriptOutput() = default;
  // One line to the decoded-messages pane.
  virtual void ScriptMessage(std::string_view line) = 0;
  // Text to the incoming pane (raw replies and time-out lines).
  virtual void ScriptTrace(std::string_view text) = 0;
  // A message box: syntax errors, "GoTo Error", and the `message` statement
  // (whose title is empty).
  virtual void ShowBox(std::string_view title, std::string_view text) = 0;
  // Yes = true, No = false, cancelled = nothing.
  virtual std::optional<bool> AskYesNo(std::string_view question) = 0;
  // The text on OK, nothing on cancel.
  virtual std::optional<std::string> AskInput(std::string_view prompt) = 0;
  // Running state, counters or the current line changed.
  virtual void ScriptStateChanged() {}
};

// The channels as the script sees them (1-based numbers are converted by the
// interpreter; these take channel indexes 0..4).
class ScriptChannels {
 public:
  virtual ~ScriptChannels() = default;
  virtual bool IsOpen(int channel) const = 0;
  virtual void Open(int channel) = 0;
  virtual void Close(int channel) = 0;
  // Writes bytes as they are (and records them as sent).
  virtual bool Send(int channel, const char* bytes, int count) = 0;
  virtual bool IsSerial(int channel) const = 0;
  virtual void SetBaudRate(int channel, int rate) = 0;
  virtual bool SetPort(int channel, std::string_view name) = 0;
  virtual bool SetPortByIndex(int channel, int index) = 0;
  // Feeds a line to the message dispatcher as if received on `channel`.
  virtual void SimulateInput(int channel, std::string_view line) = 0;
};

// The statements that set controls or press buttons on other tabs. A tab
// that is not part of this build answers kNotAvailable.
struct TabOutcome {
  enum Kind {
    kDone,          // the control was set
    kPressed,       // a button was pressed; its command went to SendTracked
    kRefused,       // bad arguments; `message` says why
    kNotAvailable,  // the tab does not exist here
  };
  Kind kind = kNotAvailable;
  std::string message;
};

class ScriptTabs {
 public:
  virtual ~ScriptTabs() = default;
  // `statement` is the statement table's name for the row, `args` its
  // argument text with macros expanded.
  virtual TabOutcome RunTabStatement(std::string_view statement, std::string_view args) {
    (void)statement;
    (void)args;
    return {};
  }
  // The text of a field on another tab (RWCmdrTagID, TagSimTagID, ...);
  // nothing when that tab does not exist.
  virtual std::optional<std::string> FieldText(std::string_view field) const {
    (void)field;
    return std::nullopt;
  }
  // The number of data pages the read/write commander expects for waitData.
  virtual int DataPagesExpected() const { return 1; }
};

}  // namespace corvalis
