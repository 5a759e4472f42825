#include "FormatPresets.h"

namespace corvalis::readersim {

FormatBytes FormatBytesOf(const MessageFormat& f) {
  FormatBytes b;
  const bool fields1[8] = {f.rdrId, f.iCount, f.qCount, f.date, f.time, f.hundredths, f.lrc, f.tto};
  for (int bit = 0; bit < 8; ++bit) {
    if (fields1[bit]) b.flags1 = static_cast<uint8_t>(b.flags1 | (1u << bit));
  }
  for (int i = 0; i < 8; ++i) {
    if (f.idByte[i]) b.idMask = static_cast<uint8_t>(b.idMask | (0x80u >> i));
  }
  b.asciiHeader1 = f.asciiHeader1;
  b.asciiHeader2 = f.asciiHeader2;
  b.binHeader1 = f.binHeader1;
  b.binHeader2 = f.binHeader2;
  b.trailer1 = f.trailer1;
  b.trailer2 = f.trailer2;
  b.separator = f.separator;
  // Bits the record has no switch for (such as "msT Raw") pass through.
  unsigned flags2 = f.flags2 & ~0x3Cu;
  if (f.lineNumber) flags2 |= 0x20;
  if (f.millis) flags2 |= 0x10;
  if (f.msTiming) flags2 |= 0x08;
  if (f.msTimingP) flags2 |= 0x04;
  b.flags2 = static_cast<uint8_t>(flags2);
  return b;
}

MessageFormat MakePresetFormat(FormatPreset preset) {
  MessageFormat format;
  FormatBytes b = FormatBytesOf(format);
  switch (preset) {
    case FormatPreset::kDefault:
    case FormatPreset::kExtended:
      // Extended switches every field on, which is the default layout.
      b.flags1 = 0xFF;
      b.idMask = 0xFF;
      break;
    case FormatPreset::kBinary:
      format.binary = true;
      break;
    case FormatPreset::kStandard:
      b.flags1 = 0x7F;  // all but TTO
      b.idMask = 0xFC;  // B7 to B2; the console completes B1, B0 with the tag CRC
      break;
    case FormatPreset::kReduced:
      b.flags1 = 0x00;
      b.idMask = 0xFF;
      b.asciiHeader1 = 0;
      b.asciiHeader2 = 0;
      break;
  }
  if (preset != FormatPreset::kReduced) {
    b.asciiHeader1 = 'a';
    b.asciiHeader2 = 'a';
  }
  b.binHeader1 = 0xAA;
  b.binHeader2 = 0x00;
  b.trailer1 = 0x0D;
  b.trailer2 = 0x0A;
  b.separator = 0x00;
  format.ApplyFormatBytes(b);
  return format;
}

}  // namespace corvalis::readersim
