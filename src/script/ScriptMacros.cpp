#include "script/ScriptMacros.h"

#include <cctype>
#include <cstdio>
#include <ctime>

namespace corvalis {
namespace {

constexpr size_t kMaxExpanded = 1000;

struct DateRow {
  const char* name;
  const char* pattern;  // strftime
};
constexpr DateRow kDates[] = {
    {"Date", "%Y%m%d"},  {"Date8", "%Y%m%d"},    {"Date10", "%Y/%m/%d"}, {"Date6", "%y%m%d"},
    {"Date4", "%m%d"},   {"yyyy", "%Y"},         {"Year", "%Y"},         {"Month", "%m"},
    {"MonthName", "%B"}, {"MonthNm", "%b"},      {"dd", "%d"},           {"Day", "%d"},
    {"DOW", "%a"},       {"DayOfWeek", "%A"},    {"Time", "%H:%M:%S"},   {"Time8", "%H:%M:%S"},
    {"mm", "%H:%M:%S"},  {"hhmmss", "%H:%M:%S"}, {"Time6", "%M"},        {"Time4", "%M%S"},
    {"mmss", "%M%S"},    {"hh", "%H"},           {"ss", "%S"},           {"hhmm", "%H%M"},
};

// A name can only equal or begin a row name with its own first letter.
size_t FirstLetter(char c) {
  const auto u = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  return u < 128 ? u : 0;
}

}  // namespace

ScriptMacros::ScriptMacros(const Clock& clock, const ScriptVariables& variables,
                           const ScriptCapture& capture, const LineWatchTable& watches)
    : clock_(clock), variables_(variables), capture_(capture), watches_(watches) {
  rows_.reserve(188);
  auto add = [this](std::string name, Kind kind, int argument, const char* pattern = nullptr) {
    rows_.push_back({std::move(name), kind, argument, pattern});
  };
  const std::string n[] = {"0", "1", "2",  "3",  "4",  "5",  "6",  "7",
                           "8", "9", "10", "11", "12", "13", "14", "15"};
  for (int i = 0; i < 10; ++i) add("EC" + n[i], Kind::kExpectChannel, i);
  for (int i = 0; i < 10; ++i) add("EN" + n[i], Kind::kExpectCount, i);
  for (int i = 0; i < 10; ++i) add("ES" + n[i], Kind::kExpectLine, i);
  add("R", Kind::kRecorded, -1);
  for (int i = 1; i <= 4; ++i) add("R" + n[i], Kind::kRecorded, i - 1);
  for (const char* field : {"RWCommanderTagID", "RWCmdrTagID", "RWCommanderData", "RWCmdrData",
                            "TagSimTagID", "RWTTData0"})
    add(field, Kind::kField, -1, field);
  add("LastTagSeen", Kind::kLastTag, -1);
  add("LastDataSeen", Kind::kLastData, -1);
  add("LastGoodDataSeen", Kind::kLastData, -1);
  // The names for page 1 are spelled so in scripts in use.
  for (int i = 0; i < 16; ++i)
    add(i == 1 ? "LasGDataSeen1" : "LastDataSeen" + n[i], Kind::kPageGood, i);
  for (int i = 0; i < 16; ++i)
    add(i == 1 ? "LasGoodtDataSeen1" : "LastGoodDataSeen" + n[i], Kind::kPageGood, i);
  for (int i = 0; i < 16; ++i) add("GoodDataSeenCount" + n[i], Kind::kGoodCount, i);
  for (int i = 0; i < 16; ++i) add("DataSeenCount" + n[i], Kind::kGoodCount, i);
  for (int i = 0; i < 16; ++i) add("BadDataSeenCount" + n[i], Kind::kBadCount, i);
  for (int i = 0; i < 16; ++i) add("LastBadDataSeen" + n[i], Kind::kPageBad, i);
  add("BadReadCount", Kind::kFailedReads, -1);
  add("BadRWCount", Kind::kFailedReads, -1);
  for (int i = 0; i < 10; ++i) add("X" + n[i], Kind::kUserX, i);
  for (int i = 0; i < 10; ++i) add("S" + n[i], Kind::kUserS, i);
  for (const DateRow& row : kDates) add(row.name, Kind::kDate, -1, row.pattern);
  add("TagTime", Kind::kStamp, 0);
  add("ReaderTime", Kind::kStamp, 1);
  for (size_t i = 0; i < rows_.size(); ++i) {
    byFirst_[FirstLetter(rows_[i].name[0])].push_back(static_cast<uint16_t>(i));
  }
}

void ScriptMacros::Value(std::string_view name, std::string& out) const {
  if (name.empty()) return;
  // An exact name first, so "LastDataSeen1" is not taken for "LastDataSeen15".
  const std::vector<uint16_t>& bucket = byFirst_[FirstLetter(name[0])];
  for (const uint16_t i : bucket) {
    if (EqualsIgnoreCase(rows_[i].name, name)) return RowValue(rows_[i], out);
  }
  for (const uint16_t i : bucket) {
    if (StartsWithIgnoreCase(rows_[i].name, name)) return RowValue(rows_[i], out);
  }
  if (const NamedVariable* variable = variables_.Find(name)) {
    ScriptVariables::Format(*variable, out);
    return;
  }
  char letter = 0;
  int index = 0;
  if (!ParseUserVariable(name, "XSHh", &letter, &index) || index >= kUserVariables) return;
  const int32_t value = variables_.x[static_cast<size_t>(index)];
  char buffer[16];
  switch (letter) {
    case 'X':
      out += std::to_string(value);
      break;
    case 'S':
      out += variables_.s[static_cast<size_t>(index)];
      break;
    case 'H':
    case 'h':
      std::snprintf(buffer, sizeof buffer, letter == 'H' ? "%X" : "%x",
                    static_cast<unsigned>(value));
      out += buffer;
      break;
    default:
      break;
  }
}

void ScriptMacros::RowValue(const Row& row, std::string& out) const {
  const auto page = static_cast<size_t>(row.argument < 0 ? 0 : row.argument);
  int channel = 0;
  switch (row.kind) {
    case Kind::kExpectChannel:
      watches_.LastWatchLine(capture_.expectSlot[page], &channel);
      if (channel > 0) out += std::to_string(channel);
      break;
    case Kind::kExpectCount:
      out += std::to_string(watches_.WatchCount(capture_.expectSlot[page]));
      break;
    case Kind::kExpectLine:
      out += watches_.LastWatchLine(capture_.expectSlot[page]);
      break;
    case Kind::kRecorded: {
      const int ch = row.argument < 0 ? scriptChannel_ : row.argument;
      if (ch >= 0 && ch < kRecordedChannels) out += capture_.recorded[static_cast<size_t>(ch)];
      break;
    }
    case Kind::kField:
      if (tabs_ != nullptr) {
        if (auto text = tabs_->FieldText(row.pattern)) out += *text;
      }
      break;
    case Kind::kLastTag:
      out += capture_.lastTagSeen;
      break;
    case Kind::kLastData:
      out += capture_.lastDataSeen;
      break;
    case Kind::kPageGood:
      out += capture_.pages[page].lastGood;
      break;
    case Kind::kPageBad:
      out += capture_.pages[page].lastBad;
      break;
    case Kind::kGoodCount:
      out += std::to_string(capture_.pages[page].goodCount);
      break;
    case Kind::kBadCount:
      out += std::to_string(capture_.pages[page].badCount);
      break;
    case Kind::kFailedReads:
      out += std::to_string(capture_.failedReads);
      break;
    case Kind::kUserX:
      out += std::to_string(variables_.x[page]);
      break;
    case Kind::kUserS:
      out += variables_.s[page];
      break;
    case Kind::kDate:
      DateValue(row.pattern, out);
      break;
    case Kind::kStamp:
      StampValue(row.argument == 1, out);
      break;
  }
}

void ScriptMacros::DateValue(const char* pattern, std::string& out) const {
  const std::time_t seconds = clock_.Now().sec;
  std::tm local{};
  localtime_r(&seconds, &local);
  char buffer[64];
  const size_t n = std::strftime(buffer, sizeof buffer, pattern, &local);
  out.append(buffer, n);
}

void ScriptMacros::StampValue(bool reader, std::string& out) const {
  const WallTime now = clock_.Now();
  DateValue(reader ? "%y%m%d00%H%M%S" : "%y%m%d%H%M%S", out);
  // Rounded hundredths; 995 ms and above stay 99 rather than reading 100.
  int hundredths = (now.ms + 5) / 10;
  if (hundredths > 99) hundredths = 99;
  char buffer[4];
  std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned>(hundredths));
  out += buffer;
}

