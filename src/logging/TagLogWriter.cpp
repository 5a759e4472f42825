#include "logging/TagLogWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace corvalis {

namespace {

template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return {field, strnlen(field, N)};
}

bool ToLocalTime(int32_t sec, std::tm& out) {
  const std::time_t t = sec;
  return localtime_r(&t, &out) != nullptr;
}

// Appends printf output; the texts here are short numbers and dates.
template <typename... Args>
void AppendF(std::string& out, const char* format, Args... args) {
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, format, args...);
  if (n > 0) out.append(buffer, static_cast<size_t>(std::min<int>(n, sizeof buffer - 1)));
}

void AppendDate(std::string& out, int32_t sec, char separator) {
  std::tm tm{};
  if (!ToLocalTime(sec, tm)) {
    tm = std::tm{};
    tm.tm_mday = 1;
    tm.tm_year = 70;
  }
  AppendF(out, "%04d%c%02d%c%02d", tm.tm_year + 1900, separator, tm.tm_mon + 1, separator,
          tm.tm_mday);
}

void AppendTime(std::string& out, int32_t sec, int32_t ms, bool withMs) {
  std::tm tm{};
  if (!ToLocalTime(sec, tm)) tm = std::tm{};
  AppendF(out, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  if (withMs) AppendF(out, ".%03d", ms);
}

std::string_view ShownLabel(const TagRecord& entry, SeenLabel label) {
  switch (label) {
    case SeenLabel::kName:
      return FieldText(entry.nameText);
    case SeenLabel::kWiegand26:
      return FieldText(entry.wiegand26Text);
    case SeenLabel::kWiegand34:
      return FieldText(entry.wiegand34Text);
    case SeenLabel::kId:
      break;
  }
  return FieldText(entry.hexId);
}

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(" \t") == std::string_view::npos;
}

bool Earlier(const TagRecord& a, int32_t sec, int32_t ms) {
  return a.firstSeenSec < sec || (a.firstSeenSec == sec && a.firstSeenMs < ms);
}

}  // namespace

TagLogWriter::TagLogWriter(TagNames& names, const Clock& clock, StatusReporter& status)
    : names_(names), clock_(clock), status_(status) {
  line_.reserve(1024);
  SetSettings(settings_);
}

void TagLogWriter::SetSettings(const LogSettings& settings) {
  settings_ = settings;
  separator_ = DecodeLogText(settings.loggingSeparator);
  tamperText_ = DecodeLogText(settings.loggingTamper);
  noTamperText_ = DecodeLogText(settings.loggingNoTamper);
  pageColumns_ = std::clamp(settings.logNumTtoPages, 1, kMaxLogPages);
}

bool TagLogWriter::AddDemonstration(DemonstrationOutput* demo) {
  for (auto& place : demos_) {
    if (place == demo) return true;
  }
  for (auto& place : demos_) {
    if (place == nullptr) {
      place = demo;
      return true;
    }
  }
  return false;
}

void TagLogWriter::RemoveDemonstration(DemonstrationOutput* demo) {
  for (auto& place : demos_) {
    if (place == demo) place = nullptr;
  }
}

PassLogResult TagLogWriter::FinishPass(TagRecord& pass) {
  const std::string_view text = FieldText(pass.nameText);

  if (display_ != nullptr && display_->Selected() && pass.outputSent == 0) {
    const std::string_view name = names_.LookupName(pass.tagBytes, text);
    if (!name.empty()) pass.outputSent = display_->ShowName(name, pass) ? 1 : 0;
  }

  for (DemonstrationOutput* demo : demos_) {
    if (demo != nullptr && demo->Running()) pass.outputSent = demo->HandlePass(pass);
  }

  // Independent of the log file: a console may publish without logging.
  if (observer_ != nullptr && pass.published == 0 && pass.count > settings_.noiseLimit) {
    pass.published = 1;
    observer_->PassCompleted({pass, names_.LookupName(pass.tagBytes, text), settings_.depotName});
  }

  if (pass.logged != 0) return PassLogResult::kAlreadyLogged;
  if (!IsLogging()) return PassLogResult::kNotLogging;
  if (settings_.showLogging) return PassLogResult::kManualOnly;
  if (pass.count <= settings_.noiseLimit) return PassLogResult::kBelowNoiseLimit;

  const std::string_view name = names_.LookupName(pass.tagBytes, text);
  if (settings_.onlyLogNamedTags && name.empty()) return PassLogResult::kUnnamed;

  const bool anyColumn = BuildLogLine(pass, name);
  pass.logged = 1;
  if (!anyColumn) return PassLogResult::kNoColumns;
  return WriteToLog(line_) ? PassLogResult::kWritten : PassLogResult::kWriteFailed;
}

