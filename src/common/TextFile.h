#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace corvalis {

// A text file written as given (line ends are the caller's), flushed after
// every write so a crash or power cut keeps what was recorded.
class TextFile {
 public:
  enum class Mode { Append, Overwrite };

  TextFile() = default;
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;
  ~TextFile() { Close(); }

  bool Open(const std::string& path, Mode mode);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }
  // False when not all of `text` reached the file.
  bool Write(std::string_view text);

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
};

bool FileExists(const std::string& path);

}  // namespace corvalis
