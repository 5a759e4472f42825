#pragma once

#include <cstdint>
#include <string>

namespace corvalis::testing {

// A reader's line in the default format for tag 30 31 32 33 34 35 36 `last`,
// stamped 2026-12-08 10:20:`second` plus `hundredths`, CR LF ended.
std::string ReaderLine(int readerId, uint8_t last, int hundredths, int iCount = 2, int second = 30);

// `lineCount` default-format lines, CR LF ended, for `tagCount` distinct tags
// in turn, stamped on one day so every read of a tag joins its open pass.
std::string DefaultFormatStream(int lineCount, int tagCount);

}  // namespace corvalis::testing
