#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "common/Clock.h"

namespace corvalis {

// Local date "yyyy-mm-dd", time "hh:nn:ss" and the file-name time "hh-nn-ss".
std::string LocalDateText(WallTime at);
std::string LocalTimeText(WallTime at);
std::string FileTimeText(WallTime at);

// The log's file name: the first "%d" becomes the date, then (only when there
// was a "%d") the first "%t" the time. The name is never used as a format.
std::string ExpandModbusLogName(std::string_view pattern, WallTime at);

// The CSV log of the Modbus polls. Runs of polls that saw no tag are kept back
// and written as one line with their count just before the next other reply,
// or when the log closes.
class ModbusLog {
 public:
  ModbusLog() = default;
  ~ModbusLog() { Close(); }
  ModbusLog(const ModbusLog&) = delete;
  ModbusLog& operator=(const ModbusLog&) = delete;

  // Closes any open file, then opens the expanded name for appending.
  bool Open(std::string_view pattern, WallTime now);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  const std::string& FileName() const { return fileName_; }

  // An empty ID reply: `text` is its line without the line end.
  void NoteEmptyReply(std::string_view text);
  // Any other reply: pending empties first, then `line` and CR LF.
  void WriteReply(std::string_view line);
  int PendingEmpties() const { return pendingEmpties_; }

  // Once a second: reopens the log when the local hour turns to `newFileHour`.
  void CheckHour(WallTime now, int newFileHour);

 private:
  void FlushEmpties();
  void Write(std::string_view text);

  std::FILE* file_ = nullptr;
  std::string pattern_;
  std::string fileName_;
  std::string pendingText_;
  int pendingEmpties_ = 0;
  int lastHour_ = -1;
};

}  // namespace corvalis
