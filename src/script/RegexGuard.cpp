#include "script/RegexGuard.h"

namespace corvalis {

namespace {

// Length of the interval starting at pattern[i] ("{m,n}" or "\{m,n\}"), or 0
// when it is not closed.
size_t IntervalLength(std::string_view pattern, size_t i, std::string_view close) {
  const size_t end = pattern.find(close, i);
  return end == std::string_view::npos ? 0 : end + close.size() - i;
}

}  // namespace

bool StacksRepetitions(std::string_view pattern, RegexSyntax syntax) {
  const bool extended = syntax == RegexSyntax::kExtended;
  int run = 0;
  int bounds = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    bool repetition = false;
    size_t skip = 0;
    if (c == '*') {
      repetition = true;
    } else if (extended && (c == '+' || c == '?')) {
      repetition = true;
    } else if (extended && c == '{') {
      skip = IntervalLength(pattern, i, "}");
      if (skip == 0) return false;
      repetition = true;
      ++bounds;
    } else if (!extended && c == '\\' && (next == '+' || next == '?')) {
      repetition = true;
      skip = 2;
    } else if (!extended && c == '\\' && next == '{') {
      skip = IntervalLength(pattern, i, "\\}");
      if (skip == 0) return false;
      repetition = true;
      ++bounds;
    } else if (c == '\\') {
      skip = 2;
    }
    if (repetition) {
      ++run;
    } else {
      run = bounds = 0;
    }
    if (run > 2 || bounds > 1) return true;
    if (skip > 1) i += skip - 1;
  }
  return false;
}

}  // namespace corvalis
