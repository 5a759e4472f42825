#include "PassScheduler.h"

#include <algorithm>
#include <cmath>

namespace corvalis::readersim {

double BusyFieldRate(int tags, int readsPerPass) {
  // Tags in the field: rate x 250 ms; tags away: rate / readsPerPass passes a
  // second, each away 1.5 s on average.
  const double inFieldPerRate = static_cast<double>(kMaxReadSpacingMs) / 1000.0;
  const double awayPerRate = static_cast<double>(kMinGapMs + kMaxGapMs) / 2000.0 /
                             static_cast<double>(std::max(readsPerPass, 1));
  const double rate = static_cast<double>(std::max(tags, 1)) / (inFieldPerRate + awayPerRate);
  return std::max(rate, 1000.0 / static_cast<double>(kMaxReadSpacingMs));
}

PassScheduler::PassScheduler(const SchedulerConfig& config, const Clock& clock)
    : config_(config), clock_(clock), rng_(config.seed) {
  config_.tags = std::max(config_.tags, 1);
  config_.readsPerPass = std::max(config_.readsPerPass, 1);
  config_.rate = std::max(config_.rate, 0.1);
  const double slotMs = 1000.0 / config_.rate;
  const auto limit = static_cast<int>(std::floor(static_cast<double>(kMaxReadSpacingMs) / slotMs));
  inFieldLimit_ = std::clamp(limit, 1, config_.tags);
  tags_.resize(static_cast<size_t>(config_.tags));
  Start();
}

int64_t PassScheduler::NowMs() const {
  const WallTime now = clock_.Now();
  return int64_t{now.sec} * 1000 + now.ms;
}

int64_t PassScheduler::SlotTime(int64_t slot) const {
  return baseMs_ + std::llround(static_cast<double>(slot) * 1000.0 / config_.rate);
}

int64_t PassScheduler::Gap() {
  std::uniform_int_distribution<int64_t> gap(kMinGapMs, kMaxGapMs);
  return gap(rng_);
}

void PassScheduler::Start() {
  rng_.seed(config_.seed);
  baseMs_ = NowMs();
  nextSlot_ = 0;
  turns_ = 0;
  passesStarted_ = 0;
  passesCompleted_ = 0;
  for (TagState& tag : tags_) tag = TagState{.returnMs = baseMs_};
}

void PassScheduler::Resume() {
  baseMs_ = NowMs();
  nextSlot_ = 0;
}

void PassScheduler::Poll(std::vector<ScheduledRead>& out) {
  const int64_t now = NowMs();
  if (now - SlotTime(nextSlot_) > kMaxCatchUpMs) Resume();
  while (!Finished() && SlotTime(nextSlot_) <= now) {
    RunSlot(SlotTime(nextSlot_), out);
    ++nextSlot_;
  }
}

void PassScheduler::RunSlot(int64_t atMs, std::vector<ScheduledRead>& out) {
  auto inField = static_cast<int>(
      std::count_if(tags_.begin(), tags_.end(), [](const TagState& t) { return t.inField; }));

  // Tags that have been away long enough enter, longest away first.
  while (inField < inFieldLimit_ &&
         (config_.passLimit == 0 || passesStarted_ < config_.passLimit)) {
    TagState* next = nullptr;
    for (TagState& tag : tags_) {
      if (!tag.inField && tag.returnMs <= atMs &&
          (next == nullptr || tag.returnMs < next->returnMs)) {
        next = &tag;
      }
    }
    if (next == nullptr) break;
    *next = TagState{.inField = true, .pass = ++passesStarted_, .turn = ++turns_};
    ++inField;
  }
  if (inField == 0) return;

  auto reader =
      std::min_element(tags_.begin(), tags_.end(), [](const TagState& a, const TagState& b) {
        if (a.inField != b.inField) return a.inField;
        return a.turn < b.turn;
      });
  TagState& tag = *reader;
  ++tag.readsDone;
  tag.turn = ++turns_;
  out.push_back({.tag = static_cast<int>(reader - tags_.begin()),
                 .atMs = atMs,
                 .readInPass = tag.readsDone,
                 .pass = tag.pass});
  if (tag.readsDone >= config_.readsPerPass) Leave(tag, atMs);
}

void PassScheduler::Leave(TagState& tag, int64_t lastReadMs) {
  tag.inField = false;
  tag.returnMs = lastReadMs + Gap();
  ++passesCompleted_;
}

void PassScheduler::EndPasses() {
  const int64_t now = NowMs();
  for (TagState& tag : tags_) {
    if (!tag.inField) continue;
    if (tag.readsDone > 0) {
      Leave(tag, now);
    } else {
      // Entered but never read: no pass to count.
      tag.inField = false;
      tag.returnMs = now;
      --passesStarted_;
    }
  }
}

}  // namespace corvalis::readersim
