#pragma once

#include <array>
#include <string>

#include "script/ScriptVariables.h"

namespace corvalis {

inline constexpr int kExpectSlots = 10;
inline constexpr int kRecordedChannels = 4;
// Recorded input beyond this keeps only its newest part.
inline constexpr size_t kRecordedInputMax = 64 * 1024;

// What the receive side hands the script: tag IDs, data pages, recorded raw
// input, and the expect slots' watch entries.
struct ScriptCapture {
  struct Page {
    std::string lastGood;
    std::string lastBad;
    int goodCount = 0;
    int badCount = 0;
    bool seen = false;
  };
  std::array<Page, kDataPages> pages;
  int pagesExpected = 0;
  int failedReads = 0;
  std::string lastTagSeen = "0000000000000000";
  std::string lastDataSeen = "xxxxxxxxxxxxxxxx";

  std::array<bool, kRecordedChannels> recording{};
  std::array<std::string, kRecordedChannels> recorded;

  std::array<int, kExpectSlots> expectSlot{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  int watchBase = -1;  // the table size when the script first set a pattern

  void ClearData() {
    for (Page& page : pages) page = Page{};
    failedReads = 0;
  }
  // Keeps the newest kRecordedInputMax characters of a channel's recording.
  void Record(int channel, const char* bytes, int count);
};

}  // namespace corvalis
