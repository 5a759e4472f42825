#pragma once

#include <cstdint>

namespace corvalis {

inline constexpr uint16_t kDefaultCrcSeed = 0xFFFF;

// Low 8 bits of the sum of `count` character codes.
uint8_t ComputeLrc(const char* text, int count);

// Two lower-case hex digits of `lrc` into out[0], out[1].
void FormatLrc(uint8_t lrc, char* out);

// Sums all characters but the last two and compares the low byte with those
// two read as hex (either case). False for texts shorter than two characters.
bool CheckLrc(const char* text, int length);

// Tag CRC: width 16, polynomial 0x8005, MSB first, initial value `seed`,
// final XOR 0. With seed 0xFFFF this is CRC-16/CMS, with 0 CRC-16/UMTS.
uint16_t TagCrc(const uint8_t* bytes, int count, uint16_t seed);

// The same register run from a caller-given initial value, for editors that
// chain computations.
uint16_t TagCrcFrom(const uint8_t* bytes, int count, uint16_t initial);

// Entry i of the 256-entry table the CRC is computed with.
uint16_t TagCrcTableEntry(uint8_t index);

}  // namespace corvalis
