#pragma once

#include <QFile>
#include <filesystem>
#include <string>
#include <string_view>

namespace corvalis {

// The tag log on disk: opened for appending, every line ending in CR LF and
// on disk once Write returns. A failed write is reported, and the part of it
// that reached the file is cut off again so the next line starts clean.
// After a failure the next write opens the path anew, so a disk with room
// again, or a path pointed elsewhere, takes the lines without help.
//
// Batched (the headless replay only): lines gather in memory and go to the
// file in one write once kBatchBytes have gathered, at Flush and at Close.
// The live console never batches: a line must not wait for the next pass.
class LogFile {
 public:
  LogFile();

  bool Open(const std::string& path);
  void Close();
  // Between a successful Open and Close, even while the file itself is gone.
  bool IsOpen() const { return active_; }
  const std::string& Path() const { return path_; }

  static constexpr size_t kBatchBytes = 256 * 1024;

  // Writes `text` with every line feed stored as CR LF. False when not all
  // of it reached the file; ErrorText() then says why. Batched, only the
  // write that sends the batch can fail.
  bool Write(std::string_view text);
  // Batched writes on or off (off sends what has gathered).
  bool SetBatched(bool on);
  // Sends what has gathered; false when it did not all reach the file.
  bool Flush();
  const std::string& ErrorText() const { return error_; }
  // True when the last Write found the file gone and opened it anew.
  bool Reopened() const { return reopened_; }
  // Batched lines wait in memory for their write.
  bool HasPending() const { return !buffer_.empty(); }
  // The lines the last failed write or flush lost (a batch holds many).
  int LinesLost() const { return linesLost_; }

 private:
  bool OpenFile();
  bool WritePending();

  QFile file_;
  std::string path_;
  // path_ as the system names it, made once: every write looks it up.
  std::filesystem::path systemPath_;
  std::string buffer_;
  std::string error_;
  bool reopened_ = false;
  int linesLost_ = 0;
  bool active_ = false;
  bool batched_ = false;
};

}  // namespace corvalis
