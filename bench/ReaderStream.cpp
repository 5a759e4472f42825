#include "ReaderStream.h"

#include <unistd.h>
#include <cstdio>

#include "protocol/MessageFormat.h"
#include "protocol/TagMessageEncoder.h"

namespace corvalis::bench {

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

double ResidentMegabytes() {
  long pages = 0;
  long resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

}  // namespace corvalis::bench
