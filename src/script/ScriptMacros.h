#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/Clock.h"
#include "script/LineWatchTable.h"
#include "script/ScriptCapture.h"
#include "script/ScriptHost.h"
#include "script/ScriptVariables.h"

namespace corvalis {

// ${name} and ${name[a-b]} references: the macro table, then the named
// variables, then Xn, Sn, Hn and hn.
class ScriptMacros {
 public:
  enum class Kind : unsigned char {
    kExpectChannel,
    kExpectCount,
    kExpectLine,
    kRecorded,
    kField,
    kLastTag,
    kLastData,
    kPageGood,
    kPageBad,
    kGoodCount,
    kBadCount,
    kFailedReads,
    kUserX,
    kUserS,
    kDate,
    kStamp,
  };
  struct Row {
    std::string name;
    Kind kind;
    int argument;         // slot, channel, page, variable or -1
    const char* pattern;  // date pattern, field name
  };

  ScriptMacros(const Clock& clock, const ScriptVariables& variables, const ScriptCapture& capture,
               const LineWatchTable& watches);
  void SetTabs(const ScriptTabs* tabs) { tabs_ = tabs; }
  // The channel that ${R} means (0-based).
  void SetScriptChannel(int channel) { scriptChannel_ = channel; }

  const std::vector<Row>& Table() const { return rows_; }

  // Expands every reference of `line` into `out`. On a syntax error returns
  // false with `error` holding the message (the caller shows it with the
  // line) and `out` unspecified.
  bool Expand(std::string_view line, std::string& out, std::string& error) const;
  // The value of one name (no range); empty when found nowhere.
  void Value(std::string_view name, std::string& out) const;

 private:
  void RowValue(const Row& row, std::string& out) const;
  void DateValue(const char* pattern, std::string& out) const;
  void StampValue(bool reader, std::string& out) const;

  const Clock& clock_;
  const ScriptVariables& variables_;
  const ScriptCapture& capture_;
  const LineWatchTable& watches_;
  const ScriptTabs* tabs_ = nullptr;
  int scriptChannel_ = 0;
  std::vector<Row> rows_;
  // Row indexes by the lower-cased first letter of the name, in table order.
  std::array<std::vector<uint16_t>, 128> byFirst_;
};

}  // namespace corvalis
