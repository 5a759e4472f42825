#include "testkit/ReaderLines.h"

#include <algorithm>

#include "protocol/MessageFormat.h"
#include "testkit/TagMessageEncoder.h"

namespace corvalis::testing {

std::string ReaderLine(int readerId, uint8_t last, int hundredths, int iCount, int second) {
  TagMessageFields fields;
  fields.readerId = readerId;
  const uint8_t id[8] = {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, last};
  std::copy(id, id + 8, fields.id);
  fields.iCount = iCount;
  fields.qCount = 1;
  fields.year = 26;
  fields.month = 12;
  fields.day = 8;
  fields.hour = 10;
  fields.minute = 20;
  fields.second = second;
  fields.hundredths = hundredths;
  char line[128];
  const int n = EncodeFormatMessage(MessageFormat{}, fields, line, sizeof line);
  return std::string(line, static_cast<size_t>(n)) + "\r\n";
}

std::string DefaultFormatStream(int lineCount, int tagCount) {
  const MessageFormat format;
  std::string stream;
  stream.reserve(static_cast<size_t>(lineCount) * 72);
  char line[128];
  for (int i = 0; i < lineCount; ++i) {
    TagMessageFields fields;
    const int tag = i % tagCount;
    fields.readerId = 1 + tag % 4;
    for (int b = 0; b < 6; ++b) fields.id[b] = static_cast<uint8_t>(0x20 + b * 17 + (tag >> 16));
    fields.id[6] = static_cast<uint8_t>(tag >> 8);
    fields.id[7] = static_cast<uint8_t>(tag);
    fields.iCount = 1 + i % 7;
    fields.qCount = i % 5;
    fields.year = 26;
    fields.month = 12;
    fields.day = 8;
    fields.hour = 10;
    fields.minute = 20;
    fields.second = 30;
    fields.sequence = i % 256;
    const int n = EncodeFormatMessage(format, fields, line, sizeof line);
    stream.append(line, static_cast<size_t>(n));
    stream += "\r\n";
  }
  return stream;
}

}  // namespace corvalis::testing
