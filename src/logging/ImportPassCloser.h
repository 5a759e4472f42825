#pragma once

#include "common/Clock.h"
#include "protocol/ReadSinks.h"
#include "tags/TagTable.h"

namespace corvalis {

// Room kept in the pass queue between records: one record (a multi-ID or a
// composite message) can open several passes.
inline constexpr int kImportPassRoom = 256;
inline constexpr int kImportTickMs = 100;

// Closes passes between the records of an import, as the 100 ms timer does
// live: each time `clock` has moved on by a tick, passes quiet for the wait
// time are completed. A replay runs faster than the wait time, so passes can
// pile up: before the queue could overflow into lost reads, every open pass
// is completed, so an import loses nothing.
class ImportPassCloser {
 public:
  ImportPassCloser(TagTable& table, const Clock& clock)
      : table_(table), clock_(clock), lastTick_(clock.Now()) {}

  void AfterRecord();
  // At the end of a headless replay: nothing stays open.
  void CloseAll() { table_.FlushPasses(true); }

 private:
  TagTable& table_;
  const Clock& clock_;
  WallTime lastTick_;
};

// The clock of a headless replay: it stands at the latest read time that
// passed through it on the way to the table, so passes form and close in
// the reader's time whatever the replay speed.
class ReadTimeClock final : public Clock, public TagReadSink {
 public:
  explicit ReadTimeClock(TagReadSink& table) : table_(table) {}

  WallTime Now() const override { return now_; }
  void RecordTagRead(const TagRead& read) override {
    Follow(WallTime{read.lastSeenSec, read.lastSeenMs});
    table_.RecordTagRead(read);
  }
  // Time never runs back: an older read joins its pass as it would live.
  void Follow(WallTime readTime) {
    if (MillisBetween(now_, readTime) > 0) now_ = readTime;
  }

 private:
  TagReadSink& table_;
  WallTime now_{};
};

}  // namespace corvalis
