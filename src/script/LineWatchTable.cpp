#include "script/LineWatchTable.h"

#include "script/RegexGuard.h"

namespace corvalis {

LineWatchTable::~LineWatchTable() {
  RemoveWatchesFrom(0);
}

bool LineWatchTable::Compile(std::string_view pattern, std::vector<regex_t>& out,
                             std::string* error) {
  // Newline separates alternatives, as grep reads a pattern list.
  size_t start = 0;
  while (true) {
    const size_t nl = pattern.find('\n', start);
    const std::string part(pattern.substr(start, nl == std::string_view::npos ? nl : nl - start));
    if (StacksRepetitions(part, RegexSyntax::kBasic)) {
      if (error != nullptr) *error = "Error setting regex Stacked repetitions";
      Free(out);
      return false;
    }
    regex_t re;
    const int rc = regcomp(&re, part.c_str(), REG_NOSUB | REG_NEWLINE);
    if (rc != 0) {
      char reason[256];
      regerror(rc, &re, reason, sizeof reason);
      if (error != nullptr) *error = std::string("Error setting regex ") + reason;
      Free(out);
      return false;
    }
    out.push_back(re);
    if (nl == std::string_view::npos) return true;
    start = nl + 1;
  }
}

void LineWatchTable::Free(std::vector<regex_t>& alternatives) {
  for (regex_t& re : alternatives) regfree(&re);
  alternatives.clear();
}

int LineWatchTable::AddWatch(int channel, std::string_view pattern, const void* owner,
                             std::string* error) {
  if (size_ >= kMaxWatches) {
    if (error != nullptr) *error = "Watch table full";
    return -1;
  }
  Entry& entry = entries_[static_cast<size_t>(size_)];
  if (!Compile(pattern, entry.alternatives, error)) return -1;
  entry.channel = channel;
  entry.owner = owner;
  entry.first = 0;
  entry.count = 0;
  return size_++;
}

bool LineWatchTable::ReplaceWatch(int index, int channel, std::string_view pattern,
                                  std::string* error) {
  if (index < 0 || index >= size_) return false;
  std::vector<regex_t> compiled;
  if (!Compile(pattern, compiled, error)) return false;
  Entry& entry = entries_[static_cast<size_t>(index)];
  Free(entry.alternatives);
  entry.alternatives = std::move(compiled);
  entry.channel = channel;
  entry.first = 0;
  entry.count = 0;
  return true;
}

void LineWatchTable::ClearWatchLines(int index) {
  if (index < 0 || index >= size_) return;
  entries_[static_cast<size_t>(index)].count = 0;
  entries_[static_cast<size_t>(index)].first = 0;
}

int LineWatchTable::WatchCount(int index) const {
  if (index < 0 || index >= size_) return 0;
  return entries_[static_cast<size_t>(index)].count;
}

std::string_view LineWatchTable::LastWatchLine(int index, int* channel) const {
  if (channel != nullptr) *channel = 0;
  if (index < 0 || index >= size_) return {};
  const Entry& entry = entries_[static_cast<size_t>(index)];
  if (entry.count == 0) return {};
  const int newest = (entry.first + entry.count - 1) % kKeptLines;
  if (channel != nullptr) *channel = entry.lineChannels[static_cast<size_t>(newest)];
  return entry.lines[static_cast<size_t>(newest)];
}

void LineWatchTable::RemoveWatchesFrom(int index) {
  if (index < 0) index = 0;
  for (int i = index; i < size_; ++i) {
    Entry& entry = entries_[static_cast<size_t>(i)];
    Free(entry.alternatives);
    entry.count = 0;
    entry.first = 0;
    entry.owner = nullptr;
  }
  if (index < size_) size_ = index;
}

bool LineWatchTable::WatchLine(int channel, const char* line) {
  bool any = false;
  for (int i = 0; i < size_; ++i) {
    Entry& entry = entries_[static_cast<size_t>(i)];
    if (entry.channel != kAnyChannel && entry.channel != channel) continue;
    bool hit = false;
    for (const regex_t& re : entry.alternatives) {
      if (regexec(&re, line, 0, nullptr, 0) == 0) {
        hit = true;
        break;
      }
    }
    if (!hit) continue;
    any = true;
    // The oldest line goes once the list is full, so at most kKeptLines stay.
    int slot;
    if (entry.count < kKeptLines) {
      slot = (entry.first + entry.count) % kKeptLines;
      ++entry.count;
    } else {
      slot = entry.first;
      entry.first = (entry.first + 1) % kKeptLines;
    }
    entry.lines[static_cast<size_t>(slot)].assign(line);
    entry.lineChannels[static_cast<size_t>(slot)] = channel + 1;
    if (listener_ != nullptr) listener_->WatchMatched(i, channel, line);
  }
  return any;
}

}  // namespace corvalis
