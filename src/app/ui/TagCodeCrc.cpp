#include "app/ui/TagCodeCrc.h"

#include "protocol/Checksums.h"

namespace corvalis {
namespace {

uint64_t HexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'a' && u <= 'f') return u - 'a' + 10;
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  return 0;
}

}  // namespace

TagCode TagCodeBytes(const QString& typed, bool shift) {
  uint64_t value = 0;
  for (int i = 0; i < kTagCodeDigits; ++i) {
    value = (value << 4) | (i < typed.size() ? HexDigit(typed[i]) : 0);
  }
  if (shift) value >>= 1;
  TagCode code{};
  for (int i = static_cast<int>(code.size()) - 1; i >= 0; --i) {
    code[static_cast<size_t>(i)] = static_cast<uint8_t>(value & 0xFF);
    value >>= 8;
  }
  return code;
}

uint16_t Crc16Ccitt(const uint8_t* bytes, int count) {
  uint16_t crc = 0xFFFF;
  for (int i = 0; i < count; ++i) {
    crc = static_cast<uint16_t>(crc ^ (bytes[i] << 8));
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x8000) != 0 ? static_cast<uint16_t>((crc << 1) ^ 0x1021)
                                : static_cast<uint16_t>(crc << 1);
    }
  }
  return crc;
}

uint16_t TagCodeCrc(const TagCode& code, TagCodeCrcKind kind) {
  const int count = static_cast<int>(code.size());
  switch (kind) {
    case TagCodeCrcKind::kKvq:
      return TagCrc(code.data(), count, 0xFFFF);
    case TagCodeCrcKind::kR5180:
      return TagCrc(code.data(), count, 0x0000);
    case TagCodeCrcKind::kCcitt:
      break;
  }
  return Crc16Ccitt(code.data(), count);
}

}  // namespace corvalis
