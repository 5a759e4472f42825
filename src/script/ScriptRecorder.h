#pragma once

#include <string>
#include <string_view>

#include "protocol/CommandHooks.h"

namespace corvalis {

// The script memo as the recorder writes it.
class RecordedScriptMemo {
 public:
  virtual ~RecordedScriptMemo() = default;
  virtual std::string LastLine() const = 0;
  virtual void AppendLine(std::string_view line) = 0;
  virtual void ReplaceLastLine(std::string_view line) = 0;
};

// "Recording": turns the commands sent on any channel into script lines.
// The interpreter's own sends are skipped, or a recorded script that runs
// would record itself again on every pass.
class ScriptRecorder final : public SentLineRecorder {
 public:
  static constexpr size_t kLineMax = 255;

  void SetMemo(RecordedScriptMemo* memo) { memo_ = memo; }
  void SetRecording(bool on) { recording_ = on; }
  // True while the interpreter itself is writing.
  void SetOwnSendFlag(const bool* sending) { ownSend_ = sending; }

  bool IsRecording() const override { return recording_ && memo_ != nullptr; }
  void RecordSentLine(int channel, const char* text, int length) override;
  // A change of the send channel: "setChannel n" (1-based), replacing a
  // "setChannel" line that is already last.
  void RecordChannelChange(int channel);

 private:
  RecordedScriptMemo* memo_ = nullptr;
  const bool* ownSend_ = nullptr;
  bool recording_ = false;
};

}  // namespace corvalis
