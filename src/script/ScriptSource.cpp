#include "script/ScriptSource.h"

namespace corvalis {

ScriptSource::~ScriptSource() {
  CloseFile();
}

void ScriptSource::SetMemoText(std::string_view text) {
  memo_.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    memo_.emplace_back(line);
    start = end + 1;
  }
  memoIndex_ = 0;
}

void ScriptSource::UpdateMemoText(std::string_view text) {
  const int index = memoIndex_;
  SetMemoText(text);
  memoIndex_ = index;
}

bool ScriptSource::OpenFile(const std::string& path) {
  CloseFile();
  path_ = path;
  file_ = std::fopen(path.c_str(), "rb");
  return file_ != nullptr;
}

void ScriptSource::CloseFile() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool ScriptSource::Fetch(std::string& line, long* start) {
  line.clear();
  if (useMemo_) {
    if (memoIndex_ < 0 || memoIndex_ >= static_cast<int>(memo_.size())) return false;
    if (start != nullptr) *start = memoIndex_;
    const std::string& text = memo_[static_cast<size_t>(memoIndex_++)];
    line.assign(text, 0, 260);
    return true;
  }
  if (file_ == nullptr) return false;
  if (start != nullptr) *start = std::ftell(file_);
  int c = std::getc(file_);
  if (c == EOF) return false;
  // The rest of an over-long line is dropped, never run as a line of its own.
  while (c != EOF && c != '\n') {
    if (line.size() < kScriptLineMax) line.push_back(static_cast<char>(c));
    c = std::getc(file_);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

long ScriptSource::NextPosition() const {
  if (useMemo_) return memoIndex_;
  return file_ != nullptr ? std::ftell(file_) : 0;
}

void ScriptSource::Seek(long position) {
  if (position < 0) position = 0;
  if (useMemo_) {
    memoIndex_ = static_cast<int>(position);
  } else if (file_ != nullptr) {
    std::fseek(file_, position, SEEK_SET);
  }
}

}  // namespace corvalis
