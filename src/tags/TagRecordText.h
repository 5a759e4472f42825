#pragma once

#include <cstdint>

#include "tags/TagRecord.h"
#include "tags/TagTableState.h"

namespace corvalis {

// The 8 ID bytes as 16 lower-case hex digits.
void FormatHexId(const uint8_t id[kTagIdBytes], char (&out)[17]);

// ID bytes 3..5 as one 24-bit number, and bytes 2..5 as one 32-bit number.
void FormatWiegand26(const uint8_t id[kTagIdBytes], char (&out)[11]);
void FormatWiegand34(const uint8_t id[kTagIdBytes], char (&out)[11]);

// The seen table's count text: plain above the noise limit, else between
// stars; a new entry pads the number to three places ("*  2*").
void FormatSeenCountText(int32_t count, int noiseLimit, bool created, char (&out)[12]);

// The status letter of a channel-list line: T, else F(S), else L(S), else blank.
char StatusLetter(uint8_t tamper, uint8_t flagFS, uint8_t flagLS);

// Builds a unique-tags line: ID bytes, channel number, status letter, count.
void FormatChannelLine(const uint8_t id[kTagIdBytes], int channel, char status, int32_t count,
                       char (&line)[kChannelLineSize]);

// Rewrites the count part of a unique-tags line in place.
void RewriteChannelLineCount(int32_t count, char (&line)[kChannelLineSize]);

inline constexpr int kChannelLineCountColumn = 28;

}  // namespace corvalis
