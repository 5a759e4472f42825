#pragma once

#include <string>
#include <string_view>

namespace corvalis {

inline constexpr int kTagPages = 16;
inline constexpr int kPageDigits = 16;

// How a page read back compares with the data meant to be there.
enum class PageResult : int {
  kExact = 0,           // lime
  kFirstDiffers = 1,    // green
  kFirstTwoDiffer = 2,  // teal
  kDiffers = 3,         // yellow
  kNoData = 4,          // red
  kNone = 5,            // not read yet (window colour)
};

// Adds one to a hexadecimal text, either case, carrying leftwards; the
// result is lower case and keeps its length ("ff" wraps to "00"). Other
// characters are left alone and stop the carry.
std::string IncrementHex(std::string_view text);
// Subtracts one, borrowing leftwards ("00" wraps to "ff").
std::string DecrementHex(std::string_view text);
// Exactly 16 hexadecimal digits, either case.
bool IsPageData(std::string_view text);
// Case-insensitive.
bool SameHex(std::string_view a, std::string_view b);
PageResult ComparePage(std::string_view expected, std::string_view read);
// Every digit d replaced by 15 - d; other characters kept.
std::string InvertHex(std::string_view text);
std::string LowerCase(std::string_view text);

}  // namespace corvalis
