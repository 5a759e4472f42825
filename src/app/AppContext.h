#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/ChannelReadBacklog.h"
#include "app/ChannelTakeover.h"
#include "app/ReceivedTrafficRecorder.h"
#include "app/ScriptPressCapture.h"
#include "app/ScriptReceiveTaps.h"
#include "channels/ChannelSet.h"
#include "common/Clock.h"
#include "common/SpecialModes.h"
#include "common/StatusReporter.h"
#include "common/TickListener.h"
#include "control/CommandConsole.h"
#include "control/DeferredCommandQueue.h"
#include "control/ReaderConfiguration.h"
#include "logging/DisplayPassOutput.h"
#include "logging/TagLogWriter.h"
#include "modbus/ModbusExchange.h"
#include "mqtt/MqttPublisher.h"
#include "protocol/ProtocolSettings.h"
#include "protocol/ReaderCommandSender.h"
#include "protocol/ReceiveSpine.h"
#include "protocol/RecordingFiles.h"
#include "protocol/UnshownPageCounter.h"
#include "script/DiagTrace.h"
#include "script/Expect.h"
#include "script/MachineRegistry.h"
#include "script/ScriptBinding.h"
#include "script/ScriptInterpreter.h"
#include "script/ScriptOutputRelay.h"
#include "script/ScriptRecorder.h"
#include "script/firmware/FirmwareDownload.h"
#include "tagrw/TagRwTest.h"
#include "tagrw/TtoProgrammer.h"
#include "tags/TagNames.h"
#include "tags/TagTable.h"
#include "tags/display/ExternalDisplay.h"

namespace corvalis {

class Settings;

// Owns every per-run table of the console: settings in memory, the five
// channels' receive buffers and message formats, the tag tables, the tag
// names, the tag log, the channels and the command sender. The program makes
// one; each test makes its own.
// Reads flow spine -> tag table -> log writer; the windows only look on.
// What a window changes goes through an intent here or through a service
// whose own operations are the intents (channels, console, names, log); the
// settings the receive path reads are read-only from outside.
class AppContext {
 public:
  // Ticks per second of the context's one tick.
  static constexpr int kTicksPerSecond = 10;

  AppContext(const Clock& clockSource, StatusReporter& statusSink);

  ~AppContext();
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  // Takes the live settings of the receive path, tag table, names and log
  // from the settings model (at start).
  void ApplySettings(const Settings& settings);
  // Writes the live values back into the model (before it is saved).
  void StoreSettings(Settings& settings) const;

  // The one 100 ms tick of all the logic: idle flush of binary channels,
  // closing quiet passes into log lines, the automatic message-format query,
  // the reply countdowns, the deferred command queue and the automatic status
  // update, the reader configuration's sequence, RF timers and hopping sweep,
  // the Modbus reply time-out and every fifth tick the download's; every
  // tenth tick the per-second work (read count, activity marks, the Modbus
  // log's new-file hour); last, a walk of the state machines on the tick's
  // time. With no window the logic runs the same from whoever ticks it.
  void Tick();

  // Reads counted in the last whole second of ticks.
  int IdsLastSecond() const { return idsLastSecond_; }
  // Whole seconds of ticks so far; a window shows the counters when it moves.
  int64_t SecondsTicked() const { return secondsTicked_; }

