#include "logging/LogSettings.h"

#include "common/TextEscapes.h"

namespace corvalis {

namespace {

void ClearColumns(LogSettings& s) {
  s.logDepot = false;
  s.logSteppingNumber = false;
  s.logTagId = false;
  s.logTagName = false;
  s.logTamper = false;
  s.logFirstSeenDate = false;
  s.logFirstSeenTime = false;
  s.logLastSeenDate = false;
  s.logLastSeenTime = false;
  s.logChannelNumber = false;
  s.logReaderId = false;
  s.logIqCount = false;
  s.logICount = false;
  s.logQCount = false;
  s.logTtoDataPages = false;
}

}  // namespace

void ApplyLogPreset(LogSettings& s, LogPreset preset) {
  ClearColumns(s);
  s.loggingSeparator = ",";
  switch (preset) {
    case LogPreset::kRigWatch:
      s.noiseLimit = 3;
      s.logDepot = true;
      s.logTagName = true;
      s.logFirstSeenDate = true;
      s.logFirstSeenTime = true;
      s.onlyLogNamedTags = true;
      s.firstSeenIncludeMs = false;
      s.lastSeenIncludeMs = false;
      s.waitTime = -6000;
      break;
    case LogPreset::kStandard:
    case LogPreset::kStepping:
      s.loggingTamper = "T";
      s.loggingNoTamper = " ";
      s.logTagId = true;
      s.logTagName = true;
      s.logIqCount = true;
      s.logFirstSeenDate = true;
      s.logFirstSeenTime = true;
      s.logLastSeenTime = true;
      s.logReaderId = true;
      s.logTamper = true;
      s.firstSeenIncludeMs = true;
      s.lastSeenIncludeMs = true;
      s.onlyLogNamedTags = preset == LogPreset::kStandard;
      if (preset == LogPreset::kStepping) {
        s.logICount = true;
        s.logQCount = true;
        s.logSteppingNumber = true;
      }
      break;
  }
}

std::string DecodeLogText(std::string_view typed) {
  std::string out = DecodeTypedEscapes(typed);
  if (out.size() > kLogTextChars) {
    size_t cut = kLogTextChars;
    // Back up to the start of a character so the cut leaves valid UTF-8.
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out.resize(cut);
  }
  return out;
}

}  // namespace corvalis
