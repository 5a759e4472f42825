#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "demos/plugtest/PlugTest.h"
#include "protocol/MessageDispatcher.h"

namespace corvalis::testing {

// "ab" + reader ID + length + "2c" + data + LRC, the LRC right or off by one.
inline std::string TriggerLine(const std::string& data, bool goodLrc = true) {
  std::string line = "ab0104" + std::string("2c") + data;
  unsigned sum = 0;
  for (size_t i = 2; i < line.size(); ++i) sum += static_cast<unsigned char>(line[i]);
  char lrc[3];
  std::snprintf(lrc, sizeof lrc, "%02x", (sum + (goodLrc ? 0 : 1)) & 0xFF);
  return line + lrc;
}

// Records the commands that would go to the readers; channels listed in
// `open` count as open.
class RecordingCommands final : public CommandSender, public ChannelWriter {
 public:
  void SendCommand(int channel, int readerId, const char* body) override {
    sent.push_back(std::to_string(channel) + ":" + std::to_string(readerId) + ":" + body);
  }
  bool IsOpen(int channel) const override {
    return channel >= 0 && channel < 5 && open[static_cast<size_t>(channel)];
  }
  void WriteToChannel(int, const char*, int) override {}

  std::vector<std::string> sent;
  bool open[5] = {true, true, true, true, false};
};

// Answers the file-exists question with `choice` and keeps what it was told.
class RecordingPlugTestView final : public PlugTestView {
 public:
  FileExistsChoice AskFileExists(const std::string& fileName) override {
    asked.push_back(fileName);
    return choice;
  }
  void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
  void PanelChanged(int) override {}
  void ProgressChanged(int percent) override { progress.push_back(percent); }

  FileExistsChoice choice = FileExistsChoice::Overwrite;
  std::vector<std::string> asked;
  std::vector<std::string> messages;
  std::vector<int> progress;
};

}  // namespace corvalis::testing
