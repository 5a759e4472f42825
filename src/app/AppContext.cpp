#include "app/AppContext.h"

#include "app/Settings.h"
#include "app/SettingsBinding.h"

namespace corvalis {

AppContext::AppContext(const Clock& clockSource, StatusReporter& statusSink)
    : clock(clockSource),
      status(statusSink),
      spine(protocolSettings, clock, status),
      tagTable(clock),
      logWriter(tagNames, clock, status),
      channels(spine.framer, status),
      commands(spine.formats, status),
      console(commands, channels, clock),
      machines(clock, &diagTrace) {
  spine.dispatcher.SetChannelWriter(&channels);
  spine.dispatcher.SetReplyHandler(&commands);
  spine.dispatcher.SetCommandSender(&commands);
  commands.SetChannelWriter(&channels);
  commands.SetRecordingFiles(&recordings);
  spine.decoder.SetTagReadSink(&tagTable);
  tagTable.hooks().passCompleter = &logWriter;
  tagTable.hooks().nameLookup = &tagNames;
}

void AppContext::ApplySettings(const Settings& settings) {
  protocolSettings = ProtocolSettingsFrom(settings);
  tagTable.settings() = TagTableSettingsFrom(settings);
  tagNames.SetAutoRegister(settings.Bool(Setting::AutoRegister));
  logWriter.SetSettings(LogSettingsFrom(settings));
  commands.SetRecordOutgoing(settings.Bool(Setting::RecordOutgoing));
}

void AppContext::StoreSettings(Settings& settings) const {
  StoreProtocolSettings(protocolSettings, settings);
  StoreTagTableSettings(tagTable.settings(), settings);
  settings.SetBool(Setting::AutoRegister, tagNames.AutoRegister());
  StoreLogSettings(logWriter.Settings(), settings);
}

void AppContext::Tick() {
  machines.Tick();
  spine.framer.Tick();
  tagTable.FlushPasses(false);
  if (protocolSettings.autoQueryMessageFormat) spine.dispatcher.RunFormatQueryTick();
  commands.Tick();
  machines.RunAllMachines();
}

}  // namespace corvalis
