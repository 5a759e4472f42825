#include "app/ReceivedTrafficRecorder.h"

namespace corvalis {

void ReceivedTrafficRecorder::RecordBytes(int channel, const char* bytes, int count) {
  if (files_.Write(channel, bytes, count)) pending_[static_cast<size_t>(channel)] = true;
}

void ReceivedTrafficRecorder::FlushPending() {
  for (int channel = 0; channel < kReaderChannelCount; ++channel) {
    if (!pending_[static_cast<size_t>(channel)]) continue;
    files_.Flush(channel);
    pending_[static_cast<size_t>(channel)] = false;
  }
}

}  // namespace corvalis
