#pragma once

#include <cstdint>

namespace corvalis {

// The ten bytes of a message-format reply (command code 17) or of the
// set-message-format command, in wire order.
struct FormatBytes {
  uint8_t flags1 = 0;  // bit 0 reader ID, 1 I, 2 Q, 3 date, 4 time, 5 hundredths, 6 LRC, 7 TTO
  uint8_t idMask = 0;  // bit 7 - i gives idByte[i]
  uint8_t asciiHeader1 = 0;
  uint8_t asciiHeader2 = 0;
  uint8_t binHeader1 = 0;
  uint8_t binHeader2 = 0;
  uint8_t trailer1 = 0;
  uint8_t trailer2 = 0;
  uint8_t separator = 0;
  uint8_t flags2 = 0;  // bit 5 line number, 4 1 ms, 3 ms timing, 2 ms timing extra

  // The ten bytes at `wire`, in the order a format body or reply carries them.
  static FormatBytes FromWire(const uint8_t* wire);
};

// The per-channel mirror of the reader's tag-message layout, plus the
// dispatcher's per-channel counters.
struct MessageFormat {
  bool active = true;
  int32_t missCount = 0;
  bool queryNeeded = false;
  int32_t length1 = 0;  // tag message, characters (ASCII) or bytes (binary)
  int32_t length2 = 0;  // TTO data message, same units
  bool binary = false;
  bool compositeMode = false;
  int32_t queryCountdown = 0;
  uint8_t flags1 = 0xFF;
  uint8_t idMask = 0xFF;
  uint8_t asciiHeader1 = 'a';
  uint8_t asciiHeader2 = 'a';
  uint8_t binHeader1 = 0xAA;
  uint8_t binHeader2 = 0x00;
  uint8_t binHeader1b = 0xAE;
  uint8_t trailer1 = 0x0D;
  uint8_t trailer2 = 0x0A;
  uint8_t separator = 0x00;
  uint8_t flags2 = 0;
  bool rdrId = true;
  bool idByte[8] = {true, true, true, true, true, true, true, true};
  bool iCount = true;
  bool qCount = true;
  bool date = true;
  bool time = true;
  bool hundredths = true;
  bool millis = true;
  bool msTiming = true;
  bool msTimingP = true;
  bool lrc = true;
  bool tto = true;
  bool lineNumber = false;
  bool wideKey = false;

  MessageFormat() { ComputeLengths(); }

  // Recomputes length1 and length2 from the present fields and the binary flag.
  void ComputeLengths();

  // Takes the reader's layout from a format reply; keeps the binary flag,
  // wideKey and the counters.
  void ApplyFormatBytes(const FormatBytes& bytes);
};

// Field sizes, in ASCII characters, of the tag-message fields after the header.
namespace field_chars {
inline constexpr int kReaderId = 2;
inline constexpr int kIdByte = 2;
inline constexpr int kCount = 2;
inline constexpr int kDate = 6;
inline constexpr int kTime = 6;
inline constexpr int kHundredths = 2;
inline constexpr int kMillis = 2;
inline constexpr int kMsTiming = 18;
inline constexpr int kMsTimingExtra = 4;
inline constexpr int kTto = 6;
inline constexpr int kWideKeyExtra = 2;
inline constexpr int kLrc = 2;
inline constexpr int kLineNumber = 4;
}  // namespace field_chars

}  // namespace corvalis
