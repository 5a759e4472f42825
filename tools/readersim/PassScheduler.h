#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "common/Clock.h"

namespace corvalis::readersim {

// Reads of one pass are never further apart than this, well inside the
// console's 500 ms wait time, so a pass never splits in two.
inline constexpr int64_t kMaxReadSpacingMs = 250;
// A tag stays out of the field at least this long after its last read, so
// the console closes the pass before the tag comes back.
inline constexpr int64_t kMinGapMs = 1000;
inline constexpr int64_t kMaxGapMs = 2000;
// A poll later than this behind its slots skips them instead of bursting.
inline constexpr int64_t kMaxCatchUpMs = 200;

// The read rate that `tags` tags keep busy: every slot finds a tag in the
// field while the others wait out their gap. Never below the rate that keeps
// the reads of a pass close enough together.
double BusyFieldRate(int tags, int readsPerPass);

struct SchedulerConfig {
  int tags = 4;
  double rate = 20.0;  // read slots per second
  int readsPerPass = 5;
  int passLimit = 0;  // 0: no limit
  uint32_t seed = 1;
};

struct ScheduledRead {
  int tag = 0;
  int64_t atMs = 0;    // slot time, ms since 1970
  int readInPass = 0;  // 1..readsPerPass
  int pass = 0;        // 1 for the first pass started
};

// Decides when which tag is read. Time runs in read slots at the configured
// rate; each slot reads one tag in the field, round robin, so the overall
// rate holds whenever a tag is there. A tag enters the field for a pass of
// readsPerPass reads and then stays out for 1 to 2 s. At most so many tags
// share the field that each gets a read at least every 250 ms.
class PassScheduler {
 public:
  PassScheduler(const SchedulerConfig& config, const Clock& clock);

  // Every tag out of the field and due to enter; the first slot is now.
  void Start();
  // The reads of every slot up to now, in order.
  void Poll(std::vector<ScheduledRead>& out);
  // The field goes away (RF off): tags in a pass leave, and their passes end
  // with the reads they had.
  void EndPasses();
  // Slots start again from now, after the RF was off or the link idle.
  void Resume();

  int64_t NextSlotMs() const { return SlotTime(nextSlot_); }
  bool Finished() const { return config_.passLimit > 0 && passesCompleted_ >= config_.passLimit; }
  int PassesCompleted() const { return passesCompleted_; }
  int TagsInFieldLimit() const { return inFieldLimit_; }

 private:
  struct TagState {
    bool inField = false;
    int readsDone = 0;
    int pass = 0;
    int64_t returnMs = 0;  // may enter the field from then on
    uint64_t turn = 0;     // round-robin order among tags in the field
  };

  int64_t NowMs() const;
  int64_t SlotTime(int64_t slot) const;
  int64_t Gap();
  void RunSlot(int64_t atMs, std::vector<ScheduledRead>& out);
  void Leave(TagState& tag, int64_t lastReadMs);

  SchedulerConfig config_;
  const Clock& clock_;
  std::mt19937 rng_;
  std::vector<TagState> tags_;
  int inFieldLimit_ = 1;
  int64_t baseMs_ = 0;
  int64_t nextSlot_ = 0;
  uint64_t turns_ = 0;
  int passesStarted_ = 0;
  int passesCompleted_ = 0;
};

}  // namespace corvalis::readersim
