#include "ReplyBuilder.h"

#include "protocol/Checksums.h"
#include "protocol/Hex.h"

namespace corvalis::readersim {
namespace {

void AppendHex(std::string& out, unsigned value) {
  out += kLowerHexDigits[(value >> 4) & 0x0F];
  out += kLowerHexDigits[value & 0x0F];
}

}  // namespace

std::string FrameReply(int readerId, uint8_t code, std::span<const uint8_t> data) {
  std::string line = "ab";
  line.reserve(14 + 2 * data.size());
  AppendHex(line, static_cast<unsigned>(readerId));
  AppendHex(line, static_cast<unsigned>(data.size()));
  AppendHex(line, code);
  for (uint8_t b : data) AppendHex(line, b);
  char lrc[2];
  FormatLrc(ComputeLrc(line.data() + 2, static_cast<int>(line.size()) - 2), lrc);
  line.append(lrc, 2);
  line += "\r\n";
  return line;
}

std::string HexOf(const std::vector<uint8_t>& data, size_t from, size_t count) {
  std::string out;
  for (size_t i = from; i < from + count && i < data.size(); ++i) {
    out += kLowerHexDigits[data[i] >> 4];
    out += kLowerHexDigits[data[i] & 15];
  }
  return out;
}

}  // namespace corvalis::readersim
