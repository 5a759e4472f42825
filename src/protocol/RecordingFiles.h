#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "common/ChannelIndex.h"

namespace corvalis {

// The raw traffic recordings "logger1.log" to "logger4.log", one per reader
// channel, opened for appending in binary mode so nothing is translated.
// Failures are returned; asking the operator to retry is the caller's part.
class RecordingFiles {
 public:
  RecordingFiles() = default;
  ~RecordingFiles() { CloseAll(); }
  RecordingFiles(const RecordingFiles&) = delete;
  RecordingFiles& operator=(const RecordingFiles&) = delete;

  // "loggerN.log" for channel index N - 1.
  static std::string FileName(int channel);

  // Opens (or reopens) one channel's file in `directory`. False when the
  // channel is not a reader channel or the file cannot be opened.
  bool Open(int channel, std::string_view directory);
  // Opens all four; returns the first channel that failed, or -1.
  int OpenAll(std::string_view directory);
  void Close(int channel);
  void CloseAll();

  bool IsOpen(int channel) const {
    return channel >= 0 && channel < kReaderChannelCount && files_[channel] != nullptr;
  }
  // The full path of the last open attempt, for the failure message.
  const std::string& Path(int channel) const { return paths_[channel]; }

  // Appends bytes; false when the file is not open or the write fell short.
  bool Write(int channel, const char* bytes, int count);
  void Flush(int channel);

 private:
  std::FILE* files_[kReaderChannelCount] = {};
  std::string paths_[kReaderChannelCount];
};

}  // namespace corvalis
