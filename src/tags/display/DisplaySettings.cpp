#include "tags/display/DisplaySettings.h"

#include <cctype>

namespace corvalis {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

}  // namespace

DisplayType DisplayTypeFromText(std::string_view text) {
  for (const DisplayType type : {DisplayType::kMessageBoard, DisplayType::kPolycomp16x1,
                                 DisplayType::kPolycomp16x5, DisplayType::kWindow}) {
    if (EqualsNoCase(text, DisplayTypeText(type))) return type;
  }
  return DisplayType::kNone;
}

const char* DisplayTypeText(DisplayType type) {
  switch (type) {
    case DisplayType::kMessageBoard:
      return "MessageBoard";
    case DisplayType::kPolycomp16x1:
      return "Polycomp16x1";
    case DisplayType::kPolycomp16x5:
      return "Polycomp16x5";
    case DisplayType::kWindow:
      return "Window";
    case DisplayType::kNone:
      break;
  }
  return "None";
}

char MessageIdFromText(std::string_view text) {
  if (text.size() == 1 && text[0] >= 'A' && text[0] <= 'Z') return text[0];
  return 'A';
}

std::optional<int> ParseDisplayByte(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return std::nullopt;
    value = value * base + digit;
    if (value > 255) return std::nullopt;
  }
  return value;
}

}  // namespace corvalis
