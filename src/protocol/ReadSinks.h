#pragma once

#include <cstdint>

#include "protocol/TagRead.h"

namespace corvalis {

// The tag table's entry point for decoded reads, page reads included.
class TagReadSink {
 public:
  virtual ~TagReadSink() = default;
  virtual void RecordTagRead(const TagRead& read) = 0;
};

// Takes reads whose data flag is not 0 and the pages of TTO data messages.
// Never touches the tag table.
class DataPageHandler {
 public:
  virtual ~DataPageHandler() = default;
  virtual void HandleDataPage(const TagRead& page) = 0;
  // A TTO data page whose LRC failed: its data flag and page text as they
  // came, nothing else filled in.
  virtual void HandleBadDataPage(const TagRead& page) { (void)page; }
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