bool TagLogWriter::BuildLogLine(const TagRecord& pass, std::string_view name) {
  line_.clear();
  bool first = true;
  // Every column but the first is preceded by the separator.
  auto next = [&]() -> std::string& {
    if (!first) line_ += separator_;
    first = false;
    return line_;
  };
  const LogSettings& s = settings_;
  if (s.logDepot) next() += s.depotName;
  if (s.logSteppingNumber) AppendF(next(), "%d", stepNumber_);
  if (s.logTagId) next() += FieldText(pass.hexId);
  if (s.logTagName) next() += name;
  if (s.logTamper) next() += pass.tamper != 0 ? tamperText_ : noTamperText_;
  if (s.logFirstSeenDate) AppendDate(next(), pass.firstSeenSec, '/');
  if (s.logFirstSeenTime) {
    AppendTime(next(), pass.firstSeenSec, pass.firstSeenMs, s.firstSeenIncludeMs);
  }
  if (s.logLastSeenDate) AppendDate(next(), pass.lastSeenSec, '/');
  if (s.logLastSeenTime) AppendTime(next(), pass.lastSeenSec, pass.lastSeenMs, s.lastSeenIncludeMs);
  if (s.logChannelNumber) AppendF(next(), "%d", pass.channel + 1);
  if (s.logReaderId) AppendF(next(), "%d", pass.readerId);
  if (s.logIqCount) AppendF(next(), "%d", pass.count);
  if (s.logICount) AppendF(next(), "%d", pass.iCount);
  if (s.logQCount) AppendF(next(), "%d", pass.qCount);
  if (s.logTtoDataPages) {
    for (int column = 0; column < pageColumns_; ++column) {
      // Pages 1 to 15, then page 0.
      const PageContent& page = pass.pages[(column + 1) % kPageSlotCount].primary;
      if (page.count < 1) {
        next() += ' ';
      } else {
        next() += FieldText(page.text);
      }
    }
  }
  if (first) return false;
  line_ += '\n';
  return true;
}

bool TagLogWriter::WriteToLog(std::string_view text) {
  return NoteWrite(file_.Write(text));
}

// The memo and the error stream both hear of a run of failures once, at its
// start and at its end: an unattended console leaves the trace in the error
// file, and a full disk does not flood either.
bool TagLogWriter::NoteWrite(bool ok) {
  if (file_.Reopened()) {
    status_.DebugLog("Log file " + file_.Path() + " had been removed; it was created again");
  }
  if (ok) {
    // Gathered in memory is not written yet.
    if (failing_ && !file_.HasPending()) {
      const std::string line = "Log file " + file_.Path() + " is written again; " +
                               std::to_string(lostLines_) + " log lines were lost";
      status_.DebugLog(line);
      std::fprintf(stderr, "%s\n", line.c_str());
      failing_ = false;
    }
    return true;
  }
  lostLines_ += file_.LinesLost();
  status_.SetLastError("Log write failed");
  if (!failing_) {
    const std::string line =
        "Could not write to log file " + file_.Path() + ": " + file_.ErrorText();
    status_.DebugLog(line);
    std::fprintf(stderr, "%s\n", line.c_str());
    failing_ = true;
  }
  return false;
}

bool TagLogWriter::FlushLog() {
  if (file_.Flush()) return lostLines_ == 0;
  NoteWrite(false);
  return false;
}