bool ScriptMacros::Expand(std::string_view line, std::string& out, std::string& error) const {
  out.clear();
  size_t i = 0;
  std::string value;
  while (i < line.size()) {
    const char c = line[i];
    if (c != '$') {
      out.push_back(c);
      ++i;
      continue;
    }
    if (i + 1 >= line.size() || line[i + 1] != '{') {
      error = "Invalid variable reference:\r";
      return false;
    }
    i += 2;
    const size_t nameStart = i;
    size_t nameEnd = std::string_view::npos;
    long rangeStart = 0;
    long rangeEnd = -1;  // -1: to the end
    bool hasRange = false;
    bool closed = false;
    while (i < line.size()) {
      const char d = line[i];
      if (d == '$' || d == '{') {
        error = "Nested variable reference:\r";
        return false;
      }
      if (d == '}') {
        if (nameEnd == std::string_view::npos) nameEnd = i;
        closed = true;
        ++i;
        break;
      }
      if (d == '[' && nameEnd == std::string_view::npos) {
        nameEnd = i;
        hasRange = true;
        ++i;
        long first = 0;
        long second = -1;
        bool dash = false;
        bool digitsAfterDash = false;
        while (i < line.size() && line[i] != ']') {
          const char r = line[i];
          if (r == '-') {
            if (dash) {
              error = "Macro substring syntax error - only one range allowed:\r";
              return false;
            }
            dash = true;
          } else if (std::isdigit(static_cast<unsigned char>(r))) {
            long& target = dash ? second : first;
            if (dash && !digitsAfterDash) {
              second = 0;
              digitsAfterDash = true;
            }
            if (target < 100000) target = target * 10 + (r - '0');
          } else if (r == '$' || r == '{') {
            error = "Nested variable reference:\r";
            return false;
          } else {
            error = "Macro substring syntax error - illegal character in range:\r";
            return false;
          }
          ++i;
        }
        if (i >= line.size()) {
          error = "Unterminated variable reference:\r";
          return false;
        }
        ++i;  // past ']'
        if (i >= line.size() || line[i] != '}') {
          error = i >= line.size() ? "Unterminated variable reference:\r"
                                   : "Macro substring syntax error - range must immediately "
                                     "preceed closing brace:\r";
          return false;
        }
        rangeStart = first;
        rangeEnd = dash ? second : first;  // [a] is character a alone
        continue;
      }
      ++i;
    }
    if (!closed) {
      error = "Unterminated variable reference:\r";
      return false;
    }
    value.clear();
    Value(line.substr(nameStart, nameEnd - nameStart), value);
    if (hasRange) {
      const long start = rangeStart < 1 ? 1 : rangeStart;
      if (static_cast<size_t>(start) > value.size()) {
        value.clear();
      } else {
        const size_t from = static_cast<size_t>(start - 1);
        size_t count = std::string::npos;
        if (rangeEnd >= 0) count = rangeEnd < start ? 0 : static_cast<size_t>(rangeEnd - start + 1);
        value = value.substr(from, count);
      }
    }
    out += value;
    if (out.size() > kMaxExpanded) out.resize(kMaxExpanded);
  }
  return true;
}

}  // namespace corvalis