  // ---- intents
  // The reader on `channel` sends binary (true) or ASCII messages: the
  // channel's format and its message lengths follow.
  void SetChannelEncoding(int channel, bool binary);
  // The decoder comms settings chosen for the reader on `channel` (-1: none
  // chosen): the console's choice and the channel's encoding.
  void ApplyDecoderComms(const DecoderCommsChoice& choice, int channel);
  void SetSumAllPorts(bool on);
  void SetWhichChannels(int which);
  void SetCrcSeed(uint16_t seed);
  void SetCompositeOutput(bool on);
  void SetAutoQueryMessageFormat(bool on);
  void SetAutoRegister(bool on);
  void SetLogSettings(const LogSettings& settings);
  void SetRecordOutgoing(bool on);
  // The Diagnostics wait-time box: values 0 to 9 become 10, -9 to -1 -10.
  void SetWaitTime(int waitTime);
  // The Tags Seen Clear also empties the reader channels' receive buffers,
  // so a half-received line cannot bring a cleared tag back.
  void ClearReceiveBuffers();
  // The Diagnostics Clear: the read, unique and lost counters, the decoder's
  // error counters, the pass queue (without logging) and the channel tag
  // lists.
  void ClearTagCounters();
  // "Show COM port debug info": the comms lines of every port event.
  void SetPortEventLines(bool on);
  // Flips whether the "no reply" warning is shown.
  void ToggleNoReplyWarning();
  // The automatic status update: where it asks, how often, and one round now.
  void SetStatusUpdateTarget(int channel, int readerId);
  void SetStatusUpdateInterval(int seconds);
  void UpdateStatusNow();
  // A message-format body ("0a11" + 10 bytes) to the reader; the channel
  // then expects that layout, binary unless the decoder comms say ASCII.
  void SendMessageFormat(int channel, int readerId, const std::string& body);
  // The Display Setup dialog or OutputPortUse changed: the display takes
  // the new settings and starts again (InitDisplay).
  void SetDisplaySettings(const DisplaySettings& settings);

  // ---- read-only state
  const Clock& clock() const { return clock_; }
  const ProtocolSettings& protocolSettings() const { return protocolSettings_; }
  const ChannelFormats& formats() const { return spine_.formats; }
  const TagTable& tagTable() const { return tagTable_; }
  const TagNames& tagNames() const { return tagNames_; }
  const TagLogWriter& logWriter() const { return logWriter_; }

  // ---- services driven through their own operations
  StatusReporter& status() { return status_; }
  ReceiveSpine& spine() { return spine_; }
  MessageDispatcher& dispatcher() { return spine_.dispatcher; }
  TagTable& tagTable() { return tagTable_; }
  TagNames& tagNames() { return tagNames_; }
  TagLogWriter& logWriter() { return logWriter_; }
  // Data-flag reads and "ae" pages, counted until page data has a display.
  const UnshownPageCounter& unshownPages() const { return unshownPages_; }
  // The five channels; they write for the dispatcher's composite copy and
  // for the command sender.
  ChannelSet& channels() { return channels_; }
  const ChannelSet& channels() const { return channels_; }
  // "logger1.log" to "logger4.log": what was sent, when RecordOutgoing is on.
  RecordingFiles& recordings() { return recordings_; }
  // Every command to a reader goes through here; replies come back to it.
  ReaderCommandSender& commands() { return commands_; }
  // The predefined command catalogue, free text and the deferred queue, on
  // top of `commands`.
  CommandConsole& console() { return console_; }
  // The reader configuration windows' logic: the one command sequence, Timed
  // RF, multiplexing, hopping and decoder control; ticked here.
  ReaderConfiguration& readerConfig() { return readerConfig_; }
  // The diagnostics trace and every state machine; the machines run after
  // each receive batch and at the end of each tick.
  DiagnosticsTrace& diagTrace() { return diagTrace_; }
  MachineRegistry& machines() { return machines_; }
  // The one script interpreter (the RT tab and the headless runner drive
  // it); it steps on each tick. Its panes and boxes go to whoever plugs into
  // `scriptOutput`; "Recording" writes through `scriptRecorder`.
  ScriptInterpreter& interpreter() { return interpreter_; }
  const ScriptInterpreter& interpreter() const { return interpreter_; }
  ScriptOutputRelay& scriptOutput() { return scriptOutput_; }
  ScriptRecorder& scriptRecorder() { return scriptRecorder_; }
  // Every expect; each received line is offered to the active ones.
  ExpectList& expects() { return expects_; }
  // The read/write tag test and its exchanges.
  TagRwTest& tagRw() { return tagRw_; }
  // The one transmit sequence counter of the second-generation transmits
  // (RW Commander, Multi Page).
  TransmitSequence& transmitSequence() { return transmitSequence_; }
  // The TTO programmer over the page test's pages 0 and 15; polls on the tick.
  TtoProgrammer& tto() { return tto_; }
  // Which of the mutually exclusive special receive modes (tolling, race
  // timing, flash logging, ms timing, plug test) is on.
  SpecialModes& specialModes() { return specialModes_; }
  // Window-owned logic run on every tick, after the command queue; false
  // when all places are taken.
  bool AddTickListener(TickListener* listener);
  void RemoveTickListener(const TickListener* listener);
  // The external display on channel 5 (names of passes, "Clear Display" on
  // ClearSeenTable, the idle message from the tick); the on-screen window
  // registers itself here.
  ExternalDisplay& display() { return display_; }
  const ExternalDisplay& display() const { return display_; }
  // The Modbus TCP exchange and the firmware download: each takes its
  // channel's bytes while it talks to the reader in its own protocol. Their
  // timers run from the tick (the download's every fifth).
  ModbusExchange& modbus() { return modbus_; }
  const ModbusExchange& modbus() const { return modbus_; }
  FirmwareDownload& download() { return download_; }
  const FirmwareDownload& download() const { return download_; }
  // Every completed pass to an MQTT broker, when the [MQTT] section enables
  // it; told each second how many channels are open and the read rate.
  MqttPublisher& mqtt() { return mqtt_; }
  const MqttPublisher& mqtt() const { return mqtt_; }
  // (Re)starts the publisher with its queue in `queueFolder`, remembered
  // for RestartMqtt; false when the queue could not be opened.
  bool StartMqtt(const MqttSettings& settings, const std::string& queueFolder);
  // The Configuration dialog's Apply: new settings, the same queue. Does
  // nothing before StartMqtt.
  bool RestartMqtt(const MqttSettings& settings);

