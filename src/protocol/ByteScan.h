#pragma once

namespace corvalis {

// Scans every received byte goes through, 16 bytes at a time where the
// processor allows; each touches only data[from..to) or text[0..count).

// Index of the first CR or LF in data[from..to), or -1.
int FindLineBreak(const char* data, int from, int to);

// True when every one of `count` characters is a hex digit (either case).
bool AllHexDigits(const char* text, int count);

// Sum of `count` byte values.
unsigned SumBytes(const char* text, int count);

}  // namespace corvalis
