#include "script/ScriptTestLog.h"

namespace corvalis {

bool ScriptTestLog::Open(std::string_view name, bool append) {
  Close();
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
  if (name.empty()) return false;
  path_.assign(name);
  if (name.front() != '/' && !base_.empty()) path_ = base_ + "/" + path_;
  file_ = std::fopen(path_.c_str(), append ? "ab" : "wb");
  return file_ != nullptr;
}

void ScriptTestLog::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

void ScriptTestLog::Write(std::string_view text) {
  if (file_ == nullptr) return;
  std::fwrite(text.data(), 1, text.size(), file_);
  // A script may be stopped by a signal at any point; keep the log current.
  std::fflush(file_);
}

}  // namespace corvalis
