#pragma once

#include <cstddef>
#include <cstdio>

namespace corvalis {

// Copies `text` into a fixed-size record field, cut to fit and terminated.
template <std::size_t N>
void CopyFixedText(char (&out)[N], const char* text) {
  std::snprintf(out, N, "%s", text);
}

}  // namespace corvalis
