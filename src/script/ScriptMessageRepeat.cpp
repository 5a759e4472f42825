#include "script/ScriptMessageRepeat.h"

namespace corvalis {

ScriptMessageRepeat::Action ScriptMessageRepeat::Next(std::string_view message, std::string& line) {
  if (any_ && message == previous_) {
    ++repeats_;
    if (repeats_ == 1) {
      line = "  - previous message repeated once.";
      return Action::kAppend;
    }
    line = "  - previous message repeated " + std::to_string(repeats_) + " times.";
    return Action::kReplaceLast;
  }
  any_ = true;
  previous_.assign(message);
  repeats_ = 0;
  line.assign(message);
  return Action::kAppend;
}

}  // namespace corvalis
