#pragma once

#include <array>

#include "channels/ChannelHooks.h"
#include "common/ChannelIndex.h"
#include "protocol/RecordingFiles.h"

namespace corvalis {

// Writes what the readers send, unchanged, into the channels' recording
// files beside the "> " lines of what was sent, so a recording can be
// replayed. Flushed once a tick rather than per read, which a busy reader
// would turn into a system call per chunk.
class ReceivedTrafficRecorder final : public RawRecorder {
 public:
  explicit ReceivedTrafficRecorder(RecordingFiles& files) : files_(files) {}

  bool IsRecording(int channel) const override { return files_.IsOpen(channel); }
  void RecordBytes(int channel, const char* bytes, int count) override;
  void FlushPending();

 private:
  RecordingFiles& files_;
  std::array<bool, kReaderChannelCount> pending_{};
};

}  // namespace corvalis
