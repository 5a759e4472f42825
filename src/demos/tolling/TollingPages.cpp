#include "demos/tolling/TollingPages.h"

#include <cstdio>

#include "protocol/Hex.h"

namespace corvalis {
namespace {

// The hex number in characters first..first + count - 1 (numbered from 1).
std::optional<uint32_t> Field(std::string_view page, int first, int count) {
  const auto start = static_cast<size_t>(first - 1);
  if (page.size() < start + static_cast<size_t>(count)) return std::nullopt;
  uint32_t value = 0;
  for (size_t i = start; i < start + static_cast<size_t>(count); ++i) {
    const int digit = HexDigitValue(page[i]);
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return value;
}

std::string Replaced(std::string page, int first, const char* digits, int count) {
  if (page.size() < kTollingPageChars) page.resize(kTollingPageChars, '0');
  page.replace(static_cast<size_t>(first - 1), static_cast<size_t>(count), digits,
               static_cast<size_t>(count));
  return page;
}

}  // namespace

std::optional<int> PageClass(std::string_view page1) {
  const auto value = Field(page1, 11, 2);
  return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
}

std::optional<int> PageReadPoint(std::string_view page2) {
  const auto value = Field(page2, 5, 2);
  return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
}

std::optional<int32_t> PageBalance(std::string_view page2) {
  const auto value = Field(page2, 7, 6);
  if (!value) return std::nullopt;
  const auto raw = static_cast<int32_t>(*value);
  return (raw & 0x800000) != 0 ? raw - 0x1000000 : raw;
}

std::string ClassLabel(int vehicleClass) {
  return vehicleClass == 0 ? std::string("VIP") : "Class " + std::to_string(vehicleClass);
}

std::string PageWithCredit(std::string page2, uint32_t credit) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%06X", credit & 0xFFFFFFu);
  return Replaced(std::move(page2), 7, digits, 6);
}

std::string PageWithClass(std::string page1, int vehicleClass) {
  char digits[4];
  std::snprintf(digits, sizeof digits, "%02x", vehicleClass & 0xFF);
  return Replaced(std::move(page1), 11, digits, 2);
}

bool IsTollingPage(std::string_view text) {
  if (text.size() != kTollingPageChars) return false;
  for (const char c : text) {
    if (HexDigitValue(c) < 0) return false;
  }
  return true;
}

}  // namespace corvalis
