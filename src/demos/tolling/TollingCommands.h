#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvalis {

// The tolling modes the reader runs in.
enum class TollingMode {
  Off = 0,
  Toll = 1,
  SetCredit = 2,
  AddCredit = 3,
  Register = 4,
  Report = 5
};

inline constexpr int kTollingClasses = 5;
inline constexpr int kTollingTimeouts = 6;

// Command bodies of the tolling window (the sender frames them).
inline constexpr const char* kTollingTimeoutsQuery = "ff24";
inline constexpr const char* kTollingReadPointQuery = "ff58";
inline constexpr const char* kTollingTariffsQuery = "ff57";
inline constexpr const char* kTollingModeQuery = "ff59";
inline constexpr const char* kTollingSave = "0027";
// The controller's CRC generate/test option, with the two data bytes its
// length byte announces (see docs/tolling.md).
inline constexpr const char* kTollingCrcOn = "0228000e";

// "0159" + mode, or "0559" + mode + the credit as 8 hex digits for Set
// Credit and Add Credit.
std::string TollingModeBody(TollingMode mode, uint32_t credit);

// "092e01" / "092e02" + the page's 16 hex digits; nothing when the text is
// not exactly 16 hex digits (blanks would reach the tag as data).
std::optional<std::string> TollingPageBody(int page, std::string_view text);

// "0258" + this read point + the FOC read point.
std::string TollingReadPointBody(int readPoint, int focReadPoint);

// "0b57" + the number of classes + the five tariffs (16 bits each).
std::string TollingTariffBody(int classes, const std::array<int, kTollingClasses>& tariffs);

// "0624" + command time-out, data time-out, redo time-out, read delay, retry
// limit, read retry limit.
std::string TollingTimeoutsBody(const std::array<int, kTollingTimeouts>& timeouts);

}  // namespace corvalis
