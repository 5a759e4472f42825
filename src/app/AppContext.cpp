#include "app/AppContext.h"

#include <algorithm>
#include <iterator>

#include "app/Settings.h"
#include "app/SettingsBinding.h"
#include "app/Startup.h"
#include "common/ChannelIndex.h"
#include "protocol/Hex.h"

namespace corvalis {
namespace {

// The download's 500 ms interval.
constexpr int kTicksPerDownloadTick = 5;

}  // namespace

AppContext::AppContext(const Clock& clockSource, StatusReporter& statusSink)
    : clock_(clockSource),
      status_(statusSink),
      spine_(protocolSettings_, clock_, status_),
      tagTable_(clock_),
      logWriter_(tagNames_, clock_, status_),
      channels_(spine_.framer, status_),
      commands_(spine_.formats, status_),
      console_(commands_, channels_, clock_),
      readerConfig_(commands_, console_, channels_),
      machines_(clock_, &diagTrace_),
      scriptChannels_(channels_, commands_, spine_.dispatcher),
      interpreter_(clock_, scriptOutput_, scriptChannels_),
      scriptReceive_(machines_, &interpreter_),
      scriptTaps_(interpreter_, &unshownPages_),
      expectPort_(commands_, status_),
      expects_(machines_, &expectPort_),
      tagRw_(expects_, commands_, console_, status_, transmitSequence_),
      tto_(tagRw_, commands_, readerConfig_),
      display_(clock_, channels_, tagTable_),
      displayOutput_(display_),
      modbusChannels_(channels_, commands_),
      modbus_(clock_, modbusChannels_),
      downloadChannels_(channels_, commands_, console_),
      download_(clock_, downloadChannels_),
      mqtt_(clock_) {
  modbusChannels_.Bind(modbus_);
  downloadChannels_.Bind(download_);
  spine_.dispatcher.SetChannelWriter(&channels_);
  spine_.dispatcher.SetReplyHandler(&commands_);
  spine_.dispatcher.SetCommandSender(&commands_);
  spine_.dispatcher.AddObserver(&expects_);
  commands_.SetChannelWriter(&channels_);
  commands_.SetRecordingFiles(&recordings_);
  channels_.Hooks().recorder = &receivedTraffic_;
  commands_.SetTransmitIndicator(&channels_);
  spine_.decoder.SetTagReadSink(&tagTable_);
  tagTable_.hooks().passCompleter = &logWriter_;
  tagTable_.hooks().nameLookup = &tagNames_;
  spine_.decoder.SetDataPageHandler(&scriptTaps_);
  tagTable_.hooks().dataPageHandler = &scriptTaps_;
  tagTable_.hooks().tagSeenListener = &scriptTaps_;
  scriptTaps_.SetTtoProgrammer(&tto_);
  interpreter_.SetMachines(&machines_);
  console_.SetCapture(&pressCapture_);
  spine_.dispatcher.SetScriptLineHook(&interpreter_);
  channels_.Hooks().script = &scriptReceive_;
  scriptRecorder_.SetOwnSendFlag(scriptChannels_.SendingFlag());
  commands_.SetSentLineRecorder(&scriptRecorder_);
  tagTable_.hooks().displayClear = &display_;
  tagTable_.hooks().readBacklog = &readBacklog_;
  logWriter_.SetExternalDisplay(&displayOutput_);
  logWriter_.SetPassObserver(&mqtt_);
}

AppContext::~AppContext() {
  // A closing link may still hand on bytes; the takeovers die first.
  channels_.Hooks().modbus = nullptr;
  channels_.Hooks().recorder = nullptr;
  channels_.Hooks().download = nullptr;
}

void AppContext::ApplySettings(const Settings& settings) {
  protocolSettings_ = ProtocolSettingsFrom(settings);
  tagTable_.settings() = TagTableSettingsFrom(settings);
  tagNames_.SetAutoRegister(settings.Bool(Setting::AutoRegister));
  logWriter_.SetSettings(LogSettingsFrom(settings));
  commands_.SetRecordOutgoing(settings.Bool(Setting::RecordOutgoing));
  display_.SetSettings(DisplaySettingsFrom(settings));
  channels_.SetReconnectFirstStepMs(settings.Integer(Setting::ReconnectFirstMs));
}

void AppContext::StoreSettings(Settings& settings) const {
  StoreProtocolSettings(protocolSettings_, settings);
  StoreTagTableSettings(tagTable_.settings(), settings);
  settings.SetBool(Setting::AutoRegister, tagNames_.AutoRegister());
  StoreLogSettings(logWriter_.Settings(), settings);
}

void AppContext::Tick() {
  channels_.Tick(clock_.Now());
  machines_.Tick();
  spine_.framer.Tick();
  modbus_.Tick();
  if (++downloadTicks_ >= kTicksPerDownloadTick) {
    downloadTicks_ = 0;
    download_.Tick();
  }
  tagTable_.FlushPasses(false);
  receivedTraffic_.FlushPending();
  display_.Tick();
  if (protocolSettings_.autoQueryMessageFormat) spine_.dispatcher.RunFormatQueryTick();
  commands_.Tick();
  console_.TickDeferred();
  readerConfig_.Tick();
  StatusUpdateTick();
  for (TickListener* listener : tickListeners_) {
    if (listener != nullptr) listener->Tick();
  }
  interpreter_.ScriptTick();
  tto_.Tick();
  machines_.RunAllMachines();
  if (++ticksThisSecond_ >= kTicksPerSecond) {
    ticksThisSecond_ = 0;
    SecondTick();
  }
}

bool AppContext::AddTickListener(TickListener* listener) {
  for (TickListener*& slot : tickListeners_) {
    if (slot == nullptr) {
      slot = listener;
      return true;
    }
  }
  return false;
}

void AppContext::RemoveTickListener(const TickListener* listener) {
  for (TickListener*& slot : tickListeners_) {
    if (slot == listener) slot = nullptr;
  }
}

void AppContext::SetDisplaySettings(const DisplaySettings& settings) {
  display_.SetSettings(settings);
}

void AppContext::SecondTick() {
  idsLastSecond_ = tagTable_.IdsThisSecond();
  tagTable_.ResetIdsThisSecond();
  channels_.ClearActivityMarks();
  modbus_.SecondTick();
  int open = 0;
  for (int channel = 0; channel < kReaderChannelCount; ++channel) {
    if (channels_.IsOpen(channel)) ++open;
  }
  mqtt_.SetConsoleState(open, idsLastSecond_);
  ++secondsTicked_;
}

bool AppContext::StartMqtt(const MqttSettings& settings, const std::string& queueFolder) {
  mqttQueueFolder_ = queueFolder;
  return mqtt_.Start(settings, logWriter_.Settings().depotName, queueFolder);
}

bool AppContext::RestartMqtt(const MqttSettings& settings) {
  if (mqttQueueFolder_.empty()) return false;
  return StartMqtt(settings, mqttQueueFolder_);
}

void AppContext::StatusUpdateTick() {
  const AutomaticUpdate::Action action = statusUpdate_.Tick();
  if (action == AutomaticUpdate::Action::kNone || !IsValidChannel(statusUpdateChannel_)) return;
  console_.SendPredefinedCommand(
      statusUpdateChannel_, statusUpdateReaderId_,
      action == AutomaticUpdate::Action::kGetDateTime ? kGetDateTime : kGetStats);
}

void AppContext::SetChannelEncoding(int channel, bool binary) {
  if (!IsValidChannel(channel)) return;
  MessageFormat& format = spine_.formats.format[channel];
  format.binary = binary;
  format.ComputeLengths();
}

void AppContext::ApplyDecoderComms(const DecoderCommsChoice& choice, int channel) {
  console_.commsChoice() = choice;
  SetChannelEncoding(channel, !choice.ascii);
}

void AppContext::SetSumAllPorts(bool on) {
  protocolSettings_.sumAllPorts = on;
}

void AppContext::SetWhichChannels(int which) {
  protocolSettings_.whichChannels = which;
}

void AppContext::SetCrcSeed(uint16_t seed) {
  protocolSettings_.crcSeed = seed;
}

void AppContext::SetCompositeOutput(bool on) {
  protocolSettings_.compositeOutput = on;
}

void AppContext::SetAutoQueryMessageFormat(bool on) {
  protocolSettings_.autoQueryMessageFormat = on;
}

void AppContext::SetAutoRegister(bool on) {
  tagNames_.SetAutoRegister(on);
}

void AppContext::SetLogSettings(const LogSettings& settings) {
  logWriter_.SetSettings(settings);
}

void AppContext::SetRecordOutgoing(bool on) {
  commands_.SetRecordOutgoing(on);
}

void AppContext::SetWaitTime(int waitTime) {
  tagTable_.settings().waitTime = NormaliseWaitTime(waitTime);
}

void AppContext::ClearReceiveBuffers() {
  spine_.framer.ClearReaderChannels();
}

void AppContext::ClearTagCounters() {
  tagTable_.ClearTagCounters();
  spine_.formats.counters.ClearErrorCounts();
}

void AppContext::SetPortEventLines(bool on) {
  channels_.SetEventLines(on);
}

void AppContext::ToggleNoReplyWarning() {
  commands_.SetNoReplySuppressed(!commands_.NoReplySuppressed());
}

void AppContext::SetStatusUpdateTarget(int channel, int readerId) {
  statusUpdateChannel_ = channel;
  statusUpdateReaderId_ = readerId;
}

void AppContext::SetStatusUpdateInterval(int seconds) {
  statusUpdate_.SetInterval(seconds);
}

void AppContext::UpdateStatusNow() {
  statusUpdate_.UpdateNow();
}

}  // namespace corvalis

namespace corvalis {

void AppContext::SendMessageFormat(int channel, int readerId, const std::string& body) {
  if (!IsValidChannel(channel)) return;
  console_.SendReaderCommand(channel, readerId, body);
  uint8_t b[10] = {};
  if (body.size() != 24) return;
  for (size_t i = 0; i < 10; ++i) {
    if (!ReadHexByte(body.data() + 4 + 2 * i, b[i])) return;
  }
  std::copy(std::begin(b), std::end(b), console_.catalogueData().formatBytes.begin());
  const FormatBytes bytes = FormatBytes::FromWire(b);
  MessageFormat& format = spine_.formats.format[channel];
  format.binary = !console_.commsChoice().ascii;
  format.ApplyFormatBytes(bytes);
}

}  // namespace corvalis
