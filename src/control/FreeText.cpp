#include "control/FreeText.h"

#include <algorithm>

#include "common/TextEscapes.h"
#include "protocol/Checksums.h"
#include "protocol/Hex.h"

namespace corvalis {

std::string UnescapeFreeText(std::string_view typed) {
  return DecodeTypedEscapes(typed, kFreeTextMax);
}

int FreeTextReaderId(std::string_view text) {
  if (text.size() <= 3) return -1;
  uint8_t id = 0;
  return ReadHexByte(text.data() + 2, id) ? id : -1;
}

bool FixCommandLrc(std::string& text) {
  if (text.size() < 6) return false;
  uint8_t length = 0;
  if (!ReadHexByte(text.data() + 4, length)) return false;
  if (length == 0xFF) {
    length = 0;
  } else if (length > 14) {
    length &= 0x0F;
  }
  const size_t summed = 2 * size_t{length} + 6;  // reader ID, length, code, data
  if (text.size() < 2 + summed) return false;
  char lrc[2];
  FormatLrc(ComputeLrc(text.data() + 2, static_cast<int>(summed)), lrc);
  text.resize(2 + summed);
  text.append(lrc, 2);
  return true;
}

std::string PrepareFreeText(std::string_view typed, bool raw) {
  std::string text = UnescapeFreeText(typed);
  if (raw) return text;
  if (text.starts_with("ab")) FixCommandLrc(text);
  if (text.size() > 1 && !text.ends_with("\r\n")) text += "\r\n";
  return text;
}

}  // namespace corvalis
