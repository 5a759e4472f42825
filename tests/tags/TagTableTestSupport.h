#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "tags/TagRecord.h"
#include "tags/TagTableHooks.h"

namespace corvalis::testing {

// Tag IDs in tests are small numbers written big-endian into the 8 ID bytes.
inline void WriteId(uint64_t id, uint8_t* bytes) {
  for (int k = 0; k < kTagIdBytes; ++k) {
    bytes[k] = static_cast<uint8_t>(id >> (8 * (kTagIdBytes - 1 - k)));
  }
}

inline TagRead MakeRead(uint64_t id, WallTime at, int readerId = 1, int channel = 0,
                        int32_t count = 1) {
  TagRead read;
  WriteId(id, read.tagBytes);
  read.channel = channel;
  read.readerId = readerId;
  read.firstSeenSec = read.lastSeenSec = at.sec;
  read.firstSeenMs = read.lastSeenMs = at.ms;
  read.count = count;
  read.iCount = count;
  read.text = "NR-test";
  return read;
}

// Plays the log writer: keeps a copy of every pass it is handed and marks
// it logged the first time.
class RecordingCompleter final : public PassCompleter {
 public:
  void CompletePass(TagRecord& pass) override {
    calls.push_back(pass);
    pass.logged = 1;
  }
  std::vector<TagRecord> calls;
};

// Named tags get their name; the others get the read's text unless
// registration is off, when they stay unnamed.
class FakeNameList final : public TagNameLookup {
 public:
  std::string LookupTagName(const uint8_t id[kTagIdBytes], const char* text) override {
    uint64_t value = 0;
    for (int k = 0; k < kTagIdBytes; ++k) value = (value << 8) | id[k];
    if (named.count(value) != 0) return "Named";
    return autoRegister ? std::string(text) : std::string();
  }
  std::set<uint64_t> named;
  bool autoRegister = true;
};

class RecordingWindows final : public UniqueTagList,
                               public SeenTableView,
                               public TagSeenListener,
                               public TagBeeper,
                               public DataPageHandler {
 public:
  void AppendLine(int lineNumber, std::string_view line) override {
    appended.emplace_back(std::to_string(lineNumber) + ":" + std::string(line));
  }
  void ReplaceLine(int lineNumber, std::string_view line) override {
    replaced.emplace_back(std::to_string(lineNumber) + ":" + std::string(line));
  }
  void ShowSeenOverflow(std::string_view text) override { overflow = text; }
  void SeenTableCleared() override { ++seenClears; }
  void TagCountersCleared() override { ++counterClears; }
  void TagSeen(std::string_view hexId) override { seen.emplace_back(hexId); }
  void Beep() override { ++beeps; }
  void HandleDataPage(const TagRead&) override { ++dataPages; }

  void AttachTo(TagTableHooks& hooks) {
    hooks.uniqueTagList = this;
    hooks.seenView = this;
    hooks.tagSeenListener = this;
    hooks.beeper = this;
    hooks.dataPageHandler = this;
  }

  std::vector<std::string> appended;
  std::vector<std::string> replaced;
  std::vector<std::string> seen;
  std::string overflow;
  int seenClears = 0;
  int counterClears = 0;
  int beeps = 0;
  int dataPages = 0;
};

// Field-by-field, so padding never matters.
inline ::testing::AssertionResult SameRecord(const TagRecord& a, const TagRecord& b) {
#define CORVALIS_SAME(field) \
  if (!(a.field == b.field)) return ::testing::AssertionFailure() << #field " differs"
#define CORVALIS_SAME_TEXT(field)                         \
  if (std::memcmp(a.field, b.field, sizeof a.field) != 0) \
  return ::testing::AssertionFailure() << #field " differs"
  CORVALIS_SAME(count);
  CORVALIS_SAME(readerId);
  CORVALIS_SAME(channel);
  CORVALIS_SAME(firstSeenSec);
  CORVALIS_SAME(firstSeenMs);
  CORVALIS_SAME(lastSeenSec);
  CORVALIS_SAME(lastSeenMs);
  CORVALIS_SAME_TEXT(tagBytes);
  CORVALIS_SAME_TEXT(hexId);
  CORVALIS_SAME_TEXT(nameText);
  CORVALIS_SAME_TEXT(wiegand26Text);
  CORVALIS_SAME_TEXT(wiegand34Text);
  CORVALIS_SAME_TEXT(countText);
  for (int p = 0; p < kPageSlotCount; ++p) {
    for (const auto side : {&PageSlot::primary, &PageSlot::alternate}) {
      const PageContent& x = a.pages[p].*side;
      const PageContent& y = b.pages[p].*side;
      if (std::memcmp(x.text, y.text, sizeof x.text) != 0 ||
          std::memcmp(x.shown, y.shown, sizeof x.shown) != 0 || x.hasData != y.hasData ||
          x.count != y.count || x.iCount != y.iCount || x.qCount != y.qCount) {
        return ::testing::AssertionFailure() << "page " << p << " differs";
      }
    }
    CORVALIS_SAME(pages[p].pageReads);
  }
  CORVALIS_SAME(activity);
  CORVALIS_SAME(activityReads);
  CORVALIS_SAME(activityTicks);
  CORVALIS_SAME(clockOffsetMs);
  CORVALIS_SAME(pcSeenSec);
  CORVALIS_SAME(pcSeenMs);
  CORVALIS_SAME(countAtRefresh);
  CORVALIS_SAME(logged);
  CORVALIS_SAME(outputSent);
  CORVALIS_SAME(iCount);
  CORVALIS_SAME(qCount);
  CORVALIS_SAME(iCountTotal);
  CORVALIS_SAME(qCountTotal);
  CORVALIS_SAME(sequence);
  CORVALIS_SAME(dataFlag);
  CORVALIS_SAME(tamper);
  CORVALIS_SAME(flagFS);
  CORVALIS_SAME(flagLS);
  CORVALIS_SAME(valid);
  CORVALIS_SAME(pageSet);
#undef CORVALIS_SAME
#undef CORVALIS_SAME_TEXT
  return ::testing::AssertionSuccess();
}

}  // namespace corvalis::testing
