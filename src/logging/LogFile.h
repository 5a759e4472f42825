#pragma once

#include <QFile>
#include <string>
#include <string_view>

namespace corvalis {

// The tag log on disk: opened for appending, every line ending in CR LF and
// on disk once Write returns. A failed write is reported, and the part of it
// that reached the file is cut off again so the next line starts clean.
class LogFile {
 public:
  LogFile();

  bool Open(const std::string& path);
  void Close();
  // Between a successful Open and Close, even while the file itself is gone.
  bool IsOpen() const { return active_; }
  const std::string& Path() const { return path_; }

  // Writes `text` with every line feed stored as CR LF. False when not all
  // of it reached the file; ErrorText() then says why.
  bool Write(std::string_view text);
  const std::string& ErrorText() const { return error_; }
  // True when the last Write found the file gone (or closed by an earlier
  // failure) and opened it anew.
  bool Reopened() const { return reopened_; }

 private:
  bool OpenFile();

  QFile file_;
  std::string path_;
  std::string buffer_;
  std::string error_;
  bool reopened_ = false;
  bool active_ = false;
};

}  // namespace corvalis
