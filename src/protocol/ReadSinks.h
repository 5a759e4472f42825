#pragma once

#include <cstdint>

#include "tags/TagRecord.h"

namespace corvalis {

// One decoded ID read, as the decoders hand it to the tag table.
struct TagRead {
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
};

// The tag table's entry points for decoded reads.
class TagReadSink {
 public:
  virtual ~TagReadSink() = default;
  virtual void RecordTagRead(const TagRead& read) = 0;
  // Reads that carry data pages; the decoder fills a whole record.
  virtual void RecordPageRead(const TagRecord& record, int channel) = 0;
};

// Takes reads whose data flag is not 0 and the pages of TTO data messages.
// Never touches the tag table.
class DataPageHandler {
 public:
  virtual ~DataPageHandler() = default;
  virtual void HandleDataPage(const TagRead& page) = 0;
};

// What a tag data ("ad") message tells the Q2 data display.
struct TagDataReport {
  int channel = 0;
  uint8_t tagId[kTagIdBytes] = {};
  uint8_t dataFlags = 0;
  int dataCount = 0;
  int iIndicator = 0;  // flags bits 2-3
  int qIndicator = 0;  // flags bits 0-1
  bool beep = false;
};

class TagDataDisplay {
 public:
  virtual ~TagDataDisplay() = default;
  virtual void ShowTagData(const TagDataReport& report) = 0;
};

}  // namespace corvalis
