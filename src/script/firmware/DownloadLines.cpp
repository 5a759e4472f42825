#include "script/firmware/DownloadLines.h"

namespace corvalis {

std::string DownloadRecordLine(std::string_view sourceLine) {
  std::string decoded;
  for (size_t i = 0; i < sourceLine.size(); ++i) {
    const char c = sourceLine[i];
    if (c == ';') break;
    if (c == '\\' && i + 1 < sourceLine.size()) {
      const char next = sourceLine[i + 1];
      if (next == 'n' || next == 'r' || next == '\\' || next == ';') {
        decoded += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        ++i;
        continue;
      }
    }
    decoded += c;
  }
  const size_t colon = decoded.find(':');
  if (colon == std::string::npos) return {};
  size_t end = decoded.size();
  while (end > colon && (decoded[end - 1] == '\r' || decoded[end - 1] == '\n' ||
                         decoded[end - 1] == ' ' || decoded[end - 1] == '\t')) {
    --end;
  }
  return decoded.substr(colon, end - colon) + "\r\n";
}

bool FileLineSource::Rewind() {
  Close();
  file_ = std::fopen(path_.c_str(), "rb");
  return file_ != nullptr;
}

bool FileLineSource::NextLine(std::string& line) {
  if (file_ == nullptr) return false;
  char buffer[kDownloadLineMax + 2];
  if (std::fgets(buffer, sizeof buffer, file_) == nullptr) {
    Close();
    return false;
  }
  line = buffer;
  return true;
}

void FileLineSource::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool MemoLineSource::NextLine(std::string& line) {
  if (position_ >= text_.size()) {
    position_ = 0;
    selectionStart_ = 0;
    return false;
  }
  selectionStart_ = position_;
  const size_t end = text_.find('\n', position_);
  const size_t stop = end == std::string::npos ? text_.size() : end;
  line = text_.substr(position_, stop - position_);
  position_ = end == std::string::npos ? text_.size() : end + 1;
  return true;
}

}  // namespace corvalis
