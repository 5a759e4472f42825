#pragma once

#include <string>
#include <vector>

#include "common/StatusReporter.h"

namespace corvalis::testing {

// Keeps every status text so tests can check what the operator was told.
class RecordingStatus final : public StatusReporter {
 public:
  void SetLastError(std::string_view text) override { lastError = text; }
  void SetPurgedText(std::string_view text) override { purged = text; }
  void DebugLog(std::string_view text) override { debugLines.emplace_back(text); }

  std::string lastError;
  std::string purged;
  std::vector<std::string> debugLines;
};

}  // namespace corvalis::testing
