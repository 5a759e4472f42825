#include "protocol/MessageFormat.h"

#include <initializer_list>

namespace corvalis {

FormatBytes FormatBytes::FromWire(const uint8_t* wire) {
  FormatBytes bytes;
  bytes.flags1 = wire[0];
  bytes.idMask = wire[1];
  bytes.asciiHeader1 = wire[2];
  bytes.asciiHeader2 = wire[3];
  bytes.binHeader1 = wire[4];
  bytes.binHeader2 = wire[5];
  bytes.trailer1 = wire[6];
  bytes.trailer2 = wire[7];
  bytes.separator = wire[8];
  bytes.flags2 = wire[9];
  return bytes;
}

void MessageFormat::ComputeLengths() {
  namespace fc = field_chars;
  int chars = 0;
  if (rdrId) chars += fc::kReaderId;
  for (bool present : idByte) chars += present ? fc::kIdByte : 0;
  if (iCount) chars += fc::kCount;
  if (qCount) chars += fc::kCount;
  if (date) chars += fc::kDate;
  if (time) chars += fc::kTime;
  if (hundredths) chars += fc::kHundredths;
  if (millis) chars += fc::kMillis;
  if (msTiming) chars += fc::kMsTiming;
  if (msTimingP) chars += fc::kMsTimingExtra;
  if (tto) chars += fc::kTto + (wideKey ? fc::kWideKeyExtra : 0);
  if (lrc) chars += fc::kLrc;
  if (lineNumber) chars += fc::kLineNumber;

  // Every field is one byte per two characters in the binary form.
  int header = 0;
  if (binary) {
    header = (binHeader1 != 0) + (binHeader2 != 0);
    length1 = header + chars / 2;
  } else {
    header = (asciiHeader1 != 0) + (asciiHeader2 != 0);
    length1 = header + chars;
  }

  int ttoChars = 26;
  for (bool present : {iCount, qCount, lrc, wideKey}) ttoChars += present ? 2 : 0;
  length2 = binary ? ttoChars / 2 : ttoChars;
}

void MessageFormat::ApplyFormatBytes(const FormatBytes& bytes) {
  flags1 = bytes.flags1;
  idMask = bytes.idMask;
  asciiHeader1 = bytes.asciiHeader1;
  asciiHeader2 = bytes.asciiHeader2;
  binHeader1 = bytes.binHeader1;
  binHeader2 = bytes.binHeader2;
  trailer1 = bytes.trailer1;
  trailer2 = bytes.trailer2;
  separator = bytes.separator;
  flags2 = bytes.flags2;

  rdrId = (flags1 & 0x01) != 0;
  iCount = (flags1 & 0x02) != 0;
  qCount = (flags1 & 0x04) != 0;
  date = (flags1 & 0x08) != 0;
  time = (flags1 & 0x10) != 0;
  hundredths = (flags1 & 0x20) != 0;
  lrc = (flags1 & 0x40) != 0;
  tto = (flags1 & 0x80) != 0;
  for (int i = 0; i < 8; ++i) idByte[i] = (idMask & (0x80 >> i)) != 0;
  lineNumber = (flags2 & 0x20) != 0;
  millis = (flags2 & 0x10) != 0;
  msTiming = (flags2 & 0x08) != 0;
  msTimingP = (flags2 & 0x04) != 0;
  ComputeLengths();
}

}  // namespace corvalis
