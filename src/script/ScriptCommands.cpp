#include "script/ScriptCommands.h"

#include "protocol/Checksums.h"

namespace corvalis {

bool BuildScriptCommand(int readerId, std::string_view body, std::string& out) {
  constexpr size_t kLineMax = 255;
  while (!body.empty() && (body.back() == ' ' || body.back() == '\t')) body.remove_suffix(1);
  if (4 + body.size() + 4 > kLineMax) return false;
  static constexpr char kHex[] = "0123456789abcdef";
  out = "ab";
  out.push_back(kHex[(readerId >> 4) & 0x0F]);
  out.push_back(kHex[readerId & 0x0F]);
  out.append(body);
  char lrc[2];
  FormatLrc(ComputeLrc(out.data() + 2, static_cast<int>(out.size() - 2)), lrc);
  out.append(lrc, 2);
  return true;
}

void ApplySimulatedLrc(std::string& text) {
  if (text.size() < 3 || text.back() != 'L') return;
  text.pop_back();
  char lrc[2];
  FormatLrc(ComputeLrc(text.data() + 2, static_cast<int>(text.size() - 2)), lrc);
  text.append(lrc, 2);
}

}  // namespace corvalis
