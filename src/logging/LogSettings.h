#pragma once

#include <string>
#include <string_view>

namespace corvalis {

// Separator and tamper texts keep at most this many characters once decoded.
inline constexpr int kLogTextChars = 19;
inline constexpr int kMaxLogPages = 15;

// What the tag log writes and when; the defaults are those of a fresh
// settings file. The settings store fills it, the Logging Setup dialog edits
// it, and the writer is handed a copy.
struct LogSettings {
  bool writeFiltered = false;
  std::string filteredFileName;
  int noiseLimit = 0;
  bool onlyLogNamedTags = true;
  bool logDepot = true;
  std::string depotName = "Depot";
  bool logSteppingNumber = false;
  bool logTagId = false;
  bool logTagName = true;
  bool logTamper = false;
  std::string loggingTamper = "T";
  std::string loggingNoTamper = " ";
  bool logFirstSeenDate = true;
  bool logFirstSeenTime = true;
  bool firstSeenIncludeMs = false;
  bool logLastSeenDate = false;
  bool logLastSeenTime = false;
  bool lastSeenIncludeMs = false;
  bool logChannelNumber = false;
  bool logReaderId = false;
  bool logIqCount = false;
  bool logICount = false;
  bool logQCount = false;
  bool logTtoDataPages = false;
  int logNumTtoPages = 1;
  std::string loggingSeparator = ",";
  bool showLogging = false;
  int waitTime = 500;

  friend bool operator==(const LogSettings&, const LogSettings&) = default;
};

// The preset buttons of the Logging Setup dialog.
enum class LogPreset { kRigWatch, kStandard, kStepping };

// Fills the fields a preset sets; the rest stay as they are.
void ApplyLogPreset(LogSettings& settings, LogPreset preset);

// A separator or tamper text as typed, with "\\", "\n", "\r" and "\t"
// decoded; any other backslash stays as typed. Cut to 19 characters, never
// inside a UTF-8 sequence.
std::string DecodeLogText(std::string_view typed);

}  // namespace corvalis
