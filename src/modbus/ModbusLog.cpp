#include "modbus/ModbusLog.h"

#include <ctime>

namespace corvalis {
namespace {

std::tm LocalParts(WallTime at) {
  const std::time_t seconds = at.sec;
  std::tm parts{};
  localtime_r(&seconds, &parts);
  return parts;
}

std::string Format(WallTime at, const char* layout) {
  const std::tm parts = LocalParts(at);
  char text[32];
  const size_t length = std::strftime(text, sizeof text, layout, &parts);
  return std::string(text, length);
}

void ReplaceFirst(std::string& text, std::string_view what, std::string_view with) {
  const size_t at = text.find(what);
  if (at != std::string::npos) text.replace(at, what.size(), with);
}

}  // namespace

std::string LocalDateText(WallTime at) {
  return Format(at, "%Y-%m-%d");
}
std::string LocalTimeText(WallTime at) {
  return Format(at, "%H:%M:%S");
}
std::string FileTimeText(WallTime at) {
  return Format(at, "%H-%M-%S");
}

std::string ExpandModbusLogName(std::string_view pattern, WallTime at) {
  std::string name(pattern);
  if (name.find("%d") == std::string::npos) return name;
  ReplaceFirst(name, "%d", LocalDateText(at));
  ReplaceFirst(name, "%t", FileTimeText(at));
  return name;
}

bool ModbusLog::Open(std::string_view pattern, WallTime now) {
  Close();
  pattern_ = std::string(pattern);
  fileName_ = ExpandModbusLogName(pattern, now);
  lastHour_ = LocalParts(now).tm_hour;
  file_ = std::fopen(fileName_.c_str(), "ab");
  return file_ != nullptr;
}

void ModbusLog::Close() {
  if (file_ == nullptr) return;
  FlushEmpties();
  std::fclose(file_);
  file_ = nullptr;
}

void ModbusLog::NoteEmptyReply(std::string_view text) {
  if (file_ == nullptr) return;
  pendingText_ = std::string(text);
  ++pendingEmpties_;
}

void ModbusLog::WriteReply(std::string_view line) {
  if (file_ == nullptr) return;
  FlushEmpties();
  Write(line);
  Write("\r\n");
  std::fflush(file_);
}

void ModbusLog::CheckHour(WallTime now, int newFileHour) {
  const int hour = LocalParts(now).tm_hour;
  const bool turned = hour != lastHour_;
  lastHour_ = hour;
  if (turned && hour == newFileHour && file_ != nullptr) {
    const std::string pattern = pattern_;
    Open(pattern, now);
  }
}

void ModbusLog::FlushEmpties() {
  if (pendingEmpties_ == 0) return;
  Write(pendingText_);
  if (pendingEmpties_ == 1) {
    Write("\r\n");
  } else {
    Write(", repeated " + std::to_string(pendingEmpties_) + " times\r\n");
  }
  pendingEmpties_ = 0;
  pendingText_.clear();
  std::fflush(file_);
}

void ModbusLog::Write(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), file_);
}

}  // namespace corvalis
