#include "app/AppContext.h"

#include "app/Settings.h"
#include "app/SettingsBinding.h"
#include "app/Startup.h"
#include "common/ChannelIndex.h"

namespace corvalis {

AppContext::AppContext(const Clock& clockSource, StatusReporter& statusSink)
    : clock_(clockSource),
      status_(statusSink),
      spine_(protocolSettings_, clock_, status_),
      tagTable_(clock_),
      logWriter_(tagNames_, clock_, status_),
      channels_(spine_.framer, status_),
      commands_(spine_.formats, status_),
      console_(commands_, channels_, clock_),
      machines_(clock_, &diagTrace_),
      expectPort_(commands_, status_),
      expects_(machines_, &expectPort_),
      tagRw_(expects_, commands_, console_, status_),
      tto_(tagRw_, commands_) {
  spine_.dispatcher.SetChannelWriter(&channels_);
  spine_.dispatcher.SetReplyHandler(&commands_);
  spine_.dispatcher.SetCommandSender(&commands_);
  spine_.dispatcher.AddObserver(&expects_);
  commands_.SetChannelWriter(&channels_);
  commands_.SetRecordingFiles(&recordings_);
  commands_.SetTransmitIndicator(&channels_);
  spine_.decoder.SetTagReadSink(&tagTable_);
  tagTable_.hooks().passCompleter = &logWriter_;
  tagTable_.hooks().nameLookup = &tagNames_;
  spine_.decoder.SetDataPageHandler(&unshownPages_);
  tagTable_.hooks().dataPageHandler = &unshownPages_;
}

void AppContext::ApplySettings(const Settings& settings) {
  protocolSettings_ = ProtocolSettingsFrom(settings);
  tagTable_.settings() = TagTableSettingsFrom(settings);
  tagNames_.SetAutoRegister(settings.Bool(Setting::AutoRegister));
  logWriter_.SetSettings(LogSettingsFrom(settings));
  commands_.SetRecordOutgoing(settings.Bool(Setting::RecordOutgoing));
}

void AppContext::StoreSettings(Settings& settings) const {
  StoreProtocolSettings(protocolSettings_, settings);
  StoreTagTableSettings(tagTable_.settings(), settings);
  settings.SetBool(Setting::AutoRegister, tagNames_.AutoRegister());
  StoreLogSettings(logWriter_.Settings(), settings);
}

void AppContext::Tick() {
  machines_.Tick();
  spine_.framer.Tick();
  tagTable_.FlushPasses(false);
  if (protocolSettings_.autoQueryMessageFormat) spine_.dispatcher.RunFormatQueryTick();
  commands_.Tick();
  console_.TickDeferred();
  StatusUpdateTick();
  tto_.Tick();
  machines_.RunAllMachines();
  if (++ticksThisSecond_ >= kTicksPerSecond) {
    ticksThisSecond_ = 0;
    SecondTick();
  }
}

void AppContext::SecondTick() {
  idsLastSecond_ = tagTable_.IdsThisSecond();
  tagTable_.ResetIdsThisSecond();
  channels_.ClearActivityMarks();
  ++secondsTicked_;
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
