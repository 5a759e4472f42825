#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "logging/timing/TimingRead.h"

namespace corvalis {

class StatusReporter;
class TagNameLookup;

inline constexpr int kRankedTagLimit = 48;
inline constexpr int kReadingsPerTag = 41;
// Readings this far apart (in 100 µs) do not belong to the same passage.
inline constexpr int kOutlierGap = 20;
// Ranking times count tenths of a millisecond.
inline constexpr int64_t kRankUnitsPerSecond = 10'000;
inline constexpr int64_t kRankUnitsPerHour = 3600 * kRankUnitsPerSecond;

struct TimingReading {
  int idNumber = 0;
  uint32_t usDelay = 0;
  int64_t time = 0;  // within the hour, in 100 µs
};

struct RankedTag {
  char name[33] = {};
  uint16_t tagCode = 0;
  int readingCount = 0;
  std::array<TimingReading, kReadingsPerTag> readings{};
  int chosen = 0;
  int64_t time = 0;
  int hour = 0;
  char timeText[24] = {};
};

// One grid row of the finish list.
struct RankRow {
  int place = 0;
  std::string name;
  std::string timeText;
  std::string deltaText;
};

// Ranks tags by their time like a finish list: each tag's time is its first
// reading, or the second when the first is a lone outlier against the next
// two. At most 48 tags; further tags are counted as lost.
class TimingRanking {
 public:
  TimingRanking(TagNameLookup* names, StatusReporter& status) : names_(names), status_(status) {}

  // With the hour clock the reader's ten-thousandths are left out.
  void SetHourClock(bool on) { hourClock_ = on; }

  // One read of a non-reference tag. `idIsHex` false reports the ID.
  void AddRead(const TimingRead& read, bool idIsHex);
  void Clear();

  int TagCount() const { return count_; }
  const RankedTag& TagAt(int place) const { return tags_[order_[place]]; }
  int LostTags() const { return lost_; }
  // The window's labels: the lost count and the last ID error.
  const std::string& LostText() const { return lostText_; }
  const std::string& ErrorText() const { return errorText_; }

  RankRow Row(int place) const;
  // " %d.%03d%d": seconds, milliseconds and tenths of a millisecond.
  static std::string FormatGap(int64_t gap);

 private:
  int Find(uint16_t tagCode) const;
  int64_t ReadingTime(const TimingRead& read) const;
  void ChooseReading(RankedTag& tag, bool& changed);
  void Sort();

  TagNameLookup* names_;
  StatusReporter& status_;
  bool hourClock_ = true;
  std::array<RankedTag, kRankedTagLimit> tags_{};
  std::array<int, kRankedTagLimit> order_{};
  int count_ = 0;
  int lost_ = 0;
  std::string lostText_;
  std::string errorText_;
};

}  // namespace corvalis
