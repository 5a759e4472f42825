#include "common/TextEscapes.h"

#include <algorithm>

namespace corvalis {

std::string DecodeTypedEscapes(std::string_view typed, size_t maxChars) {
  std::string out;
  out.reserve(std::min(typed.size(), maxChars));
  for (size_t i = 0; i < typed.size() && out.size() < maxChars; ++i) {
    const char c = typed[i];
    if (c != '\\' || i + 1 == typed.size()) {
      out += c;
      continue;
    }
    switch (typed[i + 1]) {
      case '\\':
        out += '\\';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      default:
        out += '\\';
        continue;  // the next character is taken as it is
    }
    ++i;
  }
  return out;
}

}  // namespace corvalis
