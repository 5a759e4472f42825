#pragma once

#include <cstdint>

namespace corvalis {

inline constexpr int kPageSlotCount = 16;
inline constexpr int kTagBytesSize = 12;
inline constexpr int kTagIdBytes = 8;

// One candidate content of a data page with its read counts.
struct PageContent {
  char text[17] = {};   // 8 bytes as 16 hex characters
  char shown[17] = {};  // as the decoder rendered it for display
  uint8_t hasData = 0;
  int32_t count = 0;  // I + Q
  int32_t iCount = 0;
  int32_t qCount = 0;
};

struct PageSlot {
  PageContent primary;
  PageContent alternate;
  int32_t pageReads = 0;
};

// One decoded read, the one record that goes from a decoder to the tag table
// and the data-page handler.
struct TagRead {
  // The eight ID bytes; multi-ID and composite reads keep their header bytes
  // after them.
  uint8_t tagBytes[kTagBytesSize] = {};
  int channel = 0;  // 0 under SumAllPorts
  int readerId = 0;
  int32_t firstSeenSec = 0;
  int32_t firstSeenMs = 0;
  int32_t count = 0;  // already reduced by WhichChannels
  int32_t lastSeenSec = 0;
  int32_t lastSeenMs = 0;
  const char* text = "";  // the tag's default name, NUL-terminated
  int32_t iCount = 0;
  int32_t qCount = 0;
  int32_t sequence = 0;
  int32_t dataFlag = 0;
  bool tamper = false;
  bool flagFS = false;
  bool flagLS = false;
  // Page reads (multi-ID and composite messages) point at kPageSlotCount
  // slots, those with a count carrying content; the table keeps them apart
  // from plain reads of the same tag by page set.
  const PageSlot* pages = nullptr;
  uint8_t pageSet = 0;
};

}  // namespace corvalis
