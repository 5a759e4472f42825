#pragma once

#include <string_view>

#include "control/CommandConsole.h"
#include "script/ScriptInterpreter.h"

namespace corvalis {

// While a script statement presses another tab's button, the command that
// button sends becomes the script's pending line (its reply, time-out and
// resends handled as for a script line) instead of going out on the tab's
// own channel with the tab's reader ID.
class ScriptPressCapture final : public CommandCapture {
 public:
  explicit ScriptPressCapture(ScriptInterpreter& interpreter) : interpreter_(interpreter) {}
  bool Capturing() const override { return interpreter_.PressInProgress(); }
  void CaptureCommand(int, int, std::string_view body) override { interpreter_.SendTracked(body); }

 private:
  ScriptInterpreter& interpreter_;
};

}  // namespace corvalis
