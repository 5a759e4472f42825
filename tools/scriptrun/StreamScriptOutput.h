#pragma once

#include <cstdio>

#include "script/ScriptHost.h"

namespace corvalis {

// The script's output without a window: messages and replies on stdout,
// syntax and other error boxes on stderr, questions answered from stdin
// (end of input cancels).
class StreamScriptOutput final : public ScriptOutput {
 public:
  StreamScriptOutput(std::FILE* out, std::FILE* err, std::FILE* in)
      : out_(out), err_(err), in_(in) {}

  void ScriptMessage(std::string_view line) override;
  void ScriptTrace(std::string_view text) override;
  void ShowBox(std::string_view title, std::string_view text) override;
  std::optional<bool> AskYesNo(std::string_view question) override;
  std::optional<std::string> AskInput(std::string_view prompt) override;

 private:
  std::optional<std::string> ReadLine();

  std::FILE* out_;
  std::FILE* err_;
  std::FILE* in_;
};

}  // namespace corvalis
