#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace corvalis {

// The first six bytes of a tag ID, typed as up to 12 hex digits: the part a
// tag's CRC covers.
inline constexpr int kTagCodeDigits = 12;
using TagCode = std::array<uint8_t, kTagCodeDigits / 2>;

enum class TagCodeCrcKind { kKvq, kR5180, kCcitt };

// `typed` cut to 12 digits and right-padded with "0"; a character that is not
// a hex digit counts as 0. With `shift`, the six bytes move right by one bit
// as one 48-bit big-endian number.
TagCode TagCodeBytes(const QString& typed, bool shift = false);

// The CRC the calculators show: the tag CRC seeded 0xFFFF (KVQ) or 0x0000
// (R5180), or CRC-16 CCITT (polynomial 0x1021, initial 0xFFFF, no final XOR).
uint16_t TagCodeCrc(const TagCode& code, TagCodeCrcKind kind);

uint16_t Crc16Ccitt(const uint8_t* bytes, int count);

}  // namespace corvalis
