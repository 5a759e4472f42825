#pragma once

#include <cstdint>

namespace corvalis {

// The per-channel layout of composite ("af") messages, derived from two format
// bytes F, G and a 16-bit tag mask M.
//
// Layout on the wire, in characters (every field is hex):
//   "af" | length byte (F3) | F G (F6) | reader ID (F5) | further byte (F4) |
//   tag count (F2) | per tag: ID (16), extra byte (F1), counts (G0-1) |
//   extra block (G2-3) | wide trailer (G7) | LRC
struct CompositeFormat {
  uint8_t f = 0;
  uint8_t g = 0;
  uint16_t mask = 0;
  int expectedLength = 4;       // characters, "af" and LRC included
  bool variableLength = false;  // F bit 0

  bool compositeMode = false;       // F bit 7
  bool carriesFormatBytes = false;  // F bit 6
  bool hasReaderId = false;         // F bit 5
  bool hasFurtherByte = false;      // F bit 4
  bool hasLengthByte = false;       // F bit 3
  bool hasTagCount = false;         // F bit 2
  bool hasExtraPerTag = false;      // F bit 1
  bool wideTrailer = false;         // G bit 7
  int countMode = 0;                // G bits 0-1: 0 none, 1 one byte, 2 I and Q, 3 eight bytes
  int extraBlockChars = 0;          // G bits 2-3
  int maskTagCount = 0;             // set bits of M

  // Characters each tag occupies: ID, extra byte and counts.
  int PerTagChars() const;
  // Characters of the fields that come before the first tag, "af" included.
  int LeadChars() const;
  // Characters after the last tag, LRC included.
  int TailChars() const;

  // Derives every field from F, G and M.
  static CompositeFormat Derive(uint8_t f, uint8_t g, uint16_t mask);
};

}  // namespace corvalis
