#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvalis {

// The controller's read/write state, from the reply to "0026".
struct RwStatus {
  uint8_t state = 0;     // "Data page expected" (bit 0) .. "Retry Pending" (bit 7)
  uint8_t timeouts = 0;  // "T-out Occurred" (bit 0) .. "Retries Done" (bit 7)
  uint8_t options = 0;
  std::optional<uint8_t> dataCrc;  // only when the length byte is 16
  std::string command;             // 2 characters
  char startPage = '0';
  char numPages = '0';
  char thisPage = '0';
  char pagesRemaining = '0';
  std::string retries;  // 2 characters
  std::string code;     // the command word, 4 characters
  std::string target;   // 12 characters
};

// An "ab" reply line with code 0x26. Nothing when the line is not one, or is
// shorter than its length byte says (fields would be read past its end).
std::optional<RwStatus> ParseRwStatus(std::string_view line);

// The options and data-CRC bytes of a reply with code 0x28.
struct RwOptions {
  uint8_t options = 0;
  uint8_t dataCrc = 0;
};
std::optional<RwOptions> ParseRwOptions(std::string_view line);

// "0228" + options + data CRC, in lower case.
std::string RwOptionsBody(const RwOptions& options);

}  // namespace corvalis
