#include "logging/LogFile.h"

#include <QString>

#include <algorithm>

namespace corvalis {

LogFile::LogFile() {
  buffer_.reserve(2048);
}

bool LogFile::OpenFile() {
  file_.setFileName(QString::fromStdString(path_));
  // Unbuffered: each line goes to the system as it is written, so a line is
  // never held back and a failure shows on the line that caused it.
  return file_.open(QIODevice::Append | QIODevice::Unbuffered);
}

bool LogFile::Open(const std::string& path) {
  Close();
  path_ = path;
  systemPath_ = QFile::encodeName(QString::fromStdString(path)).toStdString();
  error_.clear();
  if (path.empty() || !OpenFile()) {
    error_ = path.empty() ? std::string("no file name") : file_.errorString().toStdString();
    return false;
  }
  active_ = true;
  return true;
}

void LogFile::Close() {
  if (active_) Flush();
  active_ = false;
  if (file_.isOpen()) file_.close();
}

bool LogFile::SetBatched(bool on) {
  const bool flushed = Flush();
  batched_ = on;
  if (on && buffer_.capacity() < kBatchBytes + 4096) buffer_.reserve(kBatchBytes + 4096);
  return flushed;
}

bool LogFile::Flush() {
  reopened_ = false;
  if (buffer_.empty()) return true;
  return WritePending();
}

bool LogFile::Write(std::string_view text) {
  reopened_ = false;
  if (!active_) {
    error_ = "log file is not open";
    return false;
  }
  if (!batched_) buffer_.clear();
  for (char c : text) {
    if (c == '\n') buffer_ += '\r';
    buffer_ += c;
  }
  if (batched_ && buffer_.size() < kBatchBytes) return true;
  return WritePending();
}

bool LogFile::WritePending() {
  if (!active_) {
    error_ = "log file is not open";
    return false;
  }
  // Lines written to a file that has been deleted would vanish without an
  // error; open the path anew so they land where the operator looks.
  const int lines = std::max(1, static_cast<int>(std::count(buffer_.begin(), buffer_.end(), '\n')));
  std::error_code lookupError;
  const bool gone = !std::filesystem::exists(systemPath_, lookupError);
  if (!file_.isOpen() || gone) {
    file_.close();
    if (!OpenFile()) {
      error_ = (gone ? "log file was removed and cannot be created again: "
                     : "log file cannot be opened again: ") +
               file_.errorString().toStdString();
      buffer_.clear();
      linesLost_ = lines;
      return false;
    }
    reopened_ = gone;
  }

  const qint64 wanted = static_cast<qint64>(buffer_.size());
  const qint64 written = file_.write(buffer_.data(), wanted);
  buffer_.clear();
  if (written == wanted) return true;

  error_ = file_.errorString().toStdString();
  // Appended: the part that did reach the file is its last `written` bytes.
  if (written > 0) file_.resize(file_.size() - written);
  linesLost_ = lines;
  file_.close();
  return false;
}

}  // namespace corvalis
