#pragma once

#include <string>
#include <string_view>

namespace corvalis {

// "ab", the reader ID, `body` and the LRC into `out` (no line end). False
// when the line would not fit a command line.
bool BuildScriptCommand(int readerId, std::string_view body, std::string& out);

// SimInput: a text ending in "L" gets that letter replaced by the LRC of
// the characters after the first two.
void ApplySimulatedLrc(std::string& text);

}  // namespace corvalis

namespace corvalis {

// ifMatch: '?' matches anything, a hex digit m compares (a AND m) with
// (b AND m), any other character compares ignoring case and ends the walk
// successfully where text1 ends. Never reads past either text.
bool MaskMatches(std::string_view text1, std::string_view text2, std::string_view mask);

}  // namespace corvalis
