#pragma once

#include <string>
#include <string_view>

namespace corvalis {

inline constexpr int kHexPathMax = 259;
inline constexpr const char* kCleanedFileName = "tmp.hex";

// Rewrites HEX text so every data row is one record of up to 16 bytes on a
// 16-byte boundary: records are split at row boundaries, pieces of a row are
// merged in address order whatever the order they came in, and gaps inside a
// row become 0xFF. Start-address records and the end record follow the data.
// On a malformed line `error` names it by number and `output` is untouched.
bool CleanHexText(std::string_view input, std::string& output, std::string& error);

struct CleanResult {
  bool ok = false;
  std::string outputPath;
  std::string message;  // for the failure message box
  std::string title;
};

// Cleans the named file into "tmp.hex" beside it. The output appears whole
// or not at all.
CleanResult CleanHexFile(const std::string& inputPath);

}  // namespace corvalis
