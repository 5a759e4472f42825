#include "script/ScriptRecorder.h"

#include "script/ScriptVariables.h"

namespace corvalis {

void ScriptRecorder::RecordSentLine(int, const char* text, int length) {
  if (!IsRecording() || (ownSend_ != nullptr && *ownSend_) || length <= 0) return;
  std::string_view line(text, static_cast<size_t>(length));
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.empty()) return;
  memo_->AppendLine(line.substr(0, kLineMax));
}

void ScriptRecorder::RecordChannelChange(int channel) {
  if (!IsRecording()) return;
  const std::string line = "setChannel " + std::to_string(channel + 1);
  const std::string last = memo_->LastLine();
  const std::string_view word = std::string_view(last).substr(0, last.find_first_of(" \t"));
  if (EqualsIgnoreCase(word, "setChannel")) {
    memo_->ReplaceLastLine(line);
  } else {
    memo_->AppendLine(line);
  }
}

}  // namespace corvalis
