#pragma once

namespace corvalis {

inline constexpr int kTollingResultCount = 29;  // results 0..28
inline constexpr int kTollingModeCount = 6;     // modes 0..5
inline constexpr int kTollingNameCount = kTollingResultCount + kTollingModeCount;

// The tolling application's name table: results 0..28, then the modes at
// 29 + mode. nullptr outside the table.
const char* TollingName(int index);
// The name of result `code`, or nullptr when the table has none.
const char* TollingResultName(int code);
// The name of mode `mode` (0..5), or nullptr.
const char* TollingModeName(int mode);

}  // namespace corvalis
