#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvalis {

// Text as the operator typed it with "\\", "\n", "\r" and "\t" decoded; any
// other backslash stays as typed. At most `maxChars` characters come out.
std::string DecodeTypedEscapes(std::string_view typed, size_t maxChars = std::string::npos);

}  // namespace corvalis
