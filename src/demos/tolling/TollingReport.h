#pragma once

#include <array>
#include <optional>
#include <string>

namespace corvalis {

inline constexpr int kTollingReportBlocks = 4;  // tag ID, page 1, page 2, old page 2

enum class TollingReportParse { NotReport, LrcError, BadData, Report };

// A transaction report: "a1", [mode], result, two characters of
// information, up to four 16-digit blocks, LRC. The LRC is the sum of the
// characters after "a1" up to the last two, modulo 256.
struct TollingReport {
  TollingReportParse parse = TollingReportParse::NotReport;
  std::optional<int> mode;  // only when the reader puts it in the report
  int result = 0;
  std::string info;
  std::array<std::optional<std::string>, kTollingReportBlocks> blocks;
};

// Reads at most `length` characters of `line`. Every field after "a1" must
// be hex; a report that holds no result is bad data.
TollingReport ParseTollingReport(const char* line, int length, bool modeInMessage);

// What the window shows for a decoded report. Missing blocks read "not
// seen"; a label whose page is missing stays blank (the class label is left
// unset so it keeps what it showed).
struct TollingReportTexts {
  std::optional<std::string> modeLabel;
  std::string result;
  std::string resultName;
  std::string info;
  std::array<std::string, kTollingReportBlocks> blocks;
  std::optional<std::string> classLabel;
  std::string balance;
  std::string readPoint;
  std::string oldBalance;
  std::string oldReadPoint;
};

TollingReportTexts DescribeTollingReport(const TollingReport& report);

// "Current mode: " and the mode's name, or "Unknown" for values beyond 5.
std::string TollingModeLabel(int mode);

}  // namespace corvalis
