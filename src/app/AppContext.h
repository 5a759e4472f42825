#pragma once

#include "common/Clock.h"
#include "common/StatusReporter.h"
#include "protocol/ProtocolSettings.h"
#include "protocol/ReceiveSpine.h"

namespace corvalis {

// Owns every per-run table of the console: settings in memory, the five
// channels' receive buffers and message formats, and (as they arrive) the tag
// tables and logs. The program makes one; each test makes its own.
class AppContext {
 public:
  AppContext(const Clock& clockSource, StatusReporter& statusSink)
      : clock(clockSource), status(statusSink), spine(protocolSettings, clock, status) {}

  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  const Clock& clock;
  StatusReporter& status;
  ProtocolSettings protocolSettings;
  ReceiveSpine spine;
};

}  // namespace corvalis
