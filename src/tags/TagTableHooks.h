#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/Clock.h"
#include "protocol/ReadSinks.h"
#include "tags/TagRecord.h"

namespace corvalis {

// The settings the tag table reads on every read. The settings store fills
// them at start; the Diagnostics wait-time box and the logging dialog change
// them live through TagTable::settings().
struct TagTableSettings {
  int waitTime = 500;        // ms; negative logs each pass at its first read
  int noiseLimit = 0;        // reads a pass needs to count as valid
  bool useVoting = false;    // page merge: the most-read content wins
  bool onlyMaxCount = true;  // page merge: "Only Max cnt"
};

// The wait-time boxes never allow a window below 10 ms: 0..9 become 10 and
// -9..-1 become -10.
constexpr int WaitTimeFromBox(int typed) {
  if (typed >= 0 && typed <= 9) return 10;
  if (typed >= -9 && typed <= -1) return -10;
  return typed;
}

// The log writer: takes each closed pass (and, with a negative wait time,
// each pass at its first read). It marks the pass logged itself.
class PassCompleter {
 public:
  virtual ~PassCompleter() = default;
  virtual void CompletePass(TagRecord& pass) = 0;
};

// The tag-name list. An empty result means the tag is not to be shown.
class TagNameLookup {
 public:
  virtual ~TagNameLookup() = default;
  virtual std::string LookupTagName(const uint8_t id[kTagIdBytes], const char* text) = 0;
};

// The system beep, sounded once per read while the sound switch is on.
class TagBeeper {
 public:
  virtual ~TagBeeper() = default;
  virtual void Beep() = 0;
};

// The Diagnostics tab's unique-tags list: one line per channel-list entry.
class UniqueTagList {
 public:
  virtual ~UniqueTagList() = default;
  virtual void AppendLine(int lineNumber, std::string_view line) = 0;
  virtual void ReplaceLine(int lineNumber, std::string_view line) = 0;
};

// What the table tells the Tags Seen and data tabs directly.
class SeenTableView {
 public:
  virtual ~SeenTableView() = default;
  // The overflow labels: ">" while new tags find the table full, " " otherwise.
  virtual void ShowSeenOverflow(std::string_view text) = 0;
  // After ClearSeenTable: reset the count template and page-view counters,
  // mark the rate changed, refresh once and clear the external display.
  virtual void SeenTableCleared() = 0;
  // After ClearTagCounters: clear the decoder counters, the tag lists, memos
  // and labels that belong to the windows.
  virtual void TagCountersCleared() = 0;
};

// The external display shows "Clear Display" once the seen table is cleared.
class SeenTableClearListener {
 public:
  virtual ~SeenTableClearListener() = default;
  virtual void SeenTableCleared() = 0;
};

// The script interpreter and the tag programmer want every tag the seen
// table hears, by hex ID.
class TagSeenListener {
 public:
  virtual ~TagSeenListener() = default;
  virtual void TagSeen(std::string_view hexId) = 0;
};

// One sighting of a tag that has a seen-table entry, for the race timing and
// plug-test modes: the entry names the tag, the read gives its channel, the
// reader's time stamp and when it was received here.
struct TagSighting {
  const TagRecord& entry;
  int channel = 0;
  WallTime readTime;
  WallTime receivedAt;
};

class TagSightingListener {
 public:
  virtual ~TagSightingListener() = default;
  virtual void TagSighted(const TagSighting& sighting) = 0;
};
inline constexpr int kSightingListenerSlots = 4;

// Whether a channel's reader has sent bytes the console has not read yet: it
// has fallen behind, its GUI thread busy or stalled, and reads that would
// keep a pass open may be among them. `channel` as in TagRead (under
// SumAllPorts, 0 stands for every reader channel).
class ReadBacklog {
 public:
  virtual ~ReadBacklog() = default;
  virtual bool InputWaiting(int channel) const = 0;
};

// Everything outside the table that it calls. A null pointer means nobody
// listens and nothing is called; without a name lookup the read's own text
// names the tag.
struct TagTableHooks {
  PassCompleter* passCompleter = nullptr;
  TagNameLookup* nameLookup = nullptr;
  TagBeeper* beeper = nullptr;
  UniqueTagList* uniqueTagList = nullptr;
  SeenTableView* seenView = nullptr;
  TagSeenListener* tagSeenListener = nullptr;
  DataPageHandler* dataPageHandler = nullptr;
  SeenTableClearListener* displayClear = nullptr;
  const ReadBacklog* readBacklog = nullptr;
  // Each listener checks itself whether its mode is on.
  std::array<TagSightingListener*, kSightingListenerSlots> sightingListeners{};
};

// Takes the first free slot; false when all are taken.
inline bool AddSightingListener(TagTableHooks& hooks, TagSightingListener* listener) {
  for (TagSightingListener*& slot : hooks.sightingListeners) {
    if (slot == nullptr) {
      slot = listener;
      return true;
    }
  }
  return false;
}

inline void RemoveSightingListener(TagTableHooks& hooks, const TagSightingListener* listener) {
  for (TagSightingListener*& slot : hooks.sightingListeners) {
    if (slot == listener) slot = nullptr;
  }
}

}  // namespace corvalis
