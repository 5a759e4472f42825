#pragma once

#include <optional>
#include <string>
#include <vector>

#include "script/ScriptHost.h"
#include "script/ScriptInterpreter.h"

namespace corvalis {

// Collects what the interpreter shows; questions get scripted answers.
class RecordingOutput final : public ScriptOutput {
 public:
  void ScriptMessage(std::string_view line) override { messages.emplace_back(line); }
  void ScriptTrace(std::string_view text) override { incoming.emplace_back(text); }
  void ShowBox(std::string_view title, std::string_view text) override {
    boxes.push_back(std::string(title) + ": " + std::string(text));
  }
  std::optional<bool> AskYesNo(std::string_view) override { return yes; }
  std::optional<std::string> AskInput(std::string_view) override { return input; }

  bool Shown(const std::string& part) const {
    for (const auto* list : {&messages, &incoming, &boxes})
      for (const std::string& line : *list)
        if (line.find(part) != std::string::npos) return true;
    return false;
  }

  std::vector<std::string> messages;
  std::vector<std::string> incoming;
  std::vector<std::string> boxes;
  std::optional<bool> yes;
  std::optional<std::string> input;
};

// Channels that record what is sent; simulated input goes straight back to
// the interpreter as a received line.
class LoopbackChannels final : public ScriptChannels {
 public:
  bool IsOpen(int channel) const override { return open[static_cast<size_t>(channel)]; }
  void Open(int channel) override { open[static_cast<size_t>(channel)] = true; }
  void Close(int channel) override { open[static_cast<size_t>(channel)] = false; }
  bool Send(int, const char* bytes, int count) override {
    sent.emplace_back(bytes, static_cast<size_t>(count));
    return true;
  }
  bool IsSerial(int) const override { return true; }
  void SetBaudRate(int, int rate) override { baud = rate; }
  bool SetPort(int, std::string_view name) override {
    port = name;
    return true;
  }
  bool SetPortByIndex(int, int) override { return false; }
  void SimulateInput(int channel, std::string_view line) override {
    if (interpreter == nullptr) return;
    std::string copy(line);
    interpreter->ObserveMessage(channel, copy.c_str(), static_cast<int>(copy.size()));
  }

  std::array<bool, 5> open{true, true, true, true, true};
  std::vector<std::string> sent;
  int baud = 0;
  std::string port;
  ScriptInterpreter* interpreter = nullptr;
};

}  // namespace corvalis
