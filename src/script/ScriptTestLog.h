#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace corvalis {

// The script's test log: one text file, opened for writing or appending.
class ScriptTestLog {
 public:
  ScriptTestLog() = default;
  ~ScriptTestLog() { Close(); }
  ScriptTestLog(const ScriptTestLog&) = delete;
  ScriptTestLog& operator=(const ScriptTestLog&) = delete;

  // Relative names are taken from `baseDirectory` (the start directory).
  void SetBaseDirectory(std::string directory) { base_ = std::move(directory); }
  // Closes any open log first; true when the new one is open.
  bool Open(std::string_view name, bool append);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }
  void Write(std::string_view text);

 private:
  std::string base_;
  std::string path_;
  std::FILE* file_ = nullptr;
};

}  // namespace corvalis
