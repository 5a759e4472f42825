#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvalis {

// The tag simulator's commands (bodies) and the checks on what the operator
// or a script types for it. IDs are 12 hex digits with a generated CRC,
// else up to 16.
inline constexpr int kSimIdDigitsWithCrc = 12;
inline constexpr int kSimIdDigits = 16;
inline constexpr int kSimStackPositions = 128;
inline constexpr int kSimDefaultDelay = 187;

// The typed ID when it is hex digits only and fits (12 with a generated
// CRC, 16 without); nothing otherwise. An empty ID is refused too: it would
// send all zeroes without the operator asking for them.
std::optional<std::string> ParseSimTagId(std::string_view typed, bool generateCrc);
// A CRC seed typed as decimal or "0x" hex, 0 to 0xffff; nothing otherwise.
std::optional<uint16_t> ParseSimCrcSeed(std::string_view typed);
// The seed as the field shows it: "0x%04x".
std::string FormatSimCrcSeed(uint16_t seed);

// The tag CRC over the first 12 digits (right-padded with "0") with `seed`;
// the program's own seed is not involved.
uint16_t SimIdCrc(std::string_view id, uint16_t seed);

// "0811" + the 12 ID digits and the CRC in lower case, or the ID
// right-padded with "0" to 16 digits.
std::string SimSendIdBody(std::string_view id, bool generateCrc, uint16_t seed);
// "0915" + position + the ID as Send ID builds it, the CRC digits as the
// field shows them.
std::string SimSetTagBody(int position, std::string_view id, bool generateCrc,
                          std::string_view crcShown);
std::string SimNumTagsBody(int count);                     // "0115" + count
std::string SimAlgorithmBody(int algorithm, int period4);  // "0413" a "00" p "00"
// "0216" + 65536 - delay, limited to 0..65535 (delay 0 sends ffff).
std::string SimDelayBody(int delay);
std::string SimTtoPagesBody(int pages);           // "011d" + count
std::string SimRepeatsBody(int repeats);          // "011c" + count
std::string SimIncrementRoutineBody(bool newer);  // "011e01" / "011e00"
inline constexpr const char* kSimNvWriteBody = "001b";

// The presets of cmbSimTagType after its first item.
struct SimTagPreset {
  const char* name;
  int algorithm;
  int period4;
  const char* seed;
};
inline constexpr SimTagPreset kSimTagPresets[] = {
    {"R5180 64k", 0, 12, "0x0000"},
    {"KVQ 64k", 0, 12, "0xffff"},
    {"KVQ 256k", 5, 2, "0xffff"},
    {"KVQ 128k", 0, 6, "0xffff"},
};

}  // namespace corvalis
