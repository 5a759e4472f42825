#pragma once

#include "channels/ChannelSet.h"
#include "common/Clock.h"
#include "common/SpecialModes.h"
#include "common/StatusReporter.h"
#include "control/CommandConsole.h"
#include "logging/TagLogWriter.h"
#include "protocol/ProtocolSettings.h"
#include "protocol/ReaderCommandSender.h"
#include "protocol/ReceiveSpine.h"
#include "protocol/RecordingFiles.h"
#include "tags/TagNames.h"
#include "tags/TagTable.h"

namespace corvalis {

class Settings;

// Owns every per-run table of the console: settings in memory, the five
// channels' receive buffers and message formats, the tag tables, the tag
// names, the tag log, the channels and the command sender. The program makes
// one; each test makes its own.
// Reads flow spine -> tag table -> log writer; the windows only look on.
class AppContext {
 public:
  AppContext(const Clock& clockSource, StatusReporter& statusSink);

  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  // Takes the live settings of the receive path, tag table, names and log
  // from the settings model (at start).
  void ApplySettings(const Settings& settings);
  // Writes the live values back into the model (before it is saved).
  void StoreSettings(Settings& settings) const;

  // The work of one 100 ms display-timer tick for the receive and send
  // paths: idle flush of binary channels, closing quiet passes into log
  // lines, the automatic message-format query and the reply countdowns.
  void Tick();

  const Clock& clock;
  StatusReporter& status;
  ProtocolSettings protocolSettings;
  ReceiveSpine spine;
  TagTable tagTable;
  TagNames tagNames;
  TagLogWriter logWriter;
  // The five channels; they write for the dispatcher's composite copy and
  // for the command sender.
  ChannelSet channels;
  // "logger1.log" to "logger4.log": what was sent, when RecordOutgoing is on.
  RecordingFiles recordings;
  // Every command to a reader goes through here; replies come back to it.
  ReaderCommandSender commands;
  // The predefined command catalogue, free text and the deferred queue, on
  // top of `commands`.
  CommandConsole console;
  // Which of the mutually exclusive special receive modes (tolling, race
  // timing, flash logging, ms timing, plug test) is on.
  SpecialModes specialModes;
};

}  // namespace corvalis
