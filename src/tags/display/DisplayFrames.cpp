#include "tags/display/DisplayFrames.h"

#include <algorithm>
#include <cstdio>

namespace corvalis {
namespace {

char Byte(int value) {
  return static_cast<char>(static_cast<unsigned char>(value & 0xFF));
}

void StartBoardFrame(const DisplaySettings& settings, std::string& out) {
  out.clear();
  out += kStx;
  out += Byte(settings.address + 32);
  out += settings.messageId;
  out += std::to_string(settings.lifetime);
}

void CloseBoardFrame(std::string& out) {
  out += kEtx;
  unsigned char sum = 0;
  for (const char c : out) sum ^= static_cast<unsigned char>(c);
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", sum);
  out += hex;
}

}  // namespace

void BuildBoardNameFrame(const DisplaySettings& settings, std::string_view name, std::string& out) {
  StartBoardFrame(settings, out);
  out += ' ';
  out += settings.prefix;
  if (settings.width > 0) {
    const size_t width = static_cast<size_t>(settings.width);
    const std::string_view cut = name.substr(0, std::min(width, name.size()));
    out += cut;
    out.append(width - cut.size(), ' ');
  } else {
    out += name;
  }
  out += settings.suffix;
  CloseBoardFrame(out);
}

void BuildBoardClearFrame(const DisplaySettings& settings, std::string& out) {
  StartBoardFrame(settings, out);
  out += "  ";
  CloseBoardFrame(out);
}

void BuildBoardIdleFrame(const DisplaySettings& settings, std::string& out) {
  StartBoardFrame(settings, out);
  out += ' ';
  out += settings.idleMessage;
  CloseBoardFrame(out);
}

void BuildPolycompFrame(int lineCount, const SignBytes& normal, const SignBytes& pageBytes,
                        std::string_view text, std::string& out) {
  out.clear();
  out += '\0';
  out += Byte(lineCount);
  out += Byte(normal.signAddress);
  out += '\x03';
  out += Byte(pageBytes.serst);
  char page[8];
  std::snprintf(page, sizeof page, "%03d", std::clamp(pageBytes.pageNumber, 0, 999));
  out += page;
  out += Byte(normal.tempo);
  out += Byte(pageBytes.function);
  out += Byte(pageBytes.pageStatus);
  out += text;
  out += '\x04';
  unsigned char sum = 0;
  for (const char c : out) sum ^= static_cast<unsigned char>(c);
  out += static_cast<char>(sum);
}

}  // namespace corvalis
