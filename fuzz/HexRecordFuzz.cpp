// Feeds arbitrary text to the HEX record parser and the file cleaner, and
// checks that every record the parser accepts formats back to itself and
// that cleaned output parses again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "script/firmware/HexCleaner.h"
#include "script/firmware/HexRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvalis;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  HexRecord record;
  if (ParseHexRecord(text, record) == HexParseError::kNone) {
    const std::string again =
        FormatHexRecord(record.address, record.type, record.data.data(), record.count);
    HexRecord reparsed;
    if (ParseHexRecord(again, reparsed) != HexParseError::kNone) std::abort();
  }
  std::string cleaned;
  std::string error;
  if (CleanHexText(text, cleaned, error)) {
    std::string again;
    if (!CleanHexText(cleaned, again, error) || again != cleaned) std::abort();
  }
  return 0;
}
