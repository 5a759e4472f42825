#pragma once

#include <cstdint>
#include <string>

#include "logging/ImportRecordReader.h"
#include "protocol/ReceiveFramer.h"

namespace corvalis {

// Records between two progress steps: a capture is shown in 3,000 steps.
inline constexpr int64_t kImportProgressSteps = 3000;
inline constexpr int64_t kImportLinesPerUpdate = 100;

// What a replay did.
struct ReplaySummary {
  int64_t records = 0;
  int64_t lines = 0;     // records ended by CR LF, comments included
  int64_t comments = 0;  // "#" and ">" lines, not dispatched
  int64_t messages = 0;  // records handed to the dispatcher
  bool stopped = false;  // the operator stopped it
};

// The side that watches and steers a replay: the progress window, or the
// headless replay's pass closing. Every call comes between two records.
class ReplayControl {
 public:
  virtual ~ReplayControl() = default;
  // After each record: `record` was the last received message. Processes
  // pending window events and closes passes as the caller sees fit.
  virtual void AfterRecord(const ImportRecord& record) = 0;
  // Line count and percentage of the file read, every 100 lines and every
  // progress step.
  virtual void ShowProgress(int64_t lines, int percent) = 0;
  virtual bool StopRequested() = 0;
  // Blocks (processing window events) while the operator has paused.
  virtual void WaitWhilePaused(int64_t lines) = 0;
};

// The step between two gauge updates: never 0, however small the file.
int64_t ImportProgressStep(int64_t fileSize);
// Percentage of the file read; an empty file counts as read.
int ImportPercent(int64_t consumed, int64_t fileSize);

// Replays a captured reader output file through `receiver` as messages of
// channel 1 (index 0), in the order the reader sent them.
class LogReplay {
 public:
  explicit LogReplay(MessageReceiver& receiver) : receiver_(receiver) {}

  // False, with nothing replayed, when the file cannot be opened for
  // reading; `summary` then stays empty.
  bool Replay(const std::string& path, ReplayControl& control, ReplaySummary& summary);
  // The same over an open file of `fileSize` bytes.
  void Replay(std::FILE* file, int64_t fileSize, ReplayControl& control, ReplaySummary& summary);

  static std::string OpenFailureText(const std::string& path) {
    return "Unable to open " + path + " for reading";
  }

 private:
  MessageReceiver& receiver_;
};

}  // namespace corvalis
