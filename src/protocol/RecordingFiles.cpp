#include "protocol/RecordingFiles.h"

namespace corvalis {

std::string RecordingFiles::FileName(int channel) {
  return "logger" + std::to_string(channel + 1) + ".log";
}

bool RecordingFiles::Open(int channel, std::string_view directory) {
  if (channel < 0 || channel >= kReaderChannelCount) return false;
  Close(channel);
  std::string path(directory);
  if (!path.empty() && path.back() != '/') path.push_back('/');
  path += FileName(channel);
  paths_[channel] = path;
  files_[channel] = std::fopen(path.c_str(), "ab");
  return files_[channel] != nullptr;
}

int RecordingFiles::OpenAll(std::string_view directory) {
  int firstFailure = -1;
  for (int channel = 0; channel < kReaderChannelCount; ++channel) {
    if (!Open(channel, directory) && firstFailure < 0) firstFailure = channel;
  }
  return firstFailure;
}

void RecordingFiles::Close(int channel) {
  if (!IsOpen(channel)) return;
  std::fclose(files_[channel]);
  files_[channel] = nullptr;
}

void RecordingFiles::CloseAll() {
  for (int channel = 0; channel < kReaderChannelCount; ++channel) Close(channel);
}

bool RecordingFiles::Write(int channel, const char* bytes, int count) {
  if (!IsOpen(channel) || count < 0) return false;
  const auto n = static_cast<size_t>(count);
  return std::fwrite(bytes, 1, n, files_[channel]) == n;
}

void RecordingFiles::Flush(int channel) {
  if (IsOpen(channel)) std::fflush(files_[channel]);
}

}  // namespace corvalis
