#include "logging/timing/TimingRanking.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/StatusReporter.h"
#include "protocol/Hex.h"
#include "tags/TagTableHooks.h"

namespace corvalis {

namespace {

void FormatTimeText(int hour, int64_t time, char (&out)[24]) {
  const int64_t clamped = std::clamp<int64_t>(time, 0, kRankUnitsPerHour - 1);
  const int minutes = static_cast<int>(clamped / (60 * kRankUnitsPerSecond));
  const int seconds = static_cast<int>(clamped / kRankUnitsPerSecond % 60);
  const int hundredths = static_cast<int>(clamped / 100 % 100);
  const int tenThousandths = static_cast<int>(clamped % 100);
  std::snprintf(out, sizeof out, " %02d:%02d:%02d.%02d%02d", hour % 100, minutes, seconds,
                hundredths, tenThousandths);
}

void CopyName(char (&out)[33], const std::string& name) {
  const std::size_t length = std::min(name.size(), sizeof out - 1);
  std::memcpy(out, name.data(), length);
  out[length] = '\0';
}

}  // namespace

int TimingRanking::Find(uint16_t tagCode) const {
  for (int i = 0; i < count_; ++i) {
    if (tags_[i].tagCode == tagCode) return i;
  }
  return -1;
}

int64_t TimingRanking::ReadingTime(const TimingRead& read) const {
  return int64_t{read.hourTime} * 10 + (hourClock_ ? 0 : read.TenThousandths());
}

void TimingRanking::AddRead(const TimingRead& read, bool idIsHex) {
  const int64_t readingTime = ReadingTime(read);
  bool changed = false;
  int index = Find(read.tagCode);
  if (index < 0) {
    if (count_ == kRankedTagLimit) {
      ++lost_;
      lostText_ = std::to_string(lost_) + " tags lost (Too many tags)";
      return;
    }
    if (!idIsHex) {
      errorText_ = std::string("Error in tag ID ") + std::string(read.id, 16);
      status_.SetLastError(errorText_);
      return;
    }
    index = count_++;
    order_[index] = index;
    RankedTag& tag = tags_[index];
    tag = RankedTag{};
    std::string name(read.id, 16);
    if (names_ != nullptr) {
      uint8_t idBytes[8] = {};
      for (int i = 0; i < 8; ++i) ReadHexByte(read.id + 2 * i, idBytes[i]);
      std::string looked = names_->LookupTagName(idBytes, name.c_str());
      if (!looked.empty()) name = std::move(looked);
    }
    CopyName(tag.name, name);
    tag.tagCode = read.tagCode;
    tag.hour = read.Hour();
    tag.time = readingTime;
    std::snprintf(tag.timeText, sizeof tag.timeText, " %02d:%02d:%02d.%02d%02d", read.Hour(),
                  read.dateTime[4], read.dateTime[5], read.dateTime[6], read.TenThousandths());
    changed = true;
  }
  RankedTag& tag = tags_[index];
  // A tag that stays in the field keeps reporting; the first readings decide.
  if (tag.readingCount < kReadingsPerTag) {
    tag.readings[tag.readingCount++] = {read.idNumber, read.usDelay, readingTime};
  }
  ChooseReading(tag, changed);
  if (changed) Sort();
}

void TimingRanking::ChooseReading(RankedTag& tag, bool& changed) {
  int chosen = 0;
  if (tag.readingCount > 2) {
    const int64_t first = tag.readings[0].time;
    const int64_t second = tag.readings[1].time;
    const int64_t third = tag.readings[2].time;
    if (std::llabs(first - second) >= kOutlierGap && std::llabs(first - third) >= kOutlierGap &&
        std::llabs(second - third) < kOutlierGap) {
      chosen = 1;
    }
  }
  if (chosen == tag.chosen) return;
  tag.chosen = chosen;
  tag.time = tag.readings[chosen].time;
  FormatTimeText(tag.hour, tag.time, tag.timeText);
  changed = true;
}

void TimingRanking::Sort() {
  std::stable_sort(order_.begin(), order_.begin() + count_, [this](int a, int b) {
    if (tags_[a].hour != tags_[b].hour) return tags_[a].hour < tags_[b].hour;
    return tags_[a].time < tags_[b].time;
  });
}

void TimingRanking::Clear() {
  count_ = 0;
  lost_ = 0;
  lostText_.clear();
  errorText_.clear();
}

std::string TimingRanking::FormatGap(int64_t gap) {
  const char* sign = gap < 0 ? "-" : "";
  const int64_t magnitude = std::llabs(gap);
  char text[40];
  std::snprintf(text, sizeof text, " %s%" PRId64 ".%03d%d", sign, magnitude / kRankUnitsPerSecond,
                static_cast<int>(magnitude % kRankUnitsPerSecond / 10),
                static_cast<int>(magnitude % 10));
  return text;
}

RankRow TimingRanking::Row(int place) const {
  const RankedTag& tag = TagAt(place);
  const RankedTag& leader = TagAt(0);
  const int64_t gap = (tag.hour - leader.hour) * kRankUnitsPerHour + tag.time - leader.time;
  return RankRow{place + 1, tag.name, tag.timeText, FormatGap(gap)};
}

}  // namespace corvalis