 private:
  void SecondTick();
  void StatusUpdateTick();

  const Clock& clock_;
  StatusReporter& status_;
  ProtocolSettings protocolSettings_;
  ReceiveSpine spine_;
  TagTable tagTable_;
  UnshownPageCounter unshownPages_;
  TagNames tagNames_;
  TagLogWriter logWriter_;
  ChannelSet channels_;
  ChannelReadBacklog readBacklog_{channels_, protocolSettings_};
  RecordingFiles recordings_;
  ReceivedTrafficRecorder receivedTraffic_{recordings_};
  ReaderCommandSender commands_;
  CommandConsole console_;
  ReaderConfiguration readerConfig_;
  DiagnosticsTrace diagTrace_;
  MachineRegistry machines_;
  ScriptOutputRelay scriptOutput_;
  ScriptChannelBinding scriptChannels_;
  ScriptInterpreter interpreter_;
  ScriptPressCapture pressCapture_{interpreter_};
  TransmitSequence transmitSequence_;
  ScriptReceiveHook scriptReceive_;
  ScriptReceiveTaps scriptTaps_;
  ScriptRecorder scriptRecorder_;
  CommandExpectPort expectPort_;
  ExpectList expects_;
  TagRwTest tagRw_;
  TtoProgrammer tto_;
  SpecialModes specialModes_;
  std::array<TickListener*, 4> tickListeners_{};
  ExternalDisplay display_;
  DisplayPassOutput displayOutput_;
  ModbusChannelBinding modbusChannels_;
  ModbusExchange modbus_;
  DownloadChannelBinding downloadChannels_;
  FirmwareDownload download_;
  int downloadTicks_ = 0;
  MqttPublisher mqtt_;
  std::string mqttQueueFolder_;
  AutomaticUpdate statusUpdate_;
  int statusUpdateChannel_ = -1;
  int statusUpdateReaderId_ = 0;
  int ticksThisSecond_ = 0;
  int idsLastSecond_ = 0;
  int64_t secondsTicked_ = 0;
};

}  // namespace corvalis
