#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvalis {

// A tag data page: 16 hex digits. Characters are numbered from 1 below.
inline constexpr int kTollingPageChars = 16;

// Page 1, characters 11-12: the vehicle class.
std::optional<int> PageClass(std::string_view page1);
// Page 2, characters 5-6: the read point.
std::optional<int> PageReadPoint(std::string_view page2);
// Page 2, characters 7-12: the balance, a 24-bit two's-complement number.
std::optional<int32_t> PageBalance(std::string_view page2);

// "VIP" for class 0, otherwise "Class n".
std::string ClassLabel(int vehicleClass);

// The page with characters 7-12 replaced by the credit as six upper-case hex
// digits (the credit's low 24 bits). A page shorter than 16 characters is
// filled with "0" first, so the fields keep their places.
std::string PageWithCredit(std::string page2, uint32_t credit);
// The page with characters 11-12 replaced by the class as two hex digits.
std::string PageWithClass(std::string page1, int vehicleClass);

// True when `text` is exactly 16 hex digits.
bool IsTollingPage(std::string_view text);

}  // namespace corvalis
