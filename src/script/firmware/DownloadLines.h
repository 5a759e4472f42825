#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace corvalis {

inline constexpr int kDownloadLineMax = 255;

// The record to send for one source line: "\n", "\r" and "\\" decoded, an
// unescaped ";" ends the line, and the text from the ":" on, without trailing
// line ends or blanks, followed by CR LF. Empty when the line holds no ":".
std::string DownloadRecordLine(std::string_view sourceLine);

// Where the lines to send come from: the file or the memo.
class DownloadLineSource {
 public:
  virtual ~DownloadLineSource() = default;
  // Starts again at the first line (re-opening the file).
  virtual bool Rewind() = 0;
  // The next line; false at the end.
  virtual bool NextLine(std::string& line) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
};

class FileLineSource final : public DownloadLineSource {
 public:
  ~FileLineSource() override { Close(); }
  void SetPath(std::string path) { path_ = std::move(path); }
  bool Rewind() override;
  bool NextLine(std::string& line) override;
  void Close() override;
  bool IsOpen() const override { return file_ != nullptr; }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
};

// The memo's text; the line handed out last is the memo's selection.
class MemoLineSource final : public DownloadLineSource {
 public:
  void SetText(std::string text) {
    text_ = std::move(text);
    position_ = 0;
  }
  bool Rewind() override {
    position_ = 0;
    return true;
  }
  bool NextLine(std::string& line) override;
  void Close() override {}
  bool IsOpen() const override { return true; }
  size_t SelectionStart() const { return selectionStart_; }
  size_t SelectionEnd() const { return position_; }

 private:
  std::string text_;
  size_t position_ = 0;
  size_t selectionStart_ = 0;
};

}  // namespace corvalis
