#include "logging/ImportPassCloser.h"

#include "tags/TagTableState.h"

namespace corvalis {

void ImportPassCloser::AfterRecord() {
  const WallTime now = clock_.Now();
  const int64_t since = MillisBetween(lastTick_, now);
  if (since >= kImportTickMs || since < 0) {
    table_.FlushPasses(false);
    lastTick_ = now;
  }
  if (table_.PassCount() > kPassQueueSize - kImportPassRoom) table_.FlushPasses(true);
}

}  // namespace corvalis
