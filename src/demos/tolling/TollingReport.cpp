#include "demos/tolling/TollingReport.h"

#include "demos/tolling/TollingNames.h"
#include "demos/tolling/TollingPages.h"
#include "protocol/Hex.h"

namespace corvalis {
namespace {

constexpr int kPrefix = 2;  // "a1"
constexpr int kLrcChars = 2;

int HexPairAt(const char* text) {
  const int high = HexDigitValue(text[0]);
  const int low = HexDigitValue(text[1]);
  return high < 0 || low < 0 ? -1 : high << 4 | low;
}

bool LrcHolds(const char* line, int length) {
  if (length < kPrefix + kLrcChars) return false;
  unsigned sum = 0;
  for (int i = kPrefix; i < length - kLrcChars; ++i) sum += static_cast<unsigned char>(line[i]);
  return HexPairAt(line + length - kLrcChars) == static_cast<int>(sum & 0xFF);
}

}  // namespace

TollingReport ParseTollingReport(const char* line, int length, bool modeInMessage) {
  TollingReport report;
  if (line == nullptr || length < kPrefix || line[0] != 'a' || line[1] != '1') return report;
  if (!LrcHolds(line, length)) {
    report.parse = TollingReportParse::LrcError;
    return report;
  }
  report.parse = TollingReportParse::BadData;
  const int end = length - kLrcChars;
  for (int i = kPrefix; i < end; ++i) {
    if (!IsHexDigit(line[i])) return report;
  }
  int pos = kPrefix;
  if (modeInMessage) {
    if (end - pos < 2) return report;
    report.mode = HexPairAt(line + pos);
    pos += 2;
  }
  if (end - pos < 4) return report;
  report.result = HexPairAt(line + pos);
  report.info.assign(line + pos + 2, 2);
  pos += 4;
  for (auto& block : report.blocks) {
    if (end - pos < kTollingPageChars) break;
    block.emplace(line + pos, kTollingPageChars);
    pos += kTollingPageChars;
  }
  report.parse = TollingReportParse::Report;
  return report;
}

std::string TollingModeLabel(int mode) {
  const char* name = TollingModeName(mode);
  return std::string("Current mode: ") + (name != nullptr ? name : "Unknown");
}

TollingReportTexts DescribeTollingReport(const TollingReport& report) {
  TollingReportTexts texts;
  if (report.mode && TollingModeName(*report.mode) != nullptr) {
    texts.modeLabel = TollingModeLabel(*report.mode);
  }
  texts.result = std::to_string(report.result);
  const char* name = TollingResultName(report.result);
  texts.resultName = name != nullptr ? name : "";
  texts.info = report.info;
  for (int i = 0; i < kTollingReportBlocks; ++i) {
    const auto& block = report.blocks[static_cast<size_t>(i)];
    texts.blocks[static_cast<size_t>(i)] = block ? *block : "not seen";
  }
  if (const auto& page1 = report.blocks[1]) {
    if (const auto cls = PageClass(*page1)) texts.classLabel = ClassLabel(*cls);
  }
  if (const auto& page2 = report.blocks[2]) {
    texts.balance = std::to_string(PageBalance(*page2).value_or(0));
    texts.readPoint = std::to_string(PageReadPoint(*page2).value_or(0));
  }
  if (const auto& old = report.blocks[3]) {
    texts.oldBalance = std::to_string(PageBalance(*old).value_or(0));
    texts.oldReadPoint = std::to_string(PageReadPoint(*old).value_or(0));
  }
  return texts;
}

}  // namespace corvalis
