#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "protocol/MessageFormat.h"
#include "protocol/TagMessageEncoder.h"

namespace corvalis::testing {

// A reader's line in the default format for tag 30 31 32 33 34 35 36 `last`,
// stamped 2026-12-08 10:20:30 plus `hundredths`, CR LF ended.
inline std::string ReaderLine(int readerId, uint8_t last, int hundredths, int iCount = 2) {
  TagMessageFields fields;
  fields.readerId = readerId;
  const uint8_t id[8] = {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, last};
  std::copy(id, id + 8, fields.id);
  fields.iCount = iCount;
  fields.qCount = 1;
  fields.year = 26;
  fields.month = 12;
  fields.day = 8;
  fields.hour = 10;
  fields.minute = 20;
  fields.second = 30;
  fields.hundredths = hundredths;
  char line[128];
  const int n = EncodeFormatMessage(MessageFormat{}, fields, line, sizeof line);
  return std::string(line, static_cast<size_t>(n)) + "\r\n";
}

}  // namespace corvalis::testing