LogOpenResult TagLogWriter::StartLogging(const std::string& path) {
  file_.Close();
  settings_.filteredFileName = path;
  settings_.writeFiltered = true;
  failing_ = false;
  lostLines_ = 0;
  LogOpenResult result;
  if (!file_.Open(path)) {
    settings_.writeFiltered = false;
    result.message = "Unable to open " + path + " for appending";
    result.title = "Open Failure";
    return result;
  }
  result.ok = true;
  return result;
}

void TagLogWriter::StopLogging() {
  file_.Close();
  settings_.writeFiltered = false;
}

LogOpenResult TagLogWriter::OpenAtStartup() {
  if (!settings_.writeFiltered) {
    LogOpenResult result;
    result.ok = true;
    return result;
  }
  return StartLogging(settings_.filteredFileName);
}

std::string TagLogWriter::StatusLabelText() const {
  if (!IsLogging()) return std::string(kNotLoggingText);
  const std::string& path = file_.Path();
  const size_t slash = path.find_last_of("/\\");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (failing_) {
    return "Cannot write to " + name + ": " + std::to_string(lostLines_) + " lines lost";
  }
  return "Logging to " + name;
}

RecordResult TagLogWriter::RecordTagsSeen(std::span<const TagRecord> seen, SeenLabel label) {
  RecordResult result;
  AppendF(result.recordName, "%03d", record_.testNumber);
  result.recordName.insert(0, record_.testName);
  record_.testNumber = std::min(record_.testNumber + 1, 999);
  result.clearTable = record_.clear;
  if (!IsLogging()) return result;

  const std::string& rec = result.recordName;
  std::string out;
  auto countsLine = [&](std::string_view shown, const TagRecord& e) {
    out.append(rec).append(",").append(shown);
    AppendF(out, ",%ld,%ld,%ld\n", long{e.count}, long{e.iCount}, long{e.qCount});
  };

  switch (record_.layout) {
    case 1:
      // Listed tags in list order. Entries are matched on their ID, whatever
      // the view shows: a shown name or Wiegand number never equals a code,
      // and present tags would be recorded with no reads.
      for (int row = 0; row < names_.RowCount(); ++row) {
        const std::string_view code = names_.Code(row);
        if (IsBlank(code)) continue;
        bool matched = false;
        for (const TagRecord& e : seen) {
          if (FieldText(e.hexId) != code) continue;
          countsLine(ShownLabel(e, label), e);
          matched = true;
        }
        if (!matched) out.append(rec).append(",").append(code).append(",0,0,0\n");
      }
      break;
    case 4: {
      std::string tail;
      bool any = false;
      int32_t sec = 0;
      int32_t ms = 0;
      for (int row = 0; row < names_.RowCount(); ++row) {
        const std::string_view code = names_.Code(row);
        if (IsBlank(code)) continue;
        bool matched = false;
        for (const TagRecord& e : seen) {
          if (FieldText(e.hexId) != code) continue;
          tail.append(",").append(names_.Name(row));
          AppendF(tail, ",%d,%d", e.iCount, e.qCount);
          if (!any || Earlier(e, sec, ms)) {
            sec = e.firstSeenSec;
            ms = e.firstSeenMs;
          }
          any = true;
          matched = true;
        }
        if (!matched) tail.append(",").append(code).append(",0");
      }
      if (!any) {
        // None of the listed tags is present: the snapshot's own time.
        const WallTime now = clock_.Now();
        sec = now.sec;
        ms = now.ms;
      }
      AppendDate(out, sec, '-');
      out += ',';
      AppendTime(out, sec, ms, true);
      out.append(tail).append("\n");
      break;
    }
    default:  // layouts 2 and 3 write the same lines
      for (const TagRecord& e : seen) countsLine(ShownLabel(e, label), e);
      break;
  }

  if (out.empty()) {
    result.written = true;
    return result;
  }
  result.written = WriteToLog(out);
  result.writeFailed = !result.written;
  return result;
}

}  // namespace corvalis
