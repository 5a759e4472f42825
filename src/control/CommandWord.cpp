#include "control/CommandWord.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "protocol/Hex.h"

namespace corvalis {

const char* TagCommandName(int command) {
  static const char* const kNames[kSecondGenCommands] = {
      "Config", "Test",   "Lock",      "Write",      "Read",      "Suspend",
      "TTO",    "Resume", "Write Inc", "Write Date", "Raw Write", "Confirm"};
  return command >= 0 && command < kSecondGenCommands ? kNames[command] : "";
}

int FieldA(const CommandWordFields& f) {
  if (f.command != kCmdConfig) return f.startPage & 0x0F;
  if (f.tamper == kTamperExt) return 4 + 2 * (f.scramble ? 0 : 1) + (f.concat ? 1 : 0);
  return (4 * f.tamper + f.delay) & 0x0F;
}

int FieldB(const CommandWordFields& f) {
  if (f.command != kCmdConfig) return f.numPages & 0x0F;
  if (f.tamper == kTamperExt) {
    return 8 * f.global + 4 * f.echo + 2 * f.lock + (f.config ? 1 : 0);
  }
  return (4 * f.txRate + 2 * f.total + (f.ppe ? 0 : 1)) & 0x0F;
}

int CommandCrc5(int command, int a, int b) {
  const int value = (command & 7) * 256 + (a & 15) * 16 + (b & 15);
  int reg = 0x12;
  for (int bit = 10; bit >= 0; --bit) {
    const int feedback = ((value >> bit) & 1) ^ ((reg >> 4) & 1);
    reg = ((reg << 1) ^ (feedback != 0 ? 9 : 0)) & 0x1F;
  }
  return reg;
}

uint16_t CommandWord(const CommandWordFields& f, int crc5) {
  return static_cast<uint16_t>(((f.command & 7) << 13) | (FieldA(f) << 9) | (FieldB(f) << 5) |
                               (crc5 & 0x1F));
}

uint16_t CommandWord(const CommandWordFields& f) {
  return CommandWord(f, CommandCrc5(f.command, FieldA(f), FieldB(f)));
}

int ParseCrc5Text(std::string_view text) {
  std::string s(text);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
  size_t start = 0;
  while (start < s.size() && std::isspace(static_cast<unsigned char>(s[start]))) ++start;
  s.erase(0, start);
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.erase(0, 2);
    base = 16;
  }
  if (s.empty()) return 0;
  char* end = nullptr;
  const long value = std::strtol(s.c_str(), &end, base);
  if (end == nullptr || *end != '\0' || value < 0 || value > 0xFFFF) return 0;
  return static_cast<int>(value);
}

std::string FormatCrc5(int crc5) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", crc5 & 0xFF);
  return text;
}

std::string CommandString(uint16_t word, std::string_view tagId, bool secondGeneration) {
  char digits[5];
  std::snprintf(digits, sizeof digits, "%04x", word);
  std::string out(digits);
  constexpr size_t kIdChars = 12;
  if (tagId.size() >= kIdChars) {
    out += secondGeneration ? tagId.substr(tagId.size() - kIdChars) : tagId.substr(0, kIdChars);
  } else {
    out.append(kIdChars - tagId.size(), '0');
    out += tagId;
  }
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string TransmitSequence::NextBlock(const CommandWordFields& f, TransmitTarget target,
                                        bool continuous, bool autoSuspend) {
  const int code = ((f.command * 2) & 15) + (f.command > 7 ? 1 : 0);
  const int flags = static_cast<int>(target) + (continuous ? 4 : 0) + (autoSuspend ? 8 : 0);
  const char block[7] = {kLowerHexDigits[(next_ >> 4) & 15],
                         kLowerHexDigits[next_ & 15],
                         kLowerHexDigits[FieldA(f) & 15],
                         kLowerHexDigits[FieldB(f) & 15],
                         kLowerHexDigits[code & 15],
                         kLowerHexDigits[flags & 15],
                         '\0'};
  next_ = (next_ + 1) & 0xFF;
  return block;
}

std::string PadRight(std::string_view text, size_t width, char pad) {
  std::string out(text);
  if (out.size() < width) out.append(width - out.size(), pad);
  return out;
}

}  // namespace corvalis
