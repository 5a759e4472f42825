#pragma once

#include <string>
#include <string_view>

namespace corvalis {

// The messages pane does not repeat itself: a message equal to the one
// before is counted instead, on one line that is rewritten.
class ScriptMessageRepeat {
 public:
  enum class Action { kAppend, kReplaceLast };

  // What to write for `message`: the message itself, or the repeat line.
  Action Next(std::string_view message, std::string& line);
  void Clear() {
    previous_.clear();
    repeats_ = 0;
    any_ = false;
  }

 private:
  std::string previous_;
  int repeats_ = 0;
  bool any_ = false;
};

}  // namespace corvalis
