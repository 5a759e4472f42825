#include "tagrw/PageHex.h"

#include <cctype>

namespace corvalis {
namespace {

constexpr char kDigits[] = "0123456789abcdef";

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

// Without the locale's tables: the TTO tab compares every tag read.
constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Step(std::string_view text, int delta) {
  std::string out = LowerCase(text);
  for (size_t i = out.size(); i-- > 0;) {
    const int v = DigitValue(out[i]);
    if (v < 0) break;
    const int next = (v + delta + 16) % 16;
    out[i] = kDigits[next];
    const bool carries = delta > 0 ? next == 0 : next == 15;
    if (!carries) break;
  }
  return out;
}

}  // namespace

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string IncrementHex(std::string_view text) {
  return Step(text, 1);
}

std::string DecrementHex(std::string_view text) {
  return Step(text, -1);
}

bool IsPageData(std::string_view text) {
  if (text.size() != kPageDigits) return false;
  for (char c : text)
    if (DigitValue(c) < 0) return false;
  return true;
}

bool SameHex(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

PageResult ComparePage(std::string_view expected, std::string_view read) {
  if (read.empty()) return PageResult::kNoData;
  if (SameHex(expected, read)) return PageResult::kExact;
  if (expected.size() == read.size() && expected.size() >= 2) {
    if (SameHex(expected.substr(1), read.substr(1))) return PageResult::kFirstDiffers;
    if (SameHex(expected.substr(2), read.substr(2))) return PageResult::kFirstTwoDiffer;
  }
  return PageResult::kDiffers;
}

std::string InvertHex(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const int v = DigitValue(c);
    if (v >= 0) c = kDigits[15 - v];
  }
  return out;
}

}  // namespace corvalis
