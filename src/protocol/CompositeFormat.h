#pragma once

#include <cstdint>

namespace corvalis {

// The per-channel layout of composite ("af") messages, derived from two format
// bytes F, G and a 16-bit tag mask M.
struct CompositeFormat {
  uint8_t f = 0;
  uint8_t g = 0;
  uint16_t mask = 0;
  int expectedLength = 4;       // characters, "af" and LRC included
  bool variableLength = false;  // F bit 0

  // Derives every field from F, G and M.
  static CompositeFormat Derive(uint8_t f, uint8_t g, uint16_t mask);
};

}  // namespace corvalis
