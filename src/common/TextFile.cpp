#include "common/TextFile.h"

#include <sys/stat.h>

namespace corvalis {

bool TextFile::Open(const std::string& path, Mode mode) {
  Close();
  file_ = std::fopen(path.c_str(), mode == Mode::Append ? "ab" : "wb");
  if (file_ != nullptr) path_ = path;
  return file_ != nullptr;
}

void TextFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool TextFile::Write(std::string_view text) {
  if (file_ == nullptr) return false;
  const bool complete = std::fwrite(text.data(), 1, text.size(), file_) == text.size();
  return std::fflush(file_) == 0 && complete;
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

}  // namespace corvalis
