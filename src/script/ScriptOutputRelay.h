#pragma once

#include "script/ScriptHost.h"

namespace corvalis {

// The context's interpreter writes here; the script tab (or the headless
// runner) plugs itself in. With nothing plugged in, panes and boxes are
// dropped and questions count as cancelled, so a window-less context never
// blocks on a dialog.
class ScriptOutputRelay final : public ScriptOutput {
 public:
  void SetSink(ScriptOutput* sink) { sink_ = sink; }
  ScriptOutput* Sink() const { return sink_; }

  void ScriptMessage(std::string_view line) override {
    if (sink_ != nullptr) sink_->ScriptMessage(line);
  }
  void ScriptTrace(std::string_view text) override {
    if (sink_ != nullptr) sink_->ScriptTrace(text);
  }
  void ShowBox(std::string_view title, std::string_view text) override {
    if (sink_ != nullptr) sink_->ShowBox(title, text);
  }
  std::optional<bool> AskYesNo(std::string_view question) override {
    return sink_ != nullptr ? sink_->AskYesNo(question) : std::nullopt;
  }
  std::optional<std::string> AskInput(std::string_view prompt) override {
    return sink_ != nullptr ? sink_->AskInput(prompt) : std::nullopt;
  }
  void ScriptStateChanged() override {
    if (sink_ != nullptr) sink_->ScriptStateChanged();
  }

 private:
  ScriptOutput* sink_ = nullptr;
};

}  // namespace corvalis
