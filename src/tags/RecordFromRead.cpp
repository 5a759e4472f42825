#include "tags/RecordFromRead.h"

#include <cstring>

#include "tags/TagRecordText.h"

namespace corvalis {

void StartRecordFromRead(TagRecord& record, const TagRead& read) {
  record = TagRecord{};
  record.count = read.count;
  record.readerId = read.readerId;
  record.channel = read.channel;
  record.firstSeenSec = read.firstSeenSec;
  record.firstSeenMs = read.firstSeenMs;
  record.lastSeenSec = read.lastSeenSec;
  record.lastSeenMs = read.lastSeenMs;
  std::memcpy(record.tagBytes, read.tagBytes, kTagBytesSize);
  FormatHexId(read.tagBytes, record.hexId);
  CopyText(record.nameText, sizeof record.nameText, read.text);
  record.iCount = record.iCountTotal = read.iCount;
  record.qCount = record.qCountTotal = read.qCount;
  record.sequence = read.sequence;
  record.dataFlag = read.dataFlag;
  record.tamper = read.tamper;
  record.flagFS = read.flagFS;
  record.flagLS = read.flagLS;
  record.pageSet = read.pageSet;
}

void CopyText(char* out, size_t size, const char* text) {
  if (text == nullptr) text = "";
  size_t length = 0;
  while (length + 1 < size && text[length] != '\0') ++length;
  std::memcpy(out, text, length);
  out[length] = '\0';
}

}  // namespace corvalis
